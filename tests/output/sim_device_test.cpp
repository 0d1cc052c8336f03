// The simulated device and its clock, driven directly with exact times.
#include <gtest/gtest.h>
#include "sim_device.h"

namespace {
pcm_format make_format(int channels, int rate, int bits) {
    pcm_format f;
    f.format_tag = 1;
    f.channels = channels;
    f.sample_rate = rate;
    f.bits_per_sample = bits;
    return f;
}
const pcm_format cd = make_format(2, 44100, 16);
}  // namespace

TEST(sim_device, small_steps_add_up_to_exact_frames) {
    // Steps that are no whole number of frames: the remainder carries over.
    struct row {
        long long step_us;
        long long total_us;
        long long played;
    };
    const row rows[] = {{7, 1000000, 176400}, {13, 500006, 88200}, {1, 1000, 176}, {22676, 22676 * 3, 12000}};
    for (const row& r : rows) {
        sim_device device(3000, 0);
        ASSERT_EQ(device.accept(cd, 529200), 529200);
        for (long long t = r.step_us; t < r.total_us; t += r.step_us) device.run_until(t, false);
        device.run_until(r.total_us, false);
        EXPECT_EQ(device.played(), r.played) << r.step_us;
        EXPECT_EQ(device.buffered(), 529200 - r.played) << r.step_us;
    }
}

TEST(sim_device, leftover_time_of_a_run_goes_to_the_next_one) {
    sim_device device(3000, 0);
    const pcm_format mono = make_format(1, 8000, 8);  // 8000 bytes a second
    ASSERT_EQ(device.accept(cd, 4410 * 4), 17640);     // 100 ms
    ASSERT_EQ(device.accept(mono, 8000), 8000);        // 1 s
    device.run_until(350000, false);
    EXPECT_EQ(device.played(), 17640 + 2000);
    device.run_until(2000000, false);
    EXPECT_EQ(device.buffered(), 0);
    EXPECT_EQ(device.played(), 25640);
}

TEST(sim_device, paused_stuck_and_dry_time_plays_nothing_later) {
    sim_device device(3000, 0);
    device.run_until(500000, false);  // dry
    ASSERT_EQ(device.accept(cd, 176400), 176400);
    device.set_paused(true);
    device.run_until(700000, false);
    EXPECT_EQ(device.played(), 0);
    device.set_paused(false);
    device.run_until(900000, true);  // stuck
    EXPECT_EQ(device.played(), 0);
    device.run_until(1000000, false);
    EXPECT_EQ(device.played(), 17640);
    device.run_until(900000, false);  // time never runs back
    EXPECT_EQ(device.played(), 17640);
}

TEST(sim_device, flush_drops_the_buffer_and_frees_its_room) {
    sim_device device(1000, 0);
    ASSERT_EQ(device.accept(cd, 200000), 176400);
    device.run_until(500000, false);
    EXPECT_EQ(device.flush(), 88200);
    EXPECT_EQ(device.dropped(), 88200);
    EXPECT_EQ(device.buffered(), 0);
    EXPECT_EQ(device.accept(cd, 200000), 176400);
    EXPECT_EQ(device.written(), 352800);
}

TEST(sim_device, an_unpaced_device_plays_everything_at_once) {
    sim_device device(10, 0, true);
    EXPECT_EQ(device.accept(cd, 10000000), 10000000);
    EXPECT_EQ(device.buffered(), 0);
    EXPECT_EQ(device.played(), 10000000);
}

TEST(sim_clock, manual_time_moves_only_by_advance_and_switches_keep_it) {
    sim_clock clock;
    clock.set_manual();
    long long t = clock.now_us();
    Sleep(20);
    EXPECT_EQ(clock.now_us(), t);
    clock.advance_us(1500);
    EXPECT_EQ(clock.now_us(), t + 1500);
    clock.advance_us(-100);
    EXPECT_EQ(clock.now_us(), t + 1500);
    clock.set_auto(1000.0);
    EXPECT_GE(clock.now_us(), t + 1500);
    long long before = clock.now_us();
    Sleep(20);
    long long after = clock.now_us();
    EXPECT_GT(after, before);
    clock.set_manual();
    EXPECT_GE(clock.now_us(), after);
}
