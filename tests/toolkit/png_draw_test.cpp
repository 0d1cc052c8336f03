// Drawing a decoded PNG: clipped, outside the DC's clip box, scaled with and
// without smoothing, against reference pixels.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "dib.h"
#include "png_corpus.h"
#include "png_image.h"

namespace {
const COLORREF kPaper = RGB(1, 2, 3);

// An 8-bit RGB image of the given colours, rows top-down.
void make_rgb(png_image& image, int w, int h, const std::vector<COLORREF>& colours) {
    std::vector<uint8_t> rgb;
    for (COLORREF c : colours) rgb.insert(rgb.end(), {GetRValue(c), GetGValue(c), GetBValue(c)});
    ASSERT_TRUE(decode_bytes(image, encode_png(rgb_spec(w, h, rgb))));
}

struct canvas {
    dib d;
    int w, h;
    canvas(int width, int height) : w(width), h(height) {
        d.create(w, h, 24);
        RECT all = {0, 0, w, h};
        dib::fill_solid_rect(d.get_memdc(), &all, kPaper);
    }
    COLORREF at(int x, int y) {
        GdiFlush();
        const BYTE* row = static_cast<const BYTE*>(d.get_dib_section_bits()) +
                          static_cast<size_t>(h - 1 - y) * d.get_bytes_scanline();
        return RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    }
    HDC dc() const { return d.get_memdc(); }
};

COLORREF numbered(int x, int y) { return RGB(20 * x + 5, 20 * y + 5, 77); }

std::vector<COLORREF> grid(int w, int h) {
    std::vector<COLORREF> colours;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) colours.push_back(numbered(x, y));
    return colours;
}
}  // namespace

TEST(png_drawing, sizes_that_draw_nothing) {
    png_image image;
    make_rgb(image, 4, 4, grid(4, 4));
    canvas c(10, 10);
    EXPECT_EQ(image.draw(c.dc(), 0, 0, 0, 4), 0);
    EXPECT_EQ(image.draw(c.dc(), 0, 0, 4, 0), 0);
    EXPECT_EQ(image.draw(nullptr, 0, 0), 0);
    image.set_enabled(false);
    EXPECT_EQ(image.draw(c.dc(), 0, 0), 0);
    png_image empty;
    EXPECT_EQ(empty.draw(c.dc(), 0, 0), 0);
    EXPECT_EQ(c.at(0, 0), kPaper);
    image.set_enabled(true);
    EXPECT_EQ(image.draw(c.dc(), 2, 3, -1, -1), 1);  // negative: the image's own size
    EXPECT_EQ(c.at(2, 3), numbered(0, 0));
    EXPECT_EQ(c.at(5, 6), numbered(3, 3));
    EXPECT_EQ(c.at(6, 7), kPaper);
}

TEST(png_drawing, only_the_clip_rectangle_and_the_dc_are_painted) {
    // An image with an alpha plane (blended path) and a plain one.
    for (bool with_alpha : {false, true}) {
        SCOPED_TRACE(with_alpha ? "alpha" : "plain");
        png_image image;
        make_rgb(image, 4, 4, grid(4, 4));
        if (with_alpha) {
            ASSERT_TRUE(image.alpha_create());
        }
        canvas c(8, 8);
        RECT clip = {3, 3, 5, 6};
        EXPECT_EQ(image.draw(c.dc(), 2, 2, -1, -1, &clip), 1);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                const bool inside = x >= 3 && x < 5 && y >= 3 && y < 6;
                ASSERT_EQ(c.at(x, y), inside ? numbered(x - 2, y - 2) : kPaper) << x << "," << y;
            }
        // Partly outside the DC: the part inside lands where it belongs.
        canvas edge(3, 3);
        EXPECT_EQ(image.draw(edge.dc(), -2, -1), 1);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 2; ++x) ASSERT_EQ(edge.at(x, y), numbered(x + 2, y + 1)) << x << "," << y;
        EXPECT_EQ(edge.at(2, 0), kPaper);
    }
}

TEST(png_drawing, scaling_takes_the_stated_source_pixels) {
    png_image image;
    make_rgb(image, 4, 4, grid(4, 4));
    // Down to 2 x 2: columns 0 and 2, and the bottom row with the one two above it.
    canvas down(2, 2);
    image.draw(down.dc(), 0, 0, 2, 2);
    EXPECT_EQ(down.at(0, 0), numbered(0, 1));
    EXPECT_EQ(down.at(1, 0), numbered(2, 1));
    EXPECT_EQ(down.at(0, 1), numbered(0, 3));
    EXPECT_EQ(down.at(1, 1), numbered(2, 3));

    // Up to 8 x 8: every pixel becomes a 2 x 2 block.
    canvas up(8, 8);
    image.draw(up.dc(), 0, 0, 8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) ASSERT_EQ(up.at(x, y), numbered(x / 2, y / 2)) << x << "," << y;

    // Scaled and clipped: the clipped part shows what the full drawing would.
    canvas clipped(8, 8);
    RECT clip = {2, 2, 6, 6};
    image.draw(clipped.dc(), 0, 0, 8, 8, &clip);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool inside = x >= 2 && x < 6 && y >= 2 && y < 6;
            ASSERT_EQ(clipped.at(x, y), inside ? numbered(x / 2, y / 2) : kPaper) << x << "," << y;
        }
}

TEST(png_drawing, smoothing_mixes_the_four_neighbours) {
    png_image image;
    make_rgb(image, 2, 1, {RGB(0, 0, 0), RGB(255, 255, 255)});
    canvas wide(4, 1);
    image.draw(wide.dc(), 0, 0, 4, 1, nullptr, true);
    EXPECT_EQ(wide.at(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(wide.at(1, 0), RGB(0, 0, 0));
    EXPECT_EQ(wide.at(2, 0), RGB(128, 128, 128));
    EXPECT_EQ(wide.at(3, 0), RGB(255, 255, 255));
    // Without smoothing the same drawing takes the nearest pixels.
    canvas sharp(4, 1);
    image.draw(sharp.dc(), 0, 0, 4, 1);
    EXPECT_EQ(sharp.at(1, 0), RGB(0, 0, 0));
    EXPECT_EQ(sharp.at(2, 0), RGB(255, 255, 255));

    // Vertically: black over white, 1 x 2 to 1 x 4 (rows counted from the bottom).
    png_image tall;
    make_rgb(tall, 1, 2, {RGB(0, 0, 0), RGB(255, 255, 255)});
    canvas column(1, 4);
    tall.draw(column.dc(), 0, 0, 1, 4, nullptr, true);
    EXPECT_EQ(column.at(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(column.at(0, 1), RGB(128, 128, 128));
    EXPECT_EQ(column.at(0, 2), RGB(255, 255, 255));
    EXPECT_EQ(column.at(0, 3), RGB(255, 255, 255));
}

TEST(png_drawing, alpha_is_scaled_by_the_alpha_maximum) {
    png_image image;
    make_rgb(image, 1, 1, {RGB(200, 100, 0)});
    ASSERT_TRUE(image.alpha_create());
    image.set_alpha_max(127);  // a = 255 * 128 >> 8 = 127
    canvas c(1, 1);
    image.draw(c.dc(), 0, 0);
    EXPECT_EQ(c.at(0, 0), RGB((1 * 128 + 200 * 127) >> 8, (2 * 128 + 100 * 127) >> 8, (3 * 128) >> 8));
}
