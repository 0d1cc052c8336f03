// Sound device numbers onto wave-out device ids.
#include "sound_device_numbers.h"

#include <windows.h>
#include <mmsystem.h>

#include <string>

unsigned waveout_id_of(int index, const std::vector<stringx>& sound, const std::vector<stringx>& waveout) {
    if (index <= 0 || static_cast<size_t>(index) >= sound.size()) return WAVE_MAPPER;
    const std::wstring name = sound[static_cast<size_t>(index)].wvalue();
    for (size_t i = 0; i < waveout.size(); ++i) {
        const std::wstring w = waveout[i].wvalue();
        if (w.empty()) continue;
        if (w == name || (w.size() == MAXPNAMELEN - 1 && name.compare(0, w.size(), w) == 0))
            return static_cast<unsigned>(i);
    }
    return static_cast<size_t>(index - 1) < waveout.size() ? static_cast<unsigned>(index - 1) : WAVE_MAPPER;
}
