#!/usr/bin/env bash
# The real client's time from its start to the first decoded audio of a
# channel whose track cache is empty, so that the first track comes from the loopback service.
#   bench/channel_start_cold.sh [BUILD_DIR] [RUNS]
# BUILD_DIR defaults to $ZEL_BUILD_DIR, else the folder of the build this
# machine runs (build/, or build-x86_64/ where 32-bit code cannot run); build it
# first (tools/build.sh BUILD_DIR). zel_player.exe starts under Wine on a
# virtual display against the service's stand-in serving the demonstration
# store (tools/demo_store.py), logs in with its stored credentials, fetches
# the channel and plays into the WAV-file output; the time runs from starting
# the program to the first bytes of sound in that file (bench/channel_start.py).
# The reference in the same run: the same program given the channel's first
# track as a file, which it plays without the user interface, login or
# service; the difference is what the start-up, the login and the channel
# add. Best of RUNS (default 5) each. The last line gives both times.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$repo/tools/arch.sh"
build=$(readlink -m "${1:-${ZEL_BUILD_DIR:-$(zel_default_build_dir "$repo" "$(zel_run_arch)")}}")
runs=${2:-5}
if [ ! -f "$build/bin/zel_player.exe" ]; then
  echo "channel_start_cold: $build/bin/zel_player.exe is missing; build first: tools/build.sh $build" >&2
  exit 1
fi
for tool in sox lame wine python3; do
  command -v "$tool" >/dev/null || { echo "channel_start_cold: $tool is missing" >&2; exit 1; }
done

export ZEL_BUILD_DIR="$build"
. "$repo/tools/wine_env.sh"
trap 'zel_wine_stop; zel_xvfb_stop' EXIT
zel_xvfb_start
zel_wine_start

out=$(python3 "$repo/bench/channel_start.py" "$build" cold "$runs")
echo "$out" | grep -v '^best'
line=$(echo "$out" | grep '^best' | tail -n1)
if [ -z "$line" ]; then
  echo "channel_start_cold: no figure" >&2
  exit 1
fi
player=$(awk '{print $2}' <<<"$line")
reference=$(awk '{print $4}' <<<"$line")
awk -v p="$player" -v r="$reference" -v n="$runs" -v mode="cold" 'BEGIN {
  printf "start to first decoded audio, %s channel (best of %d): %.3f s; the track alone (no user interface, login or service): %.3f s; the start-up, login and channel add %.3f s\n", mode, n, p, r, p - r }'
