#!/usr/bin/env bash
# Installs what is missing, builds, and starts the tool. With no arguments it
# starts in demo mode, talking to a software panel; pass --real to use the
# machine's serial ports instead (any other arguments go to the tool).
set -euo pipefail
cd "$(dirname "$0")/.."

"./scripts/install-deps.sh"
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVEL_BUILD_TESTS=OFF -DQUORVEL_BUILD_BENCH=OFF
cmake --build build-release --target quorvel demo_firmware

if [ "${1:-}" = "--real" ]; then
  shift
  exec ./build-release/src/app/quorvel "$@"
fi
exec ./build-release/src/app/quorvel --demo "$@"
