#!/usr/bin/env bash
# Builds everything: machine packages (when missing), the cross-built
# dependencies (cached), then the project into BUILD_DIR.
#   tools/build.sh [--arch i686|x86_64] [--no-tests] [BUILD_DIR]
# The default architecture is i686 (the shipped program); the default folder
# is build/ for i686 and build-x86_64/ for x86_64. ZEL_JOBS caps the parallel
# jobs (default: the number of cores). Compiles go through ccache when it is
# installed, with its cache outside the checkout (ZEL_CCACHE_DIR, default
# /var/cache/zel-ccache), so a fresh clone recompiles little.
# The compiler's output is kept in BUILD_DIR/build.log; the terminal shows
# the progress. The last line on stdout is the build folder.
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

# The compiler's output goes to build.log in the build folder; the terminal
# gets the progress in steps of a tenth, and the first errors when it fails.
mkdir -p "$build_dir"
log="$build_dir/build.log"
: >"$log"
failed() {
  echo "build: the $arch build failed; its whole output is in $log" >&2
  grep -m 20 -E 'error|Error|FAILED' "$log" >&2 || true
  exit 1
}
what="tests included"
[ "$tests" = ON ] || what="no tests"
echo "build: $arch ($what) in $build_dir" >&2
cmake -S "$repo" -B "$build_dir" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-$arch-mingw.cmake" \
  -DZEL_DEPS_PREFIX="$deps" -DZEL_BUILD_TESTS="$tests" "${launcher[@]}" >>"$log" 2>&1 || failed
status=0
cmake --build "$build_dir" -j "$jobs" 2>&1 | tee -a "$log" | awk -v arch="$arch" '
  match($0, /^\[[0-9]+\/[0-9]+\]/) {
    split(substr($0, 2, RLENGTH - 2), n, "/")
    tenth = int(n[1] * 10 / n[2])
    if (tenth > shown) { shown = tenth; printf "build: %s %d%% (%d of %d steps)\n", arch, tenth * 10, n[1], n[2]; fflush() }
  }' >&2 || status=$?
[ "$status" = 0 ] || failed
warnings=$(grep -c 'warning:' "$log" || true)
[ "$warnings" = 0 ] || echo "build: $warnings compiler warnings, see $log" >&2
echo "$build_dir"
