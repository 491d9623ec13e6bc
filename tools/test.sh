#!/usr/bin/env bash
# Sets up, builds and runs every test under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build.sh
cd build
ctest --output-on-failure "$@"
