#!/usr/bin/env bash
# Installs everything the build and the tests need on a fresh Debian 12 machine.
# A no-op (apart from quick checks) when everything is already present.
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
# wine32 is Wine's 32-bit half: with it the 64-bit prefix runs the 32-bit release program too.
# undbx is an independent reader of message stores, the check of the tests' store writer.
for p in cmake make g++ googletest mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix \
         wine64 wine32:i386 xvfb xauth imagemagick x11-utils fonts-liberation python3 bc time \
         clang-format-14 undbx; do
  have_pkg "$p" || need+=("$p")
done

if [ ${#need[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  # Packages of the i386 architecture (wine32) come from the same archive once dpkg knows it.
  dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${need[@]}"
fi
