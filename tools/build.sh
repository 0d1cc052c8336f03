#!/usr/bin/env bash
# Builds everything: machine packages (when missing), the cross-built
# dependencies (cached), then the project into BUILD_DIR.
#   tools/build.sh [--arch i686|x86_64] [--no-tests] [BUILD_DIR]
# The default architecture is i686 (the shipped program); the default folder
# is build/ for i686 and build-x86_64/ for x86_64. ZEL_JOBS caps the parallel
# jobs (default: the number of cores). Compiles go through ccache when it is
# installed, with its cache outside the checkout (ZEL_CCACHE_DIR, default
# /var/cache/zel-ccache), so a fresh clone recompiles little.
# The last line on stdout is the build folder.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$repo/tools/arch.sh"

arch=i686 tests=ON
while [ $# -gt 0 ]; do
  case "$1" in
    --arch) arch=${2:-}; shift 2 ;;
    --no-tests) tests=OFF; shift ;;
    -*) echo "usage: tools/build.sh [--arch i686|x86_64] [--no-tests] [BUILD_DIR]" >&2; exit 2 ;;
    *) break ;;
  esac
done
case "$arch" in
  i686|x86_64) ;;
  *) echo "build: unknown architecture '$arch' (i686 or x86_64)" >&2; exit 2 ;;
esac
build_dir=$(readlink -m "${1:-$(zel_default_build_dir "$repo" "$arch")}")
jobs=${ZEL_JOBS:-$(nproc)}

"$repo/tools/setup_machine.sh"
deps=$("$repo/tools/build_deps.sh" --arch "$arch" | tail -n1)

launcher=()
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_DIR=${ZEL_CCACHE_DIR:-/var/cache/zel-ccache}
  if mkdir -p "$CCACHE_DIR" 2>/dev/null && [ -w "$CCACHE_DIR" ]; then
    # Paths inside the checkout are hashed relative to it, so clones share hits.
    export CCACHE_BASEDIR="$repo" CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-5G} CCACHE_COMPILERCHECK=content
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
fi

cmake -S "$repo" -B "$build_dir" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-$arch-mingw.cmake" \
  -DZEL_DEPS_PREFIX="$deps" -DZEL_BUILD_TESTS="$tests" "${launcher[@]}" >&2
cmake --build "$build_dir" -j "$jobs" >&2
echo "$build_dir"
