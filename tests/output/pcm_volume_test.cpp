// Volume and mute on samples of every format the wave-out device plays.
#include <gtest/gtest.h>
#include <climits>
#include <cstring>
#include <vector>
#include "pcm_volume.h"

namespace {
pcm_format make_format(int tag, int bits) {
    pcm_format f;
    f.format_tag = tag;
    f.channels = 1;
    f.sample_rate = 44100;
    f.bits_per_sample = bits;
    return f;
}

template <class T>
std::vector<unsigned char> bytes_of(const std::vector<T>& values) {
    std::vector<unsigned char> b(values.size() * sizeof(T));
    std::memcpy(b.data(), values.data(), b.size());
    return b;
}

std::vector<unsigned char> packed24(const std::vector<int>& values) {
    std::vector<unsigned char> b;
    for (int v : values) {
        b.push_back(static_cast<unsigned char>(v & 0xFF));
        b.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
        b.push_back(static_cast<unsigned char>((v >> 16) & 0xFF));
    }
    return b;
}

struct row {
    const char* name;
    pcm_format format;
    std::vector<unsigned char> in;
    int volume;
    bool mute;
    std::vector<unsigned char> out;
};
}  // namespace

TEST(pcm_volume, scales_each_format_towards_zero) {
    const pcm_format u8 = make_format(1, 8), s16 = make_format(1, 16), s24 = make_format(1, 24),
                     s32 = make_format(1, 32), f32 = make_format(3, 32);
    const std::vector<short> s16_in = {32767, -32768, 3, -3, 0};
    const std::vector<int> s24_in = {8388607, -8388608, 1001};
    const std::vector<int> s32_in = {INT_MAX, INT_MIN, -7};
    const std::vector<float> f32_in = {1.0f, -0.5f, 0.25f};
    const row rows[] = {
        {"u8 half", u8, {0, 255, 128, 130}, 500, false, {64, 191, 128, 129}},
        {"u8 mute", u8, {0, 255, 17}, 1000, true, {128, 128, 128}},
        {"s16 half", s16, bytes_of(s16_in), 500, false, bytes_of(std::vector<short>{16383, -16384, 1, -1, 0})},
        {"s16 full", s16, bytes_of(s16_in), 1000, false, bytes_of(s16_in)},
        {"s16 above full", s16, bytes_of(s16_in), 1500, false, bytes_of(s16_in)},
        {"s16 negative", s16, bytes_of(s16_in), -20, false, bytes_of(std::vector<short>{0, 0, 0, 0, 0})},
        {"s16 mute", s16, bytes_of(s16_in), 700, true, bytes_of(std::vector<short>{0, 0, 0, 0, 0})},
        {"s24 half", s24, packed24(s24_in), 500, false, packed24({4194303, -4194304, 500})},
        {"s32 tenth", s32, bytes_of(s32_in), 100, false, bytes_of(std::vector<int>{214748364, -214748364, 0})},
        {"f32 half", f32, bytes_of(f32_in), 500, false, bytes_of(std::vector<float>{0.5f, -0.25f, 0.125f})},
        {"f32 mute", f32, bytes_of(f32_in), 1000, true, bytes_of(std::vector<float>{0.0f, -0.0f, 0.0f})},
    };
    for (const row& r : rows) {
        std::vector<unsigned char> b = r.in;
        apply_volume(r.format, b.data(), static_cast<int>(b.size()), r.volume, r.mute);
        EXPECT_EQ(b, r.out) << r.name;
    }
}
