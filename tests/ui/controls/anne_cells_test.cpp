// The rules the announcement and reservation lists share: a row's colour by
// its time of day, the volume icons, the volume step of an icon click.
#include <gtest/gtest.h>

#include "anne_cells.h"

using namespace anne_cells;

namespace {
long hms(int h, int m, int s) { return h * 3600L + m * 60L + s; }
}  // namespace

TEST(anne_cells, a_row_is_ahead_only_more_than_six_seconds_before_its_time) {
    struct {
        long now, t, first;
        bool ahead;
    } cases[] = {
        {hms(12, 0, 0), hms(9, 0, 0), hms(9, 0, 0), false},    // past
        {hms(12, 0, 0), hms(12, 0, 5), hms(9, 0, 0), false},   // five seconds away: due
        {hms(12, 0, 0), hms(12, 0, 6), hms(9, 0, 0), false},   // six: still due
        {hms(12, 0, 0), hms(12, 0, 7), hms(9, 0, 0), true},
        {hms(12, 0, 0), hms(15, 0, 0), hms(9, 0, 0), true},
        // Before the first row the clock counts as the next day: 26:00:00.
        {hms(2, 0, 0), hms(6, 0, 0), hms(6, 0, 0), false},
        {hms(2, 0, 0), hms(23, 0, 0), hms(6, 0, 0), false},
        // A row before the first one belongs to the next day.
        {hms(23, 0, 0), hms(1, 0, 0), hms(6, 0, 0), true},
        {hms(7, 0, 0), hms(1, 0, 0), hms(6, 0, 0), true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(row_is_ahead(c.now, c.t, c.first), c.ahead) << c.now << " " << c.t << " " << c.first;
}

TEST(anne_cells, times_of_day_read_three_numbers) {
    EXPECT_EQ(parse_time_of_day(L"12:00:05"), hms(12, 0, 5));
    EXPECT_EQ(parse_time_of_day(L"9:5:7"), hms(9, 5, 7));
    EXPECT_EQ(parse_time_of_day(L"12:00"), -1);
    EXPECT_EQ(parse_time_of_day(L""), -1);
    EXPECT_EQ(parse_time_of_day(nullptr), -1);
}

TEST(anne_cells, volume_levels_round_halves_up_and_stop_at_four) {
    struct {
        int volume;
        unsigned level;
    } cases[] = {{0, 0}, {12, 0}, {13, 1}, {37, 1}, {38, 2}, {50, 2}, {62, 2}, {63, 3}, {87, 3}, {88, 4}, {100, 4},
                 {250, 4}, {-5, 0}};
    for (const auto& c : cases) EXPECT_EQ(volume_level(c.volume), c.level) << c.volume;
}

TEST(anne_cells, clicks_step_the_volume_by_a_quarter_and_leave_the_players_volume_alone) {
    // The list has already moved the icon on (modulo its five levels).
    int volume = 0;
    const int expected[] = {25, 50, 75, 100, 0, 25};
    unsigned level = volume_level(volume);
    for (int e : expected) {
        level = (level + 1) % 5;
        ASSERT_TRUE(volume_after_click(volume, level, volume));
        EXPECT_EQ(volume, e);
    }
    int result = 0;
    EXPECT_FALSE(volume_after_click(200, 1, result));
    EXPECT_EQ(result, 200);
}

TEST(anne_cells, the_volume_icons_fill_their_bars_up_to_the_level) {
    dib icons[5];
    ASSERT_TRUE(draw_volume_level_icons(icons, 0xFFFFFF, 0xD8D8D8));
    const COLORREF bars[4] = {0x97611B, 0xD58C2C, 0x18ABE9, 0x1862E9};
    for (int level = 0; level < 5; ++level) {
        ASSERT_EQ(icons[level].get_width(), 15);
        ASSERT_EQ(icons[level].get_height(), 16);
        HDC dc = icons[level].get_memdc();
        for (int bar = 1; bar <= 4; ++bar) {
            const int x = (bar - 1) * 4 + 1;
            EXPECT_EQ(GetPixel(dc, x, 15), bar <= level ? bars[bar - 1] : 0xD8D8D8) << level << " " << bar;
            // Bar b starts at y 16 - 4b; above it, the background.
            EXPECT_EQ(GetPixel(dc, x, 16 - bar * 4), bar <= level ? bars[bar - 1] : 0xD8D8D8);
            if (bar < 4) {
                EXPECT_EQ(GetPixel(dc, x, 15 - bar * 4), 0xFFFFFFu);
            }
        }
        EXPECT_EQ(GetPixel(dc, 3, 15), 0xFFFFFFu) << "the gap between bars";
    }
}

TEST(anne_cells, switching_the_day_sets_every_record) {
    std::vector<anne_record> day(3);
    day[1].enabled = 1;
    switch_day(day, false);
    for (const anne_record& r : day) EXPECT_EQ(r.enabled, 0);
    switch_day(day, true);
    for (const anne_record& r : day) EXPECT_EQ(r.enabled, 1);
}
