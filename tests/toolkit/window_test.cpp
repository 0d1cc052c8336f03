// The window base: class registration, the map from handles to objects, and
// a failed creation.
#include "window.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <vector>

#include "toolkit_test_support.h"
#include "window_rig.h"

namespace {
class probe_window : public window {
public:
    std::vector<UINT> seen;
    bool refuse_create = false;

    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override {
        seen.push_back(msg);
        if (msg == WM_CREATE && refuse_create) return -1;
        if (msg == WM_APP) return 4711;
        return window::window_proc(msg, wparam, lparam);
    }
    bool saw(UINT msg) const { return std::find(seen.begin(), seen.end(), msg) != seen.end(); }
};
}  // namespace

using window_base = toolkit_test;

TEST_F(window_base, the_object_gets_every_message_from_nccreate_to_ncdestroy) {
    probe_window w;
    ASSERT_TRUE(
        w.create(0, L"zel_probe_window", L"probe", WS_POPUP | WS_VISIBLE, 10, 10, 120, 80, nullptr, 0));
    HWND hwnd = w.get_hwnd();
    ASSERT_TRUE(IsWindow(hwnd));
    // Messages before WM_NCCREATE (WM_GETMINMAXINFO) have no object yet.
    EXPECT_EQ(w.seen.front(), static_cast<UINT>(WM_NCCREATE));
    EXPECT_TRUE(w.saw(WM_CREATE));
    EXPECT_EQ(SendMessageW(hwnd, WM_APP, 0, 0), 4711);

    window_rig::click(hwnd, 5, 5);
    window_rig::key(hwnd, 'A');
    EXPECT_TRUE(w.saw(WM_LBUTTONDOWN));
    EXPECT_TRUE(w.saw(WM_LBUTTONUP));
    EXPECT_TRUE(w.saw(WM_KEYDOWN));
    EXPECT_TRUE(w.saw(WM_CHAR));
    // The class is registered once; a second window of it works as well.
    probe_window second;
    ASSERT_TRUE(second.create(0, L"zel_probe_window", L"", WS_POPUP, 0, 0, 10, 10, nullptr, 0));
    DestroyWindow(second.get_hwnd());

    DestroyWindow(hwnd);
    EXPECT_EQ(w.seen.back(), static_cast<UINT>(WM_NCDESTROY));
    // Unmapped now: the object sees nothing more and the result is 0.
    const size_t before = w.seen.size();
    EXPECT_EQ(window::wndproc(hwnd, WM_APP, 0, 0), 0);
    EXPECT_EQ(w.seen.size(), before);
}

TEST_F(window_base, a_window_without_an_object_gets_zero_not_the_default) {
    window_rig::host_window host(0, 0, 50, 50);
    SetWindowTextW(host.hwnd(), L"abc");
    EXPECT_EQ(DefWindowProcW(host.hwnd(), WM_GETTEXTLENGTH, 0, 0), 3);
    EXPECT_EQ(window::wndproc(host.hwnd(), WM_GETTEXTLENGTH, 0, 0), 0);
    // Creation without the object as parameter is refused at WM_NCCREATE.
    probe_window registers_the_class;
    ASSERT_TRUE(registers_the_class.create(0, L"zel_probe_window", L"", WS_POPUP, 0, 0, 10, 10, nullptr, 0));
    EXPECT_EQ(CreateWindowExW(0, L"zel_probe_window", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr),
              nullptr);
    DestroyWindow(registers_the_class.get_hwnd());
}

// create used to report success even when no window was made.
TEST_F(window_base, a_failed_create_is_reported) {
    probe_window refused;
    refused.refuse_create = true;
    EXPECT_FALSE(refused.create(0, L"zel_probe_window", L"", WS_POPUP, 0, 0, 10, 10, nullptr, 0));
    EXPECT_EQ(refused.get_hwnd(), nullptr);
    EXPECT_TRUE(refused.saw(WM_NCDESTROY));

    probe_window orphan;
    EXPECT_FALSE(orphan.create(0, L"zel_probe_window", L"", WS_CHILD, 0, 0, 10, 10,
                               reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7654)), 1));
    EXPECT_EQ(orphan.get_hwnd(), nullptr);
}
