// The splitter bar: its tiled picture, drags inside the range and the
// parent's window, the notice to the parent, and a disabled bar.
#include "splitter.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "control_test_support.h"
#include "window_capture.h"
#include "window_rig.h"

namespace {
COLORREF tile_colour(int x, int y) { return RGB(40 * x, 40 * y, 100); }

struct splitter_test : toolkit_test {
    window_rig::host_window host{20, 20, 400, 300};
    window_rig::message_recorder parent_log{{splitter::msg_splitter_moved}};
    dib tile;
    splitter bar;
    HWND hwnd = nullptr;

    void SetUp() override {
        toolkit_test::SetUp();
        paint_dib(tile, 6, 6, tile_colour);
        parent_log.init(host.hwnd());
    }
    // A vertical bar at x 150 that may move between x 100 and 300.
    void make_vertical(RECT range = {100, 20, 300, 260}) {
        bar.init(host.hwnd(), true, &tile, range, 150, 20);
        hwnd = bar.get_hwnd();
        ASSERT_NE(hwnd, nullptr);
    }
    int moved_notices() {
        for (const auto& m : parent_log.log) EXPECT_EQ(m.lparam, reinterpret_cast<LPARAM>(hwnd));
        return parent_log.count(splitter::msg_splitter_moved);
    }
};
}  // namespace

TEST_F(splitter_test, the_bar_is_the_tile_repeated_over_the_range_length) {
    make_vertical();
    RECT r = rect_in_parent(hwnd);
    EXPECT_EQ(r.left, 150);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right - r.left, 6);
    EXPECT_EQ(r.bottom - r.top, 240);
    UpdateWindow(hwnd);
    pixel_image p = capture_window(hwnd);
    ASSERT_EQ(p.height, 240);
    for (int y : {0, 5, 6, 100, 239})
        for (int x : {0, 3, 5}) EXPECT_EQ(p.at(x, y), tile_colour(x, y % 6)) << x << "," << y;
}

TEST_F(splitter_test, a_release_without_movement_still_notifies_the_parent) {
    make_vertical();
    window_rig::left_down(hwnd, 3, 50);
    EXPECT_TRUE(bar.is_dragging());
    EXPECT_EQ(GetCapture(), hwnd);
    window_rig::left_up(hwnd, 3, 50);
    EXPECT_FALSE(bar.is_dragging());
    EXPECT_NE(GetCapture(), hwnd);
    EXPECT_EQ(moved_notices(), 1);  // sent
    EXPECT_EQ(rect_in_parent(hwnd).left, 150);
}

TEST_F(splitter_test, a_drag_moves_the_outline_then_the_bar_along_its_axis_only) {
    make_vertical();
    RECT start;
    GetWindowRect(hwnd, &start);
    window_rig::left_down(hwnd, 3, 50);
    window_rig::mouse_move(hwnd, 53, 90, MK_LBUTTON);
    RECT outline = bar.get_outline();
    EXPECT_EQ(outline.left, start.left + 50);
    EXPECT_EQ(outline.top, start.top);
    EXPECT_EQ(rect_in_parent(hwnd).left, 150);  // the bar waits for the release
    EXPECT_EQ(moved_notices(), 0);
    window_rig::left_up(hwnd, 53, 90);
    RECT r = rect_in_parent(hwnd);
    EXPECT_EQ(r.left, 200);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(moved_notices(), 1);
}

TEST_F(splitter_test, the_cursor_is_held_inside_the_range) {
    make_vertical();
    // Grabbed 3 pixels into the bar; the cursor stops at x 300 of the parent.
    window_rig::left_down(hwnd, 3, 50);
    window_rig::mouse_move(hwnd, 400, 50, MK_LBUTTON);
    window_rig::left_up(hwnd, 400, 50);
    EXPECT_EQ(rect_in_parent(hwnd).left, 297);
    window_rig::left_down(hwnd, 3, 50);
    window_rig::mouse_move(hwnd, -400, 50, MK_LBUTTON);
    window_rig::left_up(hwnd, -400, 50);
    // The cursor stops at x 100, 3 pixels into the bar as it was grabbed.
    EXPECT_EQ(rect_in_parent(hwnd).left, 97);
    EXPECT_EQ(moved_notices(), 2);
}

TEST_F(splitter_test, the_outline_never_leaves_the_parent_window) {
    // A range wider than the parent.
    make_vertical({0, 20, 600, 260});
    RECT frame;
    GetWindowRect(host.hwnd(), &frame);
    window_rig::left_down(hwnd, 3, 50);
    window_rig::mouse_move(hwnd, 440, 50, MK_LBUTTON);
    RECT outline = bar.get_outline();
    EXPECT_EQ(outline.right, frame.right);
    window_rig::mouse_move(hwnd, -300, 50, MK_LBUTTON);
    outline = bar.get_outline();
    EXPECT_EQ(outline.left, frame.left);
    window_rig::left_up(hwnd, 440, 50);
    EXPECT_EQ(rect_in_parent(hwnd).right, 400);
}

TEST_F(splitter_test, a_horizontal_bar_moves_up_and_down) {
    RECT range = {10, 50, 390, 250};
    bar.init(host.hwnd(), false, &tile, range, 10, 100);
    hwnd = bar.get_hwnd();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(window_width(hwnd), 380);
    EXPECT_EQ(window_height(hwnd), 6);
    window_rig::left_down(hwnd, 200, 2);
    window_rig::mouse_move(hwnd, 260, 62, MK_LBUTTON);
    window_rig::left_up(hwnd, 260, 62);
    RECT r = rect_in_parent(hwnd);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 160);
    EXPECT_EQ(moved_notices(), 1);
}

TEST_F(splitter_test, a_disabled_bar_cannot_be_dragged) {
    make_vertical();
    bar.set_enable(false);
    window_rig::left_down(hwnd, 3, 50);
    EXPECT_FALSE(bar.is_dragging());
    window_rig::mouse_move(hwnd, 53, 50, MK_LBUTTON);
    window_rig::left_up(hwnd, 53, 50);
    EXPECT_EQ(rect_in_parent(hwnd).left, 150);
    EXPECT_EQ(moved_notices(), 0);
    bar.set_enable(true);
    window_rig::click(hwnd, 3, 50);
    EXPECT_EQ(moved_notices(), 1);
}

// The mouse taken away mid-drag: the outline goes and the bar stays.
TEST_F(splitter_test, losing_the_mouse_cancels_the_drag) {
    make_vertical();
    window_rig::left_down(hwnd, 3, 50);
    window_rig::mouse_move(hwnd, 53, 50, MK_LBUTTON);
    SetCapture(host.hwnd());
    EXPECT_FALSE(bar.is_dragging());
    ReleaseCapture();
    window_rig::left_up(hwnd, 53, 50);
    EXPECT_EQ(rect_in_parent(hwnd).left, 150);
    EXPECT_EQ(moved_notices(), 0);
}

TEST_F(splitter_test, a_taller_range_lengthens_the_bar_and_its_picture) {
    make_vertical();
    RECT taller = {100, 20, 300, 290};
    bar.set_range(taller);
    EXPECT_EQ(window_height(hwnd), 270);
    RECT r = rect_in_parent(hwnd);
    EXPECT_EQ(r.left, 150);
    UpdateWindow(hwnd);
    pixel_image p = capture_window(hwnd);
    ASSERT_EQ(p.height, 270);
    EXPECT_EQ(p.at(2, 269), tile_colour(2, 269 % 6));
}

TEST_F(splitter_test, holding_tab_makes_it_a_static_for_the_dialog) {
    make_vertical();
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_TAB] = 0x80;
    SetKeyboardState(keys);
    EXPECT_EQ(SendMessageW(hwnd, WM_GETDLGCODE, 0, 0), DLGC_STATIC);
    keys[VK_TAB] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(SendMessageW(hwnd, WM_GETDLGCODE, 0, 0), DLGC_WANTALLKEYS);
}
