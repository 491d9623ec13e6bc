#!/usr/bin/env bash
# Brings a fresh Debian machine to the point where Veldor builds, runs under Wine and tests.
# Idempotent: quiet and quick when everything is already present.
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  rm -f /tmp/.veldor-apt-updated
fi

pkgs=(g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix mingw-w64-i686-dev wine wine32:i386 wine64
      xvfb xauth x11-apps x11-utils imagemagick locales fonts-wqy-zenhei googletest cmake make
      dpkg-dev nasm python3)
for p in "${pkgs[@]}"; do have_pkg "$p" || need+=("$p"); done

# The libjpeg-turbo source comes from Debian's source archive, which needs a deb-src entry.
src_list=/etc/apt/sources.list.d/veldor-src.sources
if [ ! -f "$src_list" ]; then
  $SUDO tee "$src_list" >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  rm -f /tmp/.veldor-apt-updated
fi

if [ ${#need[@]} -gt 0 ] || [ ! -f /tmp/.veldor-apt-updated ]; then
  $SUDO apt-get update -qq >/dev/null
  touch /tmp/.veldor-apt-updated
fi
if [ ${#need[@]} -gt 0 ]; then
  echo "setup: installing ${need[*]}"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# A machine without a 32-bit user mode (known once Wine's 32-bit loader is in) builds the tests
# for x86-64 and runs them with the 64-bit Wine loader.
if ! bash "$(dirname "$0")/runs-32bit"; then
  more=()
  for p in g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev wine64; do
    have_pkg "$p" || more+=("$p")
  done
  if [ ${#more[@]} -gt 0 ]; then
    echo "setup: this machine cannot run 32-bit code; installing ${more[*]}"
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${more[@]}" >/dev/null
  fi
fi

# Wine takes the system code page from the locale: zh_CN.GBK gives 936 (the tests' usual one),
# en_US.UTF-8 gives 1252 (the tests run with VELDOR_CODEPAGE=1252).
gen=0
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.gbk$'; then
  grep -q '^zh_CN.GBK GBK' /etc/locale.gen 2>/dev/null || echo 'zh_CN.GBK GBK' | $SUDO tee -a /etc/locale.gen >/dev/null
  gen=1
fi
if ! locale -a 2>/dev/null | grep -qiE '^en_US\.utf-?8$'; then
  grep -q '^en_US.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null || echo 'en_US.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  gen=1
fi
[ "$gen" = 0 ] || $SUDO locale-gen >/dev/null
exit 0
