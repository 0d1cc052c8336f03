#pragma once
// The user interface's service: the player host starts the user interface
// through run() and every component reaches the top-level windows through it.
#include "component.h"

class main_ui : public component {
public:
    static constexpr GUID iid = {0xC2B3E9D7, 0x80DF, 0x4C80, {0xB2, 0x90, 0x6C, 0xC6, 0x28, 0x43, 0x39, 0x9F}};

    // The user-interface library's module handle.
    virtual HINSTANCE instance() = 0;
    // Shows the main window and logs in; the main window handle, or null when
    // the start failed or the player must close.
    virtual HWND run(HINSTANCE host) = 0;
    virtual HWND main_window() = 0;
    virtual HWND playlist_window() = 0;
    virtual HWND info_window() = 0;
    virtual HWND library_window() = 0;
    virtual bool expanded() = 0;
    virtual void set_expanded(bool value) = 0;
};
