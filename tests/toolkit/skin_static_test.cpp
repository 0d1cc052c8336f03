// skin: statics (text lines, wrapped text, framed boxes, pictures, progress
// bars), their tools, long captions, and the item list that keeps exactly one
// item checked.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "image_fixtures.h"
#include "skin_test_support.h"

namespace art = test_player_skin;

namespace {
const COLORREF kInk = RGB(0x98, 0xCB, 0xF1);
const COLORREF kWhite = RGB(255, 255, 255);

struct static_test : player_test {
    int count(const RECT& r, COLORREF c) {
        GdiFlush();
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += back_pixel(look(), x, y) == c;
        return n;
    }
    // Pixels of the back buffer outside r that differ from before.
    int changed_outside(const pixel_image& before, const RECT& r) {
        const pixel_image now = capture_dc(look().get_dc(), 0, 0, before.width, before.height);
        int n = 0;
        for (int y = 0; y < now.height; ++y)
            for (int x = 0; x < now.width; ++x)
                if (!(x >= r.left && x < r.right && y >= r.top && y < r.bottom) && now.at(x, y) != before.at(x, y))
                    ++n;
        return n;
    }
    skin_progress* add_progress(int id, int type, RECT rect, int min, int max, int value) {
        skin_progress* p = new skin_progress;
        p->type = type;
        p->id = id;
        p->rect = rect;
        p->visible = true;
        p->min = min;
        p->max = max;
        p->value = value;
        p->back_colour = RGB(20, 30, 40);
        p->bar_colour = RGB(0, 200, 0);
        p->text_colour = kWhite;
        look().add_static(b.region, p);
        return p;
    }
    skin_static* add_text(int id, int type, RECT rect, const wchar_t* text) {
        skin_static* s = new skin_static;
        s->type = type;
        s->id = id;
        s->rect = rect;
        s->visible = true;
        s->text_colour = kInk;
        skin_copy_text(s->text, text);
        look().add_static(b.region, s);
        return s;
    }
};

// Every pixel of the rectangle on the progress bar's default bar: black to
// red and back, so no green or blue.
bool all_bar(const skin& look, const RECT& r) {
    GdiFlush();
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const COLORREF c = back_pixel(look, x, y);
            if (GetGValue(c) || GetBValue(c)) return false;
        }
    return true;
}
}  // namespace

using skin_static_draw = static_test;

TEST_F(skin_static_draw, text_lines_and_wrapped_text) {
    KEEP_BACK_BUFFER(look());
    const pixel_image before = capture_dc(look().get_dc(), 0, 0, look().get_width(), look().get_height());
    look().set_caption(art::title.id, L"매장 음악 방송 - 오늘의 선곡");
    EXPECT_GT(count(art::title.rect, kInk), 60);
    EXPECT_EQ(changed_outside(before, art::title.rect), 0);
    EXPECT_STREQ(look().get_caption(art::title.id), L"매장 음악 방송 - 오늘의 선곡");
    EXPECT_EQ(look().get_caption(999), nullptr);

    // Right-aligned: the ink lies in the right half.
    look().set_caption(art::time.id, L"03:25");
    const RECT t = art::time.rect;
    const int middle = (t.left + t.right) / 2;
    EXPECT_EQ(count({t.left, t.top, middle - 6, t.bottom}, kInk), 0);
    EXPECT_GT(count({middle, t.top, t.right, t.bottom}, kInk), 10);

    // Wrapped: the ink fills more than one line.
    const RECT box = {14, 66, 100, 110};
    add_text(71, skin_static::type_wrapped, box, L"긴 안내 문구가 여러 줄로 나뉘어 보입니다");
    EXPECT_GT(count({box.left, box.top, box.right, box.top + 14}, kInk), 10);
    EXPECT_GT(count({box.left, box.top + 15, box.right, box.top + 30}, kInk), 10);

    // Hidden, the face shows again.
    look().set_static_visible(art::title.id, false);
    EXPECT_TRUE(shows(look(), art::title.rect, *image, art::title.rect));
}

TEST_F(skin_static_draw, a_framed_box_and_a_picture) {
    KEEP_BACK_BUFFER(look());
    skin_progress* framed = add_progress(72, skin_static::type_box, {20, 30, 100, 56}, 4, 2, 0);
    framed->value = static_cast<int>(RGB(255, 255, 0));
    skin_copy_text(framed->text, L"안내 방송");
    look().refresh_static(72);
    EXPECT_TRUE(shows_colour(look(), {20, 30, 100, 31}, RGB(255, 255, 0)));
    EXPECT_TRUE(shows_colour(look(), {20, 55, 100, 56}, RGB(255, 255, 0)));
    EXPECT_TRUE(shows_colour(look(), {20, 30, 21, 56}, RGB(255, 255, 0)));
    // Inside, the face shows through, and the text is there without any
    // key-coloured fringe.
    EXPECT_GT(count({21, 31, 99, 55}, kWhite), 20);
    EXPECT_EQ(count({21, 31, 99, 55}, kKey), 0);
    EXPECT_EQ(back_pixel(look(), 97, 53), dib_pixel(*image, 97, 53));

    skin_static* picture = new skin_static;
    picture->type = skin_static::type_picture;
    picture->id = 73;
    picture->rect = {150, 30, 155, 33};
    picture->visible = true;
    skin_copy_text(picture->text, fixture_path(L"probe.bmp").c_str());
    look().add_static(b.region, picture);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(back_pixel(look(), 150 + x, 30 + y), probe_colour(x, y)) << x << "," << y;
}

TEST_F(skin_static_draw, progress_bars_fill_their_share_and_show_the_percentage) {
    KEEP_BACK_BUFFER(look());
    // 50 of 0..200 on 100 pixels: 25 pixels of bar and "25%".
    const RECT r = {20, 30, 120, 52};
    skin_progress* h = add_progress(74, skin_static::type_hprogress, r, 0, 200, 0);
    h->show_text = true;
    look().set_progress_position(74, 50);
    wchar_t text[32];
    skin::progress_text(h, text, 32);
    EXPECT_STREQ(text, L"25%");
    EXPECT_TRUE(all_bar(look(), {r.left, r.top, r.left + 25, r.bottom}));
    EXPECT_EQ(back_pixel(look(), r.left + 25, r.top), RGB(20, 30, 40));
    EXPECT_EQ(back_pixel(look(), r.right - 1, r.bottom - 1), RGB(20, 30, 40));
    EXPECT_GT(count({r.left + 25, r.top, r.right, r.bottom}, kWhite), 10);
    EXPECT_EQ(look().get_progress_position(74), 50);
    // Values are kept inside the range.
    look().set_progress_position(74, 500);
    EXPECT_EQ(look().get_progress_position(74), 200);

    // A vertical bar at its maximum is filled over its whole height.
    const RECT v = {130, 30, 140, 58};
    add_progress(75, skin_static::type_vprogress, v, 0, 10, 0);
    look().set_progress_position(75, 10);
    EXPECT_TRUE(all_bar(look(), v));
    // Half way it grows from the bottom.
    look().set_progress_position(75, 5);
    EXPECT_TRUE(all_bar(look(), {v.left, v.top + 14, v.right, v.bottom}));
    EXPECT_TRUE(shows_colour(look(), {v.left, v.top, v.right, v.top + 14}, RGB(20, 30, 40)));
    // Its percentage runs upwards over both parts, inside the bar.
    const RECT tall = {200, 24, 216, 124};
    skin_progress* rising = add_progress(77, skin_static::type_vprogress, tall, 0, 10, 0);
    rising->show_text = true;
    look().set_progress_position(77, 5);
    skin::progress_text(rising, text, 32);
    EXPECT_STREQ(text, L"50%");
    EXPECT_GT(count(tall, kWhite), 10);
    EXPECT_EQ(count({tall.left, tall.top, tall.right, tall.top + 20}, kWhite), 0);
    EXPECT_EQ(count({tall.left, tall.bottom - 20, tall.right, tall.bottom}, kWhite), 0);
    save_artifact(capture_dc(look().get_dc(), 0, 0, look().get_width(), look().get_height()), L"progress");

    // An empty range shows nothing done, and no division by zero.
    const RECT e = {150, 30, 200, 40};
    skin_progress* empty = add_progress(76, skin_static::type_hprogress, e, 3, 3, 3);
    look().set_progress_position(76, 3);
    EXPECT_TRUE(shows_colour(look(), e, RGB(20, 30, 40)));
    skin::progress_text(empty, text, 32);
    EXPECT_STREQ(text, L"0%");

    // A caption of its own shows at the next position, not before.
    const pixel_image before = capture_dc(look().get_dc(), 0, 0, look().get_width(), look().get_height());
    look().set_caption(74, L"받는 중");
    EXPECT_EQ(changed_outside(before, {0, 0, 0, 0}), 0);
    look().set_progress_position(74, 100);
    skin::progress_text(h, text, 32);
    EXPECT_STREQ(text, L"받는 중");
    int min = -1, max = -1;
    look().get_progress_range(74, min, max);
    EXPECT_EQ(max, 200);
    EXPECT_EQ(look().get_progress_position(art::title.id), -1);
}

using skin_static_tools = static_test;

TEST_F(skin_static_tools, a_one_character_tooltip_deletes_the_tool) {
    const int base = tool_count(look());
    skin_static* s = add_text(80, skin_static::type_text, {14, 66, 100, 80}, L"제목");
    s->tooltip_shown = true;
    skin_copy_text(s->tooltip, L"곡 제목");
    look().set_caption(80, L"다른 제목");
    EXPECT_EQ(tool_count(look()), base + 1);
    EXPECT_EQ(tool_text(look(), 80), L"곡 제목");
    skin_copy_text(s->tooltip, L"x");
    look().set_caption(80, L"세 번째 제목");
    EXPECT_EQ(tool_count(look()), base);
    skin_copy_text(s->tooltip, L"새 설명");
    look().set_caption(80, L"네 번째 제목");
    EXPECT_EQ(tool_count(look()), base + 1);
    EXPECT_EQ(tool_text(look(), 80), L"새 설명");
    look().set_static_visible(80, false);
    EXPECT_EQ(tool_count(look()), base);
}

// A caption longer than the static's text array used to be copied whole,
// over whatever followed it.
TEST_F(skin_static_tools, a_very_long_caption_is_cut_safely) {
    KEEP_BACK_BUFFER(look());
    const pixel_image before = capture_dc(look().get_dc(), 0, 0, look().get_width(), look().get_height());
    const std::wstring longest(5000, L'가');
    look().set_caption(art::title.id, longest.c_str());
    const wchar_t* kept = look().get_caption(art::title.id);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(wcslen(kept), 999u);
    EXPECT_EQ(changed_outside(before, art::title.rect), 0);
    EXPECT_GT(count(art::title.rect, kInk), 50);
    // The same goes for the records' own arrays.
    skin_button button;
    skin_copy_text(button.caption, longest.c_str());
    EXPECT_EQ(wcslen(button.caption), 259u);
}

using skin_item_list = static_test;

TEST_F(skin_item_list, a_click_leaves_exactly_one_item_checked) {
    skin_list_control* list = look().get_list_control();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->items.size(), 2u);
    auto checked = [&] {
        std::vector<int> ids;
        for (skin_list_item* i : list->items)
            if (i->checked) ids.push_back(i->id);
        return ids;
    };
    const POINT a = {(art::item_a.draw.left + art::item_a.draw.right) / 2, art::item_a.draw.top + 6};
    const POINT bb = {(art::item_b.draw.left + art::item_b.draw.right) / 2, art::item_b.draw.top + 6};
    window_rig::click(hwnd(), bb.x, bb.y);
    EXPECT_EQ(checked(), std::vector<int>{art::item_b.id});
    window_rig::click(hwnd(), a.x, a.y);
    EXPECT_EQ(checked(), std::vector<int>{art::item_a.id});
    window_rig::click(hwnd(), a.x, a.y);
    EXPECT_EQ(checked(), std::vector<int>{art::item_a.id});
    // The checked item shows its pressed look (its line is drawn over it).
    EXPECT_EQ(back_pixel(look(), art::item_a.draw.right - 2, art::item_a.draw.top + 2),
              dib_pixel(*image, art::item_a.pressed.right - 2, art::item_a.pressed.top + 2));
    EXPECT_EQ(back_pixel(look(), art::item_b.draw.right - 2, art::item_b.draw.top + 2),
              dib_pixel(*image, art::item_b.normal.right - 2, art::item_b.normal.top + 2));
    window_rig::click(hwnd(), bb.x, bb.y);
    EXPECT_EQ(checked(), std::vector<int>{art::item_b.id});
    // Items post no command.
    window_rig::pump();
    EXPECT_TRUE(log.commands().empty());

    look().set_list_visible(false);
    EXPECT_EQ(look().find_control(a), nullptr);
    EXPECT_TRUE(shows(look(), art::item_a.draw, *image, art::item_a.draw));
    look().set_list_visible(true);
    EXPECT_NE(look().find_control(a), nullptr);
}
