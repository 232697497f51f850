#!/usr/bin/env bash
# Draws the main window holding the sample's records to PNG files, to look at:
#   <prefix>-offscreen.png       the window's own picture, drawn offscreen
#   <prefix>-offscreen-scan.png  the same with the scan's progress shown
#   <prefix>-xvfb.png            a screenshot of it as a real window on a
#                                virtual X display (needs xvfb and imagemagick)
# Usage: scripts/render.sh [prefix]   (default /tmp/gravelin; build dir $BUILD_DIR or build)
set -euo pipefail
cd "$(dirname "$0")/.."
prefix=${1:-/tmp/gravelin}
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DGRAVELIN_TESTS=ON >/dev/null
cmake --build "$build" --target window_layout_test >/dev/null
test=$(realpath "$build/tests/window_layout_test")

GRAVELIN_RENDER_PNG="$prefix-offscreen.png" QT_QPA_PLATFORM=offscreen \
  "$test" renderedWithTheSampleRecords >/dev/null
echo "$prefix-offscreen.png"
echo "$prefix-offscreen-scan.png"

if ! command -v xvfb-run >/dev/null || ! command -v import >/dev/null; then
  echo "xvfb-run or import (imagemagick) missing: no real-window screenshot" >&2
  exit 0
fi
ready=$(mktemp -u /tmp/gravelin-render.XXXXXX)
# The window shows itself, says when it is ready, and stays up while the
# whole screen is captured.
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  GRAVELIN_RENDER_HOLD_MS=3000 GRAVELIN_RENDER_READY="$1" QT_QPA_PLATFORM=xcb "$2" renderedWithTheSampleRecords >/dev/null &
  pid=$!
  for _ in $(seq 100); do [ -e "$1" ] && break; sleep 0.1; done
  import -window root -crop 880x620+0+0 "$3"
  wait "$pid"' _ "$ready" "$test" "$prefix-xvfb.png"
rm -f "$ready"
echo "$prefix-xvfb.png"
