#!/usr/bin/env bash
# The track cache's download rate limit against the loopback stand-in server
# (tools/service_stand_in.py): one save-reader download of a 2,000,000-byte
# file with the limit on (LIMIT bytes per second, default 500000) and one with
# it off, each timed inside the driver (Wine's start-up does not count).
#   bench/track_cache_rate.sh [BUILD_DIR] [LIMIT]
# BUILD_DIR defaults to $ZEL_BUILD_DIR, else the folder of the build this
# machine runs (build/, or build-x86_64/ where 32-bit code cannot run); build it first
# (tools/build.sh BUILD_DIR). The last line gives both rates in bytes per
# second.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$repo/tools/arch.sh"
build=$(readlink -m "${1:-${ZEL_BUILD_DIR:-$(zel_default_build_dir "$repo" "$(zel_run_arch)")}}")
limit=${2:-500000}
driver="$build/bench/track_cache_rate_bench.exe"
if [ ! -f "$driver" ]; then
  echo "track_cache_rate: $driver is missing; build first: tools/build.sh $build" >&2
  exit 1
fi

work=$(mktemp -d)
state="$work/state"
mkdir -p "$state"
python3 -c "import os,sys; open(sys.argv[1],'wb').write(os.urandom(2000000))" "$work/track.bin"
printf '[{"kind":"body","file":"%s"}]' "$work/track.bin" >"$state/replies.json"
python3 "$repo/tools/service_stand_in.py" --state "$state" --max-seconds 300 &
server=$!

export ZEL_BUILD_DIR="$build"
. "$repo/tools/wine_env.sh"
cleanup() {
  touch "$state/stop"
  wait "$server" 2>/dev/null || true
  zel_wine_stop
  rm -rf "$work"
}
trap cleanup EXIT
zel_wine_start
# The driver links zel_core.dll, which lies in the modules' folder.
WINEPATH=$(winepath -w "$build/bin")
export WINEPATH

for _ in $(seq 100); do [ -s "$state/port" ] && break; sleep 0.1; done
port=$(tr -d '\n' <"$state/port")
root=$(winepath -w "$work/cache" 2>/dev/null)

run() {
  wine "$driver" "127.0.0.1:$port" "$1" "$root" </dev/null 2>/dev/null | tr -d '\r' | grep '^bytes_per_second' | tail -n1
}
limited=$(run "$limit")
unlimited=$(run 0)
if [ -z "$limited" ] || [ -z "$unlimited" ]; then
  echo "track_cache_rate: the driver failed" >&2
  exit 1
fi
echo "limit $limit B/s: $limited"
echo "no limit: $unlimited"
echo "download rate: $(awk '{print $2}' <<<"$limited") B/s with the limit of $limit B/s, $(awk '{print $2}' <<<"$unlimited") B/s without"
