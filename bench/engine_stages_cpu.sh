#!/usr/bin/env bash
# CPU cost of the processing stages (volume normalizer, replay gain,
# equalizer), alone and inside the playback engine, per second of 44.1 kHz
# 16-bit stereo audio.
#   bench/engine_stages_cpu.sh [BUILD_DIR] [SECONDS] [SPEED]
# BUILD_DIR defaults to $ZEL_BUILD_DIR, else the folder of the build this
# machine runs (build/, or build-x86_64/ where 32-bit code cannot run); build it first
# (tools/build.sh BUILD_DIR). The driver (engine_stages_cpu_bench.exe in the
# engine test folder) passes SECONDS (default 300) of a music-like signal
# through the three stages alone, then plays SECONDS of the synth input's
# sine through one engine of the music player into the capture output, whose
# clock runs SPEED (default 20) times real time, once with every stage off
# and once with all of them on. It also reads the synth input alone: that
# test input makes its sine with a sin call per sample, which costs more than
# the engine itself (and more than decoding an MP3 file), so it is subtracted
# from the engine runs. Before that, each stage's share is printed
# (normalizer, replay gain, equalizer, fades, conversion). Times are measured
# inside the program (Wine's start-up does not count). The line before the
# last is the whole process with all stages on; the last line is the engine's
# CPU time less its input with all stages on, in percent of one core per
# second of audio (target: under 1 %).
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$repo/tools/arch.sh"
build=$(readlink -m "${1:-${ZEL_BUILD_DIR:-$(zel_default_build_dir "$repo" "$(zel_run_arch)")}}")
seconds=${2:-300}
speed=${3:-20}
folder="$build/tests/engine_folder"
driver="$folder/engine_stages_cpu_bench.exe"
if [ ! -f "$driver" ]; then
  echo "engine_stages_cpu: $driver is missing; build first: tools/build.sh $build" >&2
  exit 1
fi
command -v wine >/dev/null || { echo "engine_stages_cpu: wine is missing" >&2; exit 1; }

export ZEL_BUILD_DIR="$build"
. "$repo/tools/wine_env.sh"
trap zel_wine_stop EXIT
zel_wine_start

cd "$folder"
wine "$driver" 10 "$speed" </dev/null >/dev/null 2>&1 || true  # warm up
out=$(wine "$driver" "$seconds" "$speed" </dev/null 2>/dev/null | tr -d '\r')
whole='^engine cpu per audio second, all stages on'
last='^engine cpu per audio second less its input, all stages on'
if ! grep -q "$last" <<<"$out"; then
  echo "engine_stages_cpu: the driver failed" >&2
  exit 1
fi
grep -v -e "$whole" -e "$last" <<<"$out"
grep "$whole" <<<"$out" | tail -n1
grep "$last" <<<"$out" | tail -n1
