#!/usr/bin/env bash
# Sets up, builds and runs every test: all of them in the normal build, the
# core tests again under AddressSanitizer and UndefinedBehaviorSanitizer and
# under ThreadSanitizer, and the fuzzers for 20 seconds each.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
jobs=$(nproc)

# The fuzzers build with clang in their own folder and run alongside the rest.
mkdir -p build-fuzz
scripts/fuzz.sh 20 >build-fuzz/fuzz.log 2>&1 &
fuzz=$!
trap 'kill "$fuzz" 2>/dev/null || true' EXIT

cmake -S . -B build -G Ninja -DGRAVELIN_TESTS=ON >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

cmake -S . -B build-asan -G Ninja -DGRAVELIN_TESTS=ON -DGRAVELIN_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$jobs" --target core_tests
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" -L core

# The reader's workers, the engine and the hand-over between threads.
cmake -S . -B build-tsan -G Ninja -DGRAVELIN_TESTS=ON -DGRAVELIN_TSAN=ON >/dev/null
cmake --build build-tsan -j "$jobs" --target core_tests
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  ctest --test-dir build-tsan --output-on-failure -j "$jobs" -L core

status=0
wait "$fuzz" || status=$?
trap - EXIT
cat build-fuzz/fuzz.log | grep -v '^\[' || true
exit "$status"
