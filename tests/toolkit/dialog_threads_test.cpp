// Dialogs created on two threads at once: each dialog object is offered its
// own controls only.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>
#include <vector>

#include "dialog.h"
#include "toolkit_test_ids.h"
#include "toolkit_test_support.h"

namespace {
class counting_dialog : public dialog {
public:
    std::vector<unsigned> offered;
    void presubclass_window(unsigned int id, HWND) override { offered.push_back(id); }
    LRESULT dialog_proc(UINT message, WPARAM, LPARAM) override {
        if (message == WM_INITDIALOG && modal_run) PostMessageW(hwnd_, WM_APP, 0, 0);
        if (message == WM_APP) EndDialog(hwnd_, 1);
        return message == WM_INITDIALOG ? TRUE : FALSE;
    }
    bool modal_run = false;
    bool pretranslate_message(MSG*) override {
        ++pretranslated;
        if (GetCurrentThreadId() != GetWindowThreadProcessId(hwnd_, nullptr)) ++from_other_threads;
        return false;
    }
    std::atomic<int> pretranslated{0}, from_other_threads{0};
};
}  // namespace

using dialog_threads = toolkit_test;

// The dialog being created used to be one process-wide pointer: a modal
// dialog on a worker thread (which leaves the lock before its controls are
// made) had its controls offered to a dialog another thread was creating.
TEST_F(dialog_threads, each_thread_offers_its_own_controls_only) {
    const int rounds = 200;
    std::atomic<int> modal_mismatches{0}, modeless_mismatches{0};
    const std::vector<unsigned> probe_ids = {IDC_NAME, IDOK, IDCANCEL};
    const std::vector<unsigned> korean_ids = {IDC_MESSAGE, IDC_NAME, IDOK, IDCANCEL};
    std::thread worker([&] {
        for (int i = 0; i < rounds; ++i) {
            counting_dialog d;
            d.modal_run = true;
            if (d.modal(IDD_PROBE, nullptr) != 1 || d.offered != probe_ids) ++modal_mismatches;
        }
    });
    for (int i = 0; i < rounds; ++i) {
        counting_dialog d;
        if (!d.create(IDD_KOREAN, nullptr) || d.offered != korean_ids) ++modeless_mismatches;
        DestroyWindow(d.get_hwnd());
    }
    worker.join();
    EXPECT_EQ(modal_mismatches.load(), 0);
    EXPECT_EQ(modeless_mismatches.load(), 0);
    EXPECT_TRUE(core::get_dlglist()->empty());
}

// The host's loop offers its messages to the live dialogs. It used to copy
// the list without its lock while a worker's hidden modal dialog added and
// removed itself, and offered the worker's dialogs the host's messages on
// the host's thread.
TEST_F(dialog_threads, the_loop_offers_messages_to_its_own_threads_dialogs_only) {
    counting_dialog mine;
    ASSERT_TRUE(mine.create(IDD_PROBE, nullptr));
    std::atomic<bool> stop{false};
    std::atomic<int> worker_dialogs{0}, foreign_calls{0};
    std::thread worker([&] {
        while (!stop) {
            counting_dialog d;
            if (!d.create(IDD_KOREAN, nullptr)) continue;
            ++worker_dialogs;
            MSG m;
            while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
            foreign_calls += d.from_other_threads.load();
            DestroyWindow(d.get_hwnd());
        }
    });
    MSG msg = {};
    msg.hwnd = mine.get_hwnd();
    msg.message = WM_NULL;
    const DWORD begin = GetTickCount();
    int offered = 0;
    // Thirty dialogs made and ended beside the loop; a loaded machine may
    // take many seconds for them.
    while (worker_dialogs < 30 && GetTickCount() - begin < 60000) {
        dialog::take_message(&msg);
        ++offered;
    }
    stop = true;
    worker.join();
    EXPECT_GE(worker_dialogs.load(), 30);
    EXPECT_EQ(mine.pretranslated.load(), offered);
    EXPECT_EQ(foreign_calls.load(), 0) << "a worker's dialog was offered the loop's messages on the loop's thread";
    EXPECT_EQ(mine.from_other_threads.load(), 0);
    DestroyWindow(mine.get_hwnd());
    EXPECT_TRUE(core::get_dlglist()->empty());
}
