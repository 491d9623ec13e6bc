#!/usr/bin/env bash
# Builds a static libjpeg-turbo for Windows from Debian's source package into $1, for the
# processor $2 (i686, the default, or x86_64).
set -euo pipefail
cache=${1:?usage: build-libjpeg.sh CACHE_DIR [i686|x86_64]}
arch=${2:-i686}
here=$(cd "$(dirname "$0")/.." && pwd)
prefix="$cache/libjpeg-turbo-$arch"
[ -f "$prefix/lib/libjpeg.a" ] && exit 0

work="$cache/libjpeg-src-$arch"
rm -rf "$work"; mkdir -p "$work"
(cd "$work" && apt-get source -qq libjpeg-turbo >/dev/null 2>&1)
src=$(find "$work" -maxdepth 1 -mindepth 1 -type d -name 'libjpeg-turbo-*' | head -n 1)
[ -n "$src" ] || { echo "build-libjpeg: apt-get source libjpeg-turbo gave no source" >&2; exit 1; }

cmake -S "$src" -B "$work/build" -G "Unix Makefiles" \
  -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-$arch.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF \
  -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF -DCMAKE_POSITION_INDEPENDENT_CODE=OFF >/dev/null
cmake --build "$work/build" -j"$(nproc)" --target install >/dev/null
rm -rf "$work"
