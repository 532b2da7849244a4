#!/usr/bin/env bash
# Builds the libFuzzer harnesses (clang) and runs each for a bounded time.
#   scripts/fuzz.sh            20 seconds each (what CI runs)
#   scripts/fuzz.sh 600        longer, locally
# The working corpus lives in build-fuzz/corpus and grows from run to run;
# it starts from the seeds fuzz/make_seeds.py writes. A crash fails the run
# and its reproducer is printed in hex (and kept in build-fuzz/crashes).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
"./scripts/install-deps.sh" --fuzz

build=build-fuzz
CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEL_FUZZ=ON >/dev/null
cmake --build "$build"

python3 fuzz/make_seeds.py "$build/seeds"
mkdir -p "$build/corpus" "$build/crashes"

export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

failed=()
passed=0
for harness in "$build"/fuzz/*_fuzzer; do
  name=$(basename "$harness")
  corpus="$build/corpus/$name"
  mkdir -p "$corpus"
  echo "== $name: ${seconds} s"
  rm -f "$build/crashes/$name-"*
  # -timeout: one input running longer than this is a hang, and fails.
  if ! "$harness" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
      -dict=fuzz/frame.dict -artifact_prefix="$build/crashes/$name-" \
      "$corpus" "$build/seeds/$name" 2>"$build/$name.log"; then
    tail -n 40 "$build/$name.log"
    for reproducer in "$build/crashes/$name-"*; do
      [ -e "$reproducer" ] || continue
      echo "-- reproducer $reproducer ($(stat -c %s "$reproducer") bytes):"
      od -An -tx1 -v "$reproducer"
    done
    failed+=("$name")
  else
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|Done)' "$build/$name.log" || true
    passed=$((passed + 1))
  fi
done

[ ${#failed[@]} -eq 0 ] || echo "Crashed: ${failed[*]}"
echo "Fuzzing: $passed passed, ${#failed[@]} failed"
[ ${#failed[@]} -eq 0 ]
