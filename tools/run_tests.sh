#!/usr/bin/env bash
# Builds everything and runs every test under Wine (Korean locale, KST, an
# ALSA null sound device, Xvfb for windows).
#   tools/run_tests.sh [ctest arguments...]
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ZEL_BUILD_DIR=$("$repo/tools/build.sh" "${ZEL_BUILD_DIR:-$repo/build}" | tail -n1)
export ZEL_BUILD_DIR
. "$repo/tools/wine_env.sh"

cleanup() {
  zel_wine_stop
  zel_xvfb_stop
}
trap cleanup EXIT
zel_xvfb_start
zel_wine_start

cd "$ZEL_BUILD_DIR"
ctest --output-on-failure -j "$(nproc)" --timeout 400 "$@"
