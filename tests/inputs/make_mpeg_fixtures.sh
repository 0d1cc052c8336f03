#!/usr/bin/env bash
# Makes the MPEG decoder's fixtures into OUT_DIR: short streams from Debian's
# encoders (lame for layer III, twolame for layer II) and from the small
# layer I encoder in mpeg_fixture_tools.py, each with its reference decoding
# by Debian's mpg123 (NAME.f32, float samples) and the 16-bit PCM that the
# decoder must produce from it (NAME.s16; NAME.d16 for the double-precision
# output stage).
#   tests/inputs/make_mpeg_fixtures.sh OUT_DIR
# Needs sox, lame, twolame, mpg123 and python3 (tools/setup_machine.sh).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
out=$(readlink -m "${1:?usage: make_mpeg_fixtures.sh OUT_DIR}")
tools="$here/mpeg_fixture_tools.py"
py=python3
[ -x /usr/bin/python3 ] && py=/usr/bin/python3

for tool in sox lame twolame mpg123; do
  command -v "$tool" >/dev/null || { echo "make_mpeg_fixtures: $tool is missing" >&2; exit 1; }
done

work="$out/work"
rm -rf "$work"
mkdir -p "$work"

# The reference decodings use mpg123's x86-64 routines: their float output is
# bit for bit that of the SSE routines the decoder uses.
cpu=()
if mpg123 --list-cpu 2>/dev/null | grep -qw x86-64; then
  cpu=(--cpu x86-64)
fi

# Sources (sox -R: the same samples on every run): plucked notes (transients,
# so layer III switches to short blocks) over pink noise; a hot square wave
# whose decoding overshoots full scale.
sox -R -n -r 44100 -c 2 -b 16 "$work/tone.wav" synth 0.3 pluck A2 pluck E3 repeat 7 vol 0.8
sox -R -n -r 44100 -c 2 -b 16 "$work/noise.wav" synth 2.4 pinknoise vol 0.25
sox -R -m -v 1 "$work/tone.wav" -v 1 "$work/noise.wav" "$work/music.wav"
sox -R -n -r 48000 -c 1 -b 16 "$work/hot48m.wav" synth 2.4 square 440 vol 0.98
source_at() {  # RATE CHANNELS -> path of the music source at that rate and channel count
  local path="$work/music_$1_$2.wav"
  [ -f "$path" ] || sox -R -G "$work/music.wav" -r "$1" -c "$2" "$path"
  echo "$path"
}

reference() {  # NAME [double]: mpg123's float decoding, then the 16-bit references
  local name=$1
  mpg123 -q "${cpu[@]}" --no-gapless --no-infoframe -e f32 -O "$out/$name.f32" "$out/$name.$2"
  if [ "${3:-}" = double ]; then
    "$py" "$tools" reference "$out/$name.f32" "$out/$name.s16" "$out/$name.d16"
  else
    "$py" "$tools" reference "$out/$name.f32" "$out/$name.s16"
  fi
}

# Layer III (lame writes an Info or Xing frame first; it decodes as silence).
# --resample keeps lame from choosing another rate for a low bit rate.
lame --quiet --resample 44.1 -b 128 "$(source_at 44100 2)" "$out/l3_cbr128_44k_joint.mp3"
lame --quiet --resample 44.1 -V 2 "$(source_at 44100 2)" "$out/l3_vbr_44k_xing.mp3"
lame --quiet --resample 48 -m m -b 96 "$work/hot48m.wav" "$out/l3_cbr96_48k_mono_hot.mp3"
lame --quiet --resample 32 -p -m s -b 64 "$(source_at 32000 2)" "$out/l3_cbr64_32k_stereo_crc.mp3"
lame --quiet --resample 22.05 -b 32 "$(source_at 22050 2)" "$out/l3_mpeg2_22k_stereo.mp3"
lame --quiet --resample 16 -m m -b 24 "$(source_at 16000 1)" "$out/l3_mpeg2_16k_mono.mp3"
lame --quiet --resample 11.025 -b 24 "$(source_at 11025 2)" "$out/l3_mpeg25_11k_stereo.mp3"
lame --quiet --resample 8 -m m -b 8 "$(source_at 8000 1)" "$out/l3_mpeg25_8k_mono.mp3"
for name in l3_cbr128_44k_joint l3_vbr_44k_xing l3_cbr64_32k_stereo_crc l3_mpeg2_22k_stereo; do
  reference "$name" mp3 double
done
for name in l3_cbr96_48k_mono_hot l3_mpeg2_16k_mono l3_mpeg25_11k_stereo l3_mpeg25_8k_mono; do
  reference "$name" mp3
done

# Layer II.
twolame --quiet -b 192 "$(source_at 48000 2)" "$out/l2_192_48k_stereo.mp2"
twolame --quiet -m j -b 112 "$(source_at 32000 2)" "$out/l2_112_32k_joint.mp2"
twolame --quiet -m m -p -b 64 "$(source_at 24000 1)" "$out/l2_mpeg2_24k_mono_crc.mp2"
twolame --quiet -b 96 "$(source_at 22050 2)" "$out/l2_mpeg2_22k_stereo.mp2"
for name in l2_192_48k_stereo l2_112_32k_joint l2_mpeg2_24k_mono_crc l2_mpeg2_22k_stereo; do
  reference "$name" mp2
done

# Layer I.
"$py" "$tools" layer1 "$out/l1_384_44k_stereo.mp1" --rate 44100 --kbps 384 --mode stereo
"$py" "$tools" layer1 "$out/l1_320_48k_joint_crc.mp1" --rate 48000 --kbps 320 --mode joint --crc
"$py" "$tools" layer1 "$out/l1_mpeg2_128_22k_mono.mp1" --rate 22050 --kbps 128 --mode mono
"$py" "$tools" layer1 "$out/l1_mpeg2_192_24k_stereo.mp1" --rate 24000 --kbps 192 --mode stereo
for name in l1_384_44k_stereo l1_320_48k_joint_crc l1_mpeg2_128_22k_mono l1_mpeg2_192_24k_stereo; do
  reference "$name" mp1
done

# A layer III stream entered in the middle, as after a seek (at the first frame
# from the 40th on that reaches back): its first frames reach before the start. Their reference is the decoding of a copy in
# which those frames are silent, with the main data left in place.
"$py" "$tools" landing "$out/l3_cbr128_44k_joint.mp3" 40 "$out/l3_landing.mp3" "$work/landing_silenced.mp3"
mpg123 -q "${cpu[@]}" --no-gapless --no-infoframe -e f32 -O "$out/l3_landing.f32" "$work/landing_silenced.mp3"
"$py" "$tools" reference "$out/l3_landing.f32" "$out/l3_landing.s16"

# Frame indexes (NAME.index) for the seek-table tests.
for f in "$out"/*.mp1 "$out"/*.mp2 "$out"/*.mp3; do
  "$py" "$tools" index "$f" "${f%.*}.index"
done

rm -rf "$work"
touch "$out/fixtures.stamp"
