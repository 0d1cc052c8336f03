#include "play_option_rules.h"

#include <cmath>

int play_mode_of(int play_method) {
    switch (play_method) {
    case 0: return 1;
    case 1: return 0;
    case 2: return 5;
    default: return 4;
    }
}

unsigned music_volume_of(unsigned volume, float rate) {
    return static_cast<unsigned>(std::lround(volume * static_cast<double>(rate)));
}
