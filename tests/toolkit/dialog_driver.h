#pragma once
// Drives a modal common dialog of this thread from a timer of this thread
// (the dialog's own message loop runs it): once a visible dialog window
// ("#32770") of the thread shows up, the action runs on it once. A dialog
// still open after give_up_ms is cancelled, so that a test never hangs.
#include <windows.h>

#include <functional>
#include <vector>

class dialog_driver {
public:
    explicit dialog_driver(std::function<void(HWND)> action, DWORD give_up_ms = 15000)
        : action_(std::move(action)), give_up_ms_(give_up_ms), started_(GetTickCount()) {
        current() = this;
        timer_ = SetTimer(nullptr, 0, 100, &dialog_driver::tick);
    }
    ~dialog_driver() {
        KillTimer(nullptr, timer_);
        current() = nullptr;
    }
    dialog_driver(const dialog_driver&) = delete;
    dialog_driver& operator=(const dialog_driver&) = delete;

    bool acted() const { return acted_; }
    bool gave_up() const { return gave_up_; }

    // The visible dialog windows of this thread.
    static std::vector<HWND> dialogs() {
        std::vector<HWND> found;
        EnumThreadWindows(GetCurrentThreadId(), &dialog_driver::collect, reinterpret_cast<LPARAM>(&found));
        return found;
    }

private:
    static dialog_driver*& current() {
        static thread_local dialog_driver* driver = nullptr;
        return driver;
    }
    static BOOL CALLBACK collect(HWND hwnd, LPARAM lparam) {
        wchar_t name[16] = L"";
        GetClassNameW(hwnd, name, 16);
        if (IsWindowVisible(hwnd) && lstrcmpW(name, L"#32770") == 0)
            reinterpret_cast<std::vector<HWND>*>(lparam)->push_back(hwnd);
        return TRUE;
    }
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
        dialog_driver* self = current();
        if (!self) return;
        const std::vector<HWND> open = dialogs();
        if (GetTickCount() - self->started_ > self->give_up_ms_) {
            self->gave_up_ = true;
            for (HWND d : open) PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        if (self->acted_ || open.empty()) return;
        self->acted_ = true;
        self->action_(open.front());
    }

    std::function<void(HWND)> action_;
    DWORD give_up_ms_;
    DWORD started_;
    UINT_PTR timer_ = 0;
    bool acted_ = false;
    bool gave_up_ = false;
};
