#include "playback_fades.h"
#include <windows.h>
#include "dsp.h"

void fade_ramp::start(int ms, int sample_rate) {
    frames_ = ms > 0 && sample_rate > 0 ? MulDiv(ms, sample_rate, 1000) : 0;
    counter_ = 0;
    active_ = frames_ > 0;
}

float fade_ramp::next_gain() {
    if (!active_) return 1.0f;
    double gain = counter_ >= frames_ ? 1.0 : static_cast<double>(counter_) / frames_;
    if (++counter_ > frames_) active_ = false;
    return static_cast<float>(gain);
}

float* fade_work::floats_for(const audio_format& format, int bytes) {
    // One float per whole sample, plus room for a trailing partial one
    // (32-bit float blocks are copied byte for byte).
    size_t samples = static_cast<size_t>(bytes) / static_cast<size_t>(format.bits_per_sample / 8) + 1;
    if (work_.size() < samples) work_.resize(samples);
    return work_.data();
}

void fade_work::apply(fade_ramp& first, fade_ramp& second, const audio_format& format, void* data,
                      int bytes) {
    if ((!first.active() && !second.active()) || bytes <= 0) return;
    int frame = frame_bytes(format);
    if (frame == 0) return;
    int frames = bytes / frame;
    int code = dsp::sample_format_code(format.format_tag, format.bits_per_sample);
    if (code < 0) {
        for (int k = 0; k < frames; ++k) {
            first.next_gain();
            second.next_gain();
        }
        return;
    }
    float* samples = floats_for(format, bytes);
    dsp::read_audio_chunk(code, data, samples, bytes);
    int channels = format.channels;
    for (int k = 0; k < frames; ++k) {
        // A ramp that is off gives exactly 1.0, so one ramp alone is exact.
        float gain = first.next_gain() * second.next_gain();
        float* s = samples + static_cast<size_t>(k) * channels;
        for (int c = 0; c < channels; ++c) s[c] *= gain;
    }
    dsp::write_audio_chunk(code, samples, data, bytes);
}

void fade_work::fade_out(const audio_format& format, void* data, int bytes, int ms) {
    int frame = frame_bytes(format);
    if (frame == 0 || bytes <= 0 || ms <= 0 || format.sample_rate <= 0) return;
    int tail_frames = bytes / frame;
    int ramp = MulDiv(ms, format.sample_rate, 1000);
    if (tail_frames < ramp) ramp = tail_frames;
    if (ramp <= 0) return;
    int code = dsp::sample_format_code(format.format_tag, format.bits_per_sample);
    if (code < 0) return;
    int used = tail_frames * frame;
    float* samples = floats_for(format, used);
    dsp::read_audio_chunk(code, data, samples, used);
    int channels = format.channels;
    for (int k = 0; k < tail_frames; ++k) {
        double gain = k < ramp ? 1.0 - static_cast<double>(k) / ramp : 0.0;
        if (gain < 0.0) gain = 0.0;
        if (gain > 1.0) gain = 1.0;
        float g = static_cast<float>(gain);
        float* s = samples + static_cast<size_t>(k) * channels;
        for (int c = 0; c < channels; ++c) s[c] *= g;
    }
    dsp::write_audio_chunk(code, samples, data, used);
}
