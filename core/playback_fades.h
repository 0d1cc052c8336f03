#pragma once
// Gain ramps of the playback thread, worked out on floats.
//
// Gains are computed in floating point (counter / frames), never from an
// integer step, so that long ramps still move and an empty ramp divides by
// nothing.
#include <vector>
#include "audio_format.h"

// A fade-in from gain 0 to 1 over a number of frames: frame k of the ramp
// gets k / N, frame N gets 1.0, and the ramp is off after it.
class fade_ramp {
public:
    // N = MulDiv(ms, sample_rate, 1000) frames; a length that gives no frame
    // leaves the ramp off.
    void start(int ms, int sample_rate);
    void stop() { active_ = false; }
    bool active() const { return active_; }
    // The gain of the next frame, advancing the ramp; 1.0 once it is off.
    float next_gain();

private:
    int frames_ = 0;
    int counter_ = 0;
    bool active_ = false;
};

// The sample work of the ramps: a float buffer kept between blocks.
class fade_work {
public:
    // Applies the active ramps (one gain per frame, both multiplied when both
    // run) to a raw block in place. A sample layout that cannot be converted
    // passes unchanged, the ramps still advancing by its frames.
    void apply(fade_ramp& first, fade_ramp& second, const audio_format& format, void* data, int bytes);
    // Fades a tail out: N = the smaller of MulDiv(ms, rate, 1000) and the
    // tail's whole frames; frame k gets 1 - k / N, frames from N on get 0.
    void fade_out(const audio_format& format, void* data, int bytes, int ms);

private:
    float* floats_for(const audio_format& format, int bytes);

    std::vector<float> work_;
};

// Bytes of one frame of a format; 0 for a format without whole-byte samples.
inline int frame_bytes(const audio_format& f) {
    return f.bits_per_sample > 0 && f.bits_per_sample % 8 == 0 && f.channels > 0
               ? f.bits_per_sample / 8 * f.channels
               : 0;
}
