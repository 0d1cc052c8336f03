#!/usr/bin/env bash
# Installs what building and testing need on a Debian 12 machine (run as
# root): MinGW-w64 (i686, posix threads), CMake and Ninja, autotools for the
# dependency builds, GoogleTest's sources, Wine with i386, Xvfb, a Hangul font,
# and the Linux-side tools the tests use. Skips everything already present.
set -euo pipefail

packages=(
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  cmake ninja-build make autoconf automake libtool pkg-config dpkg-dev
  googletest ca-certificates
  wine wine32:i386 xvfb xauth fonts-nanum locales
  python3 mpg123 lame twolame sox
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "setup_machine: missing packages (${missing[*]}); run as root to install them" >&2
  exit 1
fi
echo "setup_machine: installing ${missing[*]}" >&2
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq >&2
apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
