#!/usr/bin/env bash
# The real client against the service's stand-in for several rounds of a
# channel (channel_rounds.py), in a Wine prefix of its own: the client
# stores credentials and settings in its prefix, which must not reach the
# other tests' shared one. The prefix is made on first use and kept in the
# build folder; one run at a time; its server is stopped at the end.
#   channel_rounds.sh BUILD_DIR
set -uo pipefail
build=$1
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export ZEL_BUILD_DIR="$build"
. "$repo/tools/wine_env.sh"
dir="$build/tests/host/channel_rounds_wine"
mkdir -p "$dir"
export WINEPREFIX="$dir/prefix"
exec 9>"$dir/lock"
flock 9
zel_wine_start 9>&- || exit 1
own_display=0
if [ -z "${DISPLAY:-}" ]; then
  zel_xvfb_start 9>&- || exit 1
  own_display=1
fi
timeout --signal=KILL 300 python3 "$repo/tests/host/channel_rounds.py" "$build" 9>&-
status=$?
wineserver -k </dev/null >/dev/null 2>&1 9>&- || true
wineserver -w </dev/null >/dev/null 2>&1 9>&- || true
[ "$own_display" = 1 ] && zel_xvfb_stop
exit $status
