#!/usr/bin/env bash
# Sets the machine up (once) and builds Veldor and its tests into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
# The program is built for 32-bit Windows. A machine that cannot run 32-bit code cannot run it
# under Wine either: there the same sources are built for x86-64, so that the tests still run.
preset=default
tools/runs-32bit || preset=x86_64
toolchain=$(sed -n 's/^CMAKE_TOOLCHAIN_FILE:[A-Z]*=//p' build/CMakeCache.txt 2>/dev/null || true)
want=$([ "$preset" = default ] && echo mingw-i686.cmake || echo mingw-x86_64.cmake)
if [ -n "$toolchain" ] && [ "$(basename "$toolchain")" != "$want" ]; then
  echo "build: this machine needs the $preset build; build/ is made anew"
  rm -rf build
fi
[ -f build/CMakeCache.txt ] || cmake --preset "$preset" >/dev/null
cmake --build build -j"$(nproc)" >/dev/null
