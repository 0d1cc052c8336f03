#pragma once
// The sound device of a machine without a sound card: one WAV file of what
// the device would play. Every output made for the device is a voice of one
// mixer; the mixer runs on a clock (real time times a speed factor) at the
// device's own format and writes, for each moment, the sum of the voices
// that play then (each scaled by its volume, converted to the device's rate
// and channels), and silence where none does. The file begins with the first
// sample written and is made complete at every track end, voice release and
// second of audio.
#include <string>

class output;

// The device's format in the file: 16-bit integer stereo at this rate.
const int timeline_sample_rate = 44100;

// A voice of the one mixer of the process; the mixer writes to `path` (the
// first output made fixes it) at `speed` times real time (more than 0).
output* make_timeline_output(const std::wstring& path, int buffer_ms, double speed);
