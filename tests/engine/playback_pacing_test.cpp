// How the playback thread waits for its output: the pacing worked out from
// observed buffer levels, and through the engine an output with room (no
// wait per block) and a full or stuck one (waited for, not retried every
// millisecond).
#include <gtest/gtest.h>
#include <vector>
#include "engine_rig.h"
#include "playback_pacing.h"

namespace {
// Real time at 44.1 kHz, 16 bits, stereo: 176.4 bytes per millisecond.
const double real_time = 176.4;

// Feeds the pacing an output playing at rate bytes/ms that holds `buffered`
// bytes, observed every 5 ms for span_ms from start_ms on.
void play_steadily(playback_pacing& pacing, double rate, int buffered, double span_ms, double start_ms = 0.0) {
    for (double t = 0.0; t <= span_ms; t += 5.0) {
        const long long played = static_cast<long long>(rate * t);
        pacing.observe(buffered + played, buffered, start_ms + t);
    }
}

// Write calls made to an output, retries of a refused one included.
int write_attempts(engine_rig& rig, int output) {
    int count = 0;
    for (const capture_call& c : rig.calls_of(output, capture_op::write)) count += c.repeat;
    return count;
}

int refused_writes(engine_rig& rig, int output) {
    int count = 0;
    for (const capture_call& c : rig.calls_of(output, capture_op::write))
        if (c.result == 0) count += c.repeat;
    return count;
}
}  // namespace

TEST(playback_pacing, waits_for_the_room_the_rest_of_the_block_needs_at_the_rate_seen) {
    struct row {
        const char* name;
        double rate;  // bytes per ms the output plays
        int buffered;
        int left;
        int wait_ms;
    } rows[] = {
        {"real time, a whole block left: bounded", real_time, 529200, 16384, playback_pacing::max_wait_ms},
        {"real time, a quarter block left", real_time, 529200, 4096, 24},
        {"twenty times real time", 20 * real_time, 529200, 16384, 5},
        {"a buffer smaller than the block: half of it", real_time, 4000, 16384, 12},
        {"a few bytes left: at least a millisecond", 100 * real_time, 529200, 4, 1},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        playback_pacing pacing;
        play_steadily(pacing, r.rate, r.buffered, 200.0);
        EXPECT_NEAR(pacing.rate(), r.rate, r.rate * 0.01);
        EXPECT_EQ(pacing.full_wait_ms(r.left, r.buffered), r.wait_ms);
    }
}

TEST(playback_pacing, an_output_not_seen_playing_is_waited_for_longer_each_time) {
    playback_pacing pacing;
    // A device that has not started (or a stuck one) holds its bytes.
    std::vector<int> waits;
    for (int i = 0; i < 9; ++i) {
        pacing.observe(88200, 88200, 1000.0 + 10.0 * i);
        waits.push_back(pacing.full_wait_ms(16384, 88200));
    }
    EXPECT_EQ(waits, (std::vector<int>{1, 2, 4, 8, 16, 32, 50, 50, 50}));
    // Once it plays, the waits follow its rate and start small again later.
    play_steadily(pacing, 20 * real_time, 88200, 100.0, 2000.0);
    EXPECT_EQ(pacing.full_wait_ms(16384, 88200), 5);
    pacing.restart();
    EXPECT_EQ(pacing.rate(), 0.0);
    EXPECT_EQ(pacing.full_wait_ms(16384, 88200), 1);
}

TEST(playback_pacing, takes_no_rate_from_too_short_a_span_and_forgets_a_stalled_one) {
    playback_pacing pacing;
    pacing.observe(100000, 50000, 0.0);
    pacing.observe(100000, 49000, 5.0);  // 5 ms: too short to tell
    EXPECT_EQ(pacing.rate(), 0.0);
    pacing.observe(100000, 48236, 10.0);
    EXPECT_NEAR(pacing.rate(), real_time, 0.01);
    // A clock that went back starts the measurement afresh; the rate known
    // so far stays meanwhile, and through a short spell without playing.
    pacing.observe(100000, 48236, 5.0);
    EXPECT_NEAR(pacing.rate(), real_time, 0.01);
    pacing.observe(100000, 48236, 500.0);
    EXPECT_NEAR(pacing.rate(), real_time, 0.01);
    // Nothing played for a second: the output counts as stalled.
    pacing.observe(100000, 48236, 1005.0);
    EXPECT_EQ(pacing.rate(), 0.0);
    EXPECT_EQ(pacing.full_wait_ms(16384, 48236), 1);
}

// 4096-frame blocks of 60 s at 44.1 kHz: 646 of them. The output has room for
// all (its manual clock stands still, its buffer holds 90 s), so the thread
// must not wait between blocks: at a millisecond per block the run would take
// longer than the bound below by itself.
TEST(playback_engine, hands_an_output_with_room_every_block_without_a_wait) {
    engine_rig rig(90000, true);
    rig.capture->set_keep_pcm(false);
    playback_engine* engine = rig.new_engine();
    ASSERT_NE(engine, nullptr);
    list_info entry = entry_for(L"synth:long?secs=60");
    const long long total = 60LL * 176400;
    const DWORD begin = GetTickCount();
    ASSERT_TRUE(engine->play(&entry, &rig.music));
    ASSERT_TRUE(pump_until([&] { return rig.capture->output_count() > 0 && rig.state(0).written >= total; }));
    const DWORD elapsed = GetTickCount() - begin;
    EXPECT_LT(elapsed, 646u) << "the thread waited between blocks although the output had room";
    EXPECT_EQ(refused_writes(rig, 0), 0);
    engine->stop(0);
    ASSERT_TRUE(pump_until([&] { return !engine->is_playing(); }));
    engine->release();
}

// A full output: the thread waits for it to play rather than offering the
// block again every millisecond. A device playing at real time would then
// take some 176 bytes per call, about 90 calls per block of 16,384 bytes; a
// stuck one would refuse some 1,500 calls in a second and a half.
TEST(playback_engine, waits_for_a_full_output_instead_of_retrying_every_millisecond) {
    struct row {
        const char* name;
        bool stuck;
    } rows[] = {{"playing at real time", false}, {"stuck", true}};
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        engine_rig rig(200, false);
        rig.capture->set_keep_pcm(false);
        rig.capture->set_stuck(r.stuck);
        playback_engine* engine = rig.new_engine();
        ASSERT_NE(engine, nullptr);
        list_info entry = entry_for(L"synth:paced?secs=10");
        ASSERT_TRUE(engine->play(&entry, &rig.music));
        pump_until([] { return false; }, 1700);
        const capture_state state = rig.state(0);
        const long long blocks = (state.written + 16383) / 16384;
        if (r.stuck) {
            EXPECT_EQ(state.played, 0);
            EXPECT_LT(refused_writes(rig, 0), 300);
        } else {
            // It kept the device fed: about 1.5 s played, in a few calls per block.
            EXPECT_GT(state.played, 176400LL * 12 / 10);
            EXPECT_LT(write_attempts(rig, 0), 8 * blocks);
        }
        engine->stop(0);
        ASSERT_TRUE(pump_until([&] { return !engine->is_playing(); }));
        engine->release();
        rig.capture->set_stuck(false);
    }
}
