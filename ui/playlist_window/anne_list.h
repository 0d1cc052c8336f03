#pragma once
// anne_list: the playlist window's list of today's announcements: a
// list_view with the columns "방송시간", "제목" and "듣기", the skin's
// scroll-bar parts and, in the listen column, the skin's announcement icon.
//
// Rows are drawn by their time of day: an announcement more than six seconds
// ahead on a light grey background, the others (past, on air, due) in grey
// text. Under the list the status strip shows the play time of the last
// selected row. A click on a listen icon is posted on to the playlist window
// as msg_list_view_notify (row, column). The announcement that the scheduler
// names next (or that is being prepared) is scrolled into view.
//
// Each row's data is the address of its record in the playlist window's
// vector of today's announcements. User-interface thread only.
#include <windows.h>

#include <functional>
#include <vector>

#include "list_view.h"
#include "playlist_window_skin.h"
#include "service_records.h"

class anne_list : public list_view {
public:
    enum { time_column = 0, title_column = 1, listen_column = 2 };

    anne_list();

    // Creates the list in the parent at the rectangle; false when it could
    // not be made. The skin stays the caller's and must outlive the list.
    bool build(HWND parent, const RECT& rect, playlist_window_skin& skin);
    // One row per record, in order: the start as "%02d:%02d:%02d", the
    // title; surplus rows go from the top, missing rows are added at the end.
    void set_rows(const std::vector<anne_record>& records);
    // "재생 시간 : %02d'%02d" of the last selected row's record in the status
    // strip (blank when no row is selected).
    void show_play_time();

    // The scheduler's news. A record matches a row by address (in any case)
    // and start for the next one, by the hours text and address for the one
    // being prepared. The matched row becomes the highlighted row and is
    // scrolled into view by the least amount; no match (or a null record for
    // the next one) clears the highlight. After an announcement the row is
    // repainted and the highlight cleared.
    void on_next_changed(const anne_record* record);
    void on_preparing(const anne_record* record);
    void on_finished();
    int highlighted_row() const { return highlighted_; }

    // The seconds of the day of the service clock (the tests set their own).
    std::function<long()> now_seconds;

    void on_subclass() override;
    stringx get_cell_text(int row, int column) override;
    void draw_cell_text(int row, int column, HDC dc, RECT* rect, unsigned flags, int alignment,
                        const wchar_t* text) override;
    LRESULT on_message(UINT msg, WPARAM wparam, LPARAM lparam) override;

    // The status strip under a list: from 2 pixels below the list's bottom,
    // as high as the strip's image, from the list's left + 5 to its right.
    static RECT status_rect(HWND list_window, playlist_window_skin& skin);

private:
    // The header: 22 pixels high, a divider drag only on the title's.
    class header : public header_ctrl {
    public:
        unsigned int item_height(unsigned int) override { return 22; }
    };

    const anne_record* record_at(int row);
    void highlight(int row);
    void draw_item(const DRAWITEMSTRUCT* item);

    HWND parent_ = nullptr;
    playlist_window_skin* skin_ = nullptr;
    int highlighted_ = -1;
    header header_22_;
};
