#pragma once
// The equalizer's filter: one band-pass per band and channel over rings of
// three samples, and the history one playback thread carries from block to
// block.
#include "equalizer.h"

// The filter factors derived from the eleven values; all channels carry the
// same value.
struct equalizer_factors {
    float preamp[equalizer::max_channels];
    float gain[equalizer::band_count][equalizer::max_channels];

    // preamp = 1 + 0.0932471 v + 0.00279033 v^2 for the preamp value v;
    // gain = 0.03 w + 0.000999999 w^2 for each band value w; computed in
    // double precision, stored as floats.
    void derive(const double* values);
};

struct equalizer_history {
    // Each band's and channel's last three inputs and outputs; i, j and k
    // are the ring slots of the current, previous and second-previous sample,
    // shared by every ring.
    float in[equalizer::band_count][equalizer::max_channels][3];
    float out[equalizer::band_count][equalizer::max_channels][3];
    int i, j, k;
    // Format tag, channels, sample rate, bits per sample and the record's
    // fifth field of the last block.
    int format[5];

    equalizer_history() { clear(); }
    // Zeroes the rings; the slots stay.
    void clear_rings();
    // Zeroes the rings and puts the slots back to 0, 2, 1; the format
    // becomes 1, 2, 44100, 16, 0.
    void clear();
    // When the block's format differs in tag, channels, rate or depth from
    // the last one: clears the rings and keeps the new format.
    void follow_format(const audio_format& f);
};

// Filters frames x channels interleaved samples (integer scale or float) in
// place; channels is 1 to equalizer::max_channels.
void equalizer_filter(equalizer_history& h, const equalizer_factors& factors, float* samples, int frames,
                      int channels);
