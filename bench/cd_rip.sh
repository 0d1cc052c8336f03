#!/usr/bin/env bash
# Ripping throughput of the CD extraction layer: one track of SECONDS
# (default 600) ripped in normal mode through the SCSI pass-through over the
# tests' fake device layer and a virtual drive, once with every read exact
# and once with jitter of up to JITTER_STEPS x 4 bytes (default 500 steps,
# 2000 bytes) on every read after the first, each the best of three runs.
# Every delivered byte is checked against the disc. Times are measured inside
# the driver (Wine's start-up does not count). The last line gives both
# throughputs as a multiple of real time (44,100 stereo frames a second).
#   bench/cd_rip.sh [BUILD_DIR] [SECONDS] [JITTER_STEPS]
# BUILD_DIR defaults to $ZEL_BUILD_DIR, else the folder of the build this
# machine runs (build/, or build-x86_64/ where 32-bit code cannot run); build
# it first (tools/build.sh BUILD_DIR).
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$repo/tools/arch.sh"
build=$(readlink -m "${1:-${ZEL_BUILD_DIR:-$(zel_default_build_dir "$repo" "$(zel_run_arch)")}}")
seconds=${2:-600}
steps=${3:-500}
driver="$build/bench/cd_rip_bench.exe"
if [ ! -f "$driver" ]; then
  echo "cd_rip: $driver is missing; build first: tools/build.sh $build" >&2
  exit 1
fi
command -v wine >/dev/null || { echo "cd_rip: wine is missing" >&2; exit 1; }

export ZEL_BUILD_DIR="$build"
. "$repo/tools/wine_env.sh"
trap zel_wine_stop EXIT
zel_wine_start

out=$(wine "$driver" "$seconds" "$steps" </dev/null 2>/dev/null | tr -d '\r')
last='^ripping throughput'
if ! grep -q "$last" <<<"$out"; then
  echo "cd_rip: the driver failed" >&2
  [ -n "$out" ] && echo "$out" >&2
  exit 1
fi
grep -v "$last" <<<"$out"
grep "$last" <<<"$out" | tail -n1
