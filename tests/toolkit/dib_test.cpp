// dib: construction and the drawing operations, pixel by pixel.
#include "dib.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "toolkit_test_support.h"

namespace {
const COLORREF kKey = RGB(255, 0, 255);
const COLORREF kPaper = RGB(250, 250, 250);

// Distinct colours per column and row.
COLORREF cell(int x, int y) { return RGB(10 * x, 20 * y, 200); }

void paper(dib& target, int w, int h) {
    paint_dib(target, w, h, [](int, int) { return kPaper; });
}
}  // namespace

using dib_image = toolkit_test;

TEST_F(dib_image, creation_and_clear) {
    dib d;
    ASSERT_TRUE(d.create(5, 3, 24));
    EXPECT_EQ(d.get_width(), 5);
    EXPECT_EQ(d.get_height(), 3);
    EXPECT_EQ(d.get_bitcount(), 24u);
    EXPECT_EQ(d.get_bytes_scanline(), 16);  // 15 bytes padded to 4
    EXPECT_NE(d.get_memdc(), nullptr);
    EXPECT_NE(d.get_handle(), nullptr);
    EXPECT_NE(d.get_dib_section_bits(), nullptr);
    // The header outlives the image.
    d.clear();
    EXPECT_EQ(d.get_width(), 5);
    EXPECT_EQ(d.get_memdc(), nullptr);
    EXPECT_EQ(d.get_dib_section_bits(), nullptr);

    for (auto size :
         {std::make_pair(0, 5), std::make_pair(5, 0), std::make_pair(-4, 4), std::make_pair(4, -4)}) {
        dib refused;
        EXPECT_FALSE(refused.create(size.first, size.second, 24)) << size.first << "x" << size.second;
        EXPECT_EQ(refused.get_memdc(), nullptr);
    }
}

TEST_F(dib_image, copying_from_a_negative_origin_shifts_into_a_key_filled_image) {
    dib source;
    paint_dib(source, 20, 6, cell);
    struct {
        int x, y, shift_x, shift_y;
    } cases[] = {{-5, 0, 5, 0}, {0, -2, 0, 2}, {-3, -1, 3, 1}, {2, 1, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "origin " << c.x << "," << c.y);
        dib d;
        paper(d, 20, 6);
        d.load_picture_blt(source.get_memdc(), c.x, c.y, -1, -1, SRCCOPY);
        GdiFlush();
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 20; ++x) {
                COLORREF expected;
                if (x < c.shift_x || y < c.shift_y) {
                    expected = kKey;
                } else {
                    const int sx = x - c.shift_x + (c.x > 0 ? c.x : 0);
                    const int sy = y - c.shift_y + (c.y > 0 ? c.y : 0);
                    // A positive origin reads past the source's edge there.
                    expected = sx < 20 && sy < 6 ? cell(sx, sy) : dib_pixel(d, x, y);
                }
                ASSERT_EQ(dib_pixel(d, x, y), expected) << x << "," << y;
            }
    }
}

TEST_F(dib_image, tiles_start_on_the_grid_and_the_last_ones_are_cut) {
    dib tile;
    paint_dib(tile, 10, 10, cell);
    dib target;
    paper(target, 70, 30);
    tile.draw_tile(target.get_memdc(), 25, 3, 30, 12);
    GdiFlush();
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 70; ++x) {
            const bool inside = x >= 25 && x < 55 && y >= 3 && y < 15;
            // Columns 25..29 show image columns 5..9, then whole tiles, then 0..4.
            const COLORREF expected = inside ? cell(x % 10, y % 10) : kPaper;
            ASSERT_EQ(dib_pixel(target, x, y), expected) << x << "," << y;
        }

    dib empty;
    empty.draw_tile(target.get_memdc(), 0, 0, 70, 30);  // nothing, no hang
    EXPECT_EQ(dib_pixel(target, 0, 0), kPaper);
}

TEST_F(dib_image, the_key_colour_is_left_out) {
    dib target;
    paint_dib(target, 8, 4, cell);
    dib all_key;
    paint_dib(all_key, 8, 4, [](int, int) { return kKey; });
    all_key.draw_trans(target.get_memdc(), 0, 0, kKey);
    GdiFlush();
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) ASSERT_EQ(dib_pixel(target, x, y), cell(x, y));

    // Part 2,1 of a checkerboard of key and red drawn at 3,1.
    dib checker;
    paint_dib(checker, 6, 4, [](int x, int y) { return (x + y) % 2 ? kKey : RGB(200, 0, 0); });
    checker.transparent_blt(target.get_memdc(), 3, 1, 4, 2, 2, 1, kKey);
    GdiFlush();
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool drawn = x >= 3 && x < 7 && y >= 1 && y < 3;
            const bool opaque = drawn && ((x - 3 + 2) + (y - 1 + 1)) % 2 == 0;
            ASSERT_EQ(dib_pixel(target, x, y), opaque ? RGB(200, 0, 0) : cell(x, y)) << x << "," << y;
        }
    EXPECT_EQ(GetBkColor(target.get_memdc()), RGB(255, 255, 255));
    EXPECT_EQ(GetTextColor(target.get_memdc()), RGB(0, 0, 0));

    // An empty image draws nothing (not a black block).
    dib empty;
    empty.draw_trans(target.get_memdc(), 0, 0, kKey);
    empty.transparent_blt(target.get_memdc(), 0, 0, 8, 4, 0, 0, kKey);
    GdiFlush();
    EXPECT_EQ(dib_pixel(target, 0, 0), cell(0, 0));
}

TEST_F(dib_image, one_gradient_band_runs_between_the_edges) {
    dib d;
    paper(d, 100, 20);
    RECT r = {0, 0, 100, 20};
    dib::draw_gradient(d.get_memdc(), r, RGB(0, 0, 0), RGB(255, 255, 255), true);
    GdiFlush();
    EXPECT_EQ(dib_pixel(d, 0, 10), RGB(0, 0, 0));
    EXPECT_NEAR(GetRValue(dib_pixel(d, 99, 10)), 255, 3);
    EXPECT_NEAR(GetRValue(dib_pixel(d, 50, 10)), 128, 3);
    for (int x = 1; x < 100; ++x) ASSERT_GE(GetRValue(dib_pixel(d, x, 0)), GetRValue(dib_pixel(d, x - 1, 0)));
    EXPECT_EQ(dib_pixel(d, 30, 0), dib_pixel(d, 30, 19));  // horizontal: columns are even
}

TEST_F(dib_image, two_gradient_bands_meet_at_the_split) {
    const COLORREF c1 = RGB(0, 0, 0), c2 = RGB(200, 100, 50);
    // Not horizontal, 10 % of 0,0,100,50: band 1 covers rows 0..4, band 2 rows 5..49.
    dib d;
    paper(d, 100, 50);
    RECT r = {0, 0, 100, 50};
    dib::draw_gradient2(d.get_memdc(), r, c1, c2, 10, false);
    GdiFlush();
    EXPECT_EQ(dib_pixel(d, 50, 0), c1);
    EXPECT_EQ(dib_pixel(d, 50, 5), c2);
    EXPECT_LT(GetRValue(dib_pixel(d, 50, 4)), 200);
    EXPECT_GT(GetRValue(dib_pixel(d, 50, 4)), GetRValue(dib_pixel(d, 50, 1)));
    EXPECT_LT(GetRValue(dib_pixel(d, 50, 49)), 10);
    for (int y = 6; y < 50; ++y)
        ASSERT_LE(GetRValue(dib_pixel(d, 50, y)), GetRValue(dib_pixel(d, 50, y - 1)));

    // Horizontal: the split is 50 % of the right coordinate (75), not of the
    // width; nothing left of the rectangle changes.
    dib h;
    paper(h, 160, 10);
    RECT band = {50, 0, 150, 10};
    dib::draw_gradient2(h.get_memdc(), band, c1, c2, 50, true);
    GdiFlush();
    EXPECT_EQ(dib_pixel(h, 49, 5), kPaper);
    EXPECT_EQ(dib_pixel(h, 50, 5), c1);
    EXPECT_EQ(dib_pixel(h, 75, 5), c2);
    EXPECT_LT(GetRValue(dib_pixel(h, 74, 5)), 200);
    EXPECT_LT(GetRValue(dib_pixel(h, 149, 5)), 10);
    EXPECT_EQ(dib_pixel(h, 150, 5), kPaper);
}
