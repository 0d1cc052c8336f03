#!/usr/bin/env bash
# Scanning a large music folder: a generated folder of FILES MP3 files
# (default 5,000; each an ID3v2 tag with title, artist and album before a few
# silent MPEG frames) is scanned the way the music folders page scans a
# folder (the folder-scan extension list, the sorted file listing, then each
# file expanded into an entry with its tags read), against a plain directory
# walk of the same folder. Both run under Wine inside one program (timed
# there, so Wine's start-up does not count), best of RUNS (default 3).
#   bench/library_scan.sh [BUILD_DIR] [FILES] [RUNS]
# BUILD_DIR defaults to $ZEL_BUILD_DIR, else the folder of the build this
# machine runs; build it first (tools/build.sh BUILD_DIR). The last line gives
# the files per second of the scan and of the walk, and their ratio.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$repo/tools/arch.sh"
build=$(readlink -m "${1:-${ZEL_BUILD_DIR:-$(zel_default_build_dir "$repo" "$(zel_run_arch)")}}")
count=${2:-5000}
runs=${3:-3}
folder="$build/tests/mpeg_tag_folder"
driver="$folder/library_scan_bench.exe"
if [ ! -f "$driver" ]; then
  echo "library_scan: $driver is missing; build first: tools/build.sh $build" >&2
  exit 1
fi

work=$(mktemp -d)
python3 - "$work/music" "$count" <<'PY'
import os, struct, sys
folder, count = sys.argv[1], int(sys.argv[2])
os.makedirs(folder)
def frame(fid, text):
    body = b"\x01" + text.encode("utf-16")
    return fid.encode() + struct.pack(">I", len(body)) + b"\0\0" + body
def syncsafe(n):
    return bytes([(n >> 21) & 127, (n >> 14) & 127, (n >> 7) & 127, n & 127])
# MPEG-1 layer III, 128 kbit/s, 44.1 kHz: 417-byte frames of silence.
mpeg = (b"\xff\xfb\x90\x00" + b"\0" * 413) * 8
for i in range(count):
    frames = frame("TIT2", "곡 %05d" % i) + frame("TPE1", "가수 %d" % (i % 97)) + frame("TALB", "음반 %d" % (i % 31))
    tag = b"ID3\x03\0\0" + syncsafe(len(frames)) + frames
    with open(os.path.join(folder, "track%05d.mp3" % i), "wb") as f:
        f.write(tag + mpeg)
PY

export ZEL_BUILD_DIR="$build"
. "$repo/tools/wine_env.sh"
trap 'zel_wine_stop; rm -rf "$work"' EXIT
zel_wine_start

dos_path() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }
cd "$folder"
out=$(wine "$driver" "$(dos_path "$work/music")" "$runs" </dev/null 2>/dev/null | tr -d '\r')
walk_line=$(grep '^walk_seconds' <<<"$out" | tail -n1 || true)
scan_line=$(grep '^scan_seconds' <<<"$out" | tail -n1 || true)
if [ -z "$walk_line" ] || [ -z "$scan_line" ]; then
  echo "library_scan: the driver failed" >&2
  exit 1
fi
echo "$walk_line"
echo "$scan_line"
awk -v w="$walk_line" -v s="$scan_line" 'BEGIN {
  split(w, a, " "); split(s, b, " ");
  walk_s = a[2]; walked = a[4]; scan_s = b[2]; n = b[4]; entries = b[6]; titled = b[8];
  if (n + 0 == 0 || walk_s + 0 == 0 || scan_s + 0 == 0) { print "library_scan: nothing scanned"; exit 1 }
  printf "library scan: %.0f files/s (%d files, %d entries, %d with titles, in %.3f s) against a plain walk at %.0f files/s: %.1f times the walk\n",
         n / scan_s, n, entries, titled, scan_s, walked / walk_s, scan_s / walk_s
}'
