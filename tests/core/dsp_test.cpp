// Sample conversion: rounding, clamping and the raw block functions.
#include <gtest/gtest.h>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>
#include "dsp.h"

namespace {
const double nan_value = std::numeric_limits<double>::quiet_NaN();

int24_t make24(unsigned char b0, unsigned char b1, unsigned char b2) { return int24_t{{b0, b1, b2}}; }

int value24(const int24_t& s) {
    return static_cast<int>(s.bytes[0]) | (s.bytes[1] << 8) | (static_cast<signed char>(s.bytes[2]) * 65536);
}
}  // namespace

TEST(dsp, format_code_follows_bits_and_format_tag) {
    EXPECT_EQ(dsp::sample_format_code(1, 16), 0);
    EXPECT_EQ(dsp::sample_format_code(1, 24), 1);
    EXPECT_EQ(dsp::sample_format_code(1, 32), 2);
    EXPECT_EQ(dsp::sample_format_code(3, 32), 3);
    EXPECT_EQ(dsp::sample_format_code(1, 8), -1);
    EXPECT_EQ(dsp::sample_format_code(3, 64), -1);
}

TEST(dsp, integer_targets_round_ties_to_even_and_clamp_in_range) {
    struct row {
        double in;
        int to16, to16_clip, to24_clip, to32_clip;
    };
    const row rows[] = {
        {2.5, 2, 2, 2, 2},
        {3.5, 4, 4, 4, 4},
        {-2.5, -2, -2, -2, -2},
        {-3.5, -4, -4, -4, -4},
        {0.49, 0, 0, 0, 0},
        {1000.0, 1000, 1000, 1000, 1000},
        {32767.5, -32768, 32767, 32768, 32768},     // non-clamping wraps the rounded 32768
        {40000.0, 40000 - 65536, 32767, 40000, 40000},
        {-40000.0, -40000 + 65536, -32768, -40000, -40000},
        {9000000.0, 9000000 % 65536 - 65536 * ((9000000 % 65536) >= 32768), 32767, 8388607, 9000000},
        {-9000000.0, -9000000 + 65536 * 138, -32768, -8388608, -9000000},
        {3.0e9, 0, 32767, 8388607, 2147483647},
        {-3.0e9, 0, -32768, -8388608, -2147483647 - 1},
        {2147483647.4, 0, 32767, 8388607, 2147483647},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.in);
        const double d = r.in;
        short s16 = 0, s16c = 0;
        int24_t s24c{};
        long s32c = 0;
        dsp::convert_64_to_16_clip(&d, &s16c, 1);
        dsp::convert_64_to_24_clip(&d, &s24c, 1);
        dsp::convert_64_to_32_clip(&d, &s32c, 1);
        EXPECT_EQ(s16c, r.to16_clip);
        EXPECT_EQ(value24(s24c), r.to24_clip);
        EXPECT_EQ(s32c, r.to32_clip);
        if (std::fabs(d) < 2147483647.0) {  // beyond the 32-bit range the wrapping result is not defined
            dsp::convert_64_to_16(&d, &s16, 1);
            EXPECT_EQ(s16, static_cast<short>(r.to16));
        }
        // The float forms give the same result wherever the value is exact in float.
        const float f = static_cast<float>(d);
        if (static_cast<double>(f) == d) {
            short f16c = 0;
            int24_t f24c{};
            long f32c = 0;
            dsp::convert_32_to_16_clip(&f, &f16c, 1);
            dsp::convert_32_to_24_clip(&f, &f24c, 1);
            dsp::convert_32_to_32_clip(&f, &f32c, 1);
            EXPECT_EQ(f16c, r.to16_clip);
            EXPECT_EQ(value24(f24c), r.to24_clip);
            EXPECT_EQ(f32c, r.to32_clip);
        }
    }
}

TEST(dsp, non_clamping_conversions_keep_low_order_bits) {
    const float in[] = {32768.0f, 8388608.0f, -8388609.0f, 65537.0f};
    short s16[4];
    int24_t s24[4];
    long s32[4];
    dsp::convert_32_to_16(in, s16, 4);
    dsp::convert_32_to_24(in, s24, 4);
    dsp::convert_32_to_32(in, s32, 4);
    EXPECT_EQ(s16[0], -32768);
    EXPECT_EQ(s16[3], 1);
    EXPECT_EQ(value24(s24[1]), -8388608);
    EXPECT_EQ(value24(s24[2]), 8388607);
    EXPECT_EQ(s32[3], 65537);
}

TEST(dsp, nan_clamps_to_the_most_negative_value) {
    const double d = nan_value;
    const float f = static_cast<float>(nan_value);
    short s16 = 0;
    int24_t s24{};
    long s32 = 0;
    float f32 = 0, g32 = 0;
    dsp::convert_64_to_16_clip(&d, &s16, 1);
    dsp::convert_64_to_24_clip(&d, &s24, 1);
    dsp::convert_64_to_32_clip(&d, &s32, 1);
    dsp::convert_64_to_32f_clip(&d, &f32, 1);
    dsp::convert_32_to_32f_clip(&f, &g32, 1);
    EXPECT_EQ(s16, -32768);
    EXPECT_EQ(value24(s24), -8388608);
    EXPECT_EQ(s32, -2147483647 - 1);
    EXPECT_EQ(f32, -1.0f);
    EXPECT_EQ(g32, -1.0f);
}

TEST(dsp, float_clamp_limits_to_unit_range) {
    const double in[] = {1.5, -1.5, 0.25, 1.0, -1.0, 1e300};
    float out[6];
    dsp::convert_64_to_32f_clip(in, out, 6);
    const float expected[] = {1.0f, -1.0f, 0.25f, 1.0f, -1.0f, 1.0f};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(out[i], expected[i]) << i;
}

TEST(dsp, packed_24_bit_samples_sign_extend_from_bit_23) {
    const int24_t in[] = {make24(0x00, 0x00, 0x80), make24(0xFF, 0xFF, 0x7F), make24(0xFF, 0xFF, 0xFF),
                          make24(0x34, 0x12, 0x00)};
    float f[4];
    double d[4];
    dsp::convert_24_to_32f(in, f, 4);
    dsp::convert_24_to_64f(in, d, 4);
    const double expected[] = {-8388608.0, 8388607.0, -1.0, 0x1234};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(f[i], static_cast<float>(expected[i])) << i;
        EXPECT_EQ(d[i], expected[i]) << i;
    }
}

TEST(dsp, scale_and_width_changes_round_to_float_once) {
    float f[] = {1.0f, 3.0f, -0.5f};
    dsp::scale32(f, 0.1, 3);
    EXPECT_EQ(f[0], static_cast<float>(1.0 * 0.1));
    EXPECT_EQ(f[1], static_cast<float>(3.0 * 0.1));
    EXPECT_EQ(f[2], static_cast<float>(-0.5 * 0.1));
    double d[] = {3.0, -2.0};
    dsp::scale64(d, 0.1, 2);
    EXPECT_EQ(d[0], 3.0 * 0.1);
    EXPECT_EQ(d[1], -2.0 * 0.1);
    const double wide[] = {0.1};
    float narrow = 0;
    dsp::convert_64f_to_32f(wide, &narrow, 1);
    EXPECT_EQ(narrow, 0.1f);
    double back = 0;
    dsp::convert_32f_to_64f(&narrow, &back, 1);
    EXPECT_EQ(back, static_cast<double>(0.1f));
}

TEST(dsp, read_chunk_converts_whole_samples_and_returns_their_width) {
    const unsigned char raw24[7] = {0x00, 0x00, 0x80, 0xFF, 0xFF, 0x7F, 0x55};
    float out[4] = {7, 7, 7, 7};
    EXPECT_EQ(dsp::read_audio_chunk(1, const_cast<unsigned char*>(raw24), out, 7), 3);
    EXPECT_EQ(out[0], -8388608.0f);
    EXPECT_EQ(out[1], 8388607.0f);
    EXPECT_EQ(out[2], 7.0f);  // the trailing byte is no sample

    short raw16[] = {1000, -32768, 5};
    double d[3] = {9, 9, 9};
    EXPECT_EQ(dsp::read_audio_chunk_64(0, raw16, d, 5), 2);
    EXPECT_EQ(d[0], 1000.0);
    EXPECT_EQ(d[1], -32768.0);
    EXPECT_EQ(d[2], 9.0);

    long raw32[] = {-2147483647 - 1, 123};
    EXPECT_EQ(dsp::read_audio_chunk(2, raw32, out, 8), 4);
    EXPECT_EQ(out[0], -2147483648.0f);
    EXPECT_EQ(out[1], 123.0f);
}

TEST(dsp, read_chunk_of_floats_copies_only_whole_samples) {
    // A 10-byte float block holds two samples; the buffer sized for them must
    // not receive the two trailing bytes.
    float src[3] = {0.5f, -0.25f, 0.0f};
    unsigned char raw[10];
    std::memcpy(raw, src, 10);
    struct {
        float samples[2];
        unsigned char guard[4];
    } dst;
    std::memset(dst.guard, 0xAB, sizeof dst.guard);
    EXPECT_EQ(dsp::read_audio_chunk(3, raw, dst.samples, 10), 4);
    EXPECT_EQ(dst.samples[0], 0.5f);
    EXPECT_EQ(dst.samples[1], -0.25f);
    for (unsigned char b : dst.guard) EXPECT_EQ(b, 0xAB);

    double wide[2];
    EXPECT_EQ(dsp::read_audio_chunk_64(3, raw, wide, 10), 4);
    EXPECT_EQ(wide[1], -0.25);
}

TEST(dsp, unknown_codes_and_empty_blocks_touch_nothing) {
    std::vector<unsigned char> raw(4096, 0x11);
    std::vector<float> f(1024, 42.0f);
    std::vector<double> d(1024, 42.0);
    EXPECT_EQ(dsp::read_audio_chunk(-1, raw.data(), f.data(), 4096), 4096);
    EXPECT_EQ(dsp::read_audio_chunk_64(7, raw.data(), d.data(), 4096), 4096);
    for (float v : f) ASSERT_EQ(v, 42.0f);
    for (double v : d) ASSERT_EQ(v, 42.0);
    dsp::write_audio_chunk(-1, f.data(), raw.data(), 4096);
    dsp::write_audio_chunk_64(4, d.data(), raw.data(), 4096);
    for (unsigned char b : raw) ASSERT_EQ(b, 0x11);
    for (int code = 0; code <= 3; ++code) {
        dsp::write_audio_chunk(code, f.data(), raw.data(), 0);
        dsp::write_audio_chunk(code, f.data(), raw.data(), -8);
        EXPECT_EQ(dsp::read_audio_chunk(code, raw.data(), f.data(), 0), code == 1 ? 3 : code == 0 ? 2 : 4);
        dsp::read_audio_chunk(code, raw.data(), f.data(), -8);
    }
    for (unsigned char b : raw) ASSERT_EQ(b, 0x11);
    for (float v : f) ASSERT_EQ(v, 42.0f);
}

TEST(dsp, write_chunk_clamps_per_format) {
    float f16[] = {40000.0f, -40000.0f, 2.5f, 3.5f};
    short out16[4];
    dsp::write_audio_chunk(0, f16, out16, sizeof out16);
    EXPECT_EQ(out16[0], 32767);
    EXPECT_EQ(out16[1], -32768);
    EXPECT_EQ(out16[2], 2);
    EXPECT_EQ(out16[3], 4);

    float f24[] = {9.0e6f, -9.0e6f};
    unsigned char out24[6];
    dsp::write_audio_chunk(1, f24, out24, 6);
    const unsigned char expected24[] = {0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x80};
    EXPECT_EQ(std::memcmp(out24, expected24, 6), 0);

    double d32[] = {3.0e9, -3.0e9};
    long out32[2];
    dsp::write_audio_chunk_64(2, d32, out32, 8);
    EXPECT_EQ(out32[0], 2147483647);
    EXPECT_EQ(out32[1], -2147483647 - 1);

    float ff[] = {1.5f, static_cast<float>(nan_value)};
    float outf[2];
    dsp::write_audio_chunk(3, ff, outf, 8);
    EXPECT_EQ(outf[0], 1.0f);
    EXPECT_EQ(outf[1], -1.0f);
    double df[] = {-7.0, 0.125};
    dsp::write_audio_chunk_64(3, df, outf, 8);
    EXPECT_EQ(outf[0], -1.0f);
    EXPECT_EQ(outf[1], 0.125f);
}

TEST(dsp, round_trip_of_16_bit_blocks_is_exact) {
    std::vector<short> in;
    for (int v = -32768; v <= 32767; v += 7) in.push_back(static_cast<short>(v));
    in.push_back(32767);
    const int bytes = static_cast<int>(in.size() * 2);
    std::vector<float> f(in.size());
    std::vector<short> out(in.size());
    EXPECT_EQ(dsp::read_audio_chunk(0, in.data(), f.data(), bytes), 2);
    dsp::write_audio_chunk(0, f.data(), out.data(), bytes);
    EXPECT_EQ(in, out);
}
