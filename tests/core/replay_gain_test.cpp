// Replay gain: the modes, the factor with its rounding and clamping per
// sample format, and two crossfading threads each scaled by its own track.
#include <gtest/gtest.h>
#include <atomic>
#include <cmath>
#include "list_info.h"
#include "replay_gain.h"
#include "stage_test_support.h"

namespace {
// Leaves the singleton as it was found: off, no preamp.
struct replay_gain_fixture : testing::Test {
    void SetUp() override {
        rg = first_component<replay_gain>();
        ASSERT_NE(rg, nullptr);
    }
    void TearDown() override {
        if (!rg) return;
        rg->set_mode(0);
        rg->set_preamp(0.0);
    }
    list_info track(double track_gain, double album_gain) {
        list_info t;
        t.track_gain = track_gain;
        t.album_gain = album_gain;
        return t;
    }
    std::vector<int16_t> run16(const list_info& t, std::vector<int16_t> samples) {
        std::vector<unsigned char> bytes = bytes_of16(samples);
        audio_format f = pcm_format(16);
        rg->process(&t, &f, bytes.data(), static_cast<int>(bytes.size()));
        return samples16(bytes);
    }
    replay_gain* rg = nullptr;
};

const double k_gain_for_two = 20.0 * std::log10(2.0);  // +6.0206 dB: factor 2
}  // namespace

TEST_F(replay_gain_fixture, is_one_singleton_that_starts_off_and_keeps_what_is_set) {
    EXPECT_EQ(first_component<replay_gain>(), rg);
    EXPECT_EQ(core::enum_count_component(replay_gain::iid), 1);
    EXPECT_EQ(rg->mode(), 0);
    EXPECT_EQ(rg->preamp(), 0.0);
    rg->set_mode(7);  // no range check
    rg->set_preamp(-2.5);
    EXPECT_EQ(rg->mode(), 7);
    EXPECT_EQ(rg->preamp(), -2.5);
}

TEST_F(replay_gain_fixture, modes_pick_the_gain_or_leave_the_block_alone) {
    const std::vector<int16_t> in = {1000, -1000, 30000, 2};
    struct row {
        int mode;
        double preamp, track_gain, album_gain;
        std::vector<int16_t> expected;
    };
    const std::vector<int16_t> halved = {501, -501, 15036, 1};  // factor 0.501187 (-6 dB)
    const row rows[] = {
        {0, 0.0, -6.0, -6.0, in},       // off, the initial state
        {3, 0.0, -6.0, -6.0, in},       // no change
        {1, 0.0, -6.0, 3.0, halved},    // track gain
        {2, 0.0, 3.0, -6.0, halved},    // album gain
        {1, 3.0, 0.0, -6.0, in},        // no track gain known: the preamp alone does nothing
        {2, 3.0, -6.0, 0.0, in},        // no album gain known
        {1, 3.0, -3.0, 0.0, in},        // factor exactly 1
        {1, -3.0, -3.0, 0.0, halved},   // preamp adds to the gain
        {7, 0.0, -6.0, -6.0, halved},   // other modes take the album gain...
        {-1, -6.0, -6.0, 0.0, halved},  // ...even 0.0, with the preamp
        {4, 0.0, -6.0, 0.0, in},        // album 0.0 and no preamp: factor 1
        {1, 0.0, std::nan(""), 0.0, in},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(testing::Message() << "mode " << r.mode << " preamp " << r.preamp << " track "
                                        << r.track_gain << " album " << r.album_gain);
        rg->set_mode(r.mode);
        rg->set_preamp(r.preamp);
        EXPECT_EQ(run16(track(r.track_gain, r.album_gain), in), r.expected);
    }
}

TEST_F(replay_gain_fixture, integer_products_are_rounded_in_single_precision_then_to_even_and_clamped) {
    rg->set_mode(1);
    // +3 dB (factor 1.412538): 30000 would be 42376.
    EXPECT_EQ(run16(track(3.0, 0.0), {30000, -30000, 100, 0}), (std::vector<int16_t>{32767, -32768, 141, 0}));
    // Factor 0.5: products exactly halfway round to the even neighbour.
    EXPECT_EQ(run16(track(-k_gain_for_two, 0.0), {1, 3, 5, 7, -5, -7, 32767}),
              (std::vector<int16_t>{0, 2, 2, 4, -2, -4, 16384}));

    // Packed 24 bits: read and written as low word plus signed third byte.
    audio_format f24 = pcm_format(24, 1);
    std::vector<unsigned char> b24 = bytes_of24({8388607, -8388608, -4000000, 65535, -1});
    list_info t = track(3.0, 0.0);
    rg->process(&t, &f24, b24.data(), static_cast<int>(b24.size()));
    EXPECT_EQ(samples24(b24), (std::vector<int32_t>{8388607, -8388608, -5650150, 92571, -1}));
    t = track(-6.0, 0.0);
    b24 = bytes_of24({-4000000});
    rg->process(&t, &f24, b24.data(), 3);
    // -2004748.93 is -2004748.875 in single precision.
    EXPECT_EQ(samples24(b24), (std::vector<int32_t>{-2004749}));

    // 32-bit integers: clamped through a 64-bit value.
    audio_format f32 = pcm_format(32, 1);
    std::vector<unsigned char> b32 = bytes_of<int32_t>({2147483647, -2147483647 - 1, 1000000});
    t = track(3.0, 0.0);
    rg->process(&t, &f32, b32.data(), static_cast<int>(b32.size()));
    // (1412537.5 in single precision: the tie goes to the even 1412538.)
    EXPECT_EQ(samples_of<int32_t>(b32), (std::vector<int32_t>{2147483647, -2147483647 - 1, 1412538}));
}

TEST_F(replay_gain_fixture, float_samples_are_clamped_to_full_scale) {
    rg->set_mode(1);
    audio_format f = pcm_format(32, 2, 44100, 3);
    std::vector<unsigned char> b = bytes_of<float>({0.6f, -0.7f, 0.25f, -0.25f, std::nanf("")});
    list_info t = track(k_gain_for_two, 0.0);
    rg->process(&t, &f, b.data(), static_cast<int>(b.size()));
    EXPECT_EQ(samples_of<float>(b), (std::vector<float>{1.0f, -1.0f, 0.5f, -0.5f, -1.0f}));

    // -6 dB: the factor itself, in single precision.
    b = bytes_of<float>({1.0f});
    t = track(-6.0, 0.0);
    rg->process(&t, &f, b.data(), 4);
    EXPECT_NEAR(samples_of<float>(b)[0], 0.501187, 5e-7);
}

TEST_F(replay_gain_fixture, leaves_other_depths_partial_samples_and_unusable_gains_alone) {
    rg->set_mode(2);
    list_info t = track(0.0, -6.0);
    std::vector<unsigned char> eight = {0, 17, 128, 200, 255};
    audio_format f8 = pcm_format(8, 1);
    std::vector<unsigned char> before = eight;
    rg->process(&t, &f8, eight.data(), static_cast<int>(eight.size()));
    EXPECT_EQ(eight, before);

    // 7 bytes of 16-bit samples: three are scaled, the last byte stays.
    std::vector<unsigned char> seven = bytes_of16({1000, 2000, 3000, 0x7F7F});
    seven.resize(7);
    audio_format f16 = pcm_format(16);
    rg->process(&t, &f16, seven.data(), 7);
    std::vector<unsigned char> expected = bytes_of16({501, 1002, 1504});
    expected.push_back(0x7F);
    EXPECT_EQ(seven, expected);

    // A gain too large for a number: the block is not turned into noise.
    rg->set_mode(7);
    t = track(0.0, 1e300);
    EXPECT_EQ(run16(t, {1000, -1000}), (std::vector<int16_t>{1000, -1000}));
}

TEST_F(replay_gain_fixture, crossfading_threads_each_scale_by_their_own_track) {
    rg->set_mode(1);
    const list_info quiet = track(-k_gain_for_two, 0.0);  // factor 0.5
    const list_info loud = track(k_gain_for_two, 0.0);    // factor 2
    std::atomic<int> wrong{0};
    auto play = [&](const list_info& t, int16_t expected) {
        for (int block = 0; block < 300; ++block) {
            std::vector<unsigned char> b = bytes_of16(std::vector<int16_t>(4096, 1000));
            audio_format f = pcm_format(16);
            rg->process(&t, &f, b.data(), static_cast<int>(b.size()));
            for (int16_t s : samples16(b))
                if (s != expected) ++wrong;
        }
    };
    std::thread a([&] { play(quiet, 500); });
    std::thread b([&] { play(loud, 2000); });
    // Meanwhile the preamp is set again and again to the value it has: the
    // setter takes turns with the blocks and changes nothing.
    for (int i = 0; i < 200; ++i) rg->set_preamp(0.0);
    a.join();
    b.join();
    EXPECT_EQ(wrong.load(), 0);
}
