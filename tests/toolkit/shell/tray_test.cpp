// The tray icon: what reaches the shell (through the tray's shell-call seam,
// since the shell cannot be asked which icons it shows), the hidden window,
// clicks on the icon, a restarted shell, and zel_core's start hook.
#include <memory>
#include <string>
#include <vector>

#include "core.h"
#include "init_quit.h"
#include "shell_test_support.h"
#include "system_tray.h"
#include "window_rig.h"

using namespace shell_test;

namespace {
struct shell_call {
    DWORD message;
    NOTIFYICONDATAW data;
    BOOL result;
};

std::vector<shell_call> g_calls;
bool g_refuse_adds = false;

// Records every call; hands it on to the real shell unless adds are refused.
BOOL WINAPI recording_shell(DWORD message, NOTIFYICONDATAW* data) {
    shell_call call = {message, *data, FALSE};
    if (!(message == NIM_ADD && g_refuse_adds)) call.result = Shell_NotifyIconW(message, data);
    g_calls.push_back(call);
    return call.result;
}

int calls(DWORD message) {
    int n = 0;
    for (const shell_call& c : g_calls) n += c.message == message;
    return n;
}

const shell_call* last(DWORD message) {
    for (auto it = g_calls.rbegin(); it != g_calls.rend(); ++it)
        if (it->message == message) return &*it;
    return nullptr;
}

HWND tray_window() {
    // The hidden window is a top-level window of this thread.
    struct finder {
        static BOOL CALLBACK each(HWND hwnd, LPARAM param) {
            wchar_t name[64] = L"";
            GetClassNameW(hwnd, name, 64);
            if (wcscmp(name, L"ZEL System Tray") == 0) {
                *reinterpret_cast<HWND*>(param) = hwnd;
                return FALSE;
            }
            return TRUE;
        }
    };
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), finder::each, reinterpret_cast<LPARAM>(&found));
    return found;
}

class tray : public ::testing::Test {
protected:
    void SetUp() override {
        main_.reset(new plain_window(100, 100, 300, 200, true, L"ZEL 플레이어"));
        set_main_window(main_->hwnd());
        g_calls.clear();
        g_refuse_adds = false;
        previous_ = set_tray_shell_call(recording_shell);
        tray_ = static_cast<system_tray*>(core::enum_create_component(system_tray::iid, 0));
        ASSERT_NE(tray_, nullptr);
    }
    void TearDown() override {
        if (tray_) tray_->show(false);
        set_tray_shell_call(previous_);
        set_main_window(nullptr);
    }

    std::unique_ptr<plain_window> main_;
    system_tray* tray_ = nullptr;
    tray_shell_call previous_ = nullptr;
};
}  // namespace

TEST_F(tray, showing_twice_gives_one_icon_and_hiding_twice_removes_it_once) {
    tray_->show(true);
    tray_->show(true);
    EXPECT_TRUE(tray_->shown());
    ASSERT_EQ(calls(NIM_ADD), 1);
    EXPECT_EQ(thread_windows(L"ZEL System Tray"), 1);
    const shell_call& add = *last(NIM_ADD);
    EXPECT_TRUE(add.result) << "Wine's shell takes a new icon";
    EXPECT_EQ(add.data.cbSize, static_cast<DWORD>(NOTIFYICONDATAW_V1_SIZE));
    EXPECT_EQ(add.data.hWnd, tray_window());
    EXPECT_EQ(add.data.uID, 1234u);
    EXPECT_EQ(add.data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(add.data.uCallbackMessage, 10528u);
    EXPECT_NE(add.data.hIcon, nullptr) << "zel_core's icon 102";
    EXPECT_STREQ(add.data.szTip, L"ZEL 플레이어");

    tray_->show(false);
    tray_->show(false);
    EXPECT_FALSE(tray_->shown());
    EXPECT_EQ(calls(NIM_DELETE), 1);
    EXPECT_EQ(last(NIM_DELETE)->data.uID, 1234u);
    EXPECT_TRUE(last(NIM_DELETE)->result);
    EXPECT_EQ(thread_windows(L"ZEL System Tray"), 0);
}

TEST_F(tray, the_tip_is_the_title_cut_to_63_characters) {
    const std::wstring hangul(70, L'가');
    const struct {
        std::wstring title, tip;
    } cases[] = {
        {std::wstring(100, L'x'), std::wstring(63, L'x')},
        {std::wstring(63, L'y'), std::wstring(63, L'y')},
        {std::wstring(64, L'z'), std::wstring(63, L'z')},
        {hangul, hangul.substr(0, 63)},
        {L"", L""},
    };
    for (const auto& c : cases) {
        SetWindowTextW(main_->hwnd(), c.title.c_str());
        tray_->show(true);
        ASSERT_NE(last(NIM_ADD), nullptr);
        EXPECT_EQ(std::wstring(last(NIM_ADD)->data.szTip), c.tip) << "title of " << c.title.size();
        tray_->show(false);
    }
}

TEST_F(tray, a_left_click_brings_a_hidden_main_window_back_into_the_work_area) {
    const RECT work = work_area();
    const struct {
        int x, y;
        LONG want_x, want_y;
    } cases[] = {
        {-3000, -2000, work.left, work.top},                             // far up and left
        {work.right + 500, work.bottom + 400, work.right - 300, work.bottom - 200},  // far down and right
        {-3000, 300, work.left, 300},                                    // only too far left
        {200, 250, 200, 250},                                            // inside: stays
    };
    tray_->show(true);
    HWND hidden = tray_window();
    ASSERT_NE(hidden, nullptr);
    for (const auto& c : cases) {
        ShowWindow(main_->hwnd(), SW_HIDE);
        MoveWindow(main_->hwnd(), c.x, c.y, 300, 200, FALSE);
        EXPECT_EQ(SendMessageW(hidden, 10528, 1234, WM_LBUTTONDOWN), 1);
        const RECT r = main_->rect();
        EXPECT_EQ(r.left, c.want_x) << "from " << c.x << "," << c.y;
        EXPECT_EQ(r.top, c.want_y) << "from " << c.x << "," << c.y;
        EXPECT_EQ(r.right - r.left, 300);
        EXPECT_TRUE(IsWindowVisible(main_->hwnd()));
    }
}

TEST_F(tray, clicks_on_a_visible_main_window_or_with_other_buttons_move_nothing) {
    tray_->show(true);
    HWND hidden = tray_window();
    MoveWindow(main_->hwnd(), -3000, 300, 300, 200, FALSE);
    EXPECT_EQ(SendMessageW(hidden, 10528, 1234, WM_LBUTTONDOWN), 1);
    EXPECT_EQ(main_->rect().left, -3000) << "a visible window is only shown";

    ShowWindow(main_->hwnd(), SW_HIDE);
    EXPECT_EQ(SendMessageW(hidden, 10528, 1234, WM_RBUTTONUP), 1);
    EXPECT_TRUE(IsWindowVisible(main_->hwnd()));
    EXPECT_EQ(main_->rect().left, -3000) << "the right button only shows it";

    ShowWindow(main_->hwnd(), SW_HIDE);
    EXPECT_EQ(SendMessageW(hidden, 10528, 1234, WM_MOUSEMOVE), 1);
    EXPECT_EQ(SendMessageW(hidden, 10528, 99, WM_LBUTTONDOWN), 0) << "another icon's id";
    EXPECT_FALSE(IsWindowVisible(main_->hwnd()));
}

TEST_F(tray, a_restarted_shell_gets_the_icon_again) {
    tray_->show(true);
    ASSERT_TRUE(last(NIM_ADD)->result);
    // The shell that restarts has lost the icon.
    NOTIFYICONDATAW gone = last(NIM_ADD)->data;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &gone));

    SendMessageW(tray_window(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    ASSERT_EQ(calls(NIM_ADD), 2);
    const shell_call& again = *last(NIM_ADD);
    EXPECT_TRUE(again.result) << "the shell took the icon again";
    EXPECT_EQ(again.data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(again.data.uCallbackMessage, 10528u);
    EXPECT_EQ(again.data.hWnd, tray_window());
    EXPECT_STREQ(again.data.szTip, L"ZEL 플레이어");

    tray_->show(false);
    EXPECT_EQ(calls(NIM_DELETE), 1);
    EXPECT_TRUE(last(NIM_DELETE)->result);
}

// A shell that refuses the icon must not leave one hidden window behind per
// show and hide.
TEST_F(tray, a_refused_icon_leaves_no_hidden_window_behind) {
    g_refuse_adds = true;
    for (int round = 0; round < 3; ++round) {
        tray_->show(true);
        EXPECT_TRUE(tray_->shown());
        EXPECT_EQ(thread_windows(L"ZEL System Tray"), 1);
        tray_->show(false);
        EXPECT_EQ(thread_windows(L"ZEL System Tray"), 0) << "round " << round;
    }
    EXPECT_EQ(calls(NIM_ADD), 3);
    EXPECT_EQ(calls(NIM_DELETE), 0) << "nothing was added, so nothing is deleted";
}

TEST_F(tray, no_icon_without_a_main_window) {
    set_main_window(nullptr);
    tray_->show(true);
    EXPECT_EQ(calls(NIM_ADD), 0);
    tray_->show(false);
    EXPECT_EQ(thread_windows(L"ZEL System Tray"), 0);
}

// zel_core's start hook shows the icon and keeps the main window on top
// whenever its activation changes; the stop hook takes both back.
TEST_F(tray, the_start_hook_shows_the_icon_and_raises_the_main_window) {
    // The hooks of zel_core that show the icon (the others have no start
    // work; only these get the stop call, which the others would use to save
    // settings).
    init_quit* tray_hooks = nullptr;
    for (int i = 0; !tray_hooks; ++i) {
        init_quit* hooks = static_cast<init_quit*>(core::enum_create_component(init_quit::iid, i));
        ASSERT_NE(hooks, nullptr) << "no start hook shows the icon";
        hooks->on_ui_ready();
        if (tray_->shown()) tray_hooks = hooks;
    }
    EXPECT_EQ(calls(NIM_ADD), 1);

    plain_window other(150, 150, 200, 200);
    SetWindowPos(other.hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ASSERT_TRUE(above(other.hwnd(), main_->hwnd()));
    window_rig::message_recorder activations({WM_NCACTIVATE, WM_ACTIVATEAPP});
    activations.init(main_->hwnd());
    SendMessageW(main_->hwnd(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_TRUE(above(main_->hwnd(), other.hwnd()));
    EXPECT_TRUE(activations.log.empty()) << "raised, not activated: " << activations.log.size() << " "
                                          << (activations.log.empty() ? 0 : activations.log[0].msg) << " "
                                          << (activations.log.empty() ? 0 : activations.log[0].wparam);
    activations.deinit();

    SetWindowPos(other.hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SendMessageW(main_->hwnd(), WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1), 0);
    EXPECT_TRUE(above(other.hwnd(), main_->hwnd())) << "deactivated while minimised: stays";
    SendMessageW(main_->hwnd(), 10529, 0, 0);
    EXPECT_TRUE(above(main_->hwnd(), other.hwnd())) << "message 10529 raises";

    tray_hooks->on_quit();
    EXPECT_FALSE(tray_->shown());
    EXPECT_EQ(calls(NIM_DELETE), 1);
    SetWindowPos(other.hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SendMessageW(main_->hwnd(), 10529, 0, 0);
    EXPECT_TRUE(above(other.hwnd(), main_->hwnd())) << "the subclass is gone after the stop hook";
}
