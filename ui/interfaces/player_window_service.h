#pragma once
// player_window_service: the main player window as the start-up reaches it.
// The start-up (main_ui::run) creates the main window through it and reads
// the handles of the windows that the main window made; main_ui's window
// slots answer from it. The library that builds the main window registers
// one object under this GUID; without one the user interface cannot start.
//
// Ownership: a singleton; callers take it with
// core::enum_create_component(player_window_service::iid, 0).
// User-interface thread only.
#include <windows.h>
#include "component.h"

class player_window_service : public component {
public:
    static constexpr GUID iid = {0x9E2D9338, 0x6071, 0x48E6, {0x9B, 0x5D, 0x68, 0x27, 0x5F, 0x38, 0x9B, 0x73}};

    // Slot 2: creates the main window, a modeless dialog without owner from
    // the template of module ui (its WM_INITDIALOG makes the playlist and the
    // announcement windows), not yet shown. Null when it could not be made.
    virtual HWND create(HINSTANCE ui) = 0;
    // Slots 3 to 6: the windows' handles; null while a window does not exist.
    virtual HWND main_window() = 0;
    virtual HWND playlist_window() = 0;
    virtual HWND info_window() = 0;
    virtual HWND library_window() = 0;
    // Slot 7: the tick count (GetTickCount) of the login that the start-up
    // completed.
    virtual void set_login_tick(DWORD tick) = 0;
};
