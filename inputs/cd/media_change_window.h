#pragma once
// media_change_window: the Audio CD component's start and stop hook. It
// creates the CD input's "ripper free" event at start-up, owns a hidden
// top-level window from on_ui_ready to on_ui_closing that hears the
// system's device-change broadcasts and tells every cd_drive_listener when
// a medium arrives in or leaves a drive, and deletes the drive table's
// discs and the event at the end.
//
// Everything runs on the user-interface thread.
#include <windows.h>

#include <vector>

#include "init_quit.h"

class cd_drive_listener;

class media_change_window : public init_quit_hooks {
public:
    static constexpr wchar_t class_name[] = L"{4910EC9C-D3EB-41ae-9C38-C20A076BA588}";

    void on_init() override;
    void on_ui_ready() override;
    void on_ui_closing() override;
    void on_quit() override;

    HWND window() const { return window_; }

private:
    static LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    void device_change(WPARAM event, LPARAM data);

    std::vector<cd_drive_listener*> listeners_;
    HWND window_ = nullptr;
};
