#!/usr/bin/env bash
# Builds the Debian package from a configured build folder and fails unless
# Debian's own checker (lintian) has nothing to say of it, it holds what an
# installed copy needs, its control fields say what apt must know, its
# documents are what they claim (copyright, changelog, manual pages,
# AppStream metadata), its programs run from an unpacked copy without a
# display, and the bash completion of quorvel-cli completes.
#   check_package.sh BUILD_DIR VERSION
set -euo pipefail
build=${1:?usage: check_package.sh BUILD_DIR VERSION}
version=${2:?usage: check_package.sh BUILD_DIR VERSION}

work=$(mktemp -d)
lintian_pid=
panel_pid=  # the software panel of check_completion.sh
cleanup() {
  for pid in $lintian_pid $panel_pid; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "check_package: $*" >&2; exit 1; }

if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  fail "cpack failed"
fi
deb=$work/out/quorvel_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $(basename "$deb"); cpack made: $(cd "$work/out" && echo *.deb)"

# Debian's checker, the slowest part, runs while the rest is checked. Any
# error or warning fails; the package carries no overrides, since every tag
# it drew applied and was mended.
lintian --allow-root --fail-on error,warning "$deb" >"$work/lintian.out" 2>&1 &
lintian_pid=$!

# The files, by path: the three programs, the desktop entry, every icon, the
# documents, the AppStream metadata and the completion.
dpkg-deb -c "$deb" | awk '{print $6}' >"$work/files"
programs=(quorvel quorvel-cli quorvel-panel)
metainfo_path=/usr/share/metainfo/org.example.quorvel.metainfo.xml
expected=(
  ./usr/share/applications/quorvel.desktop
  ./usr/share/icons/hicolor/scalable/apps/quorvel.svg
  ./usr/share/doc/quorvel/README.md
  ./usr/share/doc/quorvel/copyright
  ./usr/share/doc/quorvel/changelog.gz
  ./usr/share/doc/quorvel/screenshots/main-window.png
  ".$metainfo_path"
  ./usr/share/bash-completion/completions/quorvel-cli
)
for program in "${programs[@]}"; do
  expected+=("./usr/bin/$program" "./usr/share/man/man1/$program.1.gz")
done
sizes=(16 24 32 48 64 128 256)
for size in "${sizes[@]}"; do
  expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/quorvel.png")
done
for path in "${expected[@]}"; do
  grep -qxF "$path" "$work/files" || fail "$path is not in the package"
done
for path in ./usr/bin/quorvel-log ./usr/bin/quorvel-image ./usr/bin/quorvel-screenshot; do
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

# Each program says its version and its usage with no display at all (the
# manual pages are made from them on machines that have none).
for program in "${programs[@]}"; do
  run=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/$program")
  printed=$("${run[@]}" --version 2>&1) || fail "$program --version failed: $printed"
  [ "$printed" = "$program $version" ] || fail "$program --version printed '$printed'"
  "${run[@]}" --help >"$work/help" 2>"$work/help.err" || fail "$program --help failed: $(cat "$work/help.err")"
  grep -qE "^(Usage|Uso): (.*/)?$program( |$)" "$work/help" || fail "$program --help printed no usage on standard output"
done

# The copyright file names the licence and carries its text; the changelog
# is Debian's, and its newest entry is this version.
copyright=$root/usr/share/doc/quorvel/copyright
grep -qx "License: Expat" "$copyright" && grep -q "^ Permission is hereby granted" "$copyright" ||
  fail "the copyright file lacks the licence or its text"
changelog_version=$(zcat "$root/usr/share/doc/quorvel/changelog.gz" | sed -n '1s/^quorvel (\([^)]*\)) .*/\1/p')
[ "$changelog_version" = "$version" ] || fail "the changelog's newest version is $changelog_version, not $version"

# man finds each page where the package puts it (lintian has it rendered);
# each holds the options from --help and the hand-written sections.
for program in "${programs[@]}"; do
  page=$root/usr/share/man/man1/$program.1.gz
  found=$(MANPATH=$root/usr/share/man man -w "$program" 2>&1) || fail "man finds no page for $program: $found"
  [ "$found" = "$page" ] || fail "man $program finds $found, not $page"
  zcat "$page" >"$work/$program.1"
  for section in SYNOPSIS OPTIONS FILES '"EXIT STATUS"' '"SEE ALSO"'; do
    grep -qxF ".SH $section" "$work/$program.1" || fail "man $program has no section $section"
  done
done
for text in 'dry\-run' 'library export SERIAL' library.sqlite QUORVEL_LIBRARY; do
  grep -qF -- "$text" "$work/quorvel-cli.1" || fail "man quorvel-cli does not mention $text"
done

# The AppStream metadata is valid, launches the desktop entry of the
# package, names this release; its screenshot was drawn at build time.
metainfo=$root$metainfo_path
appstreamcli validate --no-net "$metainfo" >"$work/appstream" 2>&1 || fail "appstreamcli: $(cat "$work/appstream")"
launchable=$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$metainfo")
[ -f "$root/usr/share/applications/$launchable" ] || fail "the metadata launches '$launchable', not in the package"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metadata names no release $version"
screenshot=$root/usr/share/doc/quorvel/screenshots/main-window.png
file -b "$screenshot" | grep -qE "^PNG image data, [0-9]{3,} x [0-9]{3,}," || fail "the screenshot is $(file -b "$screenshot")"

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

source "$(dirname "$0")/check_completion.sh"

if ! wait "$lintian_pid" || [ -s "$work/lintian.out" ]; then
  lintian_pid=
  fail "lintian: $(cat "$work/lintian.out")"
fi
lintian_pid=
echo "check_package: $(basename "$deb") holds ${#expected[@]} expected files; lintian is silent; its programs run; quorvel-cli completes"
