#pragma once
// Small input helpers shared by the toolkit's own child controls (internal to
// zel_core).
#include <windows.h>

namespace control_input {

// The answer to WM_GETDLGCODE of a control that wants every key: while Tab
// is held it is a static, so that the dialog can move the focus on.
inline LRESULT dialog_code() { return GetKeyState(VK_TAB) < 0 ? DLGC_STATIC : DLGC_WANTALLKEYS; }

// Shows one of the system's cursors.
inline void show_cursor(const wchar_t* id) { SetCursor(LoadCursorW(nullptr, id)); }

// The position of a mouse message (signed client coordinates).
inline POINT message_point(LPARAM lparam) {
    POINT pt = {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
    return pt;
}

}  // namespace control_input
