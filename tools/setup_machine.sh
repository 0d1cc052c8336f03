#!/usr/bin/env bash
# Installs what building and testing need on a Debian 12 machine (run as
# root): MinGW-w64 for i686 and x86_64 (posix threads), CMake, Ninja and
# ccache, autotools for the dependency builds, GoogleTest's sources, Wine
# (32-bit with i386, and 64-bit for machines that cannot run 32-bit code),
# Wine's own fonts, Xvfb, a Hangul font, NSIS (makensis builds the test
# installer of the installer plug-in), and the Linux-side tools the tests
# use. Skips everything already present.
set -euo pipefail

packages=(
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  cmake ninja-build ccache make autoconf automake libtool pkg-config dpkg-dev
  googletest ca-certificates
  wine wine32:i386 wine64 fonts-wine xvfb xauth fonts-nanum locales
  python3 mpg123 lame twolame sox nsis
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
