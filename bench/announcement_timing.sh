#!/usr/bin/env bash
# How close to their second the real client puts scheduled announcements on
# air, and how its music fades around them.
#   bench/announcement_timing.sh [BUILD_DIR] [ANNOUNCEMENTS]
# Run time: about 30 s plus a minute per announcement after the first
# (3 announcements, the default: about 2.5 minutes).
# BUILD_DIR defaults to $ZEL_BUILD_DIR, else the folder of the build this
# machine runs; build it first (tools/build.sh BUILD_DIR). zel_player.exe
# runs under Wine, in a prefix of its own, against the service's stand-in
# serving a store (tools/demo_store.py) whose channel plays steady tones and
# whose list holds ANNOUNCEMENTS announcements a minute apart, each a tone of
# its own pitch, with a 3 s fade (login key fadeinout_time). The sound goes to
# the one WAV file of a machine without a sound card, placed on the real
# clock while it is written (tests/host/announcement_on_time.py --bench).
# Printed for each announcement: its first audio against its scheduled
# second, and the music's level over the fade against the straight fade to
# silence the settings ask for; then the worst of each. The last line is the
# worst lateness.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$repo/tools/arch.sh"
build=$(readlink -m "${1:-${ZEL_BUILD_DIR:-$(zel_default_build_dir "$repo" "$(zel_run_arch)")}}")
count=${2:-3}
if [ ! -f "$build/bin/zel_player.exe" ]; then
  echo "announcement_timing: $build/bin/zel_player.exe is missing; build first: tools/build.sh $build" >&2
  exit 1
fi
for tool in sox lame wine python3; do
  command -v "$tool" >/dev/null || { echo "announcement_timing: $tool is missing" >&2; exit 1; }
done
status=0
out=$(bash "$repo/tests/host/client_prefix.sh" "$build" announcement_on_time announcement_on_time.py \
  $((count * 60 + 120)) --bench "$count") || status=$?
echo "$out" | grep -v '^worst lateness'
line=$(echo "$out" | grep '^worst lateness' | tail -n1)
if [ -z "$line" ] || [ "$status" != 0 ]; then
  echo "announcement_timing: no figure (exit status $status)" >&2
  exit 1
fi
echo "$line"
