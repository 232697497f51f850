#!/usr/bin/env bash
# Sets up, builds and starts Gravelin.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target gravelin
exec build/bin/gravelin "$@"
