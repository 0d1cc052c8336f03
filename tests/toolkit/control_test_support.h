#pragma once
// Shared by the tests of the toolkit's child controls: plain images drawn
// with dib, and report-style list views and tree views of the common
// controls.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "dib.h"
#include "toolkit_test_support.h"

// A w x h image of one colour.
inline void solid_dib(dib& image, int w, int h, COLORREF colour) {
    paint_dib(image, w, h, [colour](int, int) { return colour; });
}

inline void init_common_controls() {
    INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
}

// A report-style list view at x, y of parent with columns of the given
// widths (headings "c0", "c1", ...) and rows rows ("r0", ...).
inline HWND make_report_list(HWND parent, int x, int y, int w, int h, const std::vector<int>& widths, int rows,
                             DWORD extra_style = 0) {
    init_common_controls();
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | extra_style, x, y, w, h,
                                parent, reinterpret_cast<HMENU>(100), GetModuleHandleW(nullptr), nullptr);
    for (size_t i = 0; i < widths.size(); ++i) {
        wchar_t heading[16];
        _snwprintf(heading, 15, L"c%u", static_cast<unsigned>(i));
        heading[15] = 0;
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = heading;
        column.cx = widths[i];
        SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
    for (int r = 0; r < rows; ++r) {
        wchar_t text[16];
        _snwprintf(text, 15, L"r%d", r);
        text[15] = 0;
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = r;
        item.pszText = text;
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    return list;
}

inline HWND list_header(HWND list) { return reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0)); }

inline int window_width(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    return r.right - r.left;
}

inline int window_height(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    return r.bottom - r.top;
}

// The window's place in its parent's client area.
inline RECT rect_in_parent(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
    return r;
}
