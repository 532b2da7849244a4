#!/usr/bin/env bash
# A throwaway PostgreSQL server for the library's tests, on a local socket
# only (no TCP port), in a temporary folder, run by a user who is not root.
#   scripts/test-postgres.sh start DIR   prints the library URL to use
#   scripts/test-postgres.sh stop DIR
set -euo pipefail
action=${1:?usage: test-postgres.sh start|stop DIR}
dir=${2:?usage: test-postgres.sh start|stop DIR}
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -n "$bin" ] || { echo "test-postgres.sh: PostgreSQL is not installed" >&2; exit 1; }

# PostgreSQL refuses to run as root: root runs it as the packaged user.
as_owner() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

case "$action" in
  start)
    mkdir -p "$dir"
    [ "$(id -u)" -eq 0 ] && chown postgres: "$dir"
    as_owner "$bin/initdb" -D "$dir/data" -U quorvel --auth=trust -E UTF8 --no-sync >"$dir/initdb.log" 2>&1 ||
      { cat "$dir/initdb.log" >&2; exit 1; }
    as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
      -o "-c listen_addresses='' -k $dir -c fsync=off" start >/dev/null ||
      { cat "$dir/server.log" >&2; exit 1; }
    as_owner "$bin/createdb" -h "$dir" -U quorvel quorvel_test
    echo "postgresql://quorvel@/quorvel_test?host=$dir"
    ;;
  stop)
    [ -d "$dir/data" ] && as_owner "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null || true
    rm -rf "$dir"
    ;;
  *) echo "usage: test-postgres.sh start|stop DIR" >&2; exit 2 ;;
esac
