#!/usr/bin/env bash
# The host program plays a file given on its command line through the
# playback engine. With no sound device listed it falls back to the WAV-file
# output; the PCM in the WAV file must equal Debian's mpg123 decoding. A file
# that plays nothing (no MPEG frames in it) ends with a message and a
# non-zero exit, never with "finished".
#   host_plays_a_file.sh BUILD_DIR FIXTURE.mp3 REFERENCE.s16
set -euo pipefail
build=$1 fixture=$2 reference=$3
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export ZEL_BUILD_DIR="$build"
. "$repo/tools/wine_env.sh"
# Without Wine's ALSA driver the system lists no sound device.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winealsa.drv=d"

work=$(mktemp -d "$build/tests/host_play.XXXXXX")
trap 'rm -rf "$work"' EXIT
wav="$work/out.wav"
export ZEL_OUTPUT_WAV="Z:${wav//\//\\}" ZEL_OUTPUT_WAV_SPEED=0

cd "$build/bin"
out=$(timeout 120 wine zel_player.exe "Z:${fixture//\//\\}" </dev/null 2>&1 | tr -d '\r')
echo "$out"
grep -q "on the WAV file" <<<"$out"
grep -q "zel_player: finished" <<<"$out"

python3 - "$wav" "$reference" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
ref = open(sys.argv[2], 'rb').read()
assert data[:4] == b'RIFF' and data[8:12] == b'WAVE', 'not a WAV file'
pos, pcm = 12, None
while pos + 8 <= len(data):
    tag, size = data[pos:pos + 4], struct.unpack('<I', data[pos + 4:pos + 8])[0]
    if tag == b'data':
        pcm = data[pos + 8:pos + 8 + size]
        break
    pos += 8 + size + (size & 1)
assert pcm is not None, 'no data chunk'
if pcm != ref:
    first = next((i for i in range(min(len(pcm), len(ref))) if pcm[i] != ref[i]), None)
    sys.exit('PCM differs: %d bytes played, %d expected, first difference at byte %s' % (len(pcm), len(ref), first))
print('PCM equal: %d bytes' % len(pcm))
PY

# Bytes that no input takes for sound.
junk="$work/not_audio.mp3"
head -c 20000 /dev/zero | tr '\0' 'x' >"$junk"
set +e
out=$(timeout 120 wine zel_player.exe "Z:${junk//\//\\}" </dev/null 2>&1 | tr -d '\r'; exit "${PIPESTATUS[0]}")
code=$?
set -e
echo "$out"
echo "exit code for a file that plays nothing: $code"
[ "$code" -ne 0 ] && [ "$code" -ne 124 ] || { echo "expected a non-zero exit of its own"; exit 1; }
grep -q "nothing could be played" <<<"$out"
if grep -q "zel_player: finished" <<<"$out"; then echo "reported as finished"; exit 1; fi
