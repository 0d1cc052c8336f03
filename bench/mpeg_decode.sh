#!/usr/bin/env bash
# Speed of the MPEG decoder against Debian's mpg123 on the same file.
#   bench/mpeg_decode.sh [BUILD_DIR] [RUNS]
# BUILD_DIR defaults to $ZEL_BUILD_DIR, else the folder of the build this
# machine runs (build/, or build-x86_64/ where 32-bit code cannot run); build it first
# (tools/build.sh BUILD_DIR). Makes a four-minute MPEG-1 layer III file at
# 192 kbit/s once (sox, lame) into BUILD_DIR/bench, decodes it RUNS times
# (default 11) with the decoder's driver under Wine, pushing 1024-byte pieces
# and taking 16-bit PCM as the MPEG input does (timed inside the program, so
# Wine's start-up does not count), and RUNS times with `mpg123 -t`, and
# compares the best times. The last line is the speed ratio: mpg123's time
# divided by the decoder's (1.0: as fast; the target is at least 0.9).
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$repo/tools/arch.sh"
build=$(readlink -m "${1:-${ZEL_BUILD_DIR:-$(zel_default_build_dir "$repo" "$(zel_run_arch)")}}")
runs=${2:-11}
driver="$build/bench/mpeg_decode_bench.exe"
if [ ! -f "$driver" ]; then
  echo "mpeg_decode: $driver is missing; build first: tools/build.sh $build" >&2
  exit 1
fi
for tool in sox lame mpg123 wine; do
  command -v "$tool" >/dev/null || { echo "mpeg_decode: $tool is missing" >&2; exit 1; }
done

. "$repo/bench/long_mp3.sh"
file=$(bench_long_mp3 "$build")

export ZEL_BUILD_DIR="$build"
. "$repo/tools/wine_env.sh"
trap zel_wine_stop EXIT
zel_wine_start

# Warm the page cache and the programs once, then measure.
wine "$driver" "$file" 1 </dev/null >/dev/null 2>&1 || true
mpg123 -q -t "$file" </dev/null >/dev/null 2>&1
decoder_line=$(wine "$driver" "$file" "$runs" </dev/null 2>/dev/null | tr -d '\r' | grep '^seconds' | tail -n1)
if [ -z "$decoder_line" ]; then
  echo "mpeg_decode: the driver failed" >&2
  exit 1
fi
decoder_seconds=$(awk '{print $2}' <<<"$decoder_line")
decoder_frames=$(awk '{print $4}' <<<"$decoder_line")

mpg123_seconds=
for _ in $(seq "$runs"); do
  t0=$(date +%s.%N)
  mpg123 -q -t "$file" </dev/null >/dev/null 2>&1
  t1=$(date +%s.%N)
  mpg123_seconds=$(awk -v a="$t0" -v b="$t1" -v best="$mpg123_seconds" \
    'BEGIN { t = b - a; if (best == "" || t < best) best = t; printf "%.6f", best }')
done

echo "file: $file ($decoder_frames frames)"
echo "decoder (16-bit, 1024-byte pushes, best of $runs): $decoder_seconds s"
echo "mpg123 -t (best of $runs): $mpg123_seconds s"
awk -v d="$decoder_seconds" -v m="$mpg123_seconds" \
  'BEGIN { printf "speed ratio (mpg123 -t time / decoder time): %.3f\n", m / d }'
