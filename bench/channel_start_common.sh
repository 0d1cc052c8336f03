# The start-to-first-audio benchmarks' common part, sourced by
# channel_start_cached.sh and channel_start_cold.sh with $mode and $repo set
# and their arguments in "$@".
set -euo pipefail
. "$repo/tools/arch.sh"
build=$(readlink -m "${1:-${ZEL_BUILD_DIR:-$(zel_default_build_dir "$repo" "$(zel_run_arch)")}}")
runs=${2:-5}
name="channel_start_$mode"
if [ ! -f "$build/bin/zel_player.exe" ]; then
  echo "$name: $build/bin/zel_player.exe is missing; build first: tools/build.sh $build" >&2
  exit 1
fi
for tool in sox lame wine python3; do
  command -v "$tool" >/dev/null || { echo "$name: $tool is missing" >&2; exit 1; }
done

export ZEL_BUILD_DIR="$build"
. "$repo/tools/wine_env.sh"
trap 'zel_wine_stop; zel_xvfb_stop' EXIT
zel_xvfb_start
zel_wine_start

out=$(python3 "$repo/bench/channel_start.py" "$build" "$mode" "$runs")
echo "$out" | grep -v '^best'
line=$(echo "$out" | grep '^best' | tail -n1)
if [ -z "$line" ]; then
  echo "$name: no figure" >&2
  exit 1
fi
player=$(awk '{print $2}' <<<"$line")
reference=$(awk '{print $4}' <<<"$line")
awk -v p="$player" -v r="$reference" -v n="$runs" -v mode="$mode" 'BEGIN {
  printf "start to first decoded audio, %s channel (best of %d): %.3f s; the track alone (no user interface, login or service): %.3f s; the start-up, login and channel add %.3f s\n", mode, n, p, r, p - r }'
