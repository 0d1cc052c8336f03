// The volume normalizer: the two-second start-up delay, settling to full
// scale (or to the level the strength gives), the gain limit, the strength's
// range, reset, drain and the partial frames of odd blocks.
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include "stage_test_support.h"
#include "volume_normalizer.h"

namespace {
// A new normalizer, released at the end of the scope.
struct normalizer_handle {
    normalizer_handle() : n(first_component<volume_normalizer>()) {}
    ~normalizer_handle() {
        if (n) n->release();
    }
    volume_normalizer* operator->() const { return n; }
    volume_normalizer* n;
};

// Feeds the PCM in blocks of block_bytes, then drains with that block size;
// returns what came out, and the byte count of every process call in sizes.
std::vector<unsigned char> run_through(volume_normalizer* n, const std::vector<unsigned char>& pcm,
                                       const audio_format& f, int block_bytes, std::vector<int>* sizes = nullptr,
                                       bool drain = true) {
    std::vector<unsigned char> out;
    std::vector<unsigned char> block;
    for (size_t at = 0; at < pcm.size(); at += block_bytes) {
        size_t take = std::min(static_cast<size_t>(block_bytes), pcm.size() - at);
        block.assign(pcm.begin() + at, pcm.begin() + at + take);
        int got = -1;
        unsigned char* p = static_cast<unsigned char*>(n->process(block.data(), static_cast<int>(take), &f, &got));
        if (sizes) sizes->push_back(got);
        if (got > 0) out.insert(out.end(), p, p + got);
    }
    while (drain) {
        int got = -1;
        unsigned char* p = static_cast<unsigned char*>(n->drain(block_bytes, &got));
        if (!p || got == 0) break;
        out.insert(out.end(), p, p + got);
    }
    return out;
}

// The largest magnitude in each stretch of `period` samples of one channel,
// from sample `from` of that channel on.
std::vector<double> peaks_per_period(const std::vector<double>& interleaved, int channels, size_t from,
                                     size_t period) {
    std::vector<double> peaks;
    size_t frames = interleaved.size() / channels;
    for (size_t start = from; start + period <= frames; start += period) {
        double m = 0.0;
        for (size_t f = start; f < start + period; ++f) m = std::max(m, std::fabs(interleaved[f * channels]));
        peaks.push_back(m);
    }
    return peaks;
}
}  // namespace

TEST(volume_normalizer, is_made_per_use) {
    normalizer_handle a, b;
    ASSERT_NE(a.n, nullptr);
    EXPECT_NE(a.n, b.n);
    EXPECT_EQ(a->strength(), 1.0);
    EXPECT_EQ(a->latency(), 0);
}

TEST(volume_normalizer, holds_back_two_seconds_before_the_first_output) {
    normalizer_handle n;
    const audio_format f = pcm_format(16);
    std::vector<unsigned char> pcm = encode(sine(8000.0, 441.0, 44100, 4096 * 30, 2), f);
    std::vector<int> sizes;
    std::vector<unsigned char> out = run_through(n.n, pcm, f, 16384, &sizes, false);
    ASSERT_EQ(sizes.size(), 30u);
    for (int b = 0; b < 21; ++b) EXPECT_EQ(sizes[b], 0) << "block " << b + 1;
    EXPECT_EQ(sizes[21], 7648);  // 1912 frames: 88200 = 21 x 4096 + 2184
    for (int b = 22; b < 30; ++b) EXPECT_EQ(sizes[b], 16384) << "block " << b + 1;
    EXPECT_EQ(n->latency(), 88200 * 4);
}

TEST(volume_normalizer, settles_a_sine_to_full_scale_or_to_the_level_of_its_strength) {
    struct row {
        const char* what;
        audio_format format;
        double input_peak;  // share of full scale
        double strength;
        double settled_peak;  // share of full scale
        double tolerance;     // in units of the format
    };
    const row rows[] = {
        {"16-bit quarter scale", pcm_format(16), 0.25, 1.0, 1.0, 1.0},
        {"16-bit half scale", pcm_format(16), 0.5, 1.0, 1.0, 1.0},
        {"16-bit half scale at strength 0.5", pcm_format(16), 0.5, 0.5, std::sqrt(0.5), 1.0},
        {"24-bit quarter scale", pcm_format(24), 0.25, 1.0, 1.0, 1.0},
        {"32-bit quarter scale", pcm_format(32), 0.25, 1.0, 1.0, 2.0},
        {"float quarter scale", pcm_format(32, 2, 44100, 3), 0.25, 1.0, 1.0, 1e-6},
        {"mono 48 kHz quarter scale", pcm_format(16, 1, 48000), 0.25, 1.0, 1.0, 1.0},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.what);
        const audio_format& f = r.format;
        double full = f.format_tag == 3 ? 1.0 : std::ldexp(1.0, f.bits_per_sample - 1) - 1.0;
        // 100 samples per period: every period has the same peak sample.
        double freq = f.sample_rate / 100.0;
        std::vector<unsigned char> pcm = encode(sine(r.input_peak * full, freq, f.sample_rate, f.sample_rate * 6, f.channels), f);
        normalizer_handle n;
        n->set_strength(r.strength);
        std::vector<unsigned char> out_bytes = run_through(n.n, pcm, f, 4096 * f.channels * f.bits_per_sample / 8);
        EXPECT_EQ(out_bytes.size(), pcm.size());  // delayed, then drained: nothing lost
        std::vector<double> out = decode(out_bytes.data(), out_bytes.size(), f);
        // Settled from the second second of output on, up to the last second
        // (which the drain brings out of the delay).
        std::vector<double> peaks = peaks_per_period(out, f.channels, f.sample_rate, 100);
        peaks.resize(peaks.size() - f.sample_rate / 100);
        double expected = r.settled_peak * full;
        if (f.format_tag != 3) expected = std::floor(expected);
        for (size_t p = 0; p < peaks.size(); ++p) {
            ASSERT_NEAR(peaks[p], expected, r.tolerance) << "period " << p;
            ASSERT_LE(peaks[p], full);
        }
    }
}

TEST(volume_normalizer, raises_quiet_passages_by_at_most_twenty_five) {
    normalizer_handle n;
    const audio_format f = pcm_format(16, 1);
    // A steady level of 1000 (below 1/25 of full scale).
    std::vector<double> in(44100 * 4, 1000.0);
    std::vector<unsigned char> out_bytes = run_through(n.n, encode(in, f), f, 8192);
    std::vector<double> out = decode(out_bytes.data(), out_bytes.size(), f);
    ASSERT_EQ(out.size(), in.size());
    for (size_t i = 44100; i < out.size(); ++i) ASSERT_EQ(out[i], 25000.0) << i;
    // Silence passes at gain 1, two seconds later.
    normalizer_handle s;
    std::vector<unsigned char> zeros(44100 * 2 * 3, 0);
    std::vector<int> sizes;
    out_bytes = run_through(s.n, zeros, f, 8192, &sizes);
    EXPECT_EQ(out_bytes, zeros);
    EXPECT_EQ(sizes[10], 0);  // 10 x 4096 frames < 88200
}

TEST(volume_normalizer, strength_stays_within_zero_and_one_so_samples_never_wrap) {
    normalizer_handle n;
    struct row {
        double asked, kept;
    };
    const row rows[] = {{0.5, 0.5}, {1.0, 1.0}, {0.0, 0.0}, {1.5, 1.0}, {-0.5, 0.0}, {std::nan(""), 1.0}};
    for (const row& r : rows) {
        n->set_strength(r.asked);
        EXPECT_EQ(n->strength(), r.kept) << r.asked;
    }
    // The user interface passes "norm_scale" x 0.1: with a scale of 20 an
    // exponent of 2 would raise a tone at 0.3 of full scale 11 times, past
    // full scale, and its samples would wrap into noise.
    n->set_strength(2.0);
    const audio_format f = pcm_format(16, 1);
    std::vector<double> in = sine(10000.0, 441.0, 44100, 44100 * 5, 1);
    std::vector<unsigned char> out_bytes = run_through(n.n, encode(in, f), f, 8192);
    std::vector<double> out = decode(out_bytes.data(), out_bytes.size(), f);
    ASSERT_EQ(out.size(), in.size());
    for (size_t i = 0; i < out.size(); ++i) {
        ASSERT_LE(std::fabs(out[i]), 32767.0);
        // Same sign as the input: no sample wrapped around.
        ASSERT_GE(out[i] * in[i], 0.0) << i;
    }
    // At strength 0 the block comes out exactly as it went in, two seconds on.
    normalizer_handle plain;
    plain->set_strength(0.0);
    std::vector<unsigned char> pcm = encode(sine(30000.0, 1234.5, 44100, 44100 * 3, 1), f);
    EXPECT_TRUE(run_through(plain.n, pcm, f, 4000) == pcm);
}

TEST(volume_normalizer, reset_drops_what_is_held_and_starts_a_new_delay) {
    normalizer_handle n;
    const audio_format f = pcm_format(16);
    std::vector<unsigned char> second = encode(sine(8000.0, 441.0, 44100, 44100, 2), f);
    std::vector<int> sizes;
    run_through(n.n, second, f, 16384, &sizes, false);
    EXPECT_EQ(n->latency(), 44100 * 4);
    n->reset();
    EXPECT_EQ(n->latency(), 0);
    int got = -1;
    EXPECT_EQ(n->drain(16384, &got), nullptr);
    EXPECT_EQ(got, 0);
    // A new two-second delay: 21 empty blocks again.
    sizes.clear();
    run_through(n.n, encode(sine(8000.0, 441.0, 44100, 4096 * 22, 2), f), f, 16384, &sizes, false);
    EXPECT_EQ(std::count(sizes.begin(), sizes.end(), 0), 21);
    EXPECT_EQ(sizes.back(), 7648);
    // Another format starts over too: 96000 frames at 48000 Hz.
    const audio_format dat = pcm_format(16, 2, 48000);
    sizes.clear();
    run_through(n.n, encode(sine(8000.0, 480.0, 48000, 4096 * 24, 2), dat), dat, 16384, &sizes, false);
    EXPECT_EQ(std::count(sizes.begin(), sizes.end(), 0), 23);
    EXPECT_EQ(sizes.back(), (4096 * 24 - 96000) * 4);
}

TEST(volume_normalizer, drain_releases_the_held_audio_with_the_latency_counting_down) {
    normalizer_handle n;
    const audio_format f = pcm_format(16);
    n->set_strength(0.0);  // gain 1: the output is the input, delayed
    std::vector<unsigned char> pcm = encode(sine(20000.0, 441.0, 44100, 44100 * 3 + 100, 2), f);
    std::vector<unsigned char> out = run_through(n.n, pcm, f, 16384, nullptr, false);
    EXPECT_EQ(n->latency(), 88200 * 4);
    std::vector<int> latencies;
    for (;;) {
        int got = -1;
        unsigned char* p = static_cast<unsigned char*>(n->drain(16384, &got));
        if (!p) break;
        out.insert(out.end(), p, p + got);
        latencies.push_back(n->latency());
    }
    EXPECT_TRUE(out == pcm);
    ASSERT_EQ(latencies.size(), 22u);  // 88200 frames in blocks of 4096
    EXPECT_EQ(latencies[0], 88200 * 4 - 16384);
    EXPECT_EQ(latencies.back(), 0);

    // A track shorter than the delay is heard too.
    normalizer_handle s;
    s->set_strength(0.0);
    std::vector<unsigned char> short_track = encode(sine(20000.0, 441.0, 44100, 30000, 2), f);
    EXPECT_TRUE(run_through(s.n, short_track, f, 16384) == short_track);
}

TEST(volume_normalizer, odd_blocks_keep_their_partial_frames_for_the_next_one) {
    const audio_format f = pcm_format(24);
    std::vector<unsigned char> pcm = encode(sine(3000000.0, 441.0, 44100, 44100 * 3, 2), f);
    normalizer_handle even, odd;
    std::vector<unsigned char> by_blocks = run_through(even.n, pcm, f, 4096 * 6);
    std::vector<unsigned char> by_odd_reads = run_through(odd.n, pcm, f, 1001);
    EXPECT_EQ(by_blocks.size(), pcm.size());
    EXPECT_TRUE(by_odd_reads == by_blocks);
}

TEST(volume_normalizer, blocks_of_other_depths_pass_unchanged) {
    normalizer_handle n;
    const audio_format f = pcm_format(8);
    std::vector<unsigned char> block(1000, 77);
    int got = -1;
    void* p = n->process(block.data(), 1000, &f, &got);
    EXPECT_EQ(p, block.data());
    EXPECT_EQ(got, 1000);
    EXPECT_EQ(n->latency(), 0);
}
