#pragma once
// The format tag of a RIFF WAVE stream, for the factory that hands out the
// MPEG input and tag for ".wav" files whose audio is MPEG.
#include <cstdint>

class stream;

// WAVE format tags of MPEG audio.
const int wave_format_mpeg = 80;
const int wave_format_mpeg_layer3 = 85;

// Reads, from the stream's current position, a RIFF WAVE header and its
// chunks: the format tag of the "fmt " chunk (14 to 65,536 bytes holding a
// valid record: 1 to 256 channels, 1,000 to 1,000,000 samples per second,
// non-zero average bytes per second and block align) when a "data" chunk
// follows it; 0 when the chunks end before a "data" chunk; -1 for anything
// else (a stream under 42 bytes, no "RIFF"/"WAVE", "data" before "fmt ", a
// bad chunk size). The stream position is the same afterwards.
int wav_format_tag(stream* source);
