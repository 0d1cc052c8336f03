#pragma once
// The five integers of an audio format that the outputs read, and the sizes
// derived from them.
//
// The playback thread hands output::write a record whose first five integers
// are valid; the length and bit-rate fields that follow in `audio_format` may
// not exist at all, so an output copies the five integers and nothing else.
#include "audio_format.h"

struct pcm_format {
    int format_tag = 0;   // 1 integer PCM, 3 IEEE float
    int channels = 0;
    int sample_rate = 0;
    int bits_per_sample = 0;
    int channel_mask = 0;

    static pcm_format from(const audio_format* source) {
        pcm_format f;
        if (!source) return f;
        f.format_tag = source->format_tag;
        f.channels = source->channels;
        f.sample_rate = source->sample_rate;
        f.bits_per_sample = source->bits_per_sample;
        f.channel_mask = source->channel_mask;
        return f;
    }

    int bytes_per_sample() const { return (bits_per_sample + 7) / 8; }
    int bytes_per_frame() const { return bytes_per_sample() * channels; }
    long long bytes_per_second() const {
        return static_cast<long long>(bytes_per_frame()) * sample_rate;
    }
    // Whether a simulated device can time it: positive sizes and rate.
    bool is_timed() const { return channels > 0 && bits_per_sample > 0 && sample_rate > 0; }
    // Whether the wave-out device and the WAV file can carry it: integer PCM of
    // 8, 16, 24 or 32 bits, or 32-bit float, 1 to 8 channels.
    bool is_playable() const {
        if (!is_timed() || channels > 8) return false;
        if (format_tag == 1)
            return bits_per_sample == 8 || bits_per_sample == 16 || bits_per_sample == 24 ||
                   bits_per_sample == 32;
        return format_tag == 3 && bits_per_sample == 32;
    }

    bool operator==(const pcm_format& o) const {
        return format_tag == o.format_tag && channels == o.channels && sample_rate == o.sample_rate &&
               bits_per_sample == o.bits_per_sample && channel_mask == o.channel_mask;
    }
    bool operator!=(const pcm_format& o) const { return !(*this == o); }
};

// The bytes of `to` that last as long as `bytes` of `from` (rounded down).
inline long long same_duration_bytes(long long bytes, const pcm_format& from, const pcm_format& to) {
    long long from_rate = from.bytes_per_second();
    return from_rate > 0 ? bytes * to.bytes_per_second() / from_rate : 0;
}

// The speaker mask commonly used for a channel count (WAVE_FORMAT_EXTENSIBLE).
inline unsigned default_channel_mask(int channels) {
    switch (channels) {
    case 1: return 0x4;    // front centre
    case 2: return 0x3;    // front left and right
    case 3: return 0x7;
    case 4: return 0x33;   // front and back pairs
    case 5: return 0x37;
    case 6: return 0x3F;   // 5.1
    case 7: return 0x13F;
    case 8: return 0x63F;  // 7.1
    default: return 0;
    }
}
