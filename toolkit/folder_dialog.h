#pragma once
// folder_dialog: the shell's folder browser, started in the folder chosen
// last time, which is kept in the INI file under section "app", key
// "open_folder" (My Documents the first time, written there at once).
//
// User-interface thread only.
#include <windows.h>

#include "zel_export.h"

class ZEL_CORE_API folder_dialog {
public:
    static const int path_size = 260;

    folder_dialog();
    virtual ~folder_dialog();

    // 1 with the chosen folder (also written to the INI file), 2 when the
    // browser was cancelled (the path is then unchanged).
    int modal(HWND owner);
    const wchar_t* get_path() const { return path_; }
    // The browser's window while it is shown (stored at its first callback).
    HWND get_browse_window() const { return browse_window_; }

    static int CALLBACK browse_callback_proc(HWND hwnd, UINT message, LPARAM lparam, LPARAM data);
    int browse_proc(UINT message, LPARAM lparam, LPARAM data);

private:
    void set_path(const wchar_t* path);

    HWND browse_window_;
    wchar_t path_[path_size];
};
