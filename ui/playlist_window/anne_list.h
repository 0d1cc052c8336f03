#pragma once
// anne_list: the playlist window's list of today's announcements: a
// list_view with the columns "방송시간", "제목" and "듣기", the skin's
// scroll-bar parts and, in the listen column, the skin's announcement icon.
// A click on that icon reaches the playlist window as msg_list_view_notify
// (row, column). Each row's data is the address of its record in the
// window's vector of today's announcements. User-interface thread.
#include <windows.h>

#include <vector>

#include "list_view.h"
#include "playlist_window_skin.h"
#include "service_records.h"

class anne_list : public list_view {
public:
    enum { listen_column = 2 };

    // Creates the list in the parent at the rectangle; false when it could
    // not be made.
    bool build(HWND parent, const RECT& rect, playlist_window_skin& skin);
    // One row per record, in order: the start as "%02d:%02d:%02d", the
    // title; surplus rows go from the top, missing rows are added at the end.
    void set_rows(const std::vector<anne_record>& records);
    // "재생 시간 : %02d'%02d" of the last selected row's record in the status
    // strip (blank when no row is selected).
    void show_play_time(playlist_window_skin& skin);

    LRESULT on_message(UINT msg, WPARAM wparam, LPARAM lparam) override;

    // The status strip under a list: from 2 pixels below the list's bottom,
    // as high as the strip's image, from the list's left + 5 to its right.
    static RECT status_rect(HWND list_window, playlist_window_skin& skin);

private:
    HWND parent_ = nullptr;
};
