// The normalizer's envelope (see volume_envelope.h).
#include "volume_envelope.h"
#include <cmath>
#include <cstdlib>
#include <cstring>
#include "stage_allocations.h"

bool volume_envelope::make(int channels, int length) {
    if (channels < 1 || length < 2) return false;
    if (!lines_ || channels != channels_ || length != length_) {
        release();
        size_t slots = static_cast<size_t>(length);
        lines_ = static_cast<double*>(calloc(slots * static_cast<size_t>(channels), sizeof(double)));
        peaks_ = static_cast<double*>(calloc(slots, sizeof(double)));
        stage_allocations::note();
        if (!lines_ || !peaks_) {
            release();
            return false;
        }
        channels_ = channels;
        length_ = length;
    }
    clear();
    return true;
}

void volume_envelope::release() {
    free(lines_);
    free(peaks_);
    lines_ = nullptr;
    peaks_ = nullptr;
    channels_ = 0;
    length_ = 0;
    remaining_ = 0;
}

void volume_envelope::clear() {
    if (lines_) {
        std::memset(lines_, 0, sizeof(double) * static_cast<size_t>(length_) * static_cast<size_t>(channels_));
        std::memset(peaks_, 0, sizeof(double) * static_cast<size_t>(length_));
    }
    position_ = 0;
    level_ = 0.0;
    slope_ = 0.0;
    peak_level_ = 0.0;
    peak_position_ = 0;
    remaining_ = length_;
}

// level ^ (-exponent), with the common strengths computed directly.
inline double envelope_gain(double level, double exponent) {
    if (exponent == 1.0) return 1.0 / level;
    if (exponent == 0.5) return 1.0 / std::sqrt(level);
    return std::pow(level, -exponent);
}

void volume_envelope::run(double* work, int stride, int frames) {
    double last_level = -1.0, last_gain = 1.0;
    for (int f = 0; f < frames; ++f) {
        double gain = last_gain;
        if (level_ != last_level) {
            // A level that holds (a steady passage) keeps its gain.
            gain = level_ > 0.0 ? envelope_gain(level_, exponent_) : 0.0;
            if (gain > max_gain) gain = max_gain;
            if (gain == 0.0) gain = 1.0;
            last_level = level_;
            last_gain = gain;
        }
        double* slot = lines_ + static_cast<size_t>(position_) * channels_;
        double m = 0.0;
        for (int c = 0; c < channels_; ++c) {
            double* value = work + static_cast<size_t>(c) * stride + f;
            double in = *value;
            *value = gain * slot[c];
            slot[c] = in;
            double magnitude = std::fabs(in);
            if (magnitude > m) m = magnitude;
        }
        peaks_[position_] = m;
        int written = position_;
        position_ = position_ + 1 == length_ ? 0 : position_ + 1;
        level_ += slope_;
        if (position_ == peak_position_) {
            retarget();
        } else {
            // On towards the present target, unless the frame just stored,
            // which leaves the line last, needs a steeper rise.
            slope_ = (peak_level_ - level_) / ((peak_position_ - position_ + length_) % length_);
            double s = (m - level_) / (length_ - 1);
            if (s >= slope_) {
                slope_ = s;
                peak_level_ = m;
                peak_position_ = written;
            }
        }
    }
}

void volume_envelope::retarget() {
    double best = 0.0;
    int slot = position_;
    for (int l = 1; l < length_; ++l) {
        if (++slot == length_) slot = 0;
        double v = peaks_[slot];
        double s = (v - level_) / l;
        if (l == 1 || s >= best) {
            best = s;
            peak_level_ = v;
            peak_position_ = slot;
        }
    }
    slope_ = best;
}

int volume_envelope::swallow(int n) {
    if (remaining_ >= n) {
        remaining_ -= n;
        return n;
    }
    int dropped = remaining_;
    remaining_ = 0;
    return dropped;
}
