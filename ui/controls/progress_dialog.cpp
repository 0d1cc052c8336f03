// The track-adding progress dialog and its blocking companion: see
// progress_dialog.h.
#include "progress_dialog.h"

#include <process.h>

#include <cwchar>

#include "core.h"
#include "main_ui.h"
#include "small_dialog_ids.h"
#include "window_messages.h"

namespace {
// Posted by the worker when it is done: the dialog ends itself.
const UINT msg_tracks_done = WM_APP + 1;
const UINT_PTR progress_timer = 0;

// The control's answer to a colour request of the dialog.
LRESULT forward_colour(WPARAM wparam, LPARAM lparam) {
    return SendMessageW(reinterpret_cast<HWND>(lparam), msg_ctl_colour, wparam, lparam);
}

// Waits for the handles while answering the messages other threads send to
// this one (a blocking dialog that ends enables its owner on this thread).
// One handle at a time: waiting for all at once would also wait for input.
void wait_answering_sends(HANDLE* handles, DWORD count) {
    for (DWORD i = 0; i < count; ++i) {
        for (;;) {
            const DWORD woke = MsgWaitForMultipleObjects(1, &handles[i], FALSE, INFINITE, QS_SENDMESSAGE);
            if (woke != WAIT_OBJECT_0 + 1) break;  // ended, or a failed wait
            MSG message;
            PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }
}
}  // namespace

progress_dialog::progress_dialog(HWND owner, const std::vector<stringx>* paths)
    : owner_(owner),
      blocking_owner_(nullptr),
      paths_(paths),
      cancel_(false),
      count_(0),
      blocking_window_(nullptr),
      blocking_over_(false),
      blocking_thread_(nullptr),
      worker_started_(false),
      worker_(this) {}

progress_dialog::~progress_dialog() {
    // A dialog whose window never closed (run not called, or failed) still
    // lets its threads end before the parts go.
    end_threads();
    entries_.clear();
}

void progress_dialog::end_threads() {
    cancel_ = true;
    close_blocking();
    HANDLE handles[2];
    DWORD count = 0;
    if (worker_started_ && worker_.get_handle()) handles[count++] = worker_.get_handle();
    if (blocking_thread_) handles[count++] = blocking_thread_;
    wait_answering_sends(handles, count);
    worker_started_ = false;
    if (blocking_thread_) CloseHandle(blocking_thread_);
    blocking_thread_ = nullptr;
}

std::vector<list_info>& progress_dialog::run() {
    dialog::modal(IDD_TRACK_SEARCH, owner_);
    return entries_;
}

std::wstring progress_dialog::progress_text(int count, int total) {
    // Whole-number arithmetic: count / total x 100 in floating point can land
    // just below an integer (29 / 100 x 100 = 28.999...) and truncate one low.
    const long long percent = total > 0 ? static_cast<long long>(count) * 100 / total : 0;
    wchar_t text[64];
    _snwprintf(text, 63, L"%d / %d ( %d%% )", count, total, static_cast<int>(percent));
    text[63] = 0;
    return text;
}

bool progress_dialog::expand(const wchar_t* path, std::vector<list_info>& entries) {
    return core::add_file(path, entries);
}

main_ui* progress_dialog::user_interface() {
    return static_cast<main_ui*>(core::enum_create_component(main_ui::iid, 0));
}

HWND progress_dialog::other_window(HWND owner) {
    main_ui* ui = user_interface();
    if (!ui) return nullptr;
    HWND main = ui->main_window();
    return owner == main ? ui->playlist_window() : main;
}

HWND progress_dialog::blocking_window() {
    auto_sync guard(blocking_lock_);
    return blocking_window_;
}

bool progress_dialog::publish_blocking(HWND window) {
    auto_sync guard(blocking_lock_);
    if (blocking_over_) return false;
    blocking_window_ = window;
    return true;
}

void progress_dialog::forget_blocking(HWND window) {
    auto_sync guard(blocking_lock_);
    if (blocking_window_ == window) blocking_window_ = nullptr;
}

void progress_dialog::close_blocking() {
    auto_sync guard(blocking_lock_);
    blocking_over_ = true;
    if (blocking_window_) PostMessageW(blocking_window_, WM_CLOSE, 0, 0);
    blocking_window_ = nullptr;
}

// ---------------------------------------------------------------------------
// Worker thread

void progress_dialog::add_tracks() {
    const int total = this->total();
    count_ = 0;
    bool stopped = false;
    for (int i = 0; i < total; ++i) {
        if (cancel_) {
            stopped = true;
            break;
        }
        std::vector<list_info> found;
        expand((*paths_)[static_cast<size_t>(i)], found);
        for (list_info& entry : found) entries_.push_back(std::move(entry));
        count_ = i;
    }
    if (!stopped && !cancel_) count_ = total;
    cancel_ = false;
    HWND self = hwnd_;
    if (self) PostMessageW(self, msg_tracks_done, 0, 0);
    close_blocking();
}

// ---------------------------------------------------------------------------
// The dialog (user-interface thread)

void progress_dialog::start_blocking_thread() {
    blocking_owner_ = other_window(owner_);
    unsigned id = 0;
    blocking_thread_ = reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, 0, &progress_dialog::blocking_dialog_thread, this, CREATE_SUSPENDED, &id));
    if (blocking_thread_) ResumeThread(blocking_thread_);
}

void progress_dialog::on_init() {
    SetWindowTextW(hwnd_, L"트랙 추가중입니다");
    if (HWND parent = GetParent(hwnd_)) {
        RECT p, own;
        GetWindowRect(parent, &p);
        GetWindowRect(hwnd_, &own);
        const int width = own.right - own.left;
        const int height = own.bottom - own.top;
        SetWindowPos(hwnd_, nullptr, (p.left + p.right) / 2 - width / 2, (p.top + p.bottom) / 2 - height / 2, 0,
                     0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SetTimer(hwnd_, progress_timer, 500, nullptr);
    start_blocking_thread();
    worker_started_ = worker_.create();
    // Without a worker nothing would ever end the dialog.
    if (!worker_started_) PostMessageW(hwnd_, msg_tracks_done, 0, 0);
}

void progress_dialog::on_timer() {
    SetDlgItemTextW(hwnd_, IDC_TRACK_PROGRESS, progress_text(count_, total()).c_str());
}

void progress_dialog::on_destroy() {
    KillTimer(hwnd_, progress_timer);
    end_threads();
}

LRESULT progress_dialog::dialog_proc(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG:
        on_init();
        return TRUE;
    case WM_TIMER:
        if (wparam == progress_timer) on_timer();
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wparam) == IDC_TRACK_CANCEL) {
            cancel_ = true;
            return TRUE;
        }
        return FALSE;
    case msg_tracks_done:
        EndDialog(hwnd_, 1);
        return TRUE;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        return forward_colour(wparam, lparam);
    case WM_DESTROY:
        on_destroy();
        return FALSE;
    default:
        return FALSE;
    }
}

// ---------------------------------------------------------------------------
// The blocking dialog (its own thread)

unsigned __stdcall progress_dialog::blocking_dialog_thread(void* object) {
    auto* progress = static_cast<progress_dialog*>(object);
    blocking_dialog companion(progress);
    companion.modal(IDD_TRACK_SEARCH, progress->blocking_owner_);
    return 0;
}

LRESULT blocking_dialog::dialog_proc(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowPos(hwnd_, nullptr, -100, -100, 1, 1, SWP_NOZORDER | SWP_NOACTIVATE);
        // An add that is already over needs no blocking.
        if (!progress_->publish_blocking(hwnd_)) EndDialog(hwnd_, 1);
        return TRUE;
    case WM_CLOSE:
        EndDialog(hwnd_, 1);
        return TRUE;
    case WM_DESTROY:
        progress_->forget_blocking(hwnd_);
        return FALSE;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        return forward_colour(wparam, lparam);
    default:
        return FALSE;
    }
}
