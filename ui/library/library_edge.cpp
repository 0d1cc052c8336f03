// The notice line and the store's hours hooked onto the library window.
#include "library_edge.h"

#include <commctrl.h>

#include "library_edge_wiring.h"

namespace {

const wchar_t edge_property[] = L"ZEL_LIBRARY_EDGE";
const UINT_PTR tick_timer = 0x5E1;
const UINT tick_ms = 500;
const unsigned notice_line_id = 1052;
const unsigned previous_notice = 6;
const unsigned next_notice = 7;

struct library_edge {
    library_edge(HWND window, std::function<void()> reopen)
        : notices(GetDlgItem(window, notice_line_id)),
          line(notices),
          hours_services(std::move(reopen)),
          hours(hours_services, window) {}
    player_notice_services notices;
    notice_line line;
    player_store_hours_services hours_services;
    store_hours hours;
};

library_edge* edge_of(HWND window) { return static_cast<library_edge*>(GetPropW(window, edge_property)); }

LRESULT CALLBACK edge_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
    library_edge* edge = edge_of(hwnd);
    switch (msg) {
    case WM_TIMER:
        if (wparam == tick_timer && edge) {
            edge->line.tick();
            return 0;
        }
        break;
    case WM_COMMAND: {
        if (!edge) break;
        const unsigned id = LOWORD(wparam);
        const unsigned code = HIWORD(wparam);
        if (id == previous_notice) {
            edge->line.previous();
        } else if (id == next_notice) {
            edge->line.next();
        } else if (id == notice_line_id && code == STN_CLICKED) {
            edge->line.open_shown();
        } else if (code == CBN_SELCHANGE && edge->hours.on_selection_change(id)) {
            return 0;
        }
        break;
    }
    case WM_NCDESTROY:
        KillTimer(hwnd, tick_timer);
        RemovePropW(hwnd, edge_property);
        delete edge;
        RemoveWindowSubclass(hwnd, edge_proc, 1);
        break;
    default:
        break;
    }
    return DefSubclassProc(hwnd, msg, wparam, lparam);
}

}  // namespace

void attach_library_edge(HWND window, std::function<void()> reopen_page) {
    if (!window || edge_of(window)) return;
    auto* edge = new library_edge(window, std::move(reopen_page));
    SetPropW(window, edge_property, edge);
    SetWindowSubclass(window, edge_proc, 1, 0);
    edge->hours.fill();
    notice_line::use_hand_cursor(GetDlgItem(window, notice_line_id));
    SetTimer(window, tick_timer, tick_ms, nullptr);
}

void library_edge_page_opened(HWND window, int page_type) {
    if (library_edge* edge = edge_of(window)) edge->hours.on_page_opened(page_type);
}

notice_line* library_notice_line(HWND window) {
    library_edge* edge = edge_of(window);
    return edge ? &edge->line : nullptr;
}
