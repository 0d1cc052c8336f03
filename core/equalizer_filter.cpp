// The equalizer's band-pass filters (see equalizer_filter.h).
#include "equalizer_filter.h"
#include <cstring>

namespace {
// One octave band-pass per band between its -3 dB points, designed for
// 44100 Hz: y[n] = alpha (x[n] - x[n-2]) + gamma y[n-1] - beta y[n-2].
struct band_coefficients {
    float beta, alpha, gamma;
};

const band_coefficients k_bands[equalizer::band_count] = {
    {0.993973494f, 0.00301325251f, 1.99390066f},    // 60 Hz
    {0.983019054f, 0.00849046558f, 1.98243737f},    // 170 Hz
    {0.969251513f, 0.015374247f, 1.96733105f},      // 310 Hz
    {0.941343307f, 0.0293283481f, 1.93425417f},     // 600 Hz
    {0.904163063f, 0.0479184575f, 1.8848691f},      // 1000 Hz
    {0.739184022f, 0.130407989f, 1.58271849f},      // 3000 Hz
    {0.546889484f, 0.226555273f, 1.01526654f},      // 6000 Hz
    {0.310126722f, 0.344936639f, -0.181410134f},    // 12000 Hz
    {0.267123222f, 0.366438389f, -0.521151423f},    // 14000 Hz
    {0.241981193f, 0.379009396f, -0.808450878f},    // 16000 Hz
};
}  // namespace

void equalizer_factors::derive(const double* values) {
    double v = values[0];
    float pre = static_cast<float>(1.0 + 0.0932471 * v + 0.00279033 * v * v);
    for (int c = 0; c < equalizer::max_channels; ++c) preamp[c] = pre;
    for (int b = 0; b < equalizer::band_count; ++b) {
        double w = values[b + 1];
        float g = static_cast<float>(0.03 * w + 0.000999999 * w * w);
        for (int c = 0; c < equalizer::max_channels; ++c) gain[b][c] = g;
    }
}

void equalizer_history::clear_rings() {
    std::memset(in, 0, sizeof in);
    std::memset(out, 0, sizeof out);
}

void equalizer_history::clear() {
    clear_rings();
    i = 0;
    j = 2;
    k = 1;
    const int initial[5] = {1, 2, 44100, 16, 0};
    std::memcpy(format, initial, sizeof format);
}

void equalizer_history::follow_format(const audio_format& f) {
    if (f.format_tag == format[0] && f.channels == format[1] && f.sample_rate == format[2] &&
        f.bits_per_sample == format[3])
        return;
    clear_rings();
    format[0] = f.format_tag;
    format[1] = f.channels;
    format[2] = f.sample_rate;
    format[3] = f.bits_per_sample;
    format[4] = f.channel_mask;
}

void equalizer_filter(equalizer_history& h, const equalizer_factors& factors, float* samples, int frames,
                      int channels) {
    int i = h.i, j = h.j, k = h.k;
    for (int f = 0; f < frames; ++f) {
        float* frame = samples + f * channels;
        for (int c = 0; c < channels; ++c) {
            float x = frame[c];
            float p = x * factors.preamp[c];
            float sum = 0.0f;
            for (int b = 0; b < equalizer::band_count; ++b) {
                const band_coefficients& q = k_bands[b];
                float* in = h.in[b][c];
                float* out = h.out[b][c];
                in[i] = p;
                float y = q.alpha * (in[i] - in[k]) + q.gamma * out[j] - q.beta * out[k];
                out[i] = y;
                sum += y * factors.gain[b][c];
            }
            // The unfiltered part takes x itself: the preamp acts on the
            // bands only.
            frame[c] = (0.25f * x + sum) * 3.5f;
        }
        ++i;
        ++j;
        ++k;
        if (i == 3) i = 0;
        else if (j == 3) j = 0;
        else if (k == 3) k = 0;
    }
    h.i = i;
    h.j = j;
    h.k = k;
}
