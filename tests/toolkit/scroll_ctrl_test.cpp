// The skinned scroll bar: its picture, the position and pixel arithmetic,
// thumb drags and track clicks, held end buttons, and what it hands on to its
// owner.
#include "scroll_ctrl.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "control_test_support.h"
#include "window_capture.h"
#include "window_rig.h"

namespace {
const COLORREF kTrack = RGB(128, 128, 128), kThumb = RGB(0, 0, 255), kMinus = RGB(255, 0, 0),
               kPlus = RGB(0, 160, 0), kWhite = RGB(255, 255, 255), kKey = RGB(255, 0, 255);
const unsigned kId = 12346;

// A vertical bar 16 x 200: minus and plus buttons 16 high, a thumb 12 x 20
// with magenta corners; the thumb's centre runs from 26 to 174 over a travel
// of 148 pixels.
struct scroll_ctrl_test : toolkit_test {
    window_rig::host_window host{20, 20, 300, 260};
    window_rig::message_recorder notify_log{{WM_VSCROLL, WM_HSCROLL, WM_KEYDOWN, WM_MOUSEWHEEL}};
    dib channel, thumb, minus, plus;
    scroll_ctrl bar;
    HWND hwnd = nullptr;

    void SetUp() override {
        toolkit_test::SetUp();
        solid_dib(channel, 16, 4, kTrack);
        paint_dib(thumb, 12, 20, [](int x, int y) {
            const bool corner = (x == 0 || x == 11) && (y == 0 || y == 19);
            return corner ? kKey : kThumb;
        });
        solid_dib(minus, 16, 16, kMinus);
        solid_dib(plus, 16, 16, kPlus);
        notify_log.init(host.hwnd());
    }
    void make(bool vertical = true, int width = 16, int height = 200, HWND notify = nullptr) {
        bar.set_channel(&channel);
        bar.set_thumb(&thumb);
        bar.set_minus_button(&minus);
        bar.set_plus_button(&plus);
        bar.init(host.hwnd(), notify ? notify : host.hwnd(), width, height, vertical, kId);
        hwnd = bar.get_hwnd();
        ASSERT_NE(hwnd, nullptr);
        SetWindowPos(hwnd, nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
    pixel_image shot() {
        InvalidateRect(hwnd, nullptr, TRUE);
        UpdateWindow(hwnd);
        return capture_window(hwnd);
    }
    // Holds the button under (x, y) until it has stepped `steps` times, then
    // lets go: the scroll messages and the milliseconds the button was held
    // (the repeat rate is checked against the time that really passed, so a
    // loaded machine that runs the timers late does not fail the test).
    struct held_button {
        std::vector<std::pair<int, int>> steps;
        DWORD elapsed_ms = 0;
    };
    held_button hold(int x, int y, size_t steps) {
        const DWORD start = GetTickCount();
        window_rig::left_down(hwnd, x, y);
        window_rig::pump_until([&] { return scrolls().size() >= steps; }, 10000);
        window_rig::left_up(hwnd, x, y);
        held_button held;
        held.elapsed_ms = GetTickCount() - start;
        window_rig::pump();
        held.steps = scrolls();
        return held;
    }
    // The scroll messages the owner has received: (code, position).
    std::vector<std::pair<int, int>> scrolls() {
        std::vector<std::pair<int, int>> out;
        for (const auto& m : notify_log.log) {
            if (m.msg != WM_VSCROLL && m.msg != WM_HSCROLL) continue;
            EXPECT_EQ(m.lparam, reinterpret_cast<LPARAM>(hwnd));
            out.emplace_back(LOWORD(m.wparam), static_cast<short>(HIWORD(m.wparam)));
        }
        return out;
    }
};
}  // namespace

TEST_F(scroll_ctrl_test, paints_buttons_track_and_thumb_at_its_position) {
    make();
    bar.set_range(0, 100, false);
    bar.set_pos(50);
    pixel_image p = shot();
    ASSERT_EQ(p.width, 16);
    ASSERT_EQ(p.height, 200);
    EXPECT_EQ(p.count(kMinus, 0, 0, 16, 16), 16 * 16);
    EXPECT_EQ(p.count(kPlus, 0, 184, 16, 16), 16 * 16);
    // Centre 148 * 0.5 + 10 + 16 = 100: the thumb covers rows 90 to 109 and
    // columns 2 to 13, its magenta corners show the track.
    EXPECT_EQ(p.count(kThumb), 12 * 20 - 4);
    EXPECT_EQ(p.count(kThumb, 2, 90, 12, 20), 12 * 20 - 4);
    EXPECT_EQ(p.at(2, 90), kTrack);
    EXPECT_EQ(p.count(kTrack), 16 * 168 - (12 * 20 - 4));
}

TEST_F(scroll_ctrl_test, an_empty_range_shows_no_thumb_and_a_drag_leaves_the_position) {
    make();
    EXPECT_EQ(shot().count(kThumb), 0);
    window_rig::left_down(hwnd, 8, 150);
    window_rig::mouse_move(hwnd, 8, 60, MK_LBUTTON);
    window_rig::left_up(hwnd, 8, 60);
    window_rig::pump();
    EXPECT_EQ(bar.get_pos(), 0);
    EXPECT_EQ(scrolls(), (std::vector<std::pair<int, int>>{{SB_ENDSCROLL, 0}}));
}

TEST_F(scroll_ctrl_test, set_pos_clamps_and_a_new_range_does_not_clamp_again) {
    make();
    bar.set_range(10, 20, true);
    bar.set_pos(25);
    EXPECT_EQ(bar.get_pos(), 20);
    bar.set_pos(-3);
    EXPECT_EQ(bar.get_pos(), 10);
    bar.set_range(0, 5, true);
    EXPECT_EQ(bar.get_pos(), 10);
    int lo = -1, hi = -1;
    bar.get_range(lo, hi);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 5);
    EXPECT_EQ(bar.set_page_size(7), 0);
    EXPECT_EQ(bar.set_page_size(3), 7);
    window_rig::pump();
    EXPECT_TRUE(scrolls().empty());  // set_pos sends nothing
}

TEST_F(scroll_ctrl_test, a_track_click_far_from_the_thumb_centres_it_under_the_mouse) {
    make();
    bar.set_range(0, 100, false);
    window_rig::left_down(hwnd, 8, 150);
    // (150 - 10 - 16) / 148 * 100 = 83.78
    EXPECT_EQ(bar.get_pos(), 83);
    EXPECT_TRUE(bar.is_dragging());
    window_rig::left_up(hwnd, 8, 150);
    window_rig::pump();
    EXPECT_EQ(scrolls(), (std::vector<std::pair<int, int>>{{SB_THUMBPOSITION, 83}, {SB_ENDSCROLL, 83}}));
    EXPECT_FALSE(bar.is_dragging());
    EXPECT_EQ(shot().count(kThumb, 2, 138, 12, 20), 12 * 20 - 4);  // centre trunc(148 * 0.83) + 26 = 148
}

TEST_F(scroll_ctrl_test, a_grabbed_thumb_keeps_its_offset_and_stops_at_the_ends) {
    make();
    bar.set_range(0, 100, false);
    bar.set_pos(50);  // centre 100
    window_rig::left_down(hwnd, 8, 105);
    EXPECT_EQ(bar.get_pos(), 50);  // grabbed 5 below the centre: nothing moves
    window_rig::mouse_move(hwnd, 8, 125, MK_LBUTTON);
    EXPECT_EQ(bar.get_pos(), 63);  // (120 - 26) / 148 * 100 = 63.5
    window_rig::mouse_move(hwnd, 8, 400, MK_LBUTTON);
    EXPECT_EQ(bar.get_pos(), 100);
    window_rig::mouse_move(hwnd, 8, 401, MK_LBUTTON);  // same pixel: nothing posted
    window_rig::mouse_move(hwnd, 8, -5, MK_LBUTTON);   // above the control: ignored
    EXPECT_EQ(bar.get_pos(), 100);
    window_rig::mouse_move(hwnd, 8, 20, MK_LBUTTON);
    EXPECT_EQ(bar.get_pos(), 0);
    window_rig::left_up(hwnd, 8, 20);
    window_rig::pump();
    EXPECT_EQ(scrolls(), (std::vector<std::pair<int, int>>{
                             {SB_THUMBPOSITION, 63}, {SB_THUMBPOSITION, 100}, {SB_THUMBPOSITION, 0}, {SB_ENDSCROLL, 0}}));
}

TEST_F(scroll_ctrl_test, a_held_minus_button_at_the_minimum_keeps_posting_until_release) {
    make();
    bar.set_range(0, 100, false);
    const held_button held = hold(8, 5, 5);
    ASSERT_GE(held.steps.size(), 6u);
    // A step at once and one every 50 ms: never more than the time held allows.
    EXPECT_LE(held.steps.size(), held.elapsed_ms / 50 + 2);
    for (size_t i = 0; i + 1 < held.steps.size(); ++i) EXPECT_EQ(held.steps[i], std::make_pair(SB_THUMBPOSITION, 0));
    EXPECT_EQ(held.steps.back(), std::make_pair(SB_ENDSCROLL, 0));
    window_rig::pump_for(150);
    EXPECT_EQ(scrolls().size(), held.steps.size());  // nothing after the release
}

TEST_F(scroll_ctrl_test, a_held_plus_button_of_a_horizontal_bar_steps_every_100_ms) {
    // A horizontal bar 200 x 16 uses the widths of the same images.
    make(false, 200, 16);
    bar.set_range(0, 100, false);
    const held_button held = hold(195, 8, 3);
    ASSERT_GE(held.steps.size(), 4u);
    EXPECT_LE(held.steps.size(), held.elapsed_ms / 100 + 2);
    for (size_t i = 0; i + 1 < held.steps.size(); ++i)
        EXPECT_EQ(held.steps[i], std::make_pair(SB_THUMBPOSITION, int(i) + 1));
    EXPECT_EQ(bar.get_pos(), int(held.steps.size()) - 1);
    for (const auto& m : notify_log.log) EXPECT_EQ(m.msg, static_cast<UINT>(WM_HSCROLL));
}

// Regression: the held button stepped until its own button-up arrived, so a
// capture taken by another window left it stepping for ever.
TEST_F(scroll_ctrl_test, a_held_button_stops_when_another_window_takes_the_mouse) {
    make();
    bar.set_range(0, 100, false);
    bar.set_pos(50);
    window_rig::left_down(hwnd, 8, 195);
    window_rig::pump_for(120);
    SetCapture(host.hwnd());
    window_rig::pump();
    const size_t at_loss = scrolls().size();
    EXPECT_EQ(scrolls().back().first, SB_ENDSCROLL);
    EXPECT_FALSE(bar.is_dragging());
    window_rig::pump_for(200);
    EXPECT_EQ(scrolls().size(), at_loss);
    ReleaseCapture();
}

TEST_F(scroll_ctrl_test, a_disabled_bar_ignores_the_mouse_and_hides_its_thumb) {
    make();
    bar.set_range(0, 100, false);
    bar.set_pos(50);
    bar.enable(false);
    pixel_image p = shot();
    EXPECT_EQ(p.count(kThumb), 0);
    EXPECT_EQ(p.count(kMinus), 16 * 16);
    EXPECT_EQ(p.count(kTrack), 16 * 168);
    window_rig::left_down(hwnd, 8, 150);
    window_rig::left_up(hwnd, 8, 150);
    window_rig::left_down(hwnd, 8, 5);
    window_rig::pump_for(120);
    window_rig::left_up(hwnd, 8, 5);
    window_rig::pump();
    EXPECT_EQ(bar.get_pos(), 50);
    EXPECT_TRUE(scrolls().empty());
}

TEST_F(scroll_ctrl_test, disabling_ends_a_drag) {
    make();
    bar.set_range(0, 100, false);
    window_rig::left_down(hwnd, 8, 150);
    ASSERT_TRUE(bar.is_dragging());
    bar.enable(false);
    EXPECT_FALSE(bar.is_dragging());
    EXPECT_NE(GetCapture(), hwnd);
}

TEST_F(scroll_ctrl_test, keys_and_the_wheel_go_to_the_owner_and_never_move_the_bar) {
    // An owner apart from the parent (a list view beside its scroll bars).
    window_rig::host_window owner(340, 20, 50, 50);
    notify_log.deinit();
    notify_log.init(owner.hwnd());
    make(true, 16, 200, owner.hwnd());
    bar.set_range(0, 100, false);
    bar.set_pos(40);
    SendMessageW(hwnd, WM_KEYDOWN, VK_DOWN, 0x01500001);
    SendMessageW(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, -120), MAKELPARAM(30, 40));
    ASSERT_EQ(notify_log.log.size(), 2u);
    EXPECT_EQ(notify_log.log[0].msg, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(notify_log.log[0].wparam, static_cast<WPARAM>(VK_DOWN));
    EXPECT_EQ(notify_log.log[0].lparam, 0x01500001);
    EXPECT_EQ(notify_log.log[1].msg, static_cast<UINT>(WM_MOUSEWHEEL));
    EXPECT_EQ(notify_log.log[1].wparam, MAKEWPARAM(0, -120));
    EXPECT_EQ(bar.get_pos(), 40);
}

// A bar shorter than its buttons and thumb has no travel to divide by.
TEST_F(scroll_ctrl_test, a_bar_too_short_for_its_thumb_shows_none_and_stays) {
    make(true, 16, 40);
    bar.set_range(0, 100, false);
    bar.set_pos(30);
    EXPECT_EQ(shot().count(kThumb), 0);
    window_rig::left_down(hwnd, 8, 20);
    window_rig::mouse_move(hwnd, 8, 30, MK_LBUTTON);
    window_rig::left_up(hwnd, 8, 30);
    EXPECT_EQ(bar.get_pos(), 30);
}

TEST_F(scroll_ctrl_test, reinit_changes_the_length_and_the_picture_follows) {
    make();
    bar.set_range(0, 100, false);
    bar.set_pos(100);
    bar.reinit(120);
    EXPECT_EQ(window_height(hwnd), 120);
    pixel_image p = shot();
    ASSERT_EQ(p.height, 120);
    EXPECT_EQ(p.count(kPlus, 0, 104, 16, 16), 16 * 16);
    // travel 120 - 52 = 68: the centre at 68 + 26 = 94, rows 84 to 103.
    EXPECT_EQ(p.count(kThumb, 2, 84, 12, 20), 12 * 20 - 4);
}

// Without a track image neither the track nor the buttons are drawn: what no
// image covers is white.
TEST_F(scroll_ctrl_test, without_a_track_image_only_the_thumb_shows_on_white) {
    make();
    bar.set_channel(nullptr);
    bar.set_range(0, 100, false);
    pixel_image p = shot();
    EXPECT_EQ(p.count(kMinus), 0);
    EXPECT_EQ(p.count(kThumb), 12 * 20 - 4);
    EXPECT_EQ(p.count(kWhite), 16 * 200 - (12 * 20 - 4));
}
