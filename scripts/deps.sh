#!/usr/bin/env bash
# Installs what building and testing Nimbrel needs on Debian, and nothing when
# everything is already there. Works as root or through sudo.
set -euo pipefail

PKGS=(cmake make g++ googletest libmpfr-dev libgmp-dev
      g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
      g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
      wine wine32:i386 wine64 fonts-wine xvfb xauth xdotool xclip x11-utils
      x11-xserver-utils x11-xkb-utils imagemagick fonts-ocr-a zip python3
      libpng-dev libjpeg-dev zlib1g-dev pmccabe
      clang libclang-rt-14-dev)   # the fuzz harnesses: clang and its libFuzzer runtime

missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=
[ "$(id -u)" -eq 0 ] || SUDO=sudo
echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq >/dev/null
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
