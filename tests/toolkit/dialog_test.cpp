// The dialog base: the list of live dialogs that the host's message loop
// walks, the creation hook that lets a dialog see its controls, and modal runs.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <vector>
#include "core.h"
#include "dialog.h"
#include "dialog_test_ids.h"

namespace {
class probe_dialog : public dialog {
public:
    std::vector<unsigned> presubclassed;
    std::vector<UINT> seen;
    int end_with = -1;

    void presubclass_window(unsigned int id, HWND) override { presubclassed.push_back(id); }
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

struct use_test_resources : ::testing::Test {
    void SetUp() override { core::set_instance(GetModuleHandleW(nullptr)); }
};
}  // namespace

using dialog_base = use_test_resources;

TEST_F(dialog_base, a_live_dialog_is_listed_until_destroyed) {
    probe_dialog a, b;
    ASSERT_TRUE(a.create(IDD_PROBE, nullptr));
    ASSERT_TRUE(b.create(IDD_PROBE, nullptr));
    EXPECT_TRUE(listed(&a));
    EXPECT_TRUE(listed(&b));
    EXPECT_NE(a.get_hwnd(), nullptr);

    DestroyWindow(a.get_hwnd());
    EXPECT_FALSE(listed(&a));
    ASSERT_TRUE(listed(&b));
    // WM_DESTROY reached the dialog, then WM_NCDESTROY as its last message.
    EXPECT_NE(std::find(a.seen.begin(), a.seen.end(), static_cast<UINT>(WM_DESTROY)), a.seen.end());
    EXPECT_EQ(a.seen.back(), static_cast<UINT>(WM_NCDESTROY));

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
