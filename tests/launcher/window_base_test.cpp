// The launcher's window framework: chains of objects on one window, the
// window's last message, windows made by objects, and keyboard messages
// taken before they are dispatched.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "core.h"
#include "window_base.h"

namespace {
const UINT kProbe = WM_USER + 7;

// Who saw which message, in order: the objects by name, the window's own
// procedure as "own".
std::vector<std::string> g_seen;
int g_own_ncdestroy = 0;

LRESULT CALLBACK own_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == kProbe) g_seen.push_back("own");
    if (msg == WM_NCDESTROY) ++g_own_ncdestroy;
    return DefWindowProcW(hwnd, msg, wparam, lparam);
}

struct recording : window_base {
    explicit recording(std::string name, bool keep_ncdestroy = false)
        : name(std::move(name)), keep_ncdestroy(keep_ncdestroy) {}
    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override {
        if (msg == kProbe) g_seen.push_back(name);
        if (msg == WM_NCDESTROY) {
            g_seen.push_back(name + ":ncdestroy");
            if (keep_ncdestroy) return 0;
        }
        if (messages.size() < 64) messages.push_back(msg);
        return window_base::window_proc(msg, wparam, lparam);
    }
    std::string name;
    bool keep_ncdestroy;
    std::vector<UINT> messages;
};

HWND plain_window() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &own_proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"zel_launcher_plain";
        RegisterClassW(&wc);
        registered = true;
    }
    return CreateWindowExW(0, L"zel_launcher_plain", L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

LONG_PTR proc_of(HWND hwnd) { return GetWindowLongPtrW(hwnd, GWLP_WNDPROC); }
LONG_PTR framework() { return reinterpret_cast<LONG_PTR>(&window_base::framework_proc); }
LONG_PTR own() { return reinterpret_cast<LONG_PTR>(&own_proc); }

std::vector<std::string> probe(HWND hwnd) {
    g_seen.clear();
    SendMessageW(hwnd, kProbe, 0, 0);
    return g_seen;
}

struct framework_test : ::testing::Test {
    void SetUp() override {
        core::set_instance(GetModuleHandleW(nullptr));
        g_seen.clear();
        g_own_ncdestroy = 0;
    }
};
using V = std::vector<std::string>;
}  // namespace

TEST_F(framework_test, the_newest_object_sees_a_message_first_and_detaching_it_leaves_the_procedure_alone) {
    HWND hwnd = plain_window();
    recording older("older"), newer("newer");
    ASSERT_TRUE(older.attach(hwnd));
    EXPECT_EQ(proc_of(hwnd), framework());
    EXPECT_EQ(older.previous_proc(), reinterpret_cast<WNDPROC>(own()));
    ASSERT_TRUE(newer.attach(hwnd));
    EXPECT_TRUE(newer.attach(hwnd));  // a second attach changes nothing
    EXPECT_EQ(window_base::newest(hwnd), &newer);
    EXPECT_EQ(probe(hwnd), (V{"newer", "older", "own"}));

    newer.detach();
    EXPECT_FALSE(newer.attached());
    EXPECT_EQ(proc_of(hwnd), framework());
    EXPECT_EQ(probe(hwnd), (V{"older", "own"}));

    // The older one leaves from under a newer one: the chain closes up.
    ASSERT_TRUE(newer.attach(hwnd));
    older.detach();
    EXPECT_EQ(probe(hwnd), (V{"newer", "own"}));
    newer.detach();
    EXPECT_EQ(proc_of(hwnd), own());
    EXPECT_EQ(window_base::newest(hwnd), nullptr);
    EXPECT_EQ(probe(hwnd), (V{"own"}));

    recording stranger("stranger");
    EXPECT_FALSE(stranger.attach(reinterpret_cast<HWND>(0x1234)));
    EXPECT_FALSE(stranger.attached());
    DestroyWindow(hwnd);
}

TEST_F(framework_test, the_last_message_reaches_every_object_and_the_window_procedure_once) {
    // Whether the newer object passes WM_NCDESTROY on or keeps it, the
    // window's own procedure gets it exactly once, and every object is
    // detached with the procedure given back.
    for (bool kept : {false, true}) {
        SCOPED_TRACE(kept ? "kept by the newer object" : "passed on");
        g_seen.clear();
        g_own_ncdestroy = 0;
        HWND hwnd = plain_window();
        recording older("older"), newer("newer", kept);
        ASSERT_TRUE(older.attach(hwnd));
        ASSERT_TRUE(newer.attach(hwnd));
        DestroyWindow(hwnd);
        if (kept)
            EXPECT_EQ(g_seen, (V{"newer:ncdestroy"}));
        else
            EXPECT_EQ(g_seen, (V{"newer:ncdestroy", "older:ncdestroy"}));
        EXPECT_EQ(g_own_ncdestroy, 1);
        EXPECT_FALSE(older.attached());
        EXPECT_FALSE(newer.attached());
        EXPECT_EQ(older.hwnd(), nullptr);
        EXPECT_EQ(window_base::newest(hwnd), nullptr);
    }
    EXPECT_FALSE(window_base::message_hook_installed());
}

namespace {
struct made : recording {
    made() : recording("made") {}
    void on_creating(window_creation& record) override {
        ++creating;
        record.width = 77;  // the record reaches CreateWindowExW
    }
    int creating = 0;
};

void register_framework_class() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &window_base::framework_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"zel_launcher_made";
    RegisterClassW(&wc);
    registered = true;
}
}  // namespace

TEST_F(framework_test, a_window_made_by_an_object_reaches_it_from_its_first_message) {
    register_framework_class();
    made object;
    HWND hwnd = object.create(0, L"zel_launcher_made", L"", WS_POPUP, 0, 0, 50, 40, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(object.hwnd(), hwnd);
    EXPECT_EQ(object.creating, 1);
    ASSERT_FALSE(object.messages.empty());
    EXPECT_EQ(object.messages.front(), static_cast<UINT>(WM_NCCREATE));
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.right - r.left, 77);
    EXPECT_EQ(probe(hwnd), (V{"made"}));
    DestroyWindow(hwnd);
    EXPECT_EQ(object.hwnd(), nullptr);
    EXPECT_FALSE(window_base::message_hook_installed());
}

namespace {
// Takes F5 that goes to any child of its window.
struct f5_taker : window_base {
    bool pretranslate_message(MSG* message) override {
        if (message->message == WM_KEYDOWN && message->wParam == VK_F5) {
            ++taken;
            return true;
        }
        return false;
    }
    int taken = 0;
};

struct key_child : window_base {
    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override {
        if (msg == WM_KEYDOWN) keys.push_back(static_cast<int>(wparam));
        return window_base::window_proc(msg, wparam, lparam);
    }
    std::vector<int> keys;
};
}  // namespace

TEST_F(framework_test, a_key_for_a_child_is_offered_to_the_parents_objects_first) {
    HWND parent = plain_window();
    HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    f5_taker taker;
    key_child listener;
    ASSERT_TRUE(taker.attach(parent));
    ASSERT_TRUE(listener.attach(child));
    EXPECT_TRUE(window_base::message_hook_installed());
    PostMessageW(child, WM_KEYDOWN, VK_F5, 0);
    PostMessageW(child, WM_KEYDOWN, VK_F6, 0);
    MSG msg;
    while (PeekMessageW(&msg, child, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    EXPECT_EQ(taker.taken, 1);
    EXPECT_EQ(listener.keys, (std::vector<int>{VK_F6}));
    DestroyWindow(parent);
    EXPECT_FALSE(window_base::message_hook_installed());
}
