#!/usr/bin/env bash
# Fails when a file under src/ includes across a forbidden edge. A folder
# says what its files may include:
#   core     core
#   ports    core, ports
#   sim      ports, sim               (never the tool's own protocol code)
#   session  core, ports, session     (Qt Core and Serial Port, no widgets)
#   jobs     core, ports, session, library, jobs (Qt Core, no widgets)
#   ui       core, ports, session, library, jobs, ui
#   library  core, library             (Qt Core and SQL, no widgets, never a panel)
#   cli      core, ports, session, library, jobs, cli (Qt Core, no widgets)
#   app      anything
# and core, ports and sim include no Qt header at all; ui and cli never
# include the frame dispatcher.
set -u
src=${1:?usage: check_layers.sh SRC_DIR}
cd "$src" || exit 2

declare -A allowed=(
  [core]="core"
  [ports]="core ports"
  [sim]="ports sim"
  [session]="core ports session"
  [library]="core library"
  [jobs]="core ports session library jobs"
  [ui]="core ports session library jobs ui"
  [cli]="core ports session library jobs cli"
  [app]="core ports sim session library jobs ui cli app"
)
pure="core ports sim"
# Headers of Qt modules the session may not use.
widget_headers='<Q(Widget|Dialog|MainWindow|Application|MessageBox|FileDialog|Label|PushButton|LineEdit|ComboBox|TabWidget|Menu|Action|Layout|[HV]BoxLayout|GridLayout|Palette)>|<QtWidgets'

status=0
for layer in "${!allowed[@]}"; do
  [ -d "$layer" ] || continue
  while IFS= read -r -d '' file; do
    while IFS= read -r line; do
      target=${line#*\"}
      target=${target%%/*}
      case " ${allowed[$layer]} " in
        *" $target "*) ;;
        *) echo "$file: includes $target/ ($line)"; status=1 ;;
      esac
    done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[a-z_]+/' "$file")
    if [[ " $pure " == *" $layer "* ]] && grep -qE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<Q' "$file"; then
      echo "$file: includes Qt in a Qt-free layer"; status=1
    fi
    if { [ "$layer" = session ] || [ "$layer" = jobs ] || [ "$layer" = cli ] || [ "$layer" = library ]; } && grep -qE "^[[:space:]]*#[[:space:]]*include[[:space:]]*($widget_headers)" "$file"; then
      echo "$file: includes Qt Widgets in the $layer layer"; status=1
    fi
  done < <(find "$layer" -type f \( -name '*.h' -o -name '*.cpp' \) -print0)
done
# The dispatcher and its receivers are the session's own: the windows and
# the command-line tool hear the session's typed signals instead.
for layer in ui cli; do
  [ -d "$layer" ] || continue
  while IFS= read -r file; do
    echo "$file: includes the frame dispatcher, which only the session uses"; status=1
  done < <(grep -rlE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"core/link/frame_dispatcher\.h"' "$layer")
done
# Every folder of src/ must be a known layer, so a new one gets a rule.
for dir in */; do
  dir=${dir%/}
  [ -n "${allowed[$dir]+x}" ] || { echo "src/$dir: not a known layer"; status=1; }
done
# Inside core the folders have an order too, lowest first:
#   bytes, files          byte helpers; files written whole or not at all
#   panel                 what a panel is: identity, models, blocks
#   link, config          the frame and its traffic; the block codecs
#   rf, firmware, diagnostics  the processes built on both
#   telnet                the serial server's Telnet framing, beside the rest
# A folder includes its own and those it names below; the link never
# includes the codecs, nor the codecs the link.
declare -A core_allowed=(
  [bytes]="bytes"
  [files]="files"
  [panel]="bytes panel"
  [link]="bytes panel link"
  [config]="bytes panel config"
  [rf]="bytes panel link config rf"
  [firmware]="bytes files panel link firmware"
  [diagnostics]="bytes files panel link config diagnostics"
  [telnet]="bytes telnet"
)
if [ -d core ]; then
  for dir in core/*/; do
    folder=${dir#core/}
    folder=${folder%/}
    if [ -z "${core_allowed[$folder]+x}" ]; then
      echo "src/core/$folder: not a known folder of core"; status=1; continue
    fi
    while IFS= read -r -d '' file; do
      while IFS= read -r line; do
        target=${line#*\"core/}
        target=${target%%/*}
        case " ${core_allowed[$folder]} " in
          *" $target "*) ;;
          *) echo "$file: includes core/$target/ from core/$folder/ ($line)"; status=1 ;;
        esac
      done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"core/[a-z_]+/' "$file")
    done < <(find "core/$folder" -type f \( -name '*.h' -o -name '*.cpp' \) -print0)
  done
fi
[ $status -eq 0 ] && echo "layer edges: clean"
exit $status
