#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite twice:
# once as built, once under the address and undefined-behaviour sanitizers.
#   scripts/test.sh           both passes (what CI runs)
#   scripts/test.sh --quick   the plain pass only
set -euo pipefail
cd "$(dirname "$0")/.."

"./scripts/install-deps.sh"

# The library's tests run against SQLite and against a real PostgreSQL
# server: a throwaway one on a local socket, stopped however this ends.
pg_dir=$(mktemp -d /tmp/quorvel-pg.XXXXXX)
net_dir=$(mktemp -d /tmp/quorvel-net.XXXXXX)
trap './scripts/test-postgres.sh stop "$pg_dir"; ./scripts/test-ser2net.sh stop "$net_dir"' EXIT
QUORVEL_TEST_POSTGRES_URL=$(./scripts/test-postgres.sh start "$pg_dir")
export QUORVEL_TEST_POSTGRES_URL

# The network links' tests run against a real ser2net in front of two
# software panels, on 127.0.0.1 only; one server serves both passes. The
# panels are the plain build's, built first.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Debug
cmake --build build --target quorvel-panel
ser2net_env=$(./scripts/test-ser2net.sh start "$net_dir" build/src/app/quorvel-panel)
while IFS= read -r line; do
  export "${line?}"
done <<<"$ser2net_env"

run_pass() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug "$@"
  cmake --build "$dir"
  QT_QPA_PLATFORM=offscreen ctest --test-dir "$dir" --output-on-failure --timeout 300
}

run_pass build
if [ "${1:-}" != "--quick" ]; then
  export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
  export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
  run_pass build-asan -DQUORVEL_SANITIZE=ON -DQUORVEL_BUILD_BENCH=OFF
fi
