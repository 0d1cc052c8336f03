#pragma once
// The library window's edges: the notice line along the bottom (its 500 ms
// tick, the previous and next buttons 6 and 7, a click on line 1052) and the
// store's hours and announcement set along the top (combos 1028-1031 and
// 1050). attach_library_edge hooks them onto the window at WM_INITDIALOG:
// it fills the combos, gives the line the hand cursor, starts the tick and
// handles those commands ahead of the window; the hook ends with the window.
// User-interface thread only.
#include <windows.h>

#include <functional>

class notice_line;

// reopen_page opens the selected tree node's page again (after the store's
// hours changed).
void attach_library_edge(HWND window, std::function<void()> reopen_page);
// The window opened a page of that type: the hours and the set combo show
// or hide.
void library_edge_page_opened(HWND window, int page_type);
// The window's notice line, null before attach_library_edge.
notice_line* library_notice_line(HWND window);
