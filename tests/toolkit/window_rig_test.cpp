// The window rig itself: a painted window captured to pixels and to a PNG
// file that decodes to the same pixels, the shape of a window with a region,
// and the recorder of commands.
#include "window_rig.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "png_image.h"
#include "toolkit_test_support.h"
#include "window.h"
#include "window_capture.h"

namespace {
// Blue, with a red square at 10, 10 to 30, 30; a 60 x 40 popup at 40, 40,
// shown and painted, destroyed with the object.
class painted_window : public window {
public:
    painted_window() {
        create(0, L"zel_painted_window", L"", WS_POPUP | WS_VISIBLE, 40, 40, 60, 40, nullptr, 0);
        UpdateWindow(hwnd_);
        window_rig::pump();
    }
    ~painted_window() override {
        if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
    }

private:
    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override {
        if (msg == WM_PAINT) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd_, &ps);
            RECT all = {0, 0, 60, 40}, square = {10, 10, 30, 30};
            dib::fill_solid_rect(dc, &all, RGB(0, 0, 255));
            dib::fill_solid_rect(dc, &square, RGB(255, 0, 0));
            EndPaint(hwnd_, &ps);
            return 0;
        }
        return window::window_proc(msg, wparam, lparam);
    }
};
}  // namespace

using window_rig_test = toolkit_test;

TEST_F(window_rig_test, a_window_is_captured_to_a_png_file) {
    painted_window w;
    ASSERT_NE(w.get_hwnd(), nullptr);
    pixel_image shot = capture_window(w.get_hwnd());
    ASSERT_EQ(shot.width, 60);
    ASSERT_EQ(shot.height, 40);
    EXPECT_EQ(shot.at(0, 0), RGB(0, 0, 255));
    EXPECT_EQ(shot.at(10, 10), RGB(255, 0, 0));
    EXPECT_EQ(shot.at(29, 29), RGB(255, 0, 0));
    EXPECT_EQ(shot.at(30, 30), RGB(0, 0, 255));
    EXPECT_EQ(shot.count(RGB(255, 0, 0)), 400);

    const std::wstring path = save_artifact(shot, L"capture");
    ASSERT_FALSE(path.empty());
    png_image file;
    ASSERT_TRUE(file.load(path.c_str(), png_image::type_png)) << file.last_error();
    dib back;
    ASSERT_TRUE(back.create(60, 40, 24));
    file.draw(back.get_memdc(), 0, 0);
    EXPECT_EQ(capture_dc(back.get_memdc(), 0, 0, 60, 40).rgb, shot.rgb);
}

TEST_F(window_rig_test, the_capture_shows_the_window_shape) {
    painted_window w;
    SetWindowRgn(w.get_hwnd(), CreateRectRgn(10, 10, 30, 30), TRUE);
    UpdateWindow(w.get_hwnd());
    window_rig::pump();
    pixel_image shot = capture_window(w.get_hwnd());
    EXPECT_EQ(shot.count(RGB(255, 0, 0)), 400);
    EXPECT_EQ(shot.count(RGB(255, 0, 255)), 60 * 40 - 400);
}

// Test programs run side by side on one display: a window under another is
// still captured with its own pixels.
TEST_F(window_rig_test, a_covered_window_is_captured_whole) {
    painted_window w;
    window_rig::host_window cover(30, 30, 100, 100, RGB(0, 255, 0));
    SetWindowPos(cover.hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    window_rig::pump();
    pixel_image shot = capture_window(w.get_hwnd());
    EXPECT_EQ(shot.count(RGB(255, 0, 0)), 400);
    EXPECT_EQ(shot.count(RGB(0, 0, 255)), 60 * 40 - 400);
}

TEST_F(window_rig_test, the_recorder_logs_commands_sent_and_posted) {
    window_rig::host_window host(0, 0, 200, 100);
    HWND button =
        CreateWindowExW(0, L"BUTTON", L"go", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 60, 24,
                        host.hwnd(), reinterpret_cast<HMENU>(42), GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(button, nullptr);
    window_rig::message_recorder recorder;
    recorder.init(host.hwnd());

    window_rig::click(button, 5, 5);    // mouse
    window_rig::key(button, VK_SPACE);  // keyboard
    PostMessageW(host.hwnd(), WM_COMMAND, 7, -1);
    EXPECT_EQ(recorder.commands(), (std::vector<unsigned>{42, 42}));
    window_rig::pump();
    EXPECT_EQ(recorder.commands(), (std::vector<unsigned>{42, 42, 7}));
    EXPECT_EQ(recorder.log.back().lparam, -1);

    // A window drag is logged and not started.
    PostMessageW(host.hwnd(), WM_SYSCOMMAND, 0xF011, 0);
    window_rig::pump();
    EXPECT_EQ(recorder.count(WM_SYSCOMMAND), 1);
}
