#!/usr/bin/env bash
# A throwaway ser2net for the tests of the network links: two software
# panels (quorvel-panel, paced at the line speed as a real panel is), each
# on its pseudo-terminal, and ser2net in front of them on 127.0.0.1 only:
# one telnet(rfc2217) accepter and one raw tcp accepter. Everything lives
# in DIR and is stopped by "stop".
#   scripts/test-ser2net.sh start DIR PANEL   prints the variables the tests read
#   scripts/test-ser2net.sh stop DIR
set -euo pipefail
action=${1:?usage: test-ser2net.sh start DIR PANEL | stop DIR}
dir=${2:?usage: test-ser2net.sh start DIR PANEL | stop DIR}

stop() {
  for pidfile in "$dir"/*.pid; do
    [ -f "$pidfile" ] || continue
    pid=$(cat "$pidfile")
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
  done
  rm -rf "$dir"
}

# Whether something listens on 127.0.0.1:$1.
listening() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

case "$action" in
  start)
    panel=${3:?usage: test-ser2net.sh start DIR PANEL}
    ser2net=$(command -v ser2net || true)
    [ -n "$ser2net" ] || ser2net=/usr/sbin/ser2net
    [ -x "$ser2net" ] || { echo "test-ser2net.sh: ser2net is not installed" >&2; exit 1; }
    mkdir -p "$dir/run"
    chmod 700 "$dir" "$dir/run"
    devices=()
    for com in 1 2; do
      # The panels register in a port folder of their own, not the user's.
      XDG_RUNTIME_DIR="$dir/run" "$panel" --com "$com" >"$dir/panel$com.log" 2>&1 &
      echo $! >"$dir/panel$com.pid"
      device=""
      for _ in $(seq 50); do
        device=$(sed -n 's/^quorvel-panel: COM[0-9]* -> //p' "$dir/panel$com.log")
        [ -n "$device" ] && break
        sleep 0.1
      done
      [ -n "$device" ] || { cat "$dir/panel$com.log" >&2; stop; exit 1; }
      devices+=("$device")
    done
    # Two free ports next to each other, drawn at random.
    for _ in $(seq 20); do
      port=$((20000 + RANDOM % 40000))
      listening "$port" || listening $((port + 1)) || break
    done
    # chardelay off: by default ser2net holds what the line said for at
    # least 1 ms (2 ms in practice) after each piece, hoping for more, and
    # a firmware update waits that long on each of its hundreds of answers.
    # Nagle's algorithm stays on, as ser2net ships it: the tool must cope.
    cat >"$dir/ser2net.yaml" <<YAML
connection: &panel-rfc2217
    accepter: telnet(rfc2217),tcp,127.0.0.1,$port
    connector: serialdev,${devices[0]},115200n81,local
    options:
      chardelay: false
connection: &panel-raw
    accepter: tcp,127.0.0.1,$((port + 1))
    connector: serialdev,${devices[1]},115200n81,local
    options:
      chardelay: false
YAML
    "$ser2net" -n -c "$dir/ser2net.yaml" >"$dir/ser2net.log" 2>&1 &
    echo $! >"$dir/ser2net.pid"
    for _ in $(seq 50); do
      listening "$port" && listening $((port + 1)) && break
      sleep 0.1
    done
    listening "$port" && listening $((port + 1)) || { cat "$dir/ser2net.log" >&2; stop; exit 1; }
    echo "QUORVEL_TEST_SER2NET_RFC2217=rfc2217://127.0.0.1:$port"
    echo "QUORVEL_TEST_SER2NET_TCP=socket://127.0.0.1:$((port + 1))"
    echo "QUORVEL_TEST_SER2NET_RFC2217_DEVICE=${devices[0]}"
    echo "QUORVEL_TEST_SER2NET_PROGRAM=$ser2net"
    ;;
  stop) stop ;;
  *) echo "usage: test-ser2net.sh start DIR PANEL | stop DIR" >&2; exit 2 ;;
esac
