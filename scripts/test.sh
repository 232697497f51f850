#!/usr/bin/env bash
# Sets up, builds and runs every test: all of them in the normal build and
# again under AddressSanitizer and UndefinedBehaviorSanitizer, the core tests
# under ThreadSanitizer, then the fuzzers for 20 seconds each.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
jobs=$(nproc)

cmake -S . -B build -G Ninja -DGRAVELIN_TESTS=ON >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

# Every test again, window tests included. The programs the tests start
# read the same options from the environment. Memory that cannot be had
# comes back as null, so that a run under an address-space limit reaches
# the program's own handling of it; the test-only library preloaded into the
# installed program comes before the sanitizer's runtime; a leak fails its
# test, bar the system libraries' one-time allocations in tests/lsan.supp.
cmake -S . -B build-asan -G Ninja -DGRAVELIN_TESTS=ON -DGRAVELIN_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1:verify_asan_link_order=0 \
  LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp" UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

# The reader's workers, the engine and the hand-over between threads.
cmake -S . -B build-tsan -G Ninja -DGRAVELIN_TESTS=ON -DGRAVELIN_TSAN=ON >/dev/null
cmake --build build-tsan -j "$jobs" --target core_tests
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  ctest --test-dir build-tsan --output-on-failure -j "$jobs" -L core

# The fuzzers come last, on their own: beside the tests they would take most
# of the cores from those that wait for a deadline (a quit within a second,
# a child run out of memory under the sanitizers).
mkdir -p build-fuzz
status=0
scripts/fuzz.sh 20 >build-fuzz/fuzz.log 2>&1 || status=$?
grep -v '^\[' build-fuzz/fuzz.log || true
exit "$status"
