#!/usr/bin/env bash
# Cross-compiles the core and the port catalogue for Windows with MinGW-w64
# and runs their unit tests under Wine (no display needed): the Windows file
# calls, the COM probe among them, tested on Linux. CI runs it after the test
# suite. The build folder holds its own Wine prefix, made on the first run.
#   scripts/windows-tests.sh
set -euo pipefail
cd "$(dirname "$0")/.."

"./scripts/install-deps.sh" --windows

build=build-windows
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUORVEL_PURE_ONLY=ON \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
cmake --build "$build"
# Stop the prefix's Wine server when done, rather than leave it to linger.
trap 'WINEPREFIX="$PWD/$build/wine-prefix" wineserver -k 2>/dev/null || true' EXIT
ctest --test-dir "$build" --output-on-failure --timeout 300
