#!/usr/bin/env bash
# Decode-and-play speed of a local MP3 through the player's chain against
# Debian's mpg123 writing the same WAV.
#   bench/mpeg_play.sh [BUILD_DIR] [RUNS]
# BUILD_DIR defaults to $ZEL_BUILD_DIR, else the folder of the build this
# machine runs (build/, or build-x86_64/ where 32-bit code cannot run); build it first
# (tools/build.sh BUILD_DIR). Uses the four-minute 192 kbit/s file of
# bench/mpeg_decode.sh (made once into BUILD_DIR/bench with sox and lame when
# missing). The player's side runs under Wine: the file stream and the MPEG
# input of zel_in_std inside a playback engine's thread, into zel_output's
# WAV-file output with its clock off (timed inside the program, so Wine's
# start-up does not count). Debian's side is `mpg123 -w`. Both take the best
# of RUNS (default 5). The stream and input alone (no engine, no output) are
# timed as well and compared on the line before the last. The last line is
# the speed ratio of the whole chain: mpg123's time divided by the player's
# (1.0: as fast).
#
# The WAV output with its clock off takes every block at once, so the
# playback thread hands it the next block without waiting: the chain runs as
# fast as the file decodes.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$repo/tools/arch.sh"
build=$(readlink -m "${1:-${ZEL_BUILD_DIR:-$(zel_default_build_dir "$repo" "$(zel_run_arch)")}}")
runs=${2:-5}
folder="$build/tests/mpeg_play_folder"
driver="$folder/mpeg_play_bench.exe"
if [ ! -f "$driver" ]; then
  echo "mpeg_play: $driver is missing; build first: tools/build.sh $build" >&2
  exit 1
fi
for tool in sox lame mpg123 wine; do
  command -v "$tool" >/dev/null || { echo "mpeg_play: $tool is missing" >&2; exit 1; }
done

. "$repo/bench/long_mp3.sh"
file=$(bench_long_mp3 "$build")
work=$(mktemp -d)

export ZEL_BUILD_DIR="$build"
. "$repo/tools/wine_env.sh"
trap 'zel_wine_stop; rm -rf "$work"' EXIT
zel_wine_start

cd "$folder"
win_file=$(winepath -w "$file" 2>/dev/null)
win_out=$(winepath -w "$work/zel.wav" 2>/dev/null)
wine "$driver" "$win_file" "$win_out" 1 </dev/null >/dev/null 2>&1 || true  # warm up
rm -f "$work"/zel*.wav
driver_out=$(wine "$driver" "$win_file" "$win_out" "$runs" </dev/null 2>/dev/null | tr -d '\r')
player_line=$(grep '^seconds' <<<"$driver_out" | tail -n1 || true)
input_line=$(grep '^input seconds' <<<"$driver_out" | tail -n1 || true)
if [ -z "$player_line" ] || [ -z "$input_line" ]; then
  echo "mpeg_play: the driver failed" >&2
  exit 1
fi
player_seconds=$(awk '{print $2}' <<<"$player_line")
player_bytes=$(awk '{print $4}' <<<"$player_line")
input_seconds=$(awk '{print $3}' <<<"$input_line")

mpg123 -q -w "$work/mpg123.wav" "$file" </dev/null >/dev/null 2>&1  # warm up
mpg123_seconds=
for _ in $(seq "$runs"); do
  t0=$(date +%s.%N)
  mpg123 -q -w "$work/mpg123.wav" "$file" </dev/null >/dev/null 2>&1
  t1=$(date +%s.%N)
  mpg123_seconds=$(awk -v a="$t0" -v b="$t1" -v best="$mpg123_seconds" \
    'BEGIN { t = b - a; if (best == "" || t < best) best = t; printf "%.6f", best }')
done
mpg123_bytes=$(( $(stat -c %s "$work/mpg123.wav") - 44 ))

echo "file: $file"
echo "player (stream, input, engine, WAV output; best of $runs): $player_seconds s, $player_bytes PCM bytes"
echo "stream and input alone (best of $runs): $input_seconds s"
echo "mpg123 -w (best of $runs): $mpg123_seconds s, $mpg123_bytes PCM bytes"
awk -v p="$input_seconds" -v m="$mpg123_seconds" \
  'BEGIN { printf "stream and input alone (mpg123 -w time / their time): %.3f\n", m / p }'
awk -v p="$player_seconds" -v m="$mpg123_seconds" \
  'BEGIN { printf "speed ratio (mpg123 -w time / player time): %.3f\n", m / p }'
