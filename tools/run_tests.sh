#!/usr/bin/env bash
# Builds everything and runs every test under Wine (Korean locale, KST, an
# ALSA null sound device, Xvfb for windows).
#   tools/run_tests.sh [ctest arguments...]
# The tests run on the 32-bit build (build/) where this machine can execute
# 32-bit programs, else on the 64-bit build (build-x86_64/) under 64-bit Wine;
# ZEL_TEST_ARCH=i686|x86_64 forces either. The other architecture is compiled
# too, tests included but not run, so that neither build rots: code that
# compiles for one only (a lambda passed as a __stdcall callback builds for
# x86_64 and fails for i686) stops the run (ZEL_SKIP_OTHER_BUILD=1 leaves it
# out). ZEL_BUILD_DIR moves the tested build's folder. Tests that
# fail are run once more, alone, and named (ZEL_RERUN_FAILED=0: not rerun).
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$repo/tools/arch.sh"

"$repo/tools/setup_machine.sh"
arch=$(zel_run_arch)
if [ "$arch" = x86_64 ]; then
  if zel_can_run_32bit; then why="ZEL_TEST_ARCH=x86_64"; else why="this machine cannot run 32-bit programs"; fi
  echo "run_tests: $why: testing the 64-bit build (x86_64) under 64-bit Wine" >&2
fi
other=x86_64
[ "$arch" = i686 ] || other=i686

ZEL_BUILD_DIR=$("$repo/tools/build.sh" --arch "$arch" "${ZEL_BUILD_DIR:-$(zel_default_build_dir "$repo" "$arch")}" | tail -n1)
export ZEL_BUILD_DIR
if [ "${ZEL_SKIP_OTHER_BUILD:-0}" != 1 ]; then
  echo "run_tests: compiling the $other build with its tests (not run) as well" >&2
  "$repo/tools/build.sh" --arch "$other" >/dev/null
fi
. "$repo/tools/wine_env.sh"

cleanup() {
  zel_wine_stop
  zel_xvfb_stop
}
trap cleanup EXIT
zel_xvfb_start
zel_wine_start
zel_wine_keep_desktop

cd "$ZEL_BUILD_DIR"
failed_log=Testing/Temporary/LastTestsFailed.log
rm -f "$failed_log"
status=0
ctest --output-on-failure -j "${ZEL_JOBS:-$(nproc)}" --timeout 400 "$@" || status=$?
# Window tests share one X display and the machine with many others; one
# that failed is run once more, alone, and the run says so. A real fault
# fails again. ZEL_RERUN_FAILED=0 turns this off.
if [ "$status" -ne 0 ] && [ "${ZEL_RERUN_FAILED:-1}" = 1 ] && [ -s "$failed_log" ]; then
  failed=$(cut -d: -f2- "$failed_log" | tr '\n' ' ')
  echo "run_tests: running once more, alone, the tests that failed: $failed" >&2
  if ctest --output-on-failure -j 1 --timeout 400 --rerun-failed; then
    echo "run_tests: WARNING: these tests failed at first and passed alone: $failed" >&2
    status=0
  fi
fi
exit "$status"
