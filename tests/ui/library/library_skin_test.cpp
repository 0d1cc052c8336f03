// The library window's skin: every cut of the image table and the scroll-bar
// images proven on a synthetic image whose pixels tell their own place, the
// colour numbers' images, and the seven drawn skins built on a window.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "library_skin.h"
#include "library_window_skin.h"
#include "skin_host.h"

namespace art = library_window_skin;

namespace {

// A 500 x 712 image whose pixel (x, y) has red = x mod 256, green = y mod
// 256 and blue = x / 256 + 16 * (y / 256): every pixel names its place.
COLORREF place_colour(int x, int y) { return RGB(x & 0xFF, y & 0xFF, (x >> 8) | ((y >> 8) << 4)); }

void make_place_image(dib& image) {
    ASSERT_TRUE(image.create(500, 712, 24));
    GdiFlush();
    BYTE* bits = static_cast<BYTE*>(image.get_dib_section_bits());
    for (int y = 0; y < 712; ++y) {
        BYTE* row = bits + static_cast<size_t>(711 - y) * image.get_bytes_scanline();
        for (int x = 0; x < 500; ++x) {
            const COLORREF c = place_colour(x, y);
            row[3 * x] = GetBValue(c);
            row[3 * x + 1] = GetGValue(c);
            row[3 * x + 2] = GetRValue(c);
        }
    }
}

// Every pixel of the cut names the place it came from.
::testing::AssertionResult cut_from(dib* part, int x, int y, int w, int h) {
    if (!part) return ::testing::AssertionFailure() << "no image";
    if (part->get_width() != w || part->get_height() != h)
        return ::testing::AssertionFailure() << "size " << part->get_width() << "x" << part->get_height();
    for (int py = 0; py < h; ++py)
        for (int px = 0; px < w; ++px)
            if (dib_pixel(*part, px, py) != place_colour(x + px, y + py))
                return ::testing::AssertionFailure() << "pixel (" << px << "," << py << ") is not from ("
                                                     << x + px << "," << y + py << ")";
    return ::testing::AssertionSuccess();
}

struct expected_cut {
    int key, x, y, w, h;
};
// The table as the window's images are laid out, written out here on its
// own so that a wrong entry in the code shows.
const expected_cut expected[] = {
    {8, 234, 645, 8, 8},     {9, 243, 645, 8, 8},     {10, 0, 610, 161, 30},   {11, 162, 610, 161, 30},
    {12, 324, 610, 161, 30}, {13, 43, 575, 9, 9},     {14, 53, 575, 9, 9},     {15, 60, 561, 12, 12},
    {16, 73, 562, 11, 11},   {17, 85, 562, 11, 10},   {18, 97, 562, 11, 11},   {19, 109, 562, 11, 11},
    {20, 121, 562, 11, 11},  {21, 133, 562, 11, 11},  {22, 60, 561, 12, 12},   {23, 64, 575, 11, 11},
    {24, 76, 575, 11, 10},   {25, 88, 575, 12, 12},   {26, 145, 562, 10, 10},  {27, 166, 562, 8, 10},
    {28, 157, 562, 8, 10},   {29, 440, 555, 40, 15},  {30, 213, 556, 69, 21},  {31, 283, 556, 69, 21},
    {32, 353, 556, 69, 21},  {33, 136, 575, 12, 12},  {34, 162, 575, 12, 12},  {35, 149, 575, 12, 13},
    {36, 60, 561, 12, 12},   {37, 73, 562, 11, 11},   {38, 85, 562, 11, 10},   {39, 97, 562, 11, 11},
    {40, 109, 562, 11, 11},  {41, 121, 562, 11, 11},  {42, 133, 562, 11, 11},  {43, 145, 562, 10, 10},
    {44, 2, 577, 12, 12},    {45, 15, 577, 12, 12},   {46, 29, 577, 12, 12},   {47, 64, 575, 11, 11},
    {48, 76, 575, 11, 10},   {49, 88, 575, 12, 12},   {50, 175, 575, 12, 12},  {51, 188, 575, 11, 10},
    {52, 200, 578, 12, 12},  {53, 213, 578, 11, 11},  {54, 64, 588, 11, 11},
};

}  // namespace

using library_skin_test = player_skin_test;

TEST_F(library_skin_test, every_cut_comes_from_its_place_at_its_size) {
    dib place;
    make_place_image(place);
    library_skin look;
    look.cut_images(place);
    for (const expected_cut& e : expected) {
        SCOPED_TRACE("key " + std::to_string(e.key));
        EXPECT_TRUE(cut_from(look.image(e.key), e.x, e.y, e.w, e.h));
    }
    EXPECT_EQ(look.image(7), nullptr);
    EXPECT_EQ(look.image(55), nullptr);
    EXPECT_EQ(library_image_table().size(), sizeof(expected) / sizeof(expected[0]));

    const library_scroll_images h = look.hscroll_images(), v = look.vscroll_images();
    EXPECT_TRUE(cut_from(h.thumb, 263, 645, 53, 9)) << "horizontal thumb";
    EXPECT_TRUE(cut_from(v.thumb, 253, 645, 9, 53)) << "vertical thumb";
    EXPECT_TRUE(cut_from(h.plus, 293, 656, 9, 9)) << "horizontal plus";
    EXPECT_TRUE(cut_from(v.plus, 273, 656, 9, 9)) << "vertical plus";
    EXPECT_TRUE(cut_from(h.minus, 283, 656, 9, 9)) << "horizontal minus";
    EXPECT_TRUE(cut_from(v.minus, 263, 656, 9, 9)) << "vertical minus";
    // The channels are drawn: D8D8D8 with the F1F1F1 stripe across the bar.
    ASSERT_NE(h.channel, nullptr);
    ASSERT_NE(v.channel, nullptr);
    EXPECT_EQ(dib_pixel(*h.channel, 4, 0), 0xD8D8D8u);
    EXPECT_EQ(dib_pixel(*h.channel, 4, 8), 0xD8D8D8u);
    for (int i = 1; i <= 7; ++i) {
        EXPECT_EQ(dib_pixel(*h.channel, 0, i), 0xF1F1F1u) << i;
        EXPECT_EQ(dib_pixel(*v.channel, i, 0), 0xF1F1F1u) << i;
    }
    EXPECT_EQ(dib_pixel(*v.channel, 0, 4), 0xD8D8D8u);
    EXPECT_EQ(dib_pixel(*v.channel, 8, 4), 0xD8D8D8u);
}

TEST_F(library_skin_test, the_drawn_images_hold_the_cuts_off_the_face) {
    // The image data's cuts lie where the table cuts: a table entry whose
    // place the data does not draw would cut key colour.
    for (const library_image_cut& c : library_image_table()) {
        SCOPED_TRACE("key " + std::to_string(c.key));
        EXPECT_GE(c.y, art::face.bottom);
        EXPECT_LE(c.x + c.w, art::width);
        EXPECT_LE(c.y + c.h, art::height);
    }
    EXPECT_EQ(art::width, 500);
    EXPECT_EQ(art::height, 712);
    EXPECT_EQ(art::face.right, 480);
    EXPECT_EQ(art::face.bottom, 550);
}

TEST_F(library_skin_test, colour_numbers_choose_their_image) {
    const unsigned by_number[] = {203, 203, 201, 200, 199, 204, 202, 198, 203};
    for (int n = 0; n <= 8; ++n) EXPECT_EQ(library_skin::png_resource(n), by_number[n]) << n;
    EXPECT_EQ(library_skin::png_resource(-1), 203u);
    ASSERT_EQ(art::variant_count, 7);
    for (int n = 1; n <= 7; ++n) EXPECT_EQ(art::resource_ids[n - 1], by_number[n]) << n;
}

TEST_F(library_skin_test, every_colour_builds_the_frame_buttons_field_and_images) {
    dib first, second;
    ASSERT_TRUE(first.create(197, 12, 24));
    ASSERT_TRUE(second.create(42, 12, 24));
    const RECT f = {0, 0, 197, 12}, s = {0, 0, 42, 12};
    dib::fill_solid_rect(first.get_memdc(), &f, RGB(10, 20, 30));
    dib::fill_solid_rect(second.get_memdc(), &s, RGB(40, 50, 60));
    for (int colour = 1; colour <= 7; ++colour) {
        SCOPED_TRACE("colour " + std::to_string(colour));
        skin_host host;
        library_skin look;
        skin* built = look.build(host.hwnd(), colour, &first, &second);
        ASSERT_NE(built, nullptr);
        EXPECT_EQ(built->get_width(), 480);
        EXPECT_EQ(built->get_height(), 550);
        EXPECT_EQ(built->resize_regions().size(), 9u);
        EXPECT_EQ(built->control_count(), 8u);
        for (unsigned id = 0; id < 4; ++id) {
            ASSERT_NE(built->get_control(id), nullptr) << id;
            EXPECT_FALSE(built->get_control(id)->visible) << id;
        }
        for (unsigned id = 4; id < 8; ++id) {
            ASSERT_NE(built->get_control(id), nullptr) << id;
            EXPECT_TRUE(built->get_control(id)->visible) << id;
        }
        // The field behind the tree and the page.
        EXPECT_EQ(back_pixel(*built, 9, 59), 0xF7F7F7u);
        EXPECT_EQ(back_pixel(*built, 470, 511), 0xF7F7F7u);
        EXPECT_EQ(back_pixel(*built, 240, 300), 0xF7F7F7u);
        for (const library_image_cut& c : library_image_table())
            EXPECT_GT(opaque_pixels(*look.image(c.key)), 0) << "key " << c.key;
        look.release();
        EXPECT_EQ(look.current(), nullptr);
    }
}

TEST_F(library_skin_test, missing_main_window_images_leave_out_their_buttons) {
    dib first;
    ASSERT_TRUE(first.create(197, 12, 24));
    struct row {
        bool first, second;
        size_t controls;
        bool has_settings, has_mini;
    };
    const row rows[] = {{false, false, 4, false, false}, {true, false, 7, true, false}, {false, true, 5, false, true}};
    for (const row& r : rows) {
        skin_host host;
        library_skin look;
        skin* built = look.build(host.hwnd(), 3, r.first ? &first : nullptr, r.second ? &first : nullptr);
        ASSERT_NE(built, nullptr);
        EXPECT_EQ(built->control_count(), r.controls);
        EXPECT_EQ(built->get_control(0) != nullptr, r.has_settings);
        EXPECT_EQ(built->get_control(2) != nullptr, r.has_settings);
        EXPECT_EQ(built->get_control(3) != nullptr, r.has_mini);
    }
}

TEST_F(library_skin_test, a_rebuild_keeps_the_table_images) {
    skin_host host;
    library_skin look;
    ASSERT_NE(look.build(host.hwnd(), 1, nullptr, nullptr), nullptr);
    dib* glyph = look.image(13);
    ASSERT_NE(look.build(host.hwnd(), 5, nullptr, nullptr), nullptr);
    EXPECT_EQ(look.image(13), glyph) << "the tree keeps its pointers across a skin change";
}
