#pragma once
// progress_dialog: turns a long list of paths into playlist entries on a
// worker thread behind a cancellable progress window ("트랙 추가중입니다",
// "n / m ( p% )"), and returns what it collected.
//
// While it runs, the caller's window is disabled by this modal dialog and
// the other player window by a blocking_dialog: an invisible modal dialog
// run on a thread of its own and owned by that other window.
//
// Three threads take part: the caller's user-interface thread runs this
// dialog, the blocking thread runs the blocking dialog, the worker expands
// the paths. The worker never calls into either window synchronously: at its
// end it posts to this dialog, which ends itself, and posts WM_CLOSE to the
// blocking dialog. The blocking dialog's window is published and forgotten
// under a lock, so that nobody posts to it after it is gone, and a blocking
// dialog that starts after the add was over ends at once. The dialog's
// destruction cancels the worker and waits for both threads while still
// answering messages sent to this thread, so closing the dialog while the
// worker runs (or finishes) does not hang.
//
// The caller keeps the paths alive until run returns and copies the entries
// before the dialog is destroyed.
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "critsec.h"
#include "dialog.h"
#include "list_info.h"
#include "stringx.h"
#include "thread.h"

class main_ui;

class progress_dialog : public dialog {
public:
    progress_dialog(HWND owner, const std::vector<stringx>* paths);
    ~progress_dialog() override;

    // Runs the dialog modally on the owner; the entries collected, also after
    // a cancel (those of the paths finished before it was seen).
    std::vector<list_info>& run();
    LRESULT dialog_proc(UINT message, WPARAM wparam, LPARAM lparam) override;

    // "%d / %d ( %d%% )" of count, total and count / total in whole percent,
    // truncated; an empty list shows "0 / 0 ( 0% )".
    static std::wstring progress_text(int count, int total);

    int count() const { return count_.load(); }
    int total() const { return static_cast<int>(paths_ ? paths_->size() : 0); }
    bool cancelled() const { return cancel_.load(); }
    // The blocking dialog's window while it is shown, else null.
    HWND blocking_window();
    // The window that owns the blocking dialog.
    HWND blocking_owner() const { return blocking_owner_; }

    // Used by the blocking dialog (its own thread).
    bool publish_blocking(HWND window);
    void forget_blocking(HWND window);

protected:
    // Cancels the add and waits for the worker and the blocking thread,
    // answering messages sent to this thread meanwhile. A derived class that
    // replaces expand calls it in its destructor, before its own parts go.
    void end_threads();
    // Expands one path into entries (core::add_file). Worker thread.
    virtual bool expand(const wchar_t* path, std::vector<list_info>& entries);
    // The user interface's service, whose windows the blocking dialog
    // chooses from (the registered main_ui).
    virtual main_ui* user_interface();

private:
    class worker : public thread {
    public:
        explicit worker(progress_dialog* dialog) : dialog_(dialog) {}

    protected:
        void run() override { dialog_->add_tracks(); }

    private:
        progress_dialog* dialog_;
    };

    // The other player window: the playlist window when the owner is the
    // main window, else the main window.
    HWND other_window(HWND owner);
    void add_tracks();
    void on_init();
    void on_timer();
    void on_destroy();
    void close_blocking();
    void start_blocking_thread();
    static unsigned __stdcall blocking_dialog_thread(void* dialog);

    HWND owner_;
    HWND blocking_owner_;
    const std::vector<stringx>* paths_;
    std::vector<list_info> entries_;
    std::atomic<bool> cancel_;
    std::atomic<int> count_;
    critsec blocking_lock_;
    HWND blocking_window_;
    bool blocking_over_;
    HANDLE blocking_thread_;
    bool worker_started_;
    worker worker_;
};

// The invisible companion: template 140 moved to (-100, -100), 1 x 1.
class blocking_dialog : public dialog {
public:
    explicit blocking_dialog(progress_dialog* progress) : progress_(progress) {}
    LRESULT dialog_proc(UINT message, WPARAM wparam, LPARAM lparam) override;

private:
    progress_dialog* progress_;
};
