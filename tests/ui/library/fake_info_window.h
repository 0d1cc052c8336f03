#pragma once
// A stand-in announcement window for the library pages' tests: it keeps the
// titles it is asked to play now (msg_anne_play_now).
#include <windows.h>

#include <string>
#include <vector>

#include "service_records.h"
#include "window_messages.h"

namespace fake_info {

inline std::vector<std::wstring> played;

inline LRESULT CALLBACK window_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == msg_anne_play_now && lparam) {
        played.push_back(std::wstring(reinterpret_cast<const anne_record*>(lparam)->title));
        return 1;
    }
    return DefWindowProcW(hwnd, msg, wparam, lparam);
}

// A hidden window of the stand-in's class, which the caller destroys.
inline HWND make_window() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = window_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"library_test_info_window";
    RegisterClassW(&wc);
    return CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance,
                           nullptr);
}

}  // namespace fake_info
