#!/usr/bin/env bash
# Cross-builds the third-party libraries the player links against (static, MinGW-w64, posix
# thread variant) into a cached prefix, for one architecture: i686 (the shipped program, the
# default) or x86_64 (the test build of machines that cannot run 32-bit code).
#
#   tools/build_deps.sh [--arch i686|x86_64] [PREFIX]
#
# Without PREFIX the libraries go to ${ZEL_DEPS_DIR:-/var/cache/zel-deps}/<key>, where <key>
# is taken from the hash of this script and of the architecture's toolchain files, so a change
# to any of them gives a fresh prefix. A prefix that holds .complete is reused as it is.
#
# Sources come from Debian's source packages (apt-get source, Debian patches applied), read
# through a private apt configuration whose deb-src entry is the machine's own Debian archive
# (taken from its apt sources). GoogleTest and GoogleMock are built from /usr/src/googletest.
#
# Progress goes to stderr, build output to log files; the last line on stdout is the prefix:
#   prefix=$(tools/build_deps.sh | tail -n1)
set -euo pipefail

script_path=$(readlink -f "${BASH_SOURCE[0]}")
repo_dir=$(cd "$(dirname "$script_path")/.." && pwd)
arch=i686

usage() {
  echo "usage: $(basename "$0") [--arch i686|x86_64] [PREFIX]" >&2
  echo "  default PREFIX: \${ZEL_DEPS_DIR:-/var/cache/zel-deps}/<hash of this script and the toolchain files>" >&2
}

case "${1:-}" in
  -h|--help) usage; exit 0 ;;
  --arch) arch=${2:-}; shift 2 || { usage; exit 2; } ;;
esac
case "$arch" in
  i686|x86_64) ;;
  *) usage; exit 2 ;;
esac
toolchain_file="$repo_dir/cmake/toolchain-$arch-mingw.cmake"
toolchain_common="$repo_dir/cmake/toolchain-mingw-common.cmake"
if [ $# -gt 1 ]; then
  usage
  exit 2
fi
if [ ! -f "$toolchain_file" ]; then
  echo "build_deps: missing $toolchain_file" >&2
  exit 1
fi

if [ $# -eq 1 ]; then
  prefix=$(readlink -m "$1")
else
  key=$(cat "$script_path" "$toolchain_file" "$toolchain_common" | sha256sum | cut -c1-12)
  prefix=$(readlink -m "${ZEL_DEPS_DIR:-/var/cache/zel-deps}/$key")
fi

if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

mkdir -p "$(dirname "$prefix")"
# One build per prefix at a time; a second caller waits and then finds the finished prefix.
exec 9>"$prefix.lock"
flock 9
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

host=$arch-w64-mingw32
cc=$host-gcc-posix
cxx=$host-g++-posix
jobs=$(nproc)
work="$prefix.work"

for tool in "$cc" "$cxx" "$host-ar" "$host-ranlib" apt-get dpkg-source cmake make \
            autoconf automake aclocal libtoolize flock; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "build_deps: '$tool' not found (needs g++-mingw-w64-$arch-posix, cmake, autoconf," \
         "automake, libtool, dpkg-dev)" >&2
    exit 1
  fi
done
if [ ! -f /usr/src/googletest/CMakeLists.txt ]; then
  echo "build_deps: /usr/src/googletest is missing (package googletest)" >&2
  exit 1
fi
if command -v ninja >/dev/null 2>&1; then
  cmake_generator=Ninja
else
  cmake_generator="Unix Makefiles"
fi

# A leftover of an unfinished run is started over; anything else is not ours to delete.
if [ -d "$prefix" ] && [ -n "$(ls -A "$prefix")" ] && [ ! -f "$prefix/.zel-deps" ]; then
  echo "build_deps: $prefix exists and was not made by this script; not touching it" >&2
  exit 1
fi
rm -rf "$prefix" "$work"
mkdir -p "$prefix" "$work/logs" "$work/src" "$work/build"
touch "$prefix/.zel-deps"
logs="$work/logs"

say() { echo "build_deps: $*" >&2; }

# Runs "$@" with its output in $logs/<name>.log; on failure shows the end of the log.
# Only ever called through step_bg: a function called as "f || ..." or inside "if" runs
# with errexit ignored, even in subshells, and would carry on past failing commands.
step() {
  local name=$1
  shift
  local log="$logs/$name.log"
  local rc=0
  set +e
  ( set -e; "$@" ) >>"$log" 2>&1
  rc=$?
  set -e
  if [ $rc -ne 0 ]; then
    echo "build_deps: $name failed (exit $rc); last lines of $log:" >&2
    tail -n 60 "$log" >&2
  fi
  return $rc
}

# Starts a step in the background; wait_for and wait_all collect the results.
declare -A step_pids=()
step_bg() {
  step "$@" &
  step_pids[$1]=$!
}
wait_for() {
  local name failed=0
  for name in "$@"; do
    if ! wait "${step_pids[$name]}"; then
      failed=1
    fi
    unset "step_pids[$name]"
  done
  if [ $failed -ne 0 ]; then
    for name in "${!step_pids[@]}"; do
      wait "${step_pids[$name]}" || true
    done
    say "build failed; sources and logs kept in $work"
    exit 1
  fi
}
wait_all() {
  wait_for "${!step_pids[@]}"
}

export CC="$cc" CXX="$cxx"
export AR="$host-ar" RANLIB="$host-ranlib" STRIP="$host-strip" RC="$host-windres" WINDRES="$host-windres"
export CFLAGS="-O2 -msse2 -mfpmath=sse"
export CXXFLAGS="-O2 -msse2 -mfpmath=sse"
export CPPFLAGS="-I$prefix/include"
export LDFLAGS="-L$prefix/lib"
# Keep the build machine's own libraries out of every configure check.
export PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig"
export PKG_CONFIG_PATH=""
unset PKG_CONFIG_SYSROOT_DIR CONFIG_SITE || true

# ---------------------------------------------------------------------------------------------
# Sources

apt_dir="$work/apt"
apt_opts=(
  -o "Dir::Etc::SourceList=$apt_dir/sources.list"
  -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
  -o "Dir::State::Lists=$apt_dir/lists"
  -o "Dir::Cache=$apt_dir/cache"
  -o "Dir::Cache::pkgcache=$apt_dir/cache/pkgcache.bin"
  -o "Dir::Cache::srcpkgcache=$apt_dir/cache/srcpkgcache.bin"
  -o "Dir::State::status=/var/lib/dpkg/status"
  -o "APT::Sandbox::User=$(id -un)"
  -o "Acquire::Languages=none"
  -o "Debug::NoLocking=true"
)

# deb-src entry for the machine's primary Debian archive: the first "deb" stanza of
# debian.sources (all its suites), else the first "deb" line's URI in sources.list (all lines
# with that URI). The security archive is left out on purpose: its pool is not always
# reachable, and the same script should always pick the same source versions.
write_apt_sources() {
  mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
  : >"$apt_dir/sources.list"
  : >"$apt_dir/sources.list.d/debian-src.sources"
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    awk '
      BEGIN { RS = ""; FS = "\n" }
      done { next }
      {
        types = ""; enabled = "yes"; body = ""
        for (i = 1; i <= NF; i++) {
          line = $i
          if (line ~ /^#/) continue
          if (tolower(line) ~ /^types:/) { types = line; sub(/^[^:]*:/, "", types); continue }
          if (tolower(line) ~ /^enabled:/) { enabled = tolower(line); sub(/^[^:]*:[ \t]*/, "", enabled) }
          body = body line "\n"
        }
        if (enabled != "no" && (" " types " ") ~ /[ \t]deb[ \t]/) {
          printf "Types: deb-src\n%s", body
          done = 1
        }
      }' /etc/apt/sources.list.d/debian.sources >"$apt_dir/sources.list.d/debian-src.sources"
  fi
  if ! grep -q . "$apt_dir/sources.list.d/debian-src.sources" && [ -f /etc/apt/sources.list ]; then
    local re='^[[:space:]]*deb[[:space:]]+(\[[^]]*\][[:space:]]+)?([^[:space:]]+)[[:space:]]'
    local uri
    uri=$(sed -n -E "s|$re.*|\\2|p" /etc/apt/sources.list | head -n1)
    if [ -n "$uri" ]; then
      awk -v uri="$uri" '
        $1 == "deb" {
          u = ($2 ~ /^\[/) ? "" : $2
          if (u == "") for (i = 2; i <= NF; i++) if ($i ~ /\]$/) { u = $(i + 1); break }
          if (u == uri) { sub(/deb/, "deb-src"); print }
        }' /etc/apt/sources.list >"$apt_dir/sources.list"
    fi
  fi
  if ! grep -q . "$apt_dir/sources.list" "$apt_dir/sources.list.d/debian-src.sources"; then
    echo "no Debian archive found in /etc/apt/sources.list.d/debian.sources or /etc/apt/sources.list"
    return 1
  fi
  cat "$apt_dir/sources.list" "$apt_dir/sources.list.d/debian-src.sources"
}

source_packages=(zlib libpng1.6 libxml2 mpg123 id3lib3.8.3 cdparanoia)

fetch_sources() {
  apt-get "${apt_opts[@]}" update
  cd "$work/src"
  # A signature file missing upstream makes apt-get fail although the rest arrived, so the
  # .dsc files decide.
  apt-get "${apt_opts[@]}" source --download-only "${source_packages[@]}" || true
  local pkg dsc
  for pkg in "${source_packages[@]}"; do
    dsc=$(ls "${pkg}"_*.dsc 2>/dev/null | sort -V | tail -n1 || true)
    if [ -z "$dsc" ]; then
      echo "source package $pkg did not arrive"
      return 1
    fi
    rm -rf "$pkg"
    # apt already checked every file it fetched against the signed index; --no-check lets
    # dpkg-source get past the missing signature file.
    dpkg-source --no-check -x "$dsc" "$pkg"
    echo "$pkg $(sed -n 's/^Version: //p' "$dsc")" >>"$work/versions"
  done
}

# ---------------------------------------------------------------------------------------------
# Libraries

build_zlib() {
  cd "$work/src/zlib"
  CHOST=$host CFLAGS="$CFLAGS" ./configure --static --prefix="$prefix"
  make -j"$jobs" libz.a
  make install
}

build_libpng() {
  cd "$work/src/libpng1.6"
  ./configure --host=$host --prefix="$prefix" --disable-shared --enable-static
  make -j"$jobs"
  make install
}

build_libxml2() {
  cd "$work/src/libxml2"
  ./configure --host=$host --prefix="$prefix" --disable-shared --enable-static \
    --disable-maintainer-mode \
    --without-python --without-lzma --without-iconv --without-icu \
    --without-http --without-ftp --with-zlib="$prefix"
  make -j"$jobs"
  make install
}

build_mpg123() {
  cd "$work/src/mpg123"
  ./configure --host=$host --prefix="$prefix" --disable-shared --enable-static \
    --disable-modules --with-audio=dummy --disable-network
  make -j"$jobs"
  make install
}

build_id3lib() {
  cd "$work/src/id3lib3.8.3"
  # The shipped configure does not work for this host; regenerate the build system.
  libtoolize -fc
  aclocal
  autoconf
  automake --add-missing --copy
  # id3lib's mkstemp code path never closes the temporary file's descriptor, so on Windows
  # the file cannot replace the original and tags silently stay unwritten. Take the other path.
  ./configure --host=$host --prefix="$prefix" --disable-shared --enable-static \
    ac_cv_func_mkstemp=no CPPFLAGS="$CPPFLAGS -DID3LIB_LINKOPTION=1"
  make -j"$jobs"
  make install
}

# Only the jitter-correction part of cdparanoia builds for Windows; the drive-access
# functions it calls (cdda_read and friends) are provided by the player itself.
build_paranoia() {
  cd "$work/src/cdparanoia/paranoia"
  local flags=(-O2 -msse2 -mfpmath=sse -fsigned-char -include stdint.h -Dsigset_t=_sigset_t)
  local objs=() f
  for f in paranoia p_block overlap gap isort; do
    "$cc" "${flags[@]}" -c "$f.c" -o "$work/build/paranoia-$f.o"
    objs+=("$work/build/paranoia-$f.o")
  done
  mkdir -p "$prefix/lib" "$prefix/include"
  rm -f "$prefix/lib/libcdda_paranoia.a"
  "$host-ar" rcs "$prefix/lib/libcdda_paranoia.a" "${objs[@]}"
  # The installed interface header gets what the flags above supplied (int32_t, and the
  # struct member typed as MinGW's _sigset_t), so callers need no special flags.
  sed -e 's|^#include <signal.h>$|#include <signal.h>\n#include <stdint.h>|' \
      -e 's|^\([[:space:]]*\)sigset_t sigset;|\1_sigset_t sigset;|' \
      ../interface/cdda_interface.h >"$work/build/cdda_interface.h"
  grep -q '^#include <stdint.h>$' "$work/build/cdda_interface.h"
  grep -q '_sigset_t sigset;' "$work/build/cdda_interface.h"
  install -m 644 "$work/build/cdda_interface.h" cdda_paranoia.h "$prefix/include/"
}

build_googletest() {
  local b="$work/build/googletest"
  cmake -G "$cmake_generator" -S /usr/src/googletest -B "$b" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain_file" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DBUILD_GMOCK=ON -DBUILD_SHARED_LIBS=OFF
  cmake --build "$b" -j "$jobs"
  cmake --install "$b"
}

# ---------------------------------------------------------------------------------------------

started=$(date +%s)
say "building into $prefix ($jobs jobs, logs in $logs)"

say "fetching Debian sources"
step_bg apt-sources write_apt_sources
wait_all
step_bg sources fetch_sources
wait_all

# GoogleTest, mpg123 and paranoia need nothing else; the rest need zlib.
say "building zlib, mpg123, paranoia, googletest"
step_bg zlib build_zlib
step_bg googletest build_googletest
step_bg mpg123 build_mpg123
step_bg paranoia build_paranoia
wait_for zlib
say "building libpng, libxml2, id3lib"
step_bg libpng build_libpng
step_bg libxml2 build_libxml2
step_bg id3lib build_id3lib
wait_all

cp "$work/versions" "$prefix/.versions"
mkdir -p "$prefix/.logs"
cp -p "$logs"/*.log "$prefix/.logs/"
rm -rf "$work"
touch "$prefix/.complete"
say "done in $(( $(date +%s) - started )) s"
echo "$prefix"
