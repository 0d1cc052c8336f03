# Sourced by the benchmarks: bench_long_mp3 BUILD_DIR prints the path of a
# 4-minute 192 kbit/s music-like MP3 in BUILD_DIR/bench, made once with sox
# and lame.
bench_long_mp3() {
  local file="$1/bench/music_240s_192k.mp3" tmp
  if [ ! -f "$file" ]; then
    mkdir -p "$1/bench"
    tmp=$(mktemp -d)
    sox -R -n -r 44100 -c 2 -b 16 "$tmp/tone.wav" synth 0.3 pluck A2 pluck E3 repeat 39 vol 0.7
    sox -R -n -r 44100 -c 2 -b 16 "$tmp/noise.wav" synth 12 pinknoise vol 0.25
    sox -R -m -v 1 "$tmp/tone.wav" -v 1 "$tmp/noise.wav" "$tmp/clip.wav"
    sox -R "$tmp/clip.wav" "$tmp/music.wav" repeat 19
    lame --quiet --resample 44.1 -b 192 "$tmp/music.wav" "$file.part"
    mv "$file.part" "$file"
    rm -rf "$tmp"
  fi
  echo "$file"
}
