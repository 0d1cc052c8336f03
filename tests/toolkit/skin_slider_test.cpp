// skin: sliders. The thumb follows the pointer along the hit rectangle, the
// position maps linearly onto the range with the ends snapping to min and
// max, moves post WM_HSCROLL / WM_VSCROLL with SB_THUMBPOSITION and the
// control's id, the tooltip shows the value while dragging, and degenerate
// sliders (an empty range, a thumb as long as its track) stay safe.
#include <gtest/gtest.h>
#include <windows.h>

#include "skin_test_support.h"

namespace art = test_player_skin;

namespace {
const COLORREF kFill = RGB(0x4F, 0xA8, 0xFF);

struct scroll_message {
    UINT msg;
    int code, position;
    LPARAM id;
};

struct slider_test : player_test {
    // A horizontal slider at the window's left edge, hit 0..track_width,
    // thumb 10 wide, range 0..100.
    skin_scroll* add_small_slider(int id, int track_width) {
        skin_art_slider small = art::seek;
        small.id = id;
        small.hit = {0, 66, track_width, 78};
        small.thumb = {0, 66, 10, 78};
        small.normal = {art::seek.normal.left, art::seek.normal.top, art::seek.normal.left + 10,
                        art::seek.normal.bottom};
        small.hover = small.disabled = small.fill = RECT{};
        skin_scroll* s = make_slider(small, 0, 100);
        look().add_control(b.region, s);
        return s;
    }
    // The scroll messages posted since the last call.
    std::vector<scroll_message> scrolls() {
        window_rig::pump();
        std::vector<scroll_message> out;
        for (const window_rig::recorded_message& m : log.log)
            if (m.msg == WM_HSCROLL || m.msg == WM_VSCROLL)
                out.push_back({m.msg, LOWORD(m.wparam), static_cast<short>(HIWORD(m.wparam)), m.lparam});
        log.clear();
        return out;
    }
};
}  // namespace

using skin_slider = slider_test;

TEST_F(skin_slider, the_position_follows_the_pointer_and_snaps_at_the_ends) {
    skin_scroll* s = add_small_slider(60, 110);
    const struct {
        int x, position, thumb_left;
    } cases[] = {
        {55, 50, 50}, {2, 0, 0}, {5, 0, 0}, {108, 100, 100}, {105, 100, 100}, {30, 25, 25}, {6, 1, 1}, {104, 99, 99},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x);
        window_rig::left_down(hwnd(), c.x, 70);
        EXPECT_TRUE(s->dragging);
        EXPECT_EQ(look().get_position(60), c.position);
        EXPECT_EQ(s->draw_rect.left, c.thumb_left);
        EXPECT_EQ(s->draw_rect.right, c.thumb_left + 10);
        EXPECT_TRUE(scrolls().empty()) << "a press posts nothing";
        window_rig::left_up(hwnd(), c.x, 70);
        const std::vector<scroll_message> got = scrolls();
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0].msg, static_cast<UINT>(WM_HSCROLL));
        EXPECT_EQ(got[0].code, SB_THUMBPOSITION);
        EXPECT_EQ(got[0].position, c.position);
        EXPECT_EQ(got[0].id, 60);
        EXPECT_FALSE(s->dragging);
    }

    // Every move of a drag posts; a pointer left of the window counts as 0.
    window_rig::left_down(hwnd(), 55, 70);
    window_rig::mouse_move(hwnd(), 75, 70, MK_LBUTTON);
    window_rig::mouse_move(hwnd(), -20, 70, MK_LBUTTON);
    const std::vector<scroll_message> moves = scrolls();
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[0].position, 70);
    EXPECT_EQ(moves[1].position, 0);
    window_rig::left_up(hwnd(), -20, 70);
    EXPECT_EQ(look().get_position(60), 0);
}

TEST_F(skin_slider, a_vertical_slider_at_its_top_shows_its_maximum) {
    const RECT hit = art::volume.hit;
    window_rig::left_down(hwnd(), 225, 110);
    EXPECT_EQ(GetCapture(), hwnd());
    window_rig::mouse_move(hwnd(), 225, hit.top - 30, MK_LBUTTON);
    EXPECT_EQ(tool_text(look(), art::volume.id), L"100");
    std::vector<scroll_message> got = scrolls();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].msg, static_cast<UINT>(WM_VSCROLL));
    EXPECT_EQ(got[0].position, 0);
    EXPECT_EQ(got[0].id, art::volume.id);
    window_rig::left_up(hwnd(), 225, hit.top - 30);
    got = scrolls();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].position, 0);
    EXPECT_NE(GetCapture(), hwnd());
    // After the drag the tip is the control's own again.
    EXPECT_EQ(tool_text(look(), art::volume.id), L"볼륨");

    // At the bottom: the minimum shown, the maximum sent.
    window_rig::left_down(hwnd(), 225, hit.bottom - 1);
    EXPECT_EQ(look().get_position(art::volume.id), 100);
    EXPECT_EQ(tool_text(look(), art::volume.id), L"0");
    window_rig::left_up(hwnd(), 225, hit.bottom - 1);
}

TEST_F(skin_slider, set_position_places_the_thumb_and_the_fill_reaches_its_centre) {
    KEEP_BACK_BUFFER(look());
    look().set_position(art::seek.id, 500);
    const skin_control* seek = look().get_control(art::seek.id);
    // 8 + 500 * (224 - 14) / 1000
    EXPECT_EQ(seek->draw_rect.left, 113);
    EXPECT_TRUE(shows_colour(look(), {art::seek.fill.left, art::seek.fill.top, seek->draw_rect.left, art::seek.fill.bottom},
                             kFill));
    // Right of the thumb the empty track of the face; the thumb's middle is
    // its image.
    EXPECT_TRUE(shows(look(), {seek->draw_rect.right, 66, 232, 78}, *image, {seek->draw_rect.right, 66, 232, 78}));
    EXPECT_TRUE(shows(look(), {115, 68, 125, 76}, *image,
                      {art::seek.normal.left + 2, art::seek.normal.top + 2, art::seek.normal.left + 12,
                       art::seek.normal.top + 10}));
    // Out of range values are clamped; nothing is posted.
    look().set_position(art::seek.id, 5000);
    EXPECT_EQ(look().get_position(art::seek.id), 1000);
    EXPECT_EQ(seek->draw_rect.right, art::seek.hit.right);
    EXPECT_TRUE(scrolls().empty());
    int min = -1, max = -1;
    look().get_range(art::seek.id, min, max);
    EXPECT_EQ(min, 0);
    EXPECT_EQ(max, 1000);
    EXPECT_EQ(look().get_position(art::play.id), -1);
}

TEST_F(skin_slider, an_empty_range_leaves_the_slider_alone) {
    look().set_position(art::seek.id, 300);
    look().set_range(art::seek.id, 5, 5);
    const RECT thumb = look().get_control(art::seek.id)->draw_rect;
    look().set_position(art::seek.id, 7);
    EXPECT_EQ(look().get_position(art::seek.id), 300);
    EXPECT_TRUE(same_rect(look().get_control(art::seek.id)->draw_rect, thumb));
    // Dragging it gives the one value there is.
    window_rig::left_down(hwnd(), 150, 70);
    window_rig::left_up(hwnd(), 150, 70);
    EXPECT_EQ(look().get_position(art::seek.id), 5);
}

// The thumb's travel is the track's length minus the thumb's: with none left,
// the position used to be divided by zero.
TEST_F(skin_slider, a_thumb_as_long_as_its_track_stays_at_the_minimum) {
    skin_scroll* s = add_small_slider(62, 10);
    window_rig::left_down(hwnd(), 5, 70);
    window_rig::mouse_move(hwnd(), 9, 70, MK_LBUTTON);
    window_rig::left_up(hwnd(), 9, 70);
    EXPECT_EQ(s->position, 0);
    EXPECT_EQ(s->draw_rect.left, 0);
    look().set_position(62, 60);
    EXPECT_EQ(s->draw_rect.left, 0);
    EXPECT_EQ(s->position, 60);
}

TEST_F(skin_slider, a_quiet_slider_reports_only_at_the_release) {
    static_cast<skin_scroll*>(look().get_control(art::seek.id))->quiet = true;
    window_rig::left_down(hwnd(), 30, 70);
    window_rig::mouse_move(hwnd(), 60, 70, MK_LBUTTON);
    window_rig::mouse_move(hwnd(), 90, 70, MK_LBUTTON);
    EXPECT_TRUE(scrolls().empty());
    window_rig::left_up(hwnd(), 90, 70);
    const std::vector<scroll_message> got = scrolls();
    ASSERT_EQ(got.size(), 1u);
    // 1000 * (90 - 8 - 7) / 210, rounded
    EXPECT_EQ(got[0].position, 357);
}

TEST_F(skin_slider, a_lost_capture_ends_the_drag) {
    window_rig::left_down(hwnd(), 60, 70);
    window_rig::host_window other(300, 300, 20, 20);
    SetCapture(other.hwnd());
    EXPECT_FALSE(static_cast<skin_scroll*>(look().get_control(art::seek.id))->dragging);
    EXPECT_EQ(scrolls().size(), 1u);
    // Later moves over the window are hover, not drag.
    ReleaseCapture();
    window_rig::mouse_move(hwnd(), 150, 70);
    EXPECT_TRUE(scrolls().empty());
}
