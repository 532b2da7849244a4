#!/usr/bin/env bash
# Makes the Wine prefix the cross-compiled tests run in (once per build
# folder; it works without a display) and maps the COM numbers the probe's
# test expects (tests/ports/com_probe_test.cpp). Wine resolves \\.\COMn
# through the prefix's dosdevices/comN links; from 200 up no number collides
# with the ports Wine gives the machine's own serial devices (COM1 onwards).
set -euo pipefail
prefix=${1:?usage: wine_prefix.sh PREFIX}
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

if [ ! -f "$prefix/system.reg" ]; then
  timeout 300 wineboot -i
  timeout 60 wineserver -w
fi

targets=$prefix/com-targets
dosdevices=$prefix/dosdevices
mkdir -p "$targets/folder"
: >"$targets/file"
ln -sfn /dev/null "$dosdevices/com200"               # opens
ln -sfn "$targets/folder" "$dosdevices/com201"       # refused: access denied
ln -sfn "$targets/file" "$dosdevices/com202"         # opens; the test holds it
ln -sfn "$targets/missing" "$dosdevices/com203"      # leads nowhere
ln -sfn /dev/null "$dosdevices/com255"               # the last number probed
ln -sfn /dev/null "$dosdevices/com256"               # past the range
