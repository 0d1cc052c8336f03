// dib: loading BMP files and resources, and pictures through OLE (a GIF as
// a file and as a custom "Bitmap" resource).
#include <gtest/gtest.h>
#include <windows.h>

#include "dib.h"
#include "image_fixtures.h"
#include "toolkit_test_ids.h"
#include "toolkit_test_support.h"

namespace {
void expect_pixels(const dib& d, int w, int h, COLORREF (*colour)(int, int)) {
    ASSERT_EQ(d.get_width(), w);
    ASSERT_EQ(d.get_height(), h);
    EXPECT_EQ(d.get_bitcount(), 24u);
    GdiFlush();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) ASSERT_EQ(dib_pixel(d, x, y), colour(x, y)) << x << "," << y;
}
}  // namespace

using dib_loading = toolkit_test;

TEST_F(dib_loading, a_bmp_file_and_a_bitmap_resource) {
    dib from_file;
    ASSERT_TRUE(from_file.create_from_file(fixture_path(L"probe.bmp").c_str()));
    expect_pixels(from_file, 5, 3, probe_colour);

    dib from_resource;
    ASSERT_TRUE(from_resource.create_from_resource(IDB_PROBE));
    expect_pixels(from_resource, 5, 3, probe_colour);

    // OLE reads BMP files too.
    dib picture;
    ASSERT_TRUE(picture.load_from_file(fixture_path(L"probe.bmp").c_str()));
    expect_pixels(picture, 5, 3, probe_colour);
}

TEST_F(dib_loading, a_gif_as_file_and_as_custom_resource) {
    dib from_file;
    ASSERT_TRUE(from_file.load_from_file(fixture_path(L"probe.gif").c_str()));
    expect_pixels(from_file, 6, 4, probe_gif_colour);

    // No BITMAP resource has this id: the "Bitmap" resource of the same id is
    // decoded as a picture.
    dib from_resource;
    ASSERT_TRUE(from_resource.create_from_resource(IDR_PROBE_GIF));
    expect_pixels(from_resource, 6, 4, probe_gif_colour);

    dib named;
    ASSERT_TRUE(named.load_from_resource(L"Bitmap", MAKEINTRESOURCEW(IDR_PROBE_GIF)));
    expect_pixels(named, 6, 4, probe_gif_colour);
}

TEST_F(dib_loading, a_picture_stretched_or_placed_in_a_given_size) {
    dib stretched;
    ASSERT_TRUE(stretched.load_from_file(fixture_path(L"probe.gif").c_str(), 12, 8, true));
    ASSERT_EQ(stretched.get_width(), 12);
    GdiFlush();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x) ASSERT_EQ(dib_pixel(stretched, x, y), probe_gif_colour(x / 2, y / 2));

    dib placed;
    ASSERT_TRUE(placed.load_from_resource(L"Bitmap", MAKEINTRESOURCEW(IDR_PROBE_GIF), 9, 5, false));
    ASSERT_EQ(placed.get_width(), 9);
    GdiFlush();
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 9; ++x)
            ASSERT_EQ(dib_pixel(placed, x, y), x < 6 && y < 4 ? probe_gif_colour(x, y) : RGB(0, 0, 0));
}

TEST_F(dib_loading, what_cannot_be_loaded_leaves_the_image_empty) {
    dib d;
    ASSERT_TRUE(d.create(4, 4, 24));
    EXPECT_FALSE(d.load_from_file(fixture_path(L"missing.gif").c_str()));
    EXPECT_EQ(d.get_memdc(), nullptr);
    EXPECT_FALSE(d.load_from_file(L""));
    EXPECT_FALSE(d.load_from_file(nullptr));
    EXPECT_FALSE(d.load_from_resource(L"Bitmap", MAKEINTRESOURCEW(4242)));
    EXPECT_FALSE(d.create_from_resource(4242));
    EXPECT_FALSE(d.create_from_file(fixture_path(L"missing.bmp").c_str()));
    EXPECT_FALSE(d.create_from_file(fixture_path(L"probe.gif").c_str()));
    EXPECT_EQ(d.get_memdc(), nullptr);
}
