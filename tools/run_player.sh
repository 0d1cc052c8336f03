#!/usr/bin/env bash
# Builds everything and runs the player host under Wine.
#   tools/run_player.sh [player arguments...]
# Without arguments it plays a sample MP3 that it generates (a few seconds of
# tones, made with sox and lame into the build folder) through the playback
# engine: on the sound device when Wine lists one, otherwise into a WAV file
# whose path it prints. Any arguments go to the player instead, e.g. a path
# of your own (a Windows path or Z:\... for a Linux one) or /quit-after=5000.
# It runs the 32-bit build where this machine can execute 32-bit programs,
# else the 64-bit build under 64-bit Wine, and says which (ZEL_TEST_ARCH
# forces either; the 32-bit program is built in every case).
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$repo/tools/arch.sh"
"$repo/tools/setup_machine.sh"
arch=$(zel_run_arch)
if [ "$arch" = x86_64 ]; then
  "$repo/tools/build.sh" --arch i686 --no-tests >/dev/null
  echo "run_player: playing on the 64-bit build (x86_64) under 64-bit Wine:" \
       "$(zel_can_run_32bit && echo "ZEL_TEST_ARCH=x86_64" || echo "this machine cannot run 32-bit programs")" >&2
else
  echo "run_player: playing on the 32-bit build (i686)" >&2
fi
ZEL_BUILD_DIR=$("$repo/tools/build.sh" --arch "$arch" "${ZEL_BUILD_DIR:-$(zel_default_build_dir "$repo" "$arch")}" | tail -n1)
export ZEL_BUILD_DIR

args=("$@")
if [ ${#args[@]} -eq 0 ]; then
  sample="$ZEL_BUILD_DIR/sample/sample.mp3"
  if [ ! -f "$sample" ]; then
    mkdir -p "$(dirname "$sample")"
    sox -q -n -r 44100 -c 2 -b 16 "$ZEL_BUILD_DIR/sample/sample.wav" \
        synth 4 sine 440 sine 660 fade 0.2 4 0.5
    lame --quiet -b 128 "$ZEL_BUILD_DIR/sample/sample.wav" "$sample"
  fi
  args=("Z:${sample//\//\\}")
fi

. "$repo/tools/wine_env.sh"
cleanup() {
  zel_wine_stop
  zel_xvfb_stop
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  zel_xvfb_start
fi
zel_wine_start

cd "$ZEL_BUILD_DIR/bin"
set +e
wine zel_player.exe "${args[@]}" | tr -d '\r'
status=${PIPESTATUS[0]}
set -e
echo "zel_player.exe exited with $status" >&2
exit "$status"
