// The subclass chain: newest object first, then the older ones, then the
// window's own procedure; detaching in any order; the window going away with
// objects attached; a hook installed by someone else over the chain.
#include "subclass.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "toolkit_test_support.h"

namespace {
const UINT kProbe = WM_APP + 1;
const wchar_t kChainProperty[] = L"{BC5DA1CF-E446-45cd-A770-BD67B877CE96}";

std::vector<std::string> g_journal;
bool g_chain_gone_at_ncdestroy = false;

LRESULT CALLBACK own_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == kProbe) {
        g_journal.push_back("window");
        return 77;
    }
    if (msg == WM_NCDESTROY) g_chain_gone_at_ncdestroy = GetPropW(hwnd, kChainProperty) == nullptr;
    return DefWindowProcW(hwnd, msg, wparam, lparam);
}

WNDPROC g_foreign_next = nullptr;
LRESULT CALLBACK foreign_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == kProbe) g_journal.push_back("foreign");
    return CallWindowProcW(g_foreign_next, hwnd, msg, wparam, lparam);
}

class journal_object : public subclass {
public:
    explicit journal_object(const char* name) : name_(name) {}
    std::vector<UINT> seen;
    bool detach_on_probe = false;
    int lock_count_at_attach = -1;
    HWND hwnd_at_attach = nullptr;

    void on_subclass() override {
        hwnd_at_attach = get_hwnd();
        lock_count_at_attach = m_critsec.get_lock_count();
    }
    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override {
        seen.push_back(msg);
        if (msg == kProbe) {
            g_journal.push_back(name_);
            if (detach_on_probe) deinit();
        }
        return subclass::window_proc(msg, wparam, lparam);
    }
    bool saw(UINT msg) const { return std::find(seen.begin(), seen.end(), msg) != seen.end(); }

private:
    std::string name_;
};

struct subclass_chain : toolkit_test {
    HWND hwnd = nullptr;
    void SetUp() override {
        toolkit_test::SetUp();
        g_journal.clear();
        WNDCLASSW wc = {};
        wc.lpfnWndProc = own_proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"zel_subclass_probe";
        RegisterClassW(&wc);
        hwnd = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 20, 20, nullptr, nullptr,
                               wc.hInstance, nullptr);
        ASSERT_NE(hwnd, nullptr);
    }
    void TearDown() override {
        if (IsWindow(hwnd)) DestroyWindow(hwnd);
        toolkit_test::TearDown();
    }
    std::vector<std::string> probe() {
        g_journal.clear();
        EXPECT_EQ(SendMessageW(hwnd, kProbe, 0, 0), 77);
        return g_journal;
    }
    WNDPROC procedure() const { return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)); }
    using journal = std::vector<std::string>;
};
}  // namespace

TEST_F(subclass_chain, messages_pass_newest_first_then_the_window) {
    journal_object a("a"), b("b");
    a.init(hwnd);
    b.init(hwnd);
    EXPECT_TRUE(a.is_attached());
    EXPECT_EQ(b.hwnd_at_attach, hwnd);
    EXPECT_GE(b.lock_count_at_attach, 1);  // on_subclass runs under the lock
    EXPECT_EQ(GetPropW(hwnd, kChainProperty), static_cast<HANDLE>(static_cast<subclass*>(&b)));
    EXPECT_EQ(probe(), (journal{"b", "a", "window"}));
}

TEST_F(subclass_chain, detaching_in_either_order_restores_the_window) {
    for (bool older_first : {true, false}) {
        SCOPED_TRACE(older_first ? "older first" : "newer first");
        journal_object a("a"), b("b");
        a.init(hwnd);
        b.init(hwnd);
        (older_first ? a : b).deinit();
        EXPECT_EQ(probe(), (journal{older_first ? "b" : "a", "window"}));
        (older_first ? b : a).deinit();
        EXPECT_FALSE(a.is_attached());
        EXPECT_FALSE(b.is_attached());
        EXPECT_EQ(probe(), journal{"window"});
        EXPECT_EQ(procedure(), &own_proc);
        EXPECT_EQ(GetPropW(hwnd, kChainProperty), nullptr);
    }
}

TEST_F(subclass_chain, the_destructor_detaches) {
    journal_object a("a");
    a.init(hwnd);
    {
        journal_object b("b");
        b.init(hwnd);
    }
    EXPECT_EQ(probe(), (journal{"a", "window"}));
    a.deinit();
    EXPECT_EQ(procedure(), &own_proc);
}

TEST_F(subclass_chain, a_destroyed_window_detaches_every_object_first) {
    journal_object a("a"), b("b");
    a.init(hwnd);
    b.init(hwnd);
    g_chain_gone_at_ncdestroy = false;
    DestroyWindow(hwnd);
    EXPECT_TRUE(g_chain_gone_at_ncdestroy);
    EXPECT_FALSE(a.is_attached());
    EXPECT_FALSE(b.is_attached());
    EXPECT_TRUE(a.saw(WM_DESTROY));
    EXPECT_TRUE(b.saw(WM_DESTROY));
    EXPECT_FALSE(a.saw(WM_NCDESTROY));
    EXPECT_FALSE(b.saw(WM_NCDESTROY));
}

TEST_F(subclass_chain, a_handle_that_is_no_window_leaves_the_object_detached) {
    journal_object a("a");
    a.init(reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7654)));
    EXPECT_FALSE(a.is_attached());
    EXPECT_EQ(a.get_hwnd(), nullptr);
    a.deinit();  // nothing to do
    EXPECT_EQ(procedure(), &own_proc);
}

// Attaching an attached object again used to link it to itself, and the
// next message recursed without end.
TEST_F(subclass_chain, attaching_twice_does_not_link_an_object_to_itself) {
    journal_object a("a");
    a.init(hwnd);
    a.init(hwnd);
    EXPECT_EQ(probe(), (journal{"a", "window"}));
    a.deinit();
    EXPECT_EQ(procedure(), &own_proc);
}

TEST_F(subclass_chain, an_object_that_detaches_while_handling_a_message_still_passes_it_on) {
    journal_object a("a"), b("b"), c("c");
    a.init(hwnd);
    b.init(hwnd);
    c.init(hwnd);
    b.detach_on_probe = true;
    EXPECT_EQ(probe(), (journal{"c", "b", "a", "window"}));
    EXPECT_FALSE(b.is_attached());
    EXPECT_EQ(probe(), (journal{"c", "a", "window"}));

    c.detach_on_probe = true;
    a.detach_on_probe = true;
    EXPECT_EQ(probe(), (journal{"c", "a", "window"}));
    EXPECT_EQ(procedure(), &own_proc);
}

// Restoring the saved procedure blindly when the chain empties would cut out
// a hook installed over the chain by someone else (a window docker, say).
TEST_F(subclass_chain, a_hook_installed_over_the_chain_keeps_working) {
    journal_object a("a");
    a.init(hwnd);
    g_foreign_next = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&foreign_proc)));
    a.deinit();
    EXPECT_EQ(procedure(), &foreign_proc);
    EXPECT_EQ(probe(), (journal{"foreign", "window"}));

    journal_object b("b");
    b.init(hwnd);
    EXPECT_EQ(probe(), (journal{"foreign", "b", "window"}));
    b.deinit();
    // The other hook leaves, restoring what it found: the window works alone.
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_foreign_next));
    EXPECT_EQ(probe(), journal{"window"});
    journal_object c("c");
    c.init(hwnd);
    EXPECT_EQ(probe(), (journal{"c", "window"}));
    c.deinit();
    EXPECT_EQ(procedure(), &own_proc);
}
