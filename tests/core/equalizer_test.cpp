// The equalizer's filtering: the flat scale with its rounding, the preamp
// and band factors, the band filters' response, the filter history from
// block to block, per format and per playback thread, and its listeners.
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <functional>
#include "engine_listener.h"
#include "equalizer.h"
#include "stage_test_support.h"

namespace {
const double k_flat[equalizer::value_count] = {};

struct equalizer_fixture : testing::Test {
    void SetUp() override {
        eq = first_component<equalizer>();
        ASSERT_NE(eq, nullptr);
        eq->set_bands(k_flat);
        eq->set_enabled(true);
    }
    void TearDown() override {
        if (!eq) return;
        eq->set_enabled(false);
        eq->set_bands(k_flat);
    }
    // The block filtered on a thread of its own (a fresh history).
    std::vector<unsigned char> fresh(std::vector<unsigned char> block, const audio_format& f) {
        on_new_thread([&] { eq->process(block.data(), static_cast<int>(block.size()), &f); });
        return block;
    }
    equalizer* eq = nullptr;
};

// values[0] the preamp, values[band] one band.
void set_values(equalizer* eq, double preamp, int band, double value) {
    double values[equalizer::value_count] = {};
    values[0] = preamp;
    if (band > 0) values[band] = value;
    eq->set_bands(values);
}

double rms(const std::vector<double>& v, size_t from) {
    double sum = 0.0;
    for (size_t i = from; i < v.size(); ++i) sum += v[i] * v[i];
    return std::sqrt(sum / static_cast<double>(v.size() - from));
}

struct recording_listener : equalizer_listener {
    std::vector<std::string> calls;
    void on_enabled(bool enabled) override { calls.push_back(enabled ? "enabled on" : "enabled off"); }
    void on_bands(const double* values) override {
        calls.push_back("bands " + std::to_string(static_cast<int>(values[0])) + " " +
                        std::to_string(static_cast<int>(values[10])));
    }
};
}  // namespace

TEST_F(equalizer_fixture, flat_setting_scales_by_seven_eighths_rounded_to_even) {
    const std::vector<int16_t> in = {1, 4, 12, -12, 3, 5, 1000, 32767, -32768, 0};
    // 0.875, 3.5, 10.5, -10.5, 2.625, 4.375, 875, 28671.125, -28672
    const std::vector<int16_t> out = {1, 4, 10, -10, 3, 4, 875, 28671, -28672, 0};
    EXPECT_EQ(samples16(fresh(bytes_of16(in), pcm_format(16))), out);
    // The preamp acts on the band filters only: with flat bands it changes
    // nothing.
    set_values(eq, 12.0, 0, 0.0);
    EXPECT_EQ(samples16(fresh(bytes_of16(in), pcm_format(16))), out);
}

TEST_F(equalizer_fixture, preamp_and_band_factors_are_the_stated_numbers) {
    // The first sample of a float block: every band's output is alpha x the
    // preamp's product, so the result shows the factors exactly.
    const float alpha_1000 = 0.0479184575f;
    const audio_format f = pcm_format(32, 1, 44100, 3);
    struct row {
        double preamp, band_value;
        float preamp_factor, band_gain;
    };
    const row rows[] = {
        {0.0, 12.0, 1.0f, 0.503999856f},
        {0.0, -12.0, 1.0f, -0.216000144f},
        {12.0, 12.0, 2.52077272f, 0.503999856f},
        {-12.0, 6.0, static_cast<float>(1 - 1.1189652 + 0.40180752), static_cast<float>(0.18 + 0.035999964)},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(testing::Message() << "preamp " << r.preamp << " band " << r.band_value);
        set_values(eq, r.preamp, 5, r.band_value);  // band 5: 1000 Hz
        float x = 0.25f;
        std::vector<float> out = samples_of<float>(fresh(bytes_of<float>({x}), f));
        float y = alpha_1000 * (x * r.preamp_factor);
        EXPECT_EQ(out[0], (0.25f * x + y * r.band_gain) * 3.5f);
    }
}

TEST_F(equalizer_fixture, a_band_raises_its_own_frequencies_only) {
    const audio_format f = pcm_format(32, 1, 44100, 3);
    auto gain_at = [&](double freq) {
        std::vector<unsigned char> block = encode(sine(0.1, freq, 44100, 44100, 1), f);
        eq->set_bands(k_flat);
        std::vector<double> flat = decode(fresh(block, f).data(), block.size(), f);
        set_values(eq, 0.0, 5, 12.0);  // 1000 Hz band +12 dB
        std::vector<double> raised = decode(fresh(block, f).data(), block.size(), f);
        return rms(raised, 8820) / rms(flat, 8820);
    };
    // At its centre the band passes the signal whole: (0.25 + 0.504) / 0.25.
    EXPECT_NEAR(gain_at(1000.0), (0.25 + 0.503999856) / 0.25, 0.03);
    // Four octaves away, and two above, it hardly adds anything.
    EXPECT_LT(gain_at(60.0), 1.15);
    EXPECT_LT(gain_at(4000.0), 1.6);
    EXPECT_GT(gain_at(4000.0), 1.0);
}

TEST_F(equalizer_fixture, history_carries_from_block_to_block_of_one_thread) {
    set_values(eq, 3.0, 2, 9.0);
    const audio_format f = pcm_format(16);
    std::vector<unsigned char> whole = encode(sine(12000.0, 170.0, 44100, 10000, 2), f);
    std::vector<unsigned char> once = fresh(whole, f);
    // In three pieces of odd frame counts, on one thread.
    std::vector<unsigned char> pieces = whole;
    on_new_thread([&] {
        const int cuts[] = {0, 1001 * 4, 7777 * 4, static_cast<int>(pieces.size())};
        for (int p = 0; p < 3; ++p) eq->process(pieces.data() + cuts[p], cuts[p + 1] - cuts[p], &f);
    });
    EXPECT_TRUE(pieces == once);

    // A disabled block in between passes untouched and leaves the history.
    std::vector<unsigned char> with_pause = whole;
    std::vector<unsigned char> other = encode(sine(9000.0, 50.0, 44100, 500, 2), f);
    std::vector<unsigned char> other_before = other;
    on_new_thread([&] {
        int half = 5000 * 4;
        eq->process(with_pause.data(), half, &f);
        eq->set_enabled(false);
        eq->process(other.data(), static_cast<int>(other.size()), &f);
        eq->set_enabled(true);
        eq->process(with_pause.data() + half, static_cast<int>(with_pause.size()) - half, &f);
    });
    EXPECT_TRUE(other == other_before);
    EXPECT_TRUE(with_pause == once);
}

TEST_F(equalizer_fixture, a_new_format_clears_the_history_and_a_fresh_music_track_starts_over) {
    set_values(eq, 0.0, 1, 12.0);
    const audio_format cd = pcm_format(16);
    const audio_format dat = pcm_format(16, 2, 48000);
    std::vector<unsigned char> first = encode(sine(20000.0, 60.0, 44100, 3000, 2), cd);
    std::vector<unsigned char> second = encode(sine(20000.0, 60.0, 48000, 3000, 2), cd);
    std::vector<unsigned char> expected_fresh = fresh(second, dat);

    std::vector<unsigned char> a = first, b = second, c = first, d = second, e = first, g = second;
    on_new_thread([&] {
        eq->process(a.data(), static_cast<int>(a.size()), &cd);
        eq->process(b.data(), static_cast<int>(b.size()), &dat);  // another rate
    });
    EXPECT_TRUE(b == expected_fresh);
    on_new_thread([&] {
        eq->process(c.data(), static_cast<int>(c.size()), &cd);
        eq->process(d.data(), static_cast<int>(d.size()), &cd);  // same format: the history goes on
    });
    EXPECT_FALSE(d == fresh(second, cd));

    // The equalizer's engine listener clears the thread's history when a
    // track starts afresh, not when one is continued.
    auto start_track = [](bool continued) {
        for_each_component<engine_listener>(
            [&](engine_listener* l) { l->on_start(nullptr, nullptr, continued); });
    };
    std::vector<unsigned char> h = second;
    on_new_thread([&] {
        eq->process(e.data(), static_cast<int>(e.size()), &cd);
        start_track(true);
        eq->process(h.data(), static_cast<int>(h.size()), &cd);
        eq->process(e.data(), static_cast<int>(e.size()), &cd);
        start_track(false);
        eq->process(g.data(), static_cast<int>(g.size()), &cd);
    });
    EXPECT_TRUE(h == d);
    EXPECT_TRUE(g == fresh(second, cd));
}

TEST_F(equalizer_fixture, crossfading_threads_do_not_filter_through_each_others_history) {
    set_values(eq, 0.0, 3, 12.0);
    const audio_format old_track = pcm_format(16);
    const audio_format new_track = pcm_format(16, 2, 48000);
    const int blocks = 12, block_bytes = 4096 * 4;
    std::vector<unsigned char> outgoing = encode(sine(15000.0, 310.0, 44100, 4096 * blocks, 2), old_track);
    std::vector<unsigned char> incoming = encode(sine(15000.0, 440.0, 48000, 4096 * blocks, 2), new_track);
    std::vector<unsigned char> outgoing_alone = fresh(outgoing, old_track);
    std::vector<unsigned char> incoming_alone = fresh(incoming, new_track);

    // The two threads take turns block by block.
    HANDLE turn[2] = {CreateEventW(nullptr, FALSE, TRUE, nullptr), CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    auto play = [&](int me, std::vector<unsigned char>& pcm, const audio_format& f) {
        for (int i = 0; i < blocks; ++i) {
            WaitForSingleObject(turn[me], INFINITE);
            eq->process(pcm.data() + i * block_bytes, block_bytes, &f);
            SetEvent(turn[1 - me]);
        }
    };
    std::thread a([&] { play(0, outgoing, old_track); });
    std::thread b([&] { play(1, incoming, new_track); });
    a.join();
    b.join();
    CloseHandle(turn[0]);
    CloseHandle(turn[1]);
    EXPECT_TRUE(outgoing == outgoing_alone);
    EXPECT_TRUE(incoming == incoming_alone);
}

TEST_F(equalizer_fixture, passes_what_it_cannot_filter_unchanged) {
    set_values(eq, 6.0, 4, 12.0);
    struct row {
        const char* what;
        audio_format format;
        int bytes;
    };
    const row rows[] = {
        {"8-bit samples", pcm_format(8), 400},
        {"seven channels", pcm_format(16, 7), 7 * 2 * 50},
        {"less than a frame", pcm_format(16, 2), 3},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.what);
        std::vector<unsigned char> block(r.bytes);
        for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<unsigned char>(i * 37 + 11);
        EXPECT_TRUE(fresh(block, r.format) == block);
    }
    // A trailing partial frame stays as it is; the whole frames are filtered.
    eq->set_bands(k_flat);
    std::vector<unsigned char> block = bytes_of16({1000, 1000, 1000, 1000, 0x2345});
    std::vector<unsigned char> out = fresh(block, pcm_format(16));
    EXPECT_EQ(samples16(out), (std::vector<int16_t>{875, 875, 875, 875, 0x2345}));
    // Disabled: nothing is filtered.
    eq->set_enabled(false);
    block = bytes_of16({1000, -1000});
    EXPECT_TRUE(fresh(block, pcm_format(16)) == block);
}

TEST_F(equalizer_fixture, listeners_hear_the_switch_when_added_and_every_new_setting) {
    // Listeners are never removed: this one lives as long as the program.
    static recording_listener listener;
    listener.calls.clear();
    eq->set_enabled(false);
    set_values(eq, 3.0, 10, -4.0);
    eq->add_listener(nullptr);  // ignored
    eq->add_listener(&listener);
    EXPECT_EQ(listener.calls, (std::vector<std::string>{"enabled off", "bands 3 -4"}));
    eq->set_enabled(true);  // tells no one
    set_values(eq, 0.0, 10, 6.0);
    EXPECT_EQ(listener.calls.back(), "bands 0 6");
    EXPECT_EQ(listener.calls.size(), 3u);
    // The object's own values; a value that is no number counts as 0.
    const double* values = nullptr;
    eq->bands(&values);
    ASSERT_NE(values, nullptr);
    EXPECT_EQ(values[10], 6.0);
    double odd[equalizer::value_count] = {std::nan(""), 1.0, HUGE_VAL};
    eq->set_bands(odd);
    EXPECT_EQ(values[0], 0.0);
    EXPECT_EQ(values[1], 1.0);
    EXPECT_EQ(values[2], 0.0);
}
