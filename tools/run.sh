#!/usr/bin/env bash
# Sets up, builds and starts Veldor. With a display it opens in a real window; without one it
# runs under Xvfb and writes a screenshot to screenshot.png instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build.sh
if [ -n "${DISPLAY:-}" ]; then
  VELDOR_WINE_GRAPHICS=x11 exec tools/wine-run build/veldor.exe
fi
bash tools/screenshot.sh build screenshot.png
echo "No display: Veldor ran under Xvfb; its window is in screenshot.png"
