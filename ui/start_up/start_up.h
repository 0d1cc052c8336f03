#pragma once
// The start of the user interface (main_ui::run): the sound check, the
// launcher link, the PC identity, the start options, the equalizer's stale
// preset, the window classes, the main window, the login by the first way
// that applies (the launcher's credentials; the stored ones, completed by
// the automatic login of a known PC; the login dialog), the steps after a
// direct login, the Run value that follows the auto-start option, and the
// stored credentials.
//
// Answers the main window's handle, or null when the player must close: with
// no usable sound device (no window exists then), or with the main window
// existing and WM_CLOSE posted to it, so that it closes once the host's
// message loop runs. The handle also comes back when the login handed the
// stores to the launcher; the window is then closing too.
//
// User-interface thread; it blocks in the requests and the modal dialogs.
#include <windows.h>

class startup_services;

HWND run_start_up(HINSTANCE host, startup_services& services);

// Whether the equalizer holds the preset that older players left behind
// (4.4, 3.6, 0, -4.8, -3.2, 1, 5.1, 6.7, 7.4, 7.4, -6.3, compared exactly);
// the start-up then sets all eleven values to 0.
bool is_stale_equalizer_preset(const double (&values)[11]);
