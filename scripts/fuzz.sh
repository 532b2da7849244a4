#!/usr/bin/env bash
# Builds the libFuzzer harnesses (clang) and runs each for a bounded time,
# one after another on one core.
#   scripts/fuzz.sh                     20 seconds each (what CI runs)
#   scripts/fuzz.sh 1200                a campaign: 20 minutes each
#   scripts/fuzz.sh 600 receive_path    only the harnesses named (with or
#                                       without the _fuzzer ending)
# The working corpus lives in build-fuzz/corpus and grows from run to run;
# it starts from the seeds fuzz/make_seeds.py writes. A crash fails the run
# and its reproducer is printed in hex (and kept in build-fuzz/crashes).
# Each harness ends with the inputs it ran and their rate per second.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
shift || true
targets=()
for name in "$@"; do targets+=("${name%_fuzzer}_fuzzer"); done
"./scripts/install-deps.sh" --fuzz

build=build-fuzz
CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEL_FUZZ=ON >/dev/null
if [ ${#targets[@]} -gt 0 ]; then
  cmake --build "$build" --target "${targets[@]}"
  harnesses=("${targets[@]/#/$build/fuzz/}")
else
  cmake --build "$build"
  harnesses=("$build"/fuzz/*_fuzzer)
fi

python3 fuzz/make_seeds.py "$build/seeds"
mkdir -p "$build/corpus" "$build/crashes"

export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

failed=()
passed=0
for harness in "${harnesses[@]}"; do
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
    awk -v s="$seconds" -v n="$name" '/^stat::number_of_executed_units/ {
      printf "%s: %d inputs, %d a second\n", n, $2, $2 / s }' "$build/$name.log"
    passed=$((passed + 1))
  fi
done

[ ${#failed[@]} -eq 0 ] || echo "Crashed: ${failed[*]}"
echo "Fuzzing: $passed passed, ${#failed[@]} failed"
[ ${#failed[@]} -eq 0 ]
