#!/usr/bin/env bash
# Loading the per-user settings file with many keys in one section: a file of
# KEYS keys (default 10,000 and 40,000) is loaded by the settings store and
# its last key read, best of RUNS (default 3), timed inside the program so
# that Wine's start-up does not count. The load should grow with the keys,
# not with their square: the last line gives the time per key of each size.
#   bench/settings_load.sh [BUILD_DIR] [RUNS] [KEYS...]
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$repo/tools/arch.sh"
build=$(readlink -m "${1:-${ZEL_BUILD_DIR:-$(zel_default_build_dir "$repo" "$(zel_run_arch)")}}")
runs=${2:-3}
shift $(( $# > 2 ? 2 : $# ))
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(10000 40000)
driver="$build/bin/settings_load_bench.exe"
if [ ! -f "$driver" ]; then
  echo "settings_load: $driver is missing; build first: tools/build.sh $build" >&2
  exit 1
fi
work=$(mktemp -d)
export ZEL_BUILD_DIR="$build"
. "$repo/tools/wine_env.sh"
trap 'zel_wine_stop; rm -rf "$work"' EXIT
zel_wine_start
summary=""
for keys in "${sizes[@]}"; do
  out=$(wine "$driver" "Z:${work//\//\\}\\zel_player.xml" "$keys" "$runs" </dev/null 2>/dev/null | tr -d '\r')
  line=$(grep '^load_seconds' <<<"$out" | tail -n1 || true)
  [ -n "$line" ] || { echo "settings_load: the driver failed at $keys keys" >&2; exit 1; }
  echo "$line"
  summary+=$(awk '{ printf "%d keys: %.1f us per key; ", $4, $2 / $4 * 1e6 }' <<<"$line")
done
echo "settings load: $summary"
