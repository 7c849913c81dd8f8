#!/usr/bin/env bash
# Installs what building and testing Nimbrel needs on Debian, and nothing when
# everything is already there. Works as root or through sudo.
#
# A Debian mirror can be caught mid-sync: one index then fails to download
# ("File has unexpected size ... Mirror sync in progress?"). The update is
# retried; when it still fails the install goes on with the indexes apt has,
# and when apt can't resolve the packages from them (the amd64 and i386
# copies of a library must have the same version, and the newer one may sit in
# the index that failed), it prefers the running release's own versions.
# One line says what happened.
#
# For the tests of these decisions: NIMBREL_APT_GET, NIMBREL_DPKG,
# NIMBREL_DPKG_QUERY and NIMBREL_OS_RELEASE replace the tools and the release
# file, NIMBREL_APT_TRIES and NIMBREL_APT_PAUSE the retries.
set -euo pipefail

PKGS=(cmake make g++ googletest libmpfr-dev libgmp-dev
      g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
      g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
      wine wine32:i386 wine64 fonts-wine xvfb xauth xdotool xclip x11-utils
      x11-xserver-utils x11-xkb-utils imagemagick fonts-ocr-a zip python3
      libstb-dev pmccabe   # stb_image, header only, compiled into the program
      clang libclang-rt-14-dev)   # the fuzz harnesses: clang and its libFuzzer runtime

APT_GET=${NIMBREL_APT_GET:-apt-get}
DPKG=${NIMBREL_DPKG:-dpkg}
DPKG_QUERY=${NIMBREL_DPKG_QUERY:-dpkg-query}
OS_RELEASE=${NIMBREL_OS_RELEASE:-/etc/os-release}
TRIES=${NIMBREL_APT_TRIES:-4}
PAUSE=${NIMBREL_APT_PAUSE:-15}

missing=()
for p in "${PKGS[@]}"; do
  "$DPKG_QUERY" -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=
[ "$(id -u)" -eq 0 ] || SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
if ! "$DPKG" --print-foreign-architectures | grep -qx i386; then
  $SUDO "$DPKG" --add-architecture i386
fi

updated=
for try in $(seq "$TRIES"); do
  if $SUDO "$APT_GET" update -qq >/dev/null 2>&1; then updated=$try; break; fi
  [ "$try" -lt "$TRIES" ] && sleep "$PAUSE"
done

# The release's code name (bookworm), for -t.
release() { (. "$OS_RELEASE" && echo "${VERSION_CODENAME:-}"); }
resolves() { $SUDO "$APT_GET" install -s -qq --no-install-recommends "$@" "${missing[@]}" >/dev/null 2>&1; }

target=()
if [ -n "$updated" ]; then
  how="apt-get update succeeded"
  [ "$updated" -gt 1 ] && how+=" at try $updated"
else
  how="apt-get update failed $TRIES times, going on with the indexes apt has"
fi
if ! resolves; then
  code=$(release)
  if [ -n "$code" ] && resolves -t "$code"; then
    target=(-t "$code")
    how+="; the packages resolve only with the release's own versions (-t $code)"
  else
    echo "deps.sh: $how; apt can't resolve the packages${code:+, not even with -t $code}:" >&2
    $SUDO "$APT_GET" install -s --no-install-recommends "${target[@]}" "${missing[@]}" >&2 || true
    exit 1
  fi
fi
echo "Installing ${missing[*]} ($how)" >&2
$SUDO "$APT_GET" install -y -qq --no-install-recommends "${target[@]}" "${missing[@]}" >/dev/null
