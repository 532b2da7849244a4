#!/usr/bin/env bash
# Builds the Debian package from a Release build in build-release/ and prints
# its path. Install it with:  sudo apt install ./build-release/quorvel_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

"./scripts/install-deps.sh"

dir=build-release
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVEL_BUILD_TESTS=OFF -DQUORVEL_BUILD_BENCH=OFF
cmake --build "$dir"
rm -f "$dir"/quorvel_*.deb
(cd "$dir" && cpack -G DEB)
ls "$PWD/$dir"/quorvel_*.deb
