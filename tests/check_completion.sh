# Part of check_package.sh (sourced; uses its root, work and fail): the bash
# completion of quorvel-cli, as bash-completion's loader finds it in the
# unpacked package, offers the tool's commands, the options each command
# takes, and for --port the COM numbers present, here a software panel's.

# Reads command lines, one a line (a trailing space: a new, empty word), and
# prints each as "LINE|OFFERS", the offers sorted and space-separated.
completions() {
  XDG_DATA_DIRS=$root/usr/share PATH=$root/usr/bin:$PATH XDG_RUNTIME_DIR=$work/run bash -c '
    source /usr/share/bash-completion/bash_completion
    __load_completion quorvel-cli || { echo "bash-completion finds no completion for quorvel-cli" >&2; exit 3; }
    while IFS= read -r line; do
      read -ra COMP_WORDS <<<"$line"
      [[ $line == *" " ]] && COMP_WORDS+=("")
      COMP_CWORD=$((${#COMP_WORDS[@]} - 1)) COMP_LINE=$line COMP_POINT=${#line} COMPREPLY=()
      _quorvel_cli quorvel-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
      offers=$(printf "%s\n" "${COMPREPLY[@]}" | sort)
      echo "$line|${offers//$'\''\n'\''/ }"
    done'
}

# A software panel registered as COM9 in a port folder of the check's own.
mkdir -m 700 "$work/run"
coproc PANEL { XDG_RUNTIME_DIR=$work/run exec "$root/usr/bin/quorvel-panel" --com 9 --fast 2>&1; }
panel_pid=$PANEL_PID  # bash drops PANEL_PID once it has reaped the panel
read -r -t 10 panel_line <&"${PANEL[0]}" || true
[[ ${panel_line:-} == "quorvel-panel: COM9 -> "* ]] || fail "the software panel did not start: ${panel_line:-nothing}"

cli=$root/usr/bin/quorvel-cli
commands=$(sed -n '/^Commands:/,$s/^  \([a-z]\+\) .*/\1/p' <("$cli" --help) | sort -u | xargs)
lines=("quorvel-cli " "quorvel-cli --port COM9 library " "quorvel-cli identify --port "
       "quorvel-cli identify --port 9" "quorvel-cli --speed 1" "quorvel-cli status --page "
       "quorvel-cli identify --port rf" "quorvel-cli identify --port s")
for command in $commands; do lines+=("quorvel-cli $command --"); done
declare -A offers
while IFS='|' read -r line offered; do
  offers[$line]=$offered
done < <(printf '%s\n' "${lines[@]}" | completions)
[ ${#offers[@]} -eq ${#lines[@]} ] || fail "the completion answered ${#offers[@]} of ${#lines[@]} lines"

expect() {  # LINE EXPECTED: the offers, exactly
  [ "${offers[$1]}" = "$2" ] || fail "completing '$1' offers '${offers[$1]}', not '$2'"
}
expect "quorvel-cli " "$(tr ' ' '\n' <<<"$commands" | sort | xargs)"
expect "quorvel-cli --port COM9 library " "edit export import list show"
expect "quorvel-cli --speed 1" "115200 19200"
# The page names are the ones the tool itself lists for a page it lacks.
pages=$({ "$cli" status --page none --port 1 2>&1 || true; } | sed -n 's/.*choose one of //p' | tr -d ',' | tr ' ' '\n' | sort | xargs)
[ -n "$pages" ] || fail "quorvel-cli status --page none lists no page"
expect "quorvel-cli status --page " "$pages"
[[ " ${offers[quorvel-cli identify --port ]} " == *" COM9 "* ]] ||
  fail "completing --port offers '${offers[quorvel-cli identify --port ]}', without COM9"
[[ " ${offers[quorvel-cli identify --port 9]} " == *" 9 "* ]] ||
  fail "completing --port 9 offers '${offers[quorvel-cli identify --port 9]}', without 9"
[[ " ${offers[quorvel-cli identify --port ]} " == *" rfc2217:// socket:// "* ]] ||
  fail "completing --port offers '${offers[quorvel-cli identify --port ]}', without the network schemes"
expect "quorvel-cli identify --port rf" "rfc2217://"
expect "quorvel-cli identify --port s" "socket://"

# Every option offered is one the command takes (the tool refuses any
# other by name), and every option of the tool is offered somewhere.
offered_anywhere=
for command in $commands; do
  arguments=()
  for option in ${offers[quorvel-cli $command --]}; do
    arguments+=("$option")
    case $option in
      --port | --speed | --trace | --library | --search | --output | --page | --kind | --zone | --user | --buttons)
        arguments+=(/nonexistent/x) ;;
    esac
  done
  offered_anywhere+=" ${offers[quorvel-cli $command --]}"
  refused=$("$cli" "$command" "${arguments[@]}" 2>&1 </dev/null || true)
  ! grep "does not take" <<<"$refused" || fail "completion offers $command an option it does not take"
done
for option in $(sed -n 's/^  \(-., \)\?\(--[a-z-]\+\).*/\2/p' <("$cli" --help)); do
  case $option in --help | --version) continue ;; esac
  [[ "$offered_anywhere " == *" $option "* ]] || fail "completion offers $option to no command"
done

kill "$panel_pid" 2>/dev/null || true
wait "$panel_pid" 2>/dev/null || true
panel_pid=
