// The replay gain singleton of zel_core (see replay_gain.h).
#include "replay_gain.h"
#include <emmintrin.h>
#include <atomic>
#include <cmath>
#include <cstring>
#include "critsec.h"
#include "list_info.h"
#include "service_factory.h"

namespace {
// Rounds to the nearest integer, ties to even (the SSE default rounding),
// after clamping to [lo, hi]; both bounds are integers, so clamping first
// gives the same result as clamping the rounded value.
inline int round_within(double value, double lo, double hi) {
    if (value < lo) value = lo;
    if (value > hi) value = hi;
    return _mm_cvtsd_si32(_mm_set_sd(value));
}

void scale_16(unsigned char* data, int count, double factor) {
    for (int i = 0; i < count; ++i) {
        short s;
        std::memcpy(&s, data + 2 * i, 2);
        float product = static_cast<float>(s * factor);
        s = static_cast<short>(round_within(product, -32768.0, 32767.0));
        std::memcpy(data + 2 * i, &s, 2);
    }
}

void scale_24(unsigned char* data, int count, double factor) {
    for (int i = 0; i < count; ++i) {
        unsigned char* p = data + 3 * i;
        int s = (p[0] | (p[1] << 8)) + (static_cast<int>(static_cast<signed char>(p[2])) << 16);
        float product = static_cast<float>(s * factor);
        int r = round_within(product, -8388608.0, 8388607.0);
        p[0] = static_cast<unsigned char>(r);
        p[1] = static_cast<unsigned char>(r >> 8);
        p[2] = static_cast<unsigned char>(r >> 16);
    }
}

void scale_32(unsigned char* data, int count, double factor) {
    for (int i = 0; i < count; ++i) {
        int s;
        std::memcpy(&s, data + 4 * i, 4);
        float product = static_cast<float>(s * factor);
        s = round_within(product, -2147483648.0, 2147483647.0);
        std::memcpy(data + 4 * i, &s, 4);
    }
}

void scale_float(unsigned char* data, int count, double factor) {
    for (int i = 0; i < count; ++i) {
        float s;
        std::memcpy(&s, data + 4 * i, 4);
        double product = s * factor;
        // The comparisons are false for NaN, which therefore ends at -1.0.
        if (product > 1.0) product = 1.0;
        else if (!(product >= -1.0)) product = -1.0;
        s = static_cast<float>(product);
        std::memcpy(data + 4 * i, &s, 4);
    }
}

class replay_gain_impl : public singleton_component<replay_gain> {
public:
    int mode() override { return mode_.load(std::memory_order_relaxed); }
    double preamp() override { return preamp_.load(std::memory_order_relaxed); }

    void set_mode(int mode) override {
        auto_sync guard(lock_);
        mode_.store(mode, std::memory_order_relaxed);
    }

    void set_preamp(double db) override {
        auto_sync guard(lock_);
        preamp_.store(db, std::memory_order_relaxed);
    }

    void process(const list_info* track, const audio_format* format, void* data, int bytes) override {
        auto_sync guard(lock_);
        int mode = mode_.load(std::memory_order_relaxed);
        if (mode == 0 || mode == 3) return;
        if (!track || !format || !data || bytes <= 0) return;
        double gain;
        if (mode == 1 || mode == 2) {
            gain = mode == 1 ? track->track_gain : track->album_gain;
            if (gain == 0.0 || std::isnan(gain)) return;
        } else {
            gain = track->album_gain;
        }
        double factor = std::pow(10.0, (gain + preamp_.load(std::memory_order_relaxed)) * 0.05);
        if (factor == 1.0) return;
        // A gain without a number (a tag's NaN or a huge value) would turn
        // the whole block into full-scale noise: such a block stays as it is.
        if (!std::isfinite(factor)) return;
        unsigned char* p = static_cast<unsigned char*>(data);
        switch (format->bits_per_sample) {
        case 16: scale_16(p, bytes / 2, factor); break;
        case 24: scale_24(p, bytes / 3, factor); break;
        case 32:
            if (format->format_tag == 3) scale_float(p, bytes / 4, factor);
            else scale_32(p, bytes / 4, factor);
            break;
        default: break;
        }
    }

private:
    critsec lock_;
    std::atomic<int> mode_{0};
    std::atomic<double> preamp_{0.0};
};

singleton_factory<replay_gain, replay_gain_impl> g_replay_gain_node;
}  // namespace
