#!/usr/bin/env bash
# Loading a large playlist: a generated M3U of ENTRIES lines (default
# 100,000 addresses of the kind a store's channel lists) is loaded into a
# playlist of the music player the way the user interface loads one
# (core::add_file, then playlist::add), against a plain line-by-line read of
# the same file (fgets in text mode, the C library's own line reading; the
# readers cut the lines themselves, as it would). Both run under Wine inside
# one program (timed there, so Wine's start-up does not count), best of RUNS
# (default 3). The memory the load took is the growth of the program's
# committed private memory, kept and at its peak, compared with the file's
# size.
#   bench/playlist_load.sh [BUILD_DIR] [ENTRIES] [RUNS]
# BUILD_DIR defaults to $ZEL_BUILD_DIR, else the folder of the build this
# machine runs (build/, or build-x86_64/ where 32-bit code cannot run); build
# it first (tools/build.sh BUILD_DIR). The last line gives the entries per second of
# the load and of the read, and their ratio.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$repo/tools/arch.sh"
build=$(readlink -m "${1:-${ZEL_BUILD_DIR:-$(zel_default_build_dir "$repo" "$(zel_run_arch)")}}")
entries=${2:-100000}
runs=${3:-3}
folder="$build/tests/playlist_folder"
driver="$folder/playlist_load_bench.exe"
if [ ! -f "$driver" ]; then
  echo "playlist_load: $driver is missing; build first: tools/build.sh $build" >&2
  exit 1
fi

work=$(mktemp -d)
python3 - "$work/channel.m3u" "$entries" <<'PY'
import sys
path, count = sys.argv[1], int(sys.argv[2])
with open(path, "w", newline="\r\n") as f:
    f.write("#EXTM3U\n")
    for i in range(count):
        f.write("#EXTINF:%d,Artist %d - Title %d\n" % (180 + i % 120, i % 997, i))
        f.write("http://music.example/channel/%06d/track_%06d.mp3\n" % (i // 1000, i))
PY

export ZEL_BUILD_DIR="$build"
. "$repo/tools/wine_env.sh"
trap 'zel_wine_stop; rm -rf "$work"' EXIT
zel_wine_start

# Wine's Z: drive is the Linux root.
dos_path() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }
cd "$folder"
out=$(wine "$driver" "$(dos_path "$work/channel.m3u")" "$runs" </dev/null 2>/dev/null | tr -d '\r')
read_line=$(grep '^read_seconds' <<<"$out" | tail -n1 || true)
load_line=$(grep '^load_seconds' <<<"$out" | tail -n1 || true)
if [ -z "$read_line" ] || [ -z "$load_line" ]; then
  echo "playlist_load: the driver failed" >&2
  exit 1
fi
grep '^parts of the load' <<<"$out" | tail -n1 || true
echo "$read_line"
echo "$load_line"
awk -v r="$read_line" -v l="$load_line" 'BEGIN {
  split(r, a, " "); split(l, b, " ");
  read_s = a[2]; load_s = b[2]; n = b[4]; kept = b[6]; peak = b[8]; size = b[10];
  if (n + 0 == 0 || read_s + 0 == 0 || load_s + 0 == 0) { print "playlist_load: nothing loaded"; exit 1 }
  printf "memory: %.1f MB kept and %.1f MB at the peak for a file of %.1f MB (%.1f and %.1f times its size)\n",
         kept / 1e6, peak / 1e6, size / 1e6, kept / size, peak / size;
  printf "playlist load: %.0f entries/s (%d entries in %.3f s) against a plain read at %.0f entries/s: %.1f times the read\n",
         n / load_s, n, load_s, n / read_s, load_s / read_s
}'
