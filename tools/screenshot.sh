#!/usr/bin/env bash
# Runs the built program under Xvfb, optionally drives it, and writes a screenshot.
#   tools/screenshot.sh [BUILD_DIR] [OUT.png] [uidrive commands...]
# Each extra argument is one command for build/uidrive.exe, e.g. 'click 启动项目清理'.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
out=${2:-screenshot.png}
shift $(( $# >= 2 ? 2 : $# ))

display=:$(( 90 + RANDOM % 9 ))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display VELDOR_WINE_GRAPHICS=x11
cleanup() {
  WINEPREFIX="$build/wineprefix-x11" wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
sleep 1

"$here/wine-run" "$build/veldor.exe" >/dev/null 2>&1 &
# Wait for the main window, then let it settle.
for _ in $(seq 1 60); do
  if "$here/wine-run" "$build/uidrive.exe" wait "Veldor 1.2" >/dev/null 2>&1; then break; fi
  sleep 1
done
for cmd in "$@"; do
  verb=${cmd%% *}
  arg=$(printf '%s' "${cmd#* }" | iconv -f UTF-8 -t GBK)  # Wine reads arguments as code page 936
  "$here/wine-run" "$build/uidrive.exe" "$verb" "$arg" || echo "screenshot: '$cmd' failed" >&2
done
sleep "${SCREENSHOT_DELAY:-2}"
read -r x y w h < <("$here/wine-run" "$build/uidrive.exe" rect "Veldor 1.2" | tr -d "\r" || echo 0 0 1024 768)
xwd -root -display "$display" | /usr/bin/convert xwd:- -crop "${w}x${h}+${x}+${y}" +repage "$out"
"$here/wine-run" "$build/uidrive.exe" close "Veldor 1.2" >/dev/null 2>&1 || true
echo "screenshot: $out"
