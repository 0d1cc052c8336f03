// The per-use volume normalizer of zel_core (see volume_normalizer.h).
#include "volume_normalizer.h"
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include "mem_chunk.h"
#include "service_factory.h"
#include "stage_allocations.h"
#include "volume_envelope.h"

namespace {
const double k_look_ahead = 2.0;  // seconds

bool supported(const audio_format& f) {
    int bits = f.bits_per_sample;
    return (bits == 16 || bits == 24 || bits == 32) && f.channels >= 1 && f.channels <= 64 &&
           f.sample_rate >= 1 && f.sample_rate <= 1000000;
}

// Full scale of the format's samples.
double full_scale(const audio_format& f) {
    switch (f.bits_per_sample) {
    case 16: return 32767.0;
    case 24: return 8388607.0;
    default: return f.format_tag == 3 ? 1.0 : 2147483647.0;
    }
}

// Makes the chunk hold n elements, counting an allocation when it grows.
template <class T>
bool reserve(mem_chunk<T>& chunk, int n) {
    if (n > chunk.capacity) stage_allocations::note();
    return chunk.resize(n);
}

// value x scale truncated toward zero, kept within [-scale - 1, scale].
inline int to_integer(double value, double scale) {
    double v = value * scale;
    if (v > scale) v = scale;
    else if (!(v >= -scale - 1.0)) v = -scale - 1.0;  // NaN ends at the bottom
    return static_cast<int>(v);
}

class volume_normalizer_impl : public per_use_component<volume_normalizer_impl, volume_normalizer> {
public:
    double strength() override { return strength_; }

    void set_strength(double strength) override {
        if (std::isnan(strength)) strength = 1.0;
        strength_ = strength < 0.0 ? 0.0 : strength > 1.0 ? 1.0 : strength;
        envelope_.set_exponent(strength_);
    }

    void* process(void* data, int bytes, const audio_format* format, int* out_bytes) override;
    void reset() override;
    void* drain(int max_bytes, int* out_bytes) override;

    int latency() override {
        if (drain_counter_ > 0) return drain_counter_;
        return envelope_.held() * frame_bytes();
    }

private:
    int frame_bytes() const { return format_.bits_per_sample / 8 * format_.channels; }
    bool same_format(const audio_format& f) const {
        return f.format_tag == format_.format_tag && f.channels == format_.channels &&
               f.sample_rate == format_.sample_rate && f.bits_per_sample == format_.bits_per_sample;
    }
    bool start(const audio_format& f);
    // Runs frames of input (silence for null) through the envelope; what
    // leaves the delay goes to the output buffer, *out_bytes long. False
    // when memory runs out.
    bool run(const unsigned char* input, int frames, int* out_bytes);
    void load(const unsigned char* input, int frames);
    void store(int first, int frames);

    audio_format format_ = {1, 2, 44100, 16, 0, 0.0, 0.0};
    bool first_use_ = true;
    mem_chunk<double> work_;  // one array per channel, stride_ values apart
    int stride_ = 0;
    int drain_counter_ = 0;
    mem_chunk<unsigned char> output_;
    mem_chunk<unsigned char> joined_;  // a carried partial frame, then the block
    mem_chunk<unsigned char> carry_;
    int carry_bytes_ = 0;
    double strength_ = 1.0;
    volume_envelope envelope_;
};

bool volume_normalizer_impl::start(const audio_format& f) {
    reset();
    first_use_ = true;
    if (!envelope_.make(f.channels, static_cast<int>(f.sample_rate * k_look_ahead))) return false;
    envelope_.set_exponent(strength_);
    format_ = f;
    format_.length = 0.0;
    format_.bitrate = 0.0;
    first_use_ = false;
    return true;
}

void* volume_normalizer_impl::process(void* data, int bytes, const audio_format* format, int* out_bytes) {
    int ignored = 0;
    if (!out_bytes) out_bytes = &ignored;
    *out_bytes = 0;
    if (!data || !format || bytes <= 0) return output_.data;
    if (!supported(*format)) {
        // Nothing here can be read: the block passes as it is, and whatever
        // the delay held of the previous format is dropped.
        reset();
        first_use_ = true;
        *out_bytes = bytes;
        return data;
    }
    if (first_use_ || !same_format(*format)) {
        if (!start(*format)) {
            *out_bytes = bytes;  // no memory for the delay: unprocessed
            return data;
        }
    }
    const int frame = frame_bytes();
    const unsigned char* input = static_cast<const unsigned char*>(data);
    int total = bytes;
    if (carry_bytes_ > 0 || bytes % frame != 0) {
        // A partial frame stays for the next block, so that the channels
        // keep their places in the stream.
        if (bytes > INT_MAX - carry_bytes_ || !reserve(joined_, carry_bytes_ + bytes)) return output_.data;
        if (carry_bytes_ > 0) memcpy(joined_.data, carry_.data, static_cast<size_t>(carry_bytes_));
        memcpy(joined_.data + carry_bytes_, data, static_cast<size_t>(bytes));
        total = carry_bytes_ + bytes;
        int rest = total % frame;
        if (!reserve(carry_, frame)) return output_.data;
        memcpy(carry_.data, joined_.data + total - rest, static_cast<size_t>(rest));
        carry_bytes_ = rest;
        input = joined_.data;
    }
    run(input, total / frame, out_bytes);
    return output_.data;
}

bool volume_normalizer_impl::run(const unsigned char* input, int frames, int* out_bytes) {
    *out_bytes = 0;
    if (frames <= 0) return true;
    const int channels = format_.channels;
    if (frames > stride_) {
        if (frames > INT_MAX / channels || !reserve(work_, frames * channels)) return false;
        stride_ = frames;
    }
    load(input, frames);
    envelope_.run(work_.data, stride_, frames);
    int dropped = envelope_.swallow(frames);
    int kept = frames - dropped;
    if (kept == 0) return true;
    if (!reserve(output_, kept * frame_bytes())) return false;
    store(dropped, kept);
    *out_bytes = kept * frame_bytes();
    return true;
}

// De-interleaves the frames into the work arrays at full scale 1.0.
void volume_normalizer_impl::load(const unsigned char* input, int frames) {
    const int channels = format_.channels;
    double* work = work_.data;
    if (!input) {
        for (int c = 0; c < channels; ++c) memset(work + c * stride_, 0, sizeof(double) * frames);
        return;
    }
    const double scale = full_scale(format_);
    const int width = format_.bits_per_sample / 8;
    const bool is_float = format_.bits_per_sample == 32 && format_.format_tag == 3;
    for (int f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            const unsigned char* s = input + (static_cast<size_t>(f) * channels + c) * width;
            double v;
            if (width == 2) {
                short x;
                memcpy(&x, s, 2);
                v = x;
            } else if (width == 3) {
                v = (s[0] | (s[1] << 8)) + (static_cast<int>(static_cast<signed char>(s[2])) << 16);
            } else if (is_float) {
                float x;
                memcpy(&x, s, 4);
                v = x;
            } else {
                int x;
                memcpy(&x, s, 4);
                v = x;
            }
            work[c * stride_ + f] = v / scale;
        }
    }
}

// Interleaves the work arrays' frames first .. first + frames - 1 into the
// output buffer as the format's samples.
void volume_normalizer_impl::store(int first, int frames) {
    const int channels = format_.channels;
    const double scale = full_scale(format_);
    const int width = format_.bits_per_sample / 8;
    const bool is_float = format_.bits_per_sample == 32 && format_.format_tag == 3;
    const double* work = work_.data;
    unsigned char* out = output_.data;
    for (int f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            double v = work[c * stride_ + first + f];
            unsigned char* d = out + (static_cast<size_t>(f) * channels + c) * width;
            if (is_float) {
                float x = static_cast<float>(v);
                memcpy(d, &x, 4);
                continue;
            }
            int x = to_integer(v, scale);
            if (width == 2) {
                short s = static_cast<short>(x);
                memcpy(d, &s, 2);
            } else if (width == 3) {
                d[0] = static_cast<unsigned char>(x);
                d[1] = static_cast<unsigned char>(x >> 8);
                d[2] = static_cast<unsigned char>(x >> 16);
            } else {
                memcpy(d, &x, 4);
            }
        }
    }
}

void volume_normalizer_impl::reset() {
    // A line that has taken no frame since it was cleared is clear already
    // (the normalizer is reset on every block while it is switched off).
    if (envelope_.ready() && envelope_.held() > 0) envelope_.clear();
    drain_counter_ = 0;
    carry_bytes_ = 0;
}

void* volume_normalizer_impl::drain(int max_bytes, int* out_bytes) {
    int ignored = 0;
    if (!out_bytes) out_bytes = &ignored;
    *out_bytes = 0;
    if (first_use_ || !envelope_.ready() || !work_.data || envelope_.channels() != format_.channels ||
        envelope_.held() == 0)
        return nullptr;
    const int frame = frame_bytes();
    if (drain_counter_ == 0) {
        drain_counter_ = latency();
        carry_bytes_ = 0;
        // A track shorter than the delay: its frames still sit behind the
        // initial delay. Silence pushed through that delay first lets the
        // drain release them instead of swallowing them too.
        while (envelope_.remaining() > 0) {
            int step = envelope_.remaining() < stride_ ? envelope_.remaining() : stride_;
            int none = 0;
            if (!run(nullptr, step, &none)) return nullptr;
        }
    }
    int amount = max_bytes < drain_counter_ ? max_bytes : drain_counter_;
    amount -= amount % frame;
    if (amount <= 0) return nullptr;
    drain_counter_ -= amount;
    bool done = run(nullptr, amount / frame, out_bytes);
    if (drain_counter_ == 0) envelope_.clear();
    return done && *out_bytes > 0 ? output_.data : nullptr;
}

per_use_factory<volume_normalizer, volume_normalizer_impl> g_volume_normalizer_node;
}  // namespace
