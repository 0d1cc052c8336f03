#!/usr/bin/env bash
# Builds everything: machine packages (when missing), the cross-built
# dependencies (cached), then the project into BUILD_DIR (default: build/).
#   tools/build.sh [BUILD_DIR]
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=$(readlink -m "${1:-$repo/build}")

"$repo/tools/setup_machine.sh"
deps=$("$repo/tools/build_deps.sh" | tail -n1)

cmake -S "$repo" -B "$build_dir" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-i686-mingw.cmake" \
  -DZEL_DEPS_PREFIX="$deps" >&2
cmake --build "$build_dir" -j "$(nproc)" >&2
echo "$build_dir"
