#include "music_volume.h"

#include <cmath>
#include "play_option_rules.h"

double music_rate(float option) {
    const double rate = option;
    return rate > 0.0 && std::isfinite(rate) ? rate : 1.0;
}

unsigned music_to_player(unsigned user_volume, float rate_option) {
    const unsigned v = music_volume_of(user_volume, static_cast<float>(music_rate(rate_option)));
    return v > 1000 ? 1000 : v;
}

unsigned music_to_user(unsigned player_volume, float rate_option) {
    const long v = std::lround(player_volume / music_rate(rate_option));
    return v > 1000 ? 1000 : v < 0 ? 0 : static_cast<unsigned>(v);
}
