// The dialog base: the list of live dialogs that the host's message loop
// walks, the creation hook that lets a dialog see its controls, and modal runs.
#include "dialog.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "core.h"
#include "toolkit_test_ids.h"
#include "toolkit_test_support.h"
#include "window_rig.h"

namespace {
class probe_dialog : public dialog {
public:
    std::vector<unsigned> presubclassed;
    std::vector<UINT> seen;
    int end_with = -1;
    // Runs once, while the first control is being offered.
    std::function<void()> on_first_control;

    void presubclass_window(unsigned int id, HWND) override {
        presubclassed.push_back(id);
        if (on_first_control) {
            auto run = on_first_control;
            on_first_control = nullptr;
            run();
        }
    }
    LRESULT dialog_proc(UINT message, WPARAM wparam, LPARAM) override {
        seen.push_back(message);
        if (message == WM_INITDIALOG && end_with >= 0) PostMessageW(hwnd_, WM_APP, 0, 0);
        if (message == WM_APP) EndDialog(hwnd_, end_with);
        return message == WM_INITDIALOG ? TRUE : FALSE;
    }
};

bool listed(dialog* d) {
    std::vector<dialog*>& list = *core::get_dlglist();
    return std::find(list.begin(), list.end(), d) != list.end();
}
}  // namespace

using dialog_base = toolkit_test;

TEST_F(dialog_base, a_live_dialog_is_listed_until_destroyed) {
    probe_dialog a, b;
    ASSERT_TRUE(a.create(IDD_PROBE, nullptr));
    ASSERT_TRUE(b.create(IDD_PROBE, nullptr));
    EXPECT_TRUE(listed(&a));
    EXPECT_TRUE(listed(&b));
    EXPECT_NE(a.get_hwnd(), nullptr);

    HWND gone = a.get_hwnd();
    DestroyWindow(gone);
    EXPECT_FALSE(listed(&a));
    ASSERT_TRUE(listed(&b));
    // WM_DESTROY reached the dialog, then WM_NCDESTROY as its last message.
    EXPECT_NE(std::find(a.seen.begin(), a.seen.end(), static_cast<UINT>(WM_DESTROY)), a.seen.end());
    EXPECT_EQ(a.seen.back(), static_cast<UINT>(WM_NCDESTROY));
    // The window is no longer mapped to its object.
    const size_t seen_before = a.seen.size();
    EXPECT_EQ(dialog::dlgproc(gone, WM_USER, 0, 0), FALSE);
    EXPECT_EQ(a.seen.size(), seen_before);

    DestroyWindow(b.get_hwnd());
    EXPECT_TRUE(core::get_dlglist()->empty());
}

TEST_F(dialog_base, controls_are_offered_for_subclassing_before_init) {
    probe_dialog d;
    ASSERT_TRUE(d.create(IDD_PROBE, nullptr));
    std::vector<unsigned> expected = {IDC_NAME, IDOK, IDCANCEL};
    EXPECT_EQ(d.presubclassed, expected);
    ASSERT_FALSE(d.seen.empty());
    EXPECT_EQ(d.seen.front(), static_cast<UINT>(WM_INITDIALOG));
    DestroyWindow(d.get_hwnd());
}

TEST_F(dialog_base, windows_made_meanwhile_elsewhere_are_not_offered) {
    window_rig::host_window host(0, 0, 100, 100);
    probe_dialog open;
    ASSERT_TRUE(open.create(IDD_PROBE, nullptr));
    probe_dialog d;
    HWND in_host = nullptr, in_open_dialog = nullptr;
    d.on_first_control = [&] {
        in_host = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD, 0, 0, 10, 10, host.hwnd(),
                                  reinterpret_cast<HMENU>(501), GetModuleHandleW(nullptr), nullptr);
        in_open_dialog = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD, 0, 0, 10, 10, open.get_hwnd(),
                                         reinterpret_cast<HMENU>(502), GetModuleHandleW(nullptr), nullptr);
    };
    ASSERT_TRUE(d.create(IDD_PROBE, nullptr));
    EXPECT_NE(in_host, nullptr);
    EXPECT_NE(in_open_dialog, nullptr);
    EXPECT_EQ(d.presubclassed, (std::vector<unsigned>{IDC_NAME, IDOK, IDCANCEL}));
    EXPECT_EQ(open.presubclassed.size(), 3u);
    DestroyWindow(d.get_hwnd());
    DestroyWindow(open.get_hwnd());
}

TEST_F(dialog_base, a_child_dialog_offers_its_controls_but_not_itself) {
    probe_dialog parent;
    ASSERT_TRUE(parent.create(IDD_PROBE, nullptr));
    probe_dialog child;
    ASSERT_TRUE(child.create(IDD_CHILD_PROBE, parent.get_hwnd()));
    EXPECT_EQ(child.presubclassed, std::vector<unsigned>{IDOK});
    EXPECT_EQ(parent.presubclassed.size(), 3u);
    DestroyWindow(parent.get_hwnd());
    EXPECT_FALSE(listed(&child));
    EXPECT_TRUE(core::get_dlglist()->empty());
}

TEST_F(dialog_base, modal_returns_the_end_value_and_leaves_no_trace) {
    probe_dialog d;
    d.end_with = 7;
    EXPECT_EQ(d.modal(IDD_PROBE, nullptr), 7);
    EXPECT_FALSE(listed(&d));
    EXPECT_EQ(d.presubclassed.size(), 3u);
}

TEST_F(dialog_base, a_missing_template_fails_cleanly) {
    probe_dialog d;
    EXPECT_FALSE(d.create(4242, nullptr));
    EXPECT_EQ(d.get_hwnd(), nullptr);
    EXPECT_TRUE(core::get_dlglist()->empty());
    // The creation hook is gone: a later dialog still works.
    probe_dialog e;
    ASSERT_TRUE(e.create(IDD_PROBE, nullptr));
    EXPECT_EQ(e.presubclassed.size(), 3u);
    DestroyWindow(e.get_hwnd());
}

// A failed creation used to leave its hook and the pending dialog behind, so
// that the controls of the next dialog window of the thread went to the
// failed (possibly deleted) object.
TEST_F(dialog_base, a_failed_creation_leaves_no_hook_behind) {
    probe_dialog failed_create, failed_modal;
    EXPECT_FALSE(failed_create.create(4242, nullptr));
    EXPECT_LE(failed_modal.modal(4243, nullptr), 0);
    // A dialog window that runs the base's procedure without an object of
    // its own: its controls would be offered to a pending dialog.
    HWND raw = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PROBE), nullptr,
                                  &dialog::dlgproc, 0);
    ASSERT_NE(raw, nullptr);
    EXPECT_TRUE(failed_create.presubclassed.empty());
    EXPECT_TRUE(failed_modal.presubclassed.empty());
    DestroyWindow(raw);
}

// A dialog created while a quit request waits (the main window ended and
// something opens a dialog before the loop comes round): the pump that runs
// first used to dispatch WM_QUIT into nothing, and the host's loop never
// ended.
TEST_F(dialog_base, a_waiting_quit_request_outlives_the_creation_pump) {
    PostQuitMessage(9);
    probe_dialog d;
    ASSERT_TRUE(d.create(IDD_PROBE, nullptr));
    DestroyWindow(d.get_hwnd());
    MSG msg = {};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit request was swallowed";
    EXPECT_EQ(msg.wParam, 9u);
}
