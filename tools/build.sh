#!/usr/bin/env bash
# Sets the machine up (once) and builds Veldor and its tests into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
[ -f build/CMakeCache.txt ] || cmake --preset default >/dev/null
cmake --build build -j"$(nproc)" >/dev/null
