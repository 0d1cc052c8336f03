#!/usr/bin/env bash
# Builds everything and runs the player host under Wine.
#   tools/run_player.sh [player arguments...]   e.g. /quit-after=5000
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
if [ -z "${DISPLAY:-}" ]; then
  zel_xvfb_start
fi
zel_wine_start

cd "$ZEL_BUILD_DIR/bin"
set +e
wine zel_player.exe "$@"
status=$?
set -e
echo "zel_player.exe exited with $status" >&2
exit $status
