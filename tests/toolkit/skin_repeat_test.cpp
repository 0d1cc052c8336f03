// skin: auto-repeat buttons. A held button repeats its command every 100 ms
// until the button-up; a capture taken by another window or a quit message
// ends the repeat as well, and the quit message still reaches the loop
// outside.
#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

#include "skin_test_support.h"

namespace art = test_player_skin;

namespace {
struct repeat_test : player_test {
    void SetUp() override {
        player_test::SetUp();
        static_cast<skin_button*>(b.look->get_control(art::next.id))->auto_repeat = true;
    }
    void TearDown() override {
        if (helper.joinable()) helper.join();
        player_test::TearDown();
    }
    POINT on_next() const { return {(art::next.draw.left + art::next.draw.right) / 2, art::next.draw.top + 5}; }
    // Posts the button-up after ms from another thread, as the mouse would.
    void release_after(DWORD ms) {
        const HWND h = hwnd();
        const POINT p = on_next();
        helper = std::thread([h, p, ms] {
            Sleep(ms);
            PostMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
        });
    }
    int next_commands() {
        window_rig::pump();
        int n = 0;
        for (unsigned id : log.commands()) n += id == static_cast<unsigned>(art::next.id);
        return n;
    }

    std::thread helper;
};

// Timer callbacks that act in the middle of the repeat loop.
HWND g_thief = nullptr;
void CALLBACK steal_capture(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    SetCapture(g_thief);
}
void CALLBACK quit(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    PostQuitMessage(7);
}
}  // namespace

using skin_repeat = repeat_test;

TEST_F(skin_repeat, a_held_button_repeats_every_100_ms_until_the_release) {
    release_after(350);
    const DWORD start = GetTickCount();
    window_rig::left_down(hwnd(), on_next().x, on_next().y);  // returns when the repeat ends
    const DWORD held = GetTickCount() - start;
    EXPECT_GE(held, 300u);
    EXPECT_LT(held, 1500u);
    // At about 0, 100, 200 and 300 ms.
    const int n = next_commands();
    EXPECT_GE(n, 3);
    EXPECT_LE(n, 5);
    EXPECT_NE(GetCapture(), hwnd());
    // Nothing more arrives once it ended.
    window_rig::pump_for(250);
    EXPECT_EQ(next_commands(), n);
}

// The loop used to end only at the button-up: with the capture taken away
// the release went elsewhere and the command repeated for ever.
TEST_F(skin_repeat, a_stolen_capture_ends_the_repeat) {
    window_rig::host_window thief(300, 300, 20, 20);
    g_thief = thief.hwnd();
    SetTimer(nullptr, 0, 250, steal_capture);
    const DWORD start = GetTickCount();
    window_rig::left_down(hwnd(), on_next().x, on_next().y);
    EXPECT_LT(GetTickCount() - start, 1500u);
    const int n = next_commands();
    EXPECT_GE(n, 2);
    EXPECT_LE(n, 5);
    window_rig::pump_for(250);
    EXPECT_EQ(next_commands(), n);
    ReleaseCapture();
}

// The loop dispatched every message it found, the quit message included,
// which then never reached the program's own loop.
TEST_F(skin_repeat, a_quit_message_ends_the_repeat_and_survives_it) {
    SetTimer(nullptr, 0, 150, quit);
    const DWORD start = GetTickCount();
    window_rig::left_down(hwnd(), on_next().x, on_next().y);
    EXPECT_LT(GetTickCount() - start, 1500u);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_GE(next_commands(), 1);
    EXPECT_NE(GetCapture(), hwnd());
}
