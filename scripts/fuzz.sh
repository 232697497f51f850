#!/usr/bin/env bash
# Builds the libFuzzer harnesses (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs them all at once, each for the given
# number of seconds (20 by default), from the seeds in fuzz/corpus. What a
# run finds new is kept in build-fuzz/corpus, so a longer run goes on from
# there; a failing input is saved in build-fuzz/artifacts.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
cmake -S . -B build-fuzz -G Ninja -DGRAVELIN_TESTS=OFF -DGRAVELIN_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target fuzzers
mkdir -p build-fuzz/artifacts
pids=()
names=()
for seeds in fuzz/corpus/*/; do
  name=$(basename "$seeds")
  mkdir -p "build-fuzz/corpus/$name"
  # New inputs go to the first folder: the checked-in seeds stay as they are.
  UBSAN_OPTIONS=print_stacktrace=1 "build-fuzz/fuzz/${name}_fuzzer" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -artifact_prefix="build-fuzz/artifacts/$name-" -print_final_stats=1 \
    "build-fuzz/corpus/$name" "$seeds" >"build-fuzz/$name.log" 2>&1 &
  pids+=($!)
  names+=("$name")
done
failed=0
for i in "${!pids[@]}"; do
  if wait "${pids[$i]}"; then
    echo "fuzz ${names[$i]}: $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "build-fuzz/${names[$i]}.log" | grep -o '[0-9]*$') runs, no finding"
  else
    failed=1
    echo "fuzz ${names[$i]}: FAILED (build-fuzz/${names[$i]}.log)"
    tail -n 40 "build-fuzz/${names[$i]}.log"
  fi
done
exit "$failed"
