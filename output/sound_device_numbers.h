#pragma once
// How the sound devices that the player numbers (by their place in
// DirectSound's enumeration, entry 0 the default device) map onto wave-out
// devices.
#include <vector>

#include "stringx.h"

// The wave-out device id of sound device `index`, given the sound devices'
// names and the wave-out devices' names: WAVE_MAPPER for 0 and for an index
// outside `sound`; else the wave-out device of the same name (wave-out names
// are cut to MAXPNAMELEN - 1 characters, so a cut name matches a longer one
// that begins with it), else wave-out device index - 1 when there is one,
// else WAVE_MAPPER.
unsigned waveout_id_of(int index, const std::vector<stringx>& sound, const std::vector<stringx>& waveout);
