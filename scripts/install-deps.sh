#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the Debian package
# need, if any is missing.
#   scripts/install-deps.sh          the build and the test suite
#   scripts/install-deps.sh --fuzz   also clang, its fuzzing runtime and python3
#   scripts/install-deps.sh --windows  also MinGW-w64, Wine and GoogleTest's sources
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-serialport-dev
  qt6-translations-l10n                   # Qt's own texts (dialogs, edit menus) in Portuguese and Spanish
  qt6-l10n-tools                          # lrelease makes the tool's catalogues; lupdate checks them
  libqt6sql6-sqlite libqt6sql6-psql       # the panel library: SQLite, and PostgreSQL for a team
  postgresql                              # a throwaway server for the library's tests
  ser2net                                 # a real serial server for the network links' tests
  fonts-dejavu-core poppler-utils         # the report's font; its text read back by the tests
  libgtest-dev libgmock-dev libbenchmark-dev
  librsvg2-bin                            # renders the icon's PNG sizes
  dpkg-dev file desktop-file-utils        # the Debian package and its check
  help2man                                # the package's manual pages, made from each --help
  lintian appstream man-db                # the package's check: Debian's checker, the AppStream
  bash-completion                         # metadata, the manual pages, the shell completion
)
# clang brings libclang-common-14-dev; libFuzzer and the sanitizer runtimes
# are in libclang-rt-14-dev, which nothing pulls in on its own.
if [ "${1:-}" = "--fuzz" ]; then
  packages+=(clang libclang-rt-14-dev python3)
fi
# The Windows cross build of the pure libraries: the posix thread model gives
# the compiler's standard library its threads; Wine runs the tests; GoogleTest
# is built from source with the cross compiler.
if [ "${1:-}" = "--windows" ]; then
  packages+=(g++-mingw-w64-x86-64-posix wine wine64 googletest)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
# The tests run ser2net themselves, in the foreground; the service the
# package sets up (where systemd runs) must not stay behind serving ports.
if [[ " ${missing[*]} " == *" ser2net "* ]] && command -v systemctl >/dev/null && [ -d /run/systemd/system ]; then
  $sudo systemctl disable --now ser2net.service || true
fi
