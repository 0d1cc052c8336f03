// The bitmap button: its picture per state, clicks by mouse and Enter key,
// the tooltip, and the dialog code.
#include "button.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "control_test_support.h"
#include "window_capture.h"
#include "window_rig.h"

namespace {
const COLORREF kNormal = RGB(200, 0, 0), kHover = RGB(0, 200, 0), kPressed = RGB(0, 0, 200);
const int kW = 40, kH = 20;
const unsigned kId = 7;

struct button_test : toolkit_test {
    window_rig::host_window host{20, 20, 200, 100};
    window_rig::message_recorder parent_log;
    dib normal, hover, pressed;
    button b;
    HWND hwnd = nullptr;

    void SetUp() override {
        toolkit_test::SetUp();
        solid_dib(normal, kW, kH, kNormal);
        solid_dib(hover, kW, kH, kHover);
        solid_dib(pressed, kW, kH, kPressed);
        parent_log.init(host.hwnd());
    }
    void make(bool with_hover, bool with_pressed) {
        RECT rect = {10, 10, 10 + kW, 10 + kH};
        b.init(host.hwnd(), kId, rect, &normal, with_hover ? &hover : nullptr, with_pressed ? &pressed : nullptr);
        hwnd = b.get_hwnd();
        ASSERT_NE(hwnd, nullptr);
        shown();
    }
    // The colour the whole button shows after painting, or 0 when mixed.
    COLORREF shown() {
        UpdateWindow(hwnd);
        pixel_image shot = capture_window(hwnd);
        if (shot.width != kW || shot.height != kH) return 0;
        const COLORREF c = shot.at(0, 0);
        return shot.count(c) == kW * kH ? c : 0;
    }
};
}  // namespace

TEST_F(button_test, press_and_release_inside_shows_pressed_then_hover_and_posts_one_click) {
    make(true, true);
    EXPECT_EQ(shown(), kNormal);
    window_rig::mouse_move(hwnd, 5, 5);
    EXPECT_EQ(shown(), kHover);
    window_rig::left_down(hwnd, 5, 5);
    EXPECT_EQ(shown(), kPressed);
    EXPECT_TRUE(b.is_pressed());
    EXPECT_EQ(GetCapture(), hwnd);
    window_rig::left_up(hwnd, 5, 5);
    EXPECT_EQ(shown(), kHover);
    EXPECT_NE(GetCapture(), hwnd);
    EXPECT_TRUE(parent_log.commands().empty());  // posted, not sent
    window_rig::pump();
    ASSERT_EQ(parent_log.commands(), std::vector<unsigned>{kId});
    EXPECT_EQ(HIWORD(parent_log.log[0].wparam), 0);
    EXPECT_EQ(parent_log.log[0].lparam, reinterpret_cast<LPARAM>(hwnd));
    SendMessageW(hwnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(shown(), kNormal);
}

TEST_F(button_test, dragged_out_and_released_outside_still_clicks_and_shows_normal) {
    make(true, true);
    window_rig::left_down(hwnd, 5, 5);
    window_rig::mouse_move(hwnd, -30, 40, MK_LBUTTON);  // no hover while pressed
    EXPECT_EQ(shown(), kPressed);
    window_rig::left_up(hwnd, -30, 40);
    EXPECT_EQ(shown(), kNormal);
    window_rig::pump();
    EXPECT_EQ(parent_log.commands(), std::vector<unsigned>{kId});
}

TEST_F(button_test, a_double_click_is_a_second_press) {
    make(true, true);
    window_rig::click(hwnd, 5, 5);
    SendMessageW(hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(shown(), kPressed);
    window_rig::left_up(hwnd, 5, 5);
    window_rig::pump();
    EXPECT_EQ(parent_log.commands(), (std::vector<unsigned>{kId, kId}));
}

TEST_F(button_test, the_enter_key_presses_and_clicks_other_keys_do_nothing) {
    make(true, true);
    SendMessageW(hwnd, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(shown(), kPressed);
    SendMessageW(hwnd, WM_KEYUP, VK_RETURN, 0);
    EXPECT_EQ(shown(), kNormal);
    window_rig::key(hwnd, VK_SPACE);
    window_rig::key(hwnd, 'A');
    EXPECT_EQ(shown(), kNormal);
    window_rig::pump();
    EXPECT_EQ(parent_log.commands(), std::vector<unsigned>{kId});
}

TEST_F(button_test, without_hover_and_pressed_images_the_picture_never_changes) {
    make(false, false);
    window_rig::mouse_move(hwnd, 5, 5);
    EXPECT_EQ(shown(), kNormal);
    window_rig::left_down(hwnd, 5, 5);
    EXPECT_EQ(shown(), kNormal);
    window_rig::left_up(hwnd, 5, 5);
    EXPECT_EQ(shown(), kNormal);
    SendMessageW(hwnd, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(shown(), kNormal);
    SendMessageW(hwnd, WM_KEYUP, VK_RETURN, 0);
    window_rig::pump();
    EXPECT_EQ(parent_log.commands(), (std::vector<unsigned>{kId, kId}));
}

// The pressed flag exists without a pressed image and keeps the hover look
// away while it is set.
TEST_F(button_test, a_press_without_pressed_image_blocks_the_hover_look) {
    make(true, false);
    window_rig::left_down(hwnd, 5, 5);
    window_rig::mouse_move(hwnd, 6, 6, MK_LBUTTON);
    EXPECT_EQ(shown(), kNormal);
    window_rig::left_up(hwnd, 6, 6);
    window_rig::mouse_move(hwnd, 6, 6);
    EXPECT_EQ(shown(), kHover);
}

TEST_F(button_test, set_bitmap_shows_the_new_normal_image_and_focus_changes_show_normal) {
    make(true, true);
    dib other;
    solid_dib(other, kW, kH, RGB(90, 90, 90));
    b.set_bitmap(&other, &hover, &pressed);
    EXPECT_EQ(shown(), RGB(90, 90, 90));
    window_rig::mouse_move(hwnd, 5, 5);
    EXPECT_EQ(shown(), kHover);
    SendMessageW(hwnd, WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(shown(), RGB(90, 90, 90));
}

TEST_F(button_test, holding_tab_lets_the_dialog_move_the_focus_on) {
    make(false, false);
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_TAB] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(SendMessageW(hwnd, WM_GETDLGCODE, 0, 0), DLGC_WANTALLKEYS);
    keys[VK_TAB] = 0x80;
    SetKeyboardState(keys);
    EXPECT_EQ(SendMessageW(hwnd, WM_GETDLGCODE, 0, 0), DLGC_STATIC);
    keys[VK_TAB] = 0;
    SetKeyboardState(keys);
}

namespace {
std::wstring tool_text(HWND tooltip, HWND tool) {
    wchar_t text[2048] = L"";
    TOOLINFOW info = {};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = tool;
    info.uId = static_cast<UINT_PTR>(GetDlgCtrlID(tool));
    info.lpszText = text;
    SendMessageW(tooltip, TTM_GETTEXTW, 2048, reinterpret_cast<LPARAM>(&info));
    return text;
}
}  // namespace

TEST_F(button_test, the_tooltip_is_added_once_then_only_its_text_changes) {
    b.set_tooltip(L"early");  // no window yet: nothing happens
    make(false, false);
    HWND tip = b.get_tooltip();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 0);
    b.set_tooltip(L"\xC7AC\xC0DD");  // 재생
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    EXPECT_EQ(tool_text(tip, hwnd), L"\xC7AC\xC0DD");
    b.set_tooltip(L"\xC815\xC9C0");  // 정지
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    EXPECT_EQ(tool_text(tip, hwnd), L"\xC815\xC9C0");
}

// A text longer than the button's buffer is cut, not copied past its end.
TEST_F(button_test, a_tooltip_longer_than_its_buffer_is_cut) {
    make(false, false);
    const std::wstring long_text(3000, L'x');
    b.set_tooltip(long_text.c_str());
    EXPECT_EQ(tool_text(b.get_tooltip(), hwnd), std::wstring(button::tooltip_size - 1, L'x'));
}

// Regression: the tooltip, owned by the top-level window rather than by the
// child button, outlived every button destroyed before its parent.
TEST_F(button_test, the_destructor_destroys_the_window_and_its_tooltip) {
    HWND tip = nullptr;
    {
        button local;
        RECT rect = {0, 0, kW, kH};
        local.init(host.hwnd(), 9, rect, &normal, nullptr, nullptr);
        hwnd = local.get_hwnd();
        tip = local.get_tooltip();
        ASSERT_TRUE(IsWindow(hwnd));
        ASSERT_TRUE(IsWindow(tip));
    }
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(IsWindow(tip));
}

TEST_F(button_test, a_button_window_destroyed_from_outside_takes_its_tooltip_along) {
    make(false, false);
    HWND tip = b.get_tooltip();
    ASSERT_TRUE(IsWindow(tip));
    DestroyWindow(hwnd);
    EXPECT_FALSE(IsWindow(tip));
    EXPECT_EQ(b.get_tooltip(), nullptr);
    b.set_tooltip(L"late");  // no tooltip any more: nothing happens
}
