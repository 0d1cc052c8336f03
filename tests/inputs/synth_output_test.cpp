// The decoder's output stage: values per format and precision, layout of the
// stereo and mono forms, and the dither modes with fixed random sources.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "synth_output.h"

namespace {

using bytes = std::vector<unsigned char>;

// Random sources: a fixed sequence (repeated), and a linear congruential generator.
std::vector<int> sequence;
size_t draws = 0;
int sequence_random()
{
    return sequence[draws++ % sequence.size()];
}
void use_sequence(std::vector<int> values)
{
    sequence = std::move(values);
    draws = 0;
}

uint32_t lcg_state = 1;
int lcg_random()
{
    lcg_state = lcg_state * 1103515245u + 12345u;
    return int((lcg_state >> 16) & 0x7FFF);
}

// The first sample of a mono block of 32 copies of s.
template <typename real>
bytes convert_one(output_format format, float s, int dither_mode = 0, random_source random = sequence_random)
{
    synth_output<real> out(format, dither_mode, random);
    float block[32];
    for (float& v : block)
        v = s;
    unsigned char pcm[32 * 4];
    int position = 0;
    out.synth_mono(block, pcm, position);
    return bytes(pcm, pcm + out.sample_bytes());
}

// Signed integer values of a run of packed samples.
std::vector<long long> values(const unsigned char* p, int count, int sample_bytes)
{
    std::vector<long long> v;
    for (int i = 0; i < count; ++i, p += sample_bytes) {
        long long x = 0;
        for (int b = sample_bytes - 1; b >= 0; --b)
            x = (x << 8) | p[b];
        const long long sign = 1LL << (8 * sample_bytes - 1);
        v.push_back((x ^ sign) - sign);
    }
    return v;
}

const float inf = std::numeric_limits<float>::infinity();

TEST(synth_output, values_by_format_and_precision)
{
    struct value_case {
        bool single;
        output_format format;
        float s;
        bytes expected;
    };
    const output_format i16 = output_format::int16, i24 = output_format::int24, i32 = output_format::int32,
                        f32 = output_format::float32;
    const value_case cases[] = {
        {true, i16, 1.0f, {0xFF, 0x7F}},
        {true, i16, -1.0f, {0x01, 0x80}},
        {true, i16, 1.5f, {0xFF, 0x7F}},
        {true, i16, -1.5f, {0x00, 0x80}},
        {true, i16, 0.5f, {0x00, 0x40}},   // 16383.5 -> 16384, ties to even
        {true, i16, -0.5f, {0x00, 0xC0}},  // -16383.5 -> -16384
        {true, i16, 0.0f, {0x00, 0x00}},
        {true, i16, inf, {0xFF, 0x7F}},
        {true, i16, -inf, {0x00, 0x80}},
        // s x 32767 = 24938.50063...: single precision holds 24938.5 and rounds to even
        {true, i16, 0x1.85ad0cp-1f, {0x6A, 0x61}},
        {false, i16, 0x1.85ad0cp-1f, {0x6B, 0x61}},
        {false, i16, 1.0f, {0xFF, 0x7F}},
        {false, i16, -1.5f, {0x00, 0x80}},
        {false, i16, 0.5f, {0x00, 0x40}},
        {true, i24, -1.0f, {0x01, 0x00, 0x80}},
        {true, i24, -2.0f, {0x00, 0x00, 0x80}},
        {true, i24, 1.0f, {0xFF, 0xFF, 0x7F}},
        {true, i24, 0.5f, {0x00, 0x00, 0x40}},  // 4194303.5 -> 4194304
        {true, i24, inf, {0xFF, 0xFF, 0x7F}},
        {false, i24, -1.0f, {0x01, 0x00, 0x80}},
        {false, i24, -2.0f, {0x00, 0x00, 0x80}},
        {false, i24, 1.0f, {0xFF, 0xFF, 0x7F}},
        {true, i32, 1.0f, {0xFF, 0xFF, 0xFF, 0x7F}},  // 2^31 clipped
        {true, i32, -1.0f, {0x00, 0x00, 0x00, 0x80}},
        {true, i32, 0.5f, {0x00, 0x00, 0x00, 0x40}},
        {true, i32, -inf, {0x00, 0x00, 0x00, 0x80}},
        {false, i32, 1.0f, {0xFF, 0xFF, 0xFF, 0x7F}},
        {false, i32, -1.0f, {0x01, 0x00, 0x00, 0x80}},
        {false, i32, 0.5f, {0x00, 0x00, 0x00, 0x40}},  // 1073741823.5 -> 1073741824
        {false, i32, 0.25f, {0x00, 0x00, 0x00, 0x20}}, // 536870911.75 -> 536870912
        {false, i32, 2.0f, {0xFF, 0xFF, 0xFF, 0x7F}},
        {true, f32, 1.5f, {0x00, 0x00, 0xC0, 0x3F}},
        {true, f32, -3.0f, {0x00, 0x00, 0x40, 0xC0}},
        {false, f32, 1.5f, {0x00, 0x00, 0xC0, 0x3F}},
        {false, f32, -3.0f, {0x00, 0x00, 0x40, 0xC0}},
    };
    for (const value_case& c : cases) {
        const bytes got = c.single ? convert_one<float>(c.format, c.s) : convert_one<double>(c.format, c.s);
        EXPECT_EQ(got, c.expected) << (c.single ? "single " : "double ") << int(c.format) << " s = " << c.s;
    }
}

TEST(synth_output, stereo_and_mono_blocks_interleave_and_advance)
{
    struct layout_case {
        output_format format;
        int stereo_advance, mono_advance;
    };
    const layout_case cases[] = {{output_format::int16, 128, 64},
                                 {output_format::int24, 192, 96},
                                 {output_format::int32, 256, 128},
                                 {output_format::float32, 256, 128}};
    float slot[64];  // one time slot as the synthesis delivers it: left, right, left, ...
    for (int i = 0; i < 32; ++i) {
        slot[2 * i] = float(i + 1) / 32767.0f;
        slot[2 * i + 1] = -float(i + 1) / 32767.0f;
    }
    for (const layout_case& c : cases) {
        SCOPED_TRACE(int(c.format));
        synth_output<float> out(c.format, 0);
        const int n = out.sample_bytes();
        unsigned char pcm[512];
        std::memset(pcm, 0xEE, sizeof pcm);
        int position = 0;
        int left = position;
        out.synth_stereo(slot, 0, pcm, left);
        out.synth_stereo(slot + 1, 1, pcm, position);
        EXPECT_EQ(left, c.stereo_advance);
        EXPECT_EQ(position, c.stereo_advance);
        EXPECT_EQ(pcm[c.stereo_advance], 0xEE) << "nothing written past the block";
        if (c.format == output_format::int16) {
            const std::vector<long long> v = values(pcm, 64, n);
            for (int i = 0; i < 32; ++i) {
                EXPECT_EQ(v[2 * i], i + 1);
                EXPECT_EQ(v[2 * i + 1], -(i + 1));
            }
        } else if (c.format == output_format::float32) {
            EXPECT_EQ(std::memcmp(pcm, slot, 256), 0);
        }
        float mono[32];
        for (int i = 0; i < 32; ++i)
            mono[i] = slot[2 * i];
        position = 0;
        std::memset(pcm, 0xEE, sizeof pcm);
        out.synth_mono(mono, pcm, position);
        EXPECT_EQ(position, c.mono_advance);
        EXPECT_EQ(pcm[c.mono_advance], 0xEE);
        if (c.format == output_format::int16) {
            const std::vector<long long> v = values(pcm, 32, n);
            for (int i = 0; i < 32; ++i)
                EXPECT_EQ(v[i], i + 1);
        }
    }
}

TEST(synth_output, noise_shaper_starts_with_the_five_tap_filter_and_empty_history)
{
    synth_output<float> out(output_format::int16, 3);
    const noise_shaper<float>& ns = out.shaper();
    EXPECT_EQ(ns.mask, 7);
    EXPECT_EQ(ns.size, 8);
    const float c[5] = {2.033f, -2.165f, 1.959f, -1.590f, 0.6149f};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(ns.c[i], c[i]);
    EXPECT_EQ(ns.phase, 0);
    EXPECT_EQ(ns.previous, 0.0f);
    for (float h : ns.history)
        EXPECT_EQ(h, 0.0f);
}

TEST(synth_output, rectangular_dither_subtracts_one_uniform_step)
{
    struct draw_case {
        int random;
        long long expected;  // on silence
    };
    const draw_case cases[] = {{0, 0}, {16383, 0}, {16384, -1}, {32767, -1}};
    const output_format formats[] = {output_format::int16, output_format::int24, output_format::int32};
    for (output_format format : formats)
        for (const draw_case& c : cases) {
            use_sequence({c.random});
            const bytes single = convert_one<float>(format, 0.0f, 1);
            use_sequence({c.random});
            const bytes dbl = convert_one<double>(format, 0.0f, 1);
            const int n = int(single.size());
            EXPECT_EQ(values(single.data(), 1, n)[0], c.expected) << int(format) << " rand " << c.random;
            EXPECT_EQ(values(dbl.data(), 1, n)[0], c.expected) << int(format) << " rand " << c.random;
        }
}

// Dithered silence, n samples (mono blocks).
template <typename real>
std::vector<long long> dithered_silence(int mode, random_source random, int blocks,
                                        synth_output<real>* keep = nullptr)
{
    synth_output<real> local(output_format::int16, mode, random);
    synth_output<real>& out = keep ? *keep : local;
    float zero[32] = {};
    std::vector<unsigned char> pcm(size_t(blocks) * 64);
    int position = 0;
    for (int b = 0; b < blocks; ++b)
        out.synth_mono(zero, pcm.data(), position);
    return values(pcm.data(), blocks * 32, 2);
}

struct stats {
    double mean = 0, lag1 = 0;
    long long low = 0, high = 0;
};
stats statistics(const std::vector<long long>& v)
{
    stats s;
    s.low = s.high = v[0];
    for (long long x : v) {
        s.mean += double(x);
        s.low = std::min(s.low, x);
        s.high = std::max(s.high, x);
    }
    s.mean /= double(v.size());
    double var = 0, cov = 0;
    for (size_t i = 0; i < v.size(); ++i) {
        var += (double(v[i]) - s.mean) * (double(v[i]) - s.mean);
        if (i)
            cov += (double(v[i]) - s.mean) * (double(v[i - 1]) - s.mean);
    }
    s.lag1 = cov / var;
    return s;
}

TEST(synth_output, dither_statistics_on_silence)
{
    lcg_state = 12345;
    const stats rect = statistics(dithered_silence<float>(1, lcg_random, 2000));
    EXPECT_EQ(rect.low, -1);
    EXPECT_EQ(rect.high, 0);
    EXPECT_NEAR(rect.mean, -0.5, 0.01) << "about half a step below the input";
    EXPECT_NEAR(rect.lag1, 0.0, 0.02) << "white";

    lcg_state = 12345;
    const stats tri = statistics(dithered_silence<float>(2, lcg_random, 2000));
    EXPECT_EQ(tri.low, -2);
    EXPECT_EQ(tri.high, 2);
    EXPECT_NEAR(tri.mean, 0.0, 0.01);
    EXPECT_LT(tri.lag1, -0.35) << "high-pass: successive values anti-correlated";

    lcg_state = 12345;
    const stats shaped = statistics(dithered_silence<double>(3, lcg_random, 2000));
    EXPECT_NEAR(shaped.mean, 0.0, 0.02);
    // The history holds only dither terms (|r - previous| <= 2), so the shaped
    // noise stays within 2 + 2 x (sum of |c|) = 18.7 steps.
    EXPECT_GE(shaped.low, -19);
    EXPECT_LE(shaped.high, 19);
    EXPECT_GT(shaped.high - shaped.low, 12) << "louder than plain triangular dither";
    EXPECT_LT(shaped.lag1, -0.5) << "the shaping filter pushes the noise further up";
}

TEST(synth_output, triangular_dither_starts_from_a_previous_value_of_zero)
{
    use_sequence({32767, 0, 32767, 0});
    const std::vector<long long> v = dithered_silence<float>(2, sequence_random, 1);
    EXPECT_EQ(v[0], 1);
    EXPECT_EQ(v[1], -2);
    EXPECT_EQ(v[2], 2);
    EXPECT_EQ(v[3], -2);
}

// With every draw at the top (r = 1), the first sample sees an empty history
// (xe = v) and stores -1; the next five samples see that entry through the
// five taps, and the phase comes back to overwrite it after eight samples.
TEST(synth_output, shaped_dither_runs_the_error_through_the_five_taps)
{
    const long long expected[12] = {1, -2, 2, -2, 2, -1, 0, 0, 0, 0, 0, 0};
    for (int mode : {3, 4, 99}) {
        use_sequence({32767});
        synth_output<float> single(output_format::int16, mode, sequence_random);
        std::vector<long long> v = dithered_silence<float>(mode, sequence_random, 1, &single);
        use_sequence({32767});
        synth_output<double> dbl(output_format::int16, mode, sequence_random);
        std::vector<long long> w = dithered_silence<double>(mode, sequence_random, 1, &dbl);
        for (int i = 0; i < 12; ++i) {
            EXPECT_EQ(v[size_t(i)], expected[i]) << "single, mode " << mode << ", sample " << i;
            EXPECT_EQ(w[size_t(i)], expected[i]) << "double, mode " << mode << ", sample " << i;
        }
        EXPECT_EQ(single.shaper().phase, 32 & 7);
        for (float h : single.shaper().history)
            EXPECT_NEAR(h, 0.0f, 1e-6) << "the entry of the first sample was overwritten";
    }
}

TEST(synth_output, each_dithered_sample_draws_once_in_synthesis_order)
{
    // Two time slots of stereo: left 0-31, right 0-31, left 32-63, right 32-63.
    struct order_case {
        size_t draw;
        int channel, sample;
    };
    const order_case cases[] = {{0, 0, 0}, {31, 0, 31}, {32, 1, 0}, {40, 1, 8}, {70, 0, 38}, {127, 1, 63}};
    float silence[128] = {};
    for (const order_case& c : cases) {
        std::vector<int> seq(128, 0);
        seq[c.draw] = 32767;
        use_sequence(seq);
        synth_output<float> out(output_format::int16, 1, sequence_random);
        unsigned char pcm[512];
        EXPECT_EQ(out.write_frame(silence, 2, 64, pcm), 256);
        EXPECT_EQ(draws, 128u);
        const std::vector<long long> v = values(pcm, 128, 2);
        for (int i = 0; i < 128; ++i)
            EXPECT_EQ(v[size_t(i)], i == 2 * c.sample + c.channel ? -1 : 0) << "draw " << c.draw << " at " << i;
    }
    // A single channel in time order, triangular: r = -1 except at draw 45.
    std::vector<int> seq(64, 0);
    seq[45] = 32767;
    use_sequence(seq);
    synth_output<double> mono(output_format::int24, 2, sequence_random);
    unsigned char pcm[256];
    EXPECT_EQ(mono.write_frame(silence, 1, 64, pcm), 192);
    const std::vector<long long> v = values(pcm, 64, 3);
    for (int i = 0; i < 64; ++i) {
        const long long expected = i == 0 ? -1 : i == 45 ? 2 : i == 46 ? -2 : 0;
        EXPECT_EQ(v[size_t(i)], expected) << "sample " << i;
    }
}

TEST(synth_output, float_output_and_mode_0_never_draw)
{
    float samples[64];
    for (int i = 0; i < 64; ++i)
        samples[i] = float(i - 32) * 0.07f;
    use_sequence({32767});
    synth_output<float> as_float(output_format::float32, 3, sequence_random);
    unsigned char pcm[512];
    EXPECT_EQ(as_float.write_frame(samples, 2, 32, pcm), 256);
    EXPECT_EQ(std::memcmp(pcm, samples, 256), 0);
    for (int mode : {0, -4}) {
        synth_output<double> plain(output_format::int32, mode, sequence_random);
        plain.write_frame(samples, 1, 64, pcm);
    }
    EXPECT_EQ(draws, 0u);
}

// The whole-frame path of undithered output must give what the block forms
// give, for every format, including values that clip.
template <typename real>
void expect_frame_equals_blocks(output_format format, const float* samples, int channels, int per_channel)
{
    synth_output<real> out(format, 0);
    std::vector<unsigned char> frame(2 * 1152 * 4), blocks(2 * 1152 * 4);
    const int n = out.write_frame(samples, channels, per_channel, frame.data());
    int position = 0;
    for (int slot = 0; slot < per_channel / 32; ++slot) {
        if (channels == 2) {
            int left = position;
            out.synth_stereo(samples + slot * 64, 0, blocks.data(), left);
            out.synth_stereo(samples + slot * 64 + 1, 1, blocks.data(), position);
        } else {
            out.synth_mono(samples + slot * 32, blocks.data(), position);
        }
    }
    EXPECT_EQ(n, position);
    EXPECT_EQ(std::memcmp(frame.data(), blocks.data(), size_t(n)), 0)
        << int(format) << " channels " << channels << (sizeof(real) == 4 ? " single" : " double");
}

TEST(synth_output, undithered_frames_match_the_block_forms)
{
    float samples[2 * 1152];
    for (int i = 0; i < 2 * 1152; ++i)
        samples[i] = 1.3f * std::sin(float(i) * 0.37f) + (i % 97 == 0 ? 0.5f : 0.0f);
    const output_format formats[] = {output_format::int16, output_format::int24, output_format::int32,
                                     output_format::float32};
    for (output_format format : formats) {
        for (int channels : {1, 2}) {
            expect_frame_equals_blocks<float>(format, samples, channels, 2 * 1152 / channels);
            expect_frame_equals_blocks<double>(format, samples, channels, 2 * 1152 / channels);
        }
    }
}

}  // namespace
