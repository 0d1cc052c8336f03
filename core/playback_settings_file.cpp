// Loading the playback settings from the INI file (see playback_settings_file.h).
#include "playback_settings_file.h"

namespace {
const wchar_t k_section[] = L"playback";

// A key's number, or fallback when the key is missing or empty.
int number(config_var& file, const wchar_t* key, int fallback) {
    stringx text = file.read(k_section, key);
    return text.length() == 0 ? fallback : text.toint();
}

struct pair_keys {
    const wchar_t* enable;
    int enable_default;
    const wchar_t* length;
    int length_default;
    void (playback_settings::*setter)(bool, int);
};
}  // namespace

void playback_settings_file::apply(config_var& file, playback_settings& target) {
    const pair_keys pairs[] = {
        {L"auto_cross_enable", 0, L"auto_cross_length", -2000, &playback_settings::set_auto_cross},
        {L"force_cross_enable", 0, L"force_cross_length", -1000, &playback_settings::set_force_cross},
        {L"fade_enable", 0, L"fade_length", 1000, &playback_settings::set_fade},
        {L"seek_fade_enable", 0, L"seek_fade_length", 200, &playback_settings::set_seek_fade},
        {L"visual_enable", 1, L"visual_length", 100, &playback_settings::set_visual},
    };
    for (const pair_keys& p : pairs) {
        const bool enabled = number(file, p.enable, p.enable_default) != 0;
        const int length = number(file, p.length, p.length_default);
        (target.*p.setter)(enabled, length);
    }
}
