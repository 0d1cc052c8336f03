#pragma once
// The wave-out device output (type 0) and the system's wave-out device list.
#include <vector>
#include "stringx.h"

class output;

// The names of wave-out devices 0..n-1 (waveOutGetDevCapsW).
std::vector<stringx> waveout_device_names();

// The sound devices as the player numbers them: DirectSound's descriptions in
// enumeration order, entry 0 the default device.
std::vector<stringx> sound_device_names();
// The wave-out device of sound device `index` (see sound_device_numbers.h).
unsigned waveout_id_of(int index);

// An output on wave-out device `device_id` (WAVE_MAPPER for the default one).
// The device opens at the first write, and again when the format changes.
output* make_waveout_output(unsigned device_id, int buffer_ms);
