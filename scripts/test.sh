#!/usr/bin/env bash
# Sets up, builds and runs every test: all of them in the normal build, and
# the core tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
jobs=$(nproc)
cmake -S . -B build -G Ninja -DGRAVELIN_TESTS=ON >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"
cmake -S . -B build-asan -G Ninja -DGRAVELIN_TESTS=ON -DGRAVELIN_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$jobs" --target core_tests
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" -L core
