// The playlist window's skin on real windows: every colour builds with its
// controls and images at the places its image data holds them, the ad
// frame is covered without an ad page, and the status strip keeps and
// places its two texts.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "playlist_window_skin.h"
#include "playlist_skin.h"
#include "skin_host.h"
#include "window_rig.h"

namespace ids = playlist_skin_ids;
namespace art = playlist_skin;

namespace {

struct built {
    std::unique_ptr<skin_host> host = std::make_unique<skin_host>();
    std::unique_ptr<playlist_window_skin> look = std::make_unique<playlist_window_skin>();
    skin* s = nullptr;
    ~built() {
        look.reset();  // detach before the window goes
        host.reset();
    }
};

std::unique_ptr<built> build(int colour, bool ad) {
    auto b = std::make_unique<built>();
    b->look->set_ad_shown([ad] { return ad; });
    b->s = b->look->build(b->host->hwnd(), colour);
    UpdateWindow(b->host->hwnd());
    window_rig::pump();
    return b;
}

bool same_rect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string text_of(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

// The look's size, at the draw rectangle's corner: the image data's draw
// rectangle is the part the looks cover.
void expect_matches_art(skin& s, const skin_art_button& a) {
    SCOPED_TRACE("control " + std::to_string(a.id));
    auto* c = dynamic_cast<skin_button*>(s.get_control(a.id));
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(same_rect(c->hit_rect, a.hit)) << text_of(c->hit_rect) << " vs " << text_of(a.hit);
    EXPECT_TRUE(same_rect(c->normal_src, a.normal)) << text_of(c->normal_src);
    EXPECT_TRUE(same_rect(c->hover_src, a.hover)) << text_of(c->hover_src);
    EXPECT_TRUE(same_rect(c->pressed_src, a.pressed)) << text_of(c->pressed_src);
    EXPECT_EQ(c->draw_rect.left, a.draw.left);
    EXPECT_EQ(c->draw_rect.top, a.draw.top);
    EXPECT_EQ(a.normal.right - a.normal.left, a.draw.right - a.draw.left);
    EXPECT_GT(opaque_pixels(c->normal), 0);
    EXPECT_GT(opaque_pixels(c->pressed), 0);
}

void expect_image(dib* d, int w, int h, const char* what) {
    SCOPED_TRACE(what);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->get_width(), w);
    EXPECT_EQ(d->get_height(), h);
    EXPECT_GT(opaque_pixels(*d), 0);
}

// Pixels of the text colour in the back buffer's rectangle.
int ink_in(const skin& s, RECT r) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) n += back_pixel(s, x, y) == 0x3C3C3C;
    return n;
}

}  // namespace

using playlist_skin_test = player_skin_test;

TEST_F(playlist_skin_test, every_colour_builds_the_frame_controls_and_images_of_its_image) {
    for (int colour = 0; colour <= 8; ++colour) {
        SCOPED_TRACE("colour " + std::to_string(colour));
        auto b = build(colour, false);
        ASSERT_NE(b->s, nullptr);
        EXPECT_EQ(b->s->get_width(), 320);
        EXPECT_EQ(b->s->get_height(), 300);
        EXPECT_EQ(b->s->control_count(), 4u);
        EXPECT_EQ(b->s->resize_regions().size(), 9u);
        for (const auto* a : {&art::close, &art::details, &art::music_tab, &art::anne_tab})
            expect_matches_art(*b->s, *a);
        expect_image(b->look->image(4), 20, 9, "mp3");
        expect_image(b->look->image(5), 20, 9, "zel");
        expect_image(b->look->image(6), 20, 9, "cda");
        expect_image(b->look->image(7), 20, 9, "radio");
        expect_image(b->look->image(8), 1, 14, "status strip");
        expect_image(b->look->image(9), 8, 9, "announcement icon");
        EXPECT_EQ(b->look->image(3), nullptr);
        const playlist_scroll_images h = b->look->hscroll_images(), v = b->look->vscroll_images();
        expect_image(h.thumb, 53, 9, "horizontal thumb");
        expect_image(v.thumb, 9, 53, "vertical thumb");
        for (dib* d : {h.minus, h.plus, v.minus, v.plus, h.track, v.track}) expect_image(d, 9, 9, "9 x 9 part");
        // The tracks: a darker edge along the bar, light across it.
        EXPECT_EQ(dib_pixel(*h.track, 4, 0), 0xD8D8D8u);
        EXPECT_EQ(dib_pixel(*h.track, 0, 4), 0xF1F1F1u);
        EXPECT_EQ(dib_pixel(*v.track, 0, 4), 0xD8D8D8u);
        EXPECT_EQ(dib_pixel(*v.track, 4, 0), 0xF1F1F1u);
    }
}

TEST_F(playlist_skin_test, colour_numbers_choose_their_image_and_unknown_numbers_the_first) {
    const unsigned by_number[] = {180, 180, 178, 177, 176, 181, 179, 175, 180};
    for (int n = 0; n <= 8; ++n) EXPECT_EQ(playlist_window_skin::png_resource(n), by_number[n]) << n;
    EXPECT_EQ(playlist_window_skin::png_resource(-3), 180u);
    // The image data's variants carry the resources of colours 1 to 7.
    ASSERT_EQ(art::variant_count, 7);
    for (int n = 1; n <= 7; ++n) EXPECT_EQ(art::resource_ids[n - 1], by_number[n]) << n;
    // An unknown number looks like colour 1.
    auto first = build(1, false), unknown = build(12, false), second = build(2, false);
    EXPECT_EQ(back_pixel(*unknown->s, 160, 10), back_pixel(*first->s, 160, 10));
    EXPECT_NE(back_pixel(*second->s, 160, 10), back_pixel(*first->s, 160, 10));
}

TEST_F(playlist_skin_test, without_an_ad_page_the_list_field_covers_the_ad_frame) {
    auto with_ad = build(1, true), without = build(1, false);
    EXPECT_TRUE(same_rect(with_ad->look->list_rect(), RECT{9, 47, 311, 206}));
    EXPECT_TRUE(same_rect(without->look->list_rect(), RECT{9, 47, 311, 270}));
    // The ad frame's white inside shows only with the ad page; without it the
    // list field (its colour at row 150) reaches down past the frame's place.
    EXPECT_EQ(back_pixel(*with_ad->s, 160, 260), 0xFFFFFFu);
    EXPECT_EQ(back_pixel(*without->s, 160, 260), back_pixel(*without->s, 160, 150));
    EXPECT_EQ(back_pixel(*without->s, 160, 250), back_pixel(*with_ad->s, 160, 150));
    // The strip's image: the strip under the list with the ad, the list field
    // without; both light enough for the strip's dark text.
    for (auto* b : {with_ad.get(), without.get()}) {
        const COLORREF c = dib_pixel(*b->look->image(8), 0, 7);
        EXPECT_GT(GetRValue(c) + GetGValue(c) + GetBValue(c), 3 * 0xC0);
    }
    // The status strip has moved down with the field.
    EXPECT_EQ(back_pixel(*without->s, 160, 278), back_pixel(*with_ad->s, 160, 214));
}

TEST_F(playlist_skin_test, the_status_strip_keeps_the_text_it_is_not_given_and_drops_the_right_when_narrow) {
    auto b = build(3, false);
    const RECT strip = {14, 272, 311, 286};
    // Nothing is drawn while both texts are empty.
    const COLORREF before = back_pixel(*b->s, 20, 279);
    b->look->draw_status_text(strip, nullptr, L"");
    EXPECT_EQ(back_pixel(*b->s, 20, 279), before);

    b->look->draw_status_text(strip, L"12곡", L"ZEL 3.1");
    const RECT left_part = {14, 272, 80, 286}, right_part = {250, 272, 311, 286};
    EXPECT_GT(ink_in(*b->s, left_part), 0);
    EXPECT_GT(ink_in(*b->s, right_part), 0);

    // Only a right text: the left one is still shown.
    b->look->draw_status_text(strip, nullptr, L"ZEL 3.2");
    EXPECT_EQ(b->look->status_left(), L"12곡");
    EXPECT_EQ(b->look->status_right(), L"ZEL 3.2");
    EXPECT_GT(ink_in(*b->s, left_part), 0);
    EXPECT_GT(ink_in(*b->s, right_part), 0);
    // Only a left text: the right one stays.
    b->look->draw_status_text(strip, L"13곡", nullptr);
    EXPECT_EQ(b->look->status_right(), L"ZEL 3.2");
    EXPECT_GT(ink_in(*b->s, right_part), 0);

    // A strip narrower than both texts and the gap shows the left text alone:
    // nothing where the right text would end.
    auto fresh = build(3, false);
    const RECT narrow = {14, 272, 114, 286};
    fresh->look->draw_status_text(narrow, L"12곡", L"가나다라마바사아자차카타파하");
    EXPECT_GT(ink_in(*fresh->s, RECT{14, 272, 50, 286}), 0);
    EXPECT_EQ(ink_in(*fresh->s, RECT{80, 272, 114, 286}), 0);
    // Wide enough, the right text ends at the strip's right edge.
    fresh->look->draw_status_text(RECT{14, 272, 311, 286}, nullptr, nullptr);
    EXPECT_GT(ink_in(*fresh->s, RECT{260, 272, 311, 286}), 0);
}

TEST_F(playlist_skin_test, a_rebuild_keeps_the_table_images_and_remove_detaches) {
    auto b = build(1, false);
    dib* mp3 = b->look->image(4);
    b->look->remove();
    EXPECT_EQ(b->look->current(), nullptr);
    EXPECT_EQ(b->look->image(4), mp3);
    b->s = b->look->build(b->host->hwnd(), 4);
    ASSERT_NE(b->s, nullptr);
    EXPECT_EQ(b->look->image(4), mp3) << "the lists keep their pointers across rebuilds";
    EXPECT_GT(opaque_pixels(*mp3), 0);
}

TEST_F(playlist_skin_test, stretching_moves_the_right_buttons_and_repeats_the_middle) {
    auto b = build(5, false);
    const COLORREF middle = back_pixel(*b->s, 265, 150);
    SetWindowPos(b->host->hwnd(), nullptr, 0, 0, 400, 380, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT bigger = {0, 0, 400, 380};
    b->s->refresh_resize_skin(&bigger, 1);
    EXPECT_EQ(b->s->get_width(), 400);
    EXPECT_EQ(b->s->get_height(), 380);
    EXPECT_EQ(b->s->get_control(ids::close)->draw_rect.left, 299 + 80);
    EXPECT_EQ(b->s->get_control(ids::music_tab)->draw_rect.left, 7);
    EXPECT_EQ(back_pixel(*b->s, 330, 200), middle);
    EXPECT_EQ(back_pixel(*b->s, 200, 200), middle);
}
