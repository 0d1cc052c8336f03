#pragma once
// The equalizer window's eighteen presets and the conversion between its
// sliders' positions and gains in dB. Positions grow downwards: the preamp
// slider runs 0 to 240 (+12 to -12 dB), a band slider 0 to 400 (+20 to
// -20 dB), 0.1 dB a step.

constexpr int equalizer_preset_count = 18;
constexpr int equalizer_preamp_range = 240;
constexpr int equalizer_band_range = 400;

struct equalizer_preset {
    const wchar_t* name;  // as the menu shows it ("&&" for a single "&")
    double bands[10];     // gains of bands 1 to 10 in dB
};

extern const equalizer_preset equalizer_presets[equalizer_preset_count];

// The preset's name for the caption ("저음 & 고음", the menu's "&&" as one
// "&"); "" for a number that names no preset.
const wchar_t* equalizer_preset_caption(int preset);

double preamp_gain_of(int position);
double band_gain_of(int position);
// Truncated toward zero.
int preamp_position_of(double gain);
int band_position_of(double gain);
