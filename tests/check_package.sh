#!/usr/bin/env bash
# Builds the Debian package from a configured build folder and fails unless
# it holds what an installed copy needs, its control fields say what apt must
# know, and its programs run from an unpacked copy.
#   check_package.sh BUILD_DIR VERSION
set -euo pipefail
build=${1:?usage: check_package.sh BUILD_DIR VERSION}
version=${2:?usage: check_package.sh BUILD_DIR VERSION}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "check_package: $*" >&2; exit 1; }

if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  fail "cpack failed"
fi
deb=$work/out/quorvel_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $(basename "$deb"); cpack made: $(cd "$work/out" && echo *.deb)"

# The files, by path: the three programs, the desktop entry, every icon, the README.
dpkg-deb -c "$deb" | awk '{print $6}' >"$work/files"
expected=(
  ./usr/bin/quorvel ./usr/bin/quorvel-cli ./usr/bin/quorvel-panel
  ./usr/share/applications/quorvel.desktop
  ./usr/share/icons/hicolor/scalable/apps/quorvel.svg
  ./usr/share/doc/quorvel/README.md
)
sizes=(16 24 32 48 64 128 256)
for size in "${sizes[@]}"; do
  expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/quorvel.png")
done
for path in "${expected[@]}"; do
  grep -qxF "$path" "$work/files" || fail "$path is not in the package"
done
for path in ./usr/bin/quorvel-log ./usr/bin/quorvel-image; do
  ! grep -qxF "$path" "$work/files" || fail "$path is a build-tree tool, not for the package"
done

# Control fields: the version, and Depends drawn from the linked libraries
# plus what the window loads at run time.
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "Version is $(dpkg-deb -f "$deb" Version), not $version"
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6serialport6 libqt6widgets6 libqt6sql6 qt6-qpa-plugins hicolor-icon-theme libqt6sql6-sqlite fonts-dejavu-core qt6-translations-l10n; do
  grep -qE "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package: $depends"
done

root=$work/root
dpkg-deb -x "$deb" "$root"

printed=$("$root/usr/bin/quorvel-cli" --version) || fail "quorvel-cli --version failed"
[ "$printed" = "quorvel-cli $version" ] || fail "quorvel-cli --version printed '$printed'"
"$root/usr/bin/quorvel-panel" --help 2>"$work/panel-help" || fail "quorvel-panel --help failed"
grep -q "usage: quorvel-panel" "$work/panel-help" || fail "quorvel-panel --help printed no usage"

# The desktop entry is valid and names a program and an icon the package holds.
entry=$root/usr/share/applications/quorvel.desktop
desktop-file-validate "$entry" || fail "the desktop entry is not valid"
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
[ -x "$root/usr/bin/$exec_name" ] || fail "Exec=$exec_name is not a program of the package"
[ "$(sed -n 's/^Icon=//p' "$entry")" = quorvel ] || fail "Icon is not quorvel"
for size in "${sizes[@]}"; do
  png=$root/usr/share/icons/hicolor/${size}x${size}/apps/quorvel.png
  file -b "$png" | grep -q "^PNG image data, $size x $size," || fail "$png is not a $size px PNG: $(file -b "$png")"
done
echo "check_package: $(basename "$deb") holds ${#expected[@]} expected files; its programs run"
