#!/usr/bin/env bash
# Runs the built program under Xvfb, optionally drives it, and writes a screenshot.
#   tools/screenshot.sh [BUILD_DIR] [OUT.png] [uidrive commands...]
# Each extra argument is one command for build/uidrive.exe, e.g. 'click 启动项目清理'.
# VELDOR_CODEPAGE=1252 runs it as on a Western Windows (see tools/wine-run).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
out=${2:-screenshot.png}
shift $(( $# >= 2 ? 2 : $# ))

display=:$(( 90 + RANDOM % 9 ))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display VELDOR_WINE_GRAPHICS=x11
prefix="$build/wineprefix-x11"
[ "${VELDOR_CODEPAGE:-936}" = 1252 ] && prefix="$prefix-cp1252"
cleanup() {
  WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
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
  arg=${cmd#* }
  # Wine reads arguments in the locale's encoding: GBK for code page 936, else UTF-8.
  [ "${VELDOR_CODEPAGE:-936}" = 936 ] && arg=$(printf '%s' "$arg" | iconv -f UTF-8 -t GBK)
  "$here/wine-run" "$build/uidrive.exe" "$verb" "$arg" || echo "screenshot: '$cmd' failed" >&2
done
sleep "${SCREENSHOT_DELAY:-2}"
read -r x y w h < <("$here/wine-run" "$build/uidrive.exe" rect "Veldor 1.2" | tr -d "\r" || echo 0 0 1024 768)
# Pop-ups owned by the window (menus, message boxes) come out black in a capture of the root
# under Xvfb, though each holds its picture: capture those one by one and lay them over it.
shots=$(mktemp -d)
layers=()
for id in $(xwininfo -display "$display" -root -tree | grep -oE '^ {8}0x[0-9a-f]+'); do
  info=$(xwininfo -display "$display" -id "$id")
  grep -q IsViewable <<<"$info" || continue
  px=$(awk '/Absolute upper-left X/{print $4}' <<<"$info")
  py=$(awk '/Absolute upper-left Y/{print $4}' <<<"$info")
  pw=$(awk '/Width:/{print $2}' <<<"$info")
  [ "$pw" -lt "$w" ] || continue  # the window itself, the desktop and its task bar are fine
  xwd -id "$id" -display "$display" | /usr/bin/convert xwd:- "$shots/$id.png" || continue
  layers+=("$shots/$id.png" -geometry "+$px+$py" -composite)
done
xwd -root -display "$display" | /usr/bin/convert xwd:- "${layers[@]}" \
  -crop "${w}x${h}+${x}+${y}" +repage "$out"
rm -rf "$shots"
"$here/wine-run" "$build/uidrive.exe" close "Veldor 1.2" >/dev/null 2>&1 || true
echo "screenshot: $out"
