#pragma once
// What the launcher link needs of the rest of the player: its top-level
// windows (main_ui) and whether either player plays. The registered link
// asks the component registry; tests give windows and players of their own.
#include <windows.h>

class launcher_host {
public:
    virtual ~launcher_host() = default;
    virtual HWND main_window() = 0;
    virtual HWND info_window() = 0;
    virtual HWND library_window() = 0;
    virtual bool expanded() = 0;
    // The music player (true) or the announcement player (false) plays.
    virtual bool is_playing(bool music) = 0;
};

// main_ui and the two players through the registry; null windows and
// "not playing" when a service is missing.
launcher_host& registry_launcher_host();
