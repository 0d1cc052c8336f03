#pragma once
// The notification-area (tray) icon of the main player window, zel_core's
// singleton service `system_tray`.
//
// While shown, the icon carries zel_core's icon (resource 102) and the main
// window's title as its tip; clicks on it reach a hidden window of the class
// "ZEL System Tray", which brings the main window back. A restarted shell
// ("TaskbarCreated") gets the icon again. The main window is the one the
// user interface's service (main_ui) names.
//
// User-interface thread only. The first show initialises COM on its thread.
#include <windows.h>
#include <shellapi.h>

#include "component.h"
#include "zel_export.h"

// Private messages of the core library's windows.
const UINT msg_core_tray_notify = 10528;  // the tray icon's callback, wParam = icon id
const UINT msg_core_raise_main = 10529;   // wParam 0: put the main window on top

// The icon of the process and its hidden window. One at a time: the hidden
// window's procedure reaches it through a static pointer.
class tray_icon {
public:
    static const UINT icon_id = 1234;

    tray_icon();
    // Removes the icon (and the hidden window).
    virtual ~tray_icon();
    tray_icon(const tray_icon&) = delete;
    tray_icon& operator=(const tray_icon&) = delete;

    // Makes the hidden window, owned by main_window, and adds the icon with
    // the tip (cut to 63 characters). The hidden window stays even when the
    // shell refuses the icon.
    void add(HWND main_window, HICON icon, const wchar_t* tip);
    // Deletes the icon when the shell took it, and destroys the hidden window.
    void remove();

    bool added() const { return added_; }
    HWND hidden_window() const { return hidden_; }

private:
    static LRESULT CALLBACK hidden_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
    LRESULT on_message(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
    void notify(UINT mouse_message);
    bool make_hidden_window(HWND owner);
    void add_to_shell();

    bool added_;
    NOTIFYICONDATAW data_;
    HWND hidden_;
    HWND main_;
};

class ZEL_CORE_API system_tray : public component {
public:
    static constexpr GUID iid = {0xB8577BAB, 0xE74E, 0x4CEC, {0x85, 0x8B, 0x38, 0x27, 0x6D, 0x5B, 0xE0, 0x78}};

    system_tray();
    const GUID* get_guid() override { return &iid; }
    void release() override {}
    // Shows the icon (with the main window's current title) or removes it.
    virtual void show(bool on);
    // The state last set by show.
    virtual bool shown();
    virtual void minimize_main_window();
    virtual ~system_tray();

    // Ends what show started: removes the icon and balances its CoInitialize.
    // Called by zel_core's stop hook on the user-interface thread, before the
    // library unloads.
    void shut_down();

private:
    tray_icon tray_;
    bool shown_;
    bool com_initialised_;
    HICON icon_;
    bool started_;  // the first show ran
};

// What the tray hands to the shell; Shell_NotifyIconW unless replaced. The
// replacement sees every add and delete (tests use it where the real shell
// cannot be asked what it shows, or to make it refuse). Returns the previous
// call.
typedef BOOL(WINAPI* tray_shell_call)(DWORD message, NOTIFYICONDATAW* data);
ZEL_CORE_API tray_shell_call set_tray_shell_call(tray_shell_call call);
