#!/usr/bin/env bash
# Runs one end-to-end script of the real client (SCRIPT.py in this folder,
# given BUILD_DIR and ARGS) in a Wine prefix of its own, NAME: the client
# stores credentials and settings in its prefix, which must not reach the
# other tests' shared one. The prefix is made on first use and kept in the
# build folder; one run at a time per prefix; its server is stopped at the end.
#   client_prefix.sh BUILD_DIR NAME SCRIPT.py SECONDS [ARGS...]
set -uo pipefail
build=$1
name=$2
script=$3
bound=$4
shift 4
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../.." && pwd)
export ZEL_BUILD_DIR="$build"
. "$repo/tools/wine_env.sh"
dir="$build/tests/host/${name}_wine"
mkdir -p "$dir"
export WINEPREFIX="$dir/prefix"
exec 9>"$dir/lock"
flock 9
# The display first: Wine's desktop process, started with Wine, takes the
# display it finds then.
own_display=0
if [ -z "${DISPLAY:-}" ]; then
  zel_xvfb_start 9>&- || exit 1
  own_display=1
fi
zel_wine_start 9>&- || exit 1
timeout --signal=KILL "$bound" python3 "$here/$script" "$build" "$@" 9>&-
status=$?
wineserver -k </dev/null >/dev/null 2>&1 9>&- || true
wineserver -w </dev/null >/dev/null 2>&1 9>&- || true
[ "$own_display" = 1 ] && zel_xvfb_stop
exit $status
