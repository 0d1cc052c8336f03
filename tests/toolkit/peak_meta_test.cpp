// The level meter: bands, colours and peak lines drawn over the background,
// the hold and fall of values and peaks, the self-stopping timer, and sizes
// its arithmetic cannot take.
#include "peak_meta.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <vector>

#include "control_test_support.h"
#include "dib.h"
#include "window_capture.h"
#include "window_rig.h"

namespace {
const COLORREF kBack = RGB(30, 30, 30), kTarget = RGB(90, 0, 90), kLow = RGB(0, 255, 0), kMid = RGB(255, 255, 0),
               kHigh = RGB(255, 0, 0), kPeak = RGB(255, 255, 255);

// A meter over an area of 180 x 60 at 10, 10 of a 200 x 80 target.
struct peak_meta_test : toolkit_test {
    window_rig::host_window host{20, 20, 200, 80};
    dib background, target;
    peak_meta meter;
    RECT area = {10, 10, 190, 70};

    void SetUp() override {
        toolkit_test::SetUp();
        solid_dib(background, 180, 60, kBack);
        solid_dib(target, 200, 80, kTarget);
        meter.init(host.hwnd(), &background, target.get_memdc(), area);
        meter.set_bands_color(kLow, kMid, kHigh, kPeak);
    }
    pixel_image picture() { return capture_dc(target.get_memdc(), 0, 0, 200, 80); }
    int value(int band) { return meter.get_band(band)->value; }
    int peak(int band) { return meter.get_band(band)->peak; }
    int hold(int band) { return meter.get_band(band)->hold; }
};
}  // namespace

TEST_F(peak_meta_test, nineteen_bands_of_twelve_segments_over_180_pixels) {
    meter.set_meter_bands(19, 12);
    std::vector<int> values(19, 0);
    values[0] = 100;
    values[1] = 50;
    values[18] = 100;  // its slot starts at x 180, the area's right edge
    ASSERT_TRUE(meter.set_data(values.data(), 0, 19));
    pixel_image p = picture();
    // Slots 180 / 18 = 10 wide, segments 60 / 12 = 5 high, each 1 pixel in
    // from the left and the top of its cell. Of 12 segments the first 7 are
    // low (12 * 60 / 100), up to 9 mid, the rest high.
    auto segment = [&](int band, int j) { return p.at(10 + band * 10 + 1, 10 + 60 - (j + 1) * 5 + 1); };
    for (int j = 0; j < 7; ++j) EXPECT_EQ(segment(0, j), kLow) << j;
    for (int j = 7; j < 9; ++j) EXPECT_EQ(segment(0, j), kMid) << j;
    for (int j = 9; j < 11; ++j) EXPECT_EQ(segment(0, j), kHigh) << j;
    EXPECT_EQ(p.count(kLow, 11, 10 + 25 + 1, 9, 34), 7 * 4 * 9);  // band 0: 7 low segments of 9 x 4
    for (int j = 0; j < 6; ++j) EXPECT_EQ(segment(1, j), kLow) << j;
    EXPECT_EQ(segment(1, 6), kBack);
    EXPECT_EQ(p.at(10, 65), kBack);  // the gap left of a slot
    EXPECT_EQ(p.at(11, 66), kLow);
    EXPECT_EQ(p.at(11, 10 + 60 - 5), kBack);  // the gap above a segment
    // Peak lines: 60 - 100 * 5 * 12 / 100 = 0 for band 0 (over its top
    // segment), 60 - 30 for band 1.
    EXPECT_EQ(p.count(kPeak, 10, 10, 10, 1), 9);
    EXPECT_EQ(p.count(kPeak, 20, 40, 10, 1), 9);
    // Nothing outside the area: the 19th band lies beyond its right edge.
    EXPECT_EQ(p.count(kTarget), 200 * 80 - 180 * 60);
}

TEST_F(peak_meta_test, peaks_hold_for_the_falloff_delay_then_fall_by_half_a_step) {
    meter.set_meter_bands(4, 10);  // step 100 / 10 = 10, the peak falls by 5
    const int values[4] = {100, 0, 0, 0};
    meter.set_data(values, 0, 4);
    EXPECT_EQ(hold(0), 10);
    for (int t = 1; t <= 9; ++t) {
        meter.tick();
        EXPECT_EQ(value(0), std::max(100 - 10 * t, 0)) << t;
        EXPECT_EQ(peak(0), 100) << t;
    }
    meter.tick();  // the hold reaches 0: the peak starts to fall
    EXPECT_EQ(value(0), 0);
    EXPECT_EQ(peak(0), 95);
    meter.tick();
    EXPECT_EQ(peak(0), 90);
}

TEST_F(peak_meta_test, a_higher_value_raises_the_peak_and_restarts_its_hold_a_lower_one_does_not) {
    meter.set_meter_bands(2, 10);
    int values[2] = {50, 0};
    meter.set_data(values, 0, 2);
    meter.tick();
    meter.tick();
    EXPECT_EQ(hold(0), 8);
    values[0] = 30;
    meter.set_data(values, 0, 2);
    EXPECT_EQ(value(0), 30);
    EXPECT_EQ(peak(0), 50);
    EXPECT_EQ(hold(0), 8);
    values[0] = 70;
    meter.set_data(values, 0, 2);
    EXPECT_EQ(peak(0), 70);
    EXPECT_EQ(hold(0), 10);
}

TEST_F(peak_meta_test, the_array_is_indexed_by_band_number_from_first) {
    meter.set_meter_bands(4, 10);
    const int values[4] = {11, 22, 33, 44};
    EXPECT_TRUE(meter.set_data(values, 2, 5));  // bands 4.. do not exist
    EXPECT_EQ(value(0), 0);
    EXPECT_EQ(value(1), 0);
    EXPECT_EQ(value(2), 33);
    EXPECT_EQ(value(3), 44);
    EXPECT_FALSE(meter.set_data(values, -1, 2));
    EXPECT_FALSE(meter.set_data(nullptr, 0, 2));
}

TEST_F(peak_meta_test, a_zero_band_or_segment_count_changes_nothing) {
    meter.set_meter_bands(5, 6);
    meter.set_meter_bands(0, 12);
    meter.set_meter_bands(12, 0);
    EXPECT_EQ(meter.get_band_count(), 5);
    EXPECT_EQ(meter.get_band(4)->hold, 10);
    EXPECT_EQ(meter.get_band(5), nullptr);
}

TEST_F(peak_meta_test, the_timer_stops_itself_once_everything_is_at_rest) {
    meter.set_meter_bands(19, 12);
    EXPECT_FALSE(meter.stop());
    ASSERT_TRUE(meter.start(10));
    EXPECT_TRUE(meter.is_started());
    std::vector<int> values(19, 60);
    EXPECT_TRUE(meter.set_data(values.data(), 0, 19));
    EXPECT_TRUE(meter.is_started());  // restarted, not left stopped
    EXPECT_TRUE(window_rig::pump_until([&] { return !meter.is_started(); }, 10000));
    for (int b = 0; b < 19; ++b) {
        EXPECT_EQ(value(b), 0);
        EXPECT_EQ(peak(b), 0);
        EXPECT_EQ(hold(b), 0);
    }
    // At rest the picture is the background alone.
    EXPECT_EQ(picture().count(kBack), 180 * 60);
}

TEST_F(peak_meta_test, a_stopped_meter_repaints_once_and_stays_stopped) {
    meter.set_meter_bands(2, 10);
    const int values[2] = {100, 100};
    meter.set_data(values, 0, 2);
    EXPECT_FALSE(meter.is_started());
    window_rig::pump_for(50);
    EXPECT_EQ(value(0), 100);
    EXPECT_GT(picture().count(kHigh), 0);
}

TEST_F(peak_meta_test, the_peak_lines_and_grid_flags) {
    meter.set_meter_bands(2, 10);
    const int values[2] = {50, 50};
    meter.set_data(values, 0, 2);
    EXPECT_GT(picture().count(kPeak), 0);
    meter.set_falloff_effect(false);
    EXPECT_FALSE(meter.get_falloff_effect());
    solid_dib(target, 200, 80, kTarget);
    meter.set_dc(target.get_memdc(), &background);
    meter.refresh();
    EXPECT_EQ(picture().count(kPeak), 0);
    meter.show_grid(true);
    EXPECT_TRUE(meter.grid_visible());
    int low = 0, mid = 0, maximum = 0;
    meter.get_range_value(&low, &mid, nullptr);
    meter.get_range_value(nullptr, nullptr, &maximum);
    EXPECT_EQ(low, 60);
    EXPECT_EQ(mid, 80);
    EXPECT_EQ(maximum, 100);
}

// One band, a maximum of 0 and a maximum below the segment count divided by
// zero or never came to rest.
TEST_F(peak_meta_test, sizes_the_arithmetic_cannot_take_are_guarded) {
    meter.set_meter_bands(1, 4);
    const int full[1] = {100};
    meter.set_data(full, 0, 1);
    pixel_image p = picture();
    EXPECT_EQ(p.count(kHigh, 10, 10, 180, 15), 180 * 14);  // one slot over the whole width, no gap
    meter.set_range_value(60, 80, 0);
    int maximum = 0;
    meter.get_range_value(nullptr, nullptr, &maximum);
    EXPECT_EQ(maximum, 100);  // refused

    meter.set_range_value(3, 4, 5);
    meter.set_meter_bands(3, 12);  // step 5 / 12 = 0 without the guard
    const int small[3] = {5, 3, 1};
    meter.set_data(small, 0, 3);
    meter.start(5);
    EXPECT_TRUE(window_rig::pump_until([&] { return !meter.is_started(); }, 10000));

    RECT empty = {0, 0, 0, 0};
    peak_meta nothing;
    nothing.init(host.hwnd(), nullptr, target.get_memdc(), empty);
    nothing.set_meter_bands(2, 1);
    nothing.set_data(small, 0, 2);
    nothing.tick();
}
