#!/usr/bin/env bash
# Measures the tool's start-up time, resident memory and idle CPU with a
# Release build, on the offscreen platform unless a display is given.
#   bench/startup.sh [idle seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVEL_BUILD_TESTS=OFF >/dev/null
cmake --build build-release --target startup_bench >/dev/null
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
# Twice: the first run warms the disk cache the way a second start would be.
./build-release/bench/startup_bench 1 >/dev/null
./build-release/bench/startup_bench "${1:-10}"
