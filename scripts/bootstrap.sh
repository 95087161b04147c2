#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine.
# Idempotent: when everything is present it only checks and exits.
set -euo pipefail

packages=(
  g++-mingw-w64-i686-posix
  mingw-w64-tools
  binutils-mingw-w64-i686
  cmake
  make
  wine
  wine32:i386
  wine64
  xvfb
  xauth
  libboost1.81-dev
  googletest
  imagemagick
  fonts-wine
  file
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "bootstrap: installing ${missing[*]}" >&2
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
