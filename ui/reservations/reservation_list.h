#pragma once
// reservation_list: the store's announcement reservations in a list_view,
// one row per reservation in the service's order: the start "방송", the
// kind symbol, volume icon and title "제목", one column per weekday, the
// listen icon "듣기", the play time "시간" and "자동MUTE" (Y or N).
//
// For users with reservation rights: under the list the button "즉시 편성"
// puts the reservations into effect (the scheduler then reloads the day),
// and a right click on a row offers "방송 예약 수정" (the modal
// reservation dialog, then an update), "방송 예약 삭제" (no question asked)
// and "항목 보기" (enabled for a composite reservation). A click on the
// listen icon plays a single reservation's announcement at once through the
// announcement window, or shows a composite reservation's announcements
// (dialog 148). Failed requests leave the rows as they were.
//
// See reservation_list_service.h for hosting. User-interface thread only.
#include <windows.h>

#include <vector>

#include "button.h"
#include "header_ctrl.h"
#include "list_view.h"
#include "login_manager.h"
#include "reservation_list_service.h"

class reservation_list : public list_view, public reservation_list_control {
public:
    enum : int {
        start_column = 0,
        title_column = 1,
        first_day_column = 2,  // Sunday ... 8 Saturday
        listen_column = 9,
        length_column = 10,
        mute_column = 11,
    };
    enum : unsigned { apply_button = 101, edit_command = 10001, delete_command = 10002, view_command = 10003 };
    static const int row_pixels = 26;

    reservation_list(const reservation_list_images& images, reservation_services& services);
    ~reservation_list() override;

    bool create_in(HWND parent, const RECT& rect);

    // reservation_list_control
    HWND host_window() override { return get_container(); }
    void reload() override;
    void replace(const std::vector<anne_schedule_record>& records) override;
    const std::vector<anne_schedule_record>& reservations() const override { return records_; }

    HWND apply_button_window() const { return button_.get_hwnd(); }
    // The volume icon a row shows (after a volume above 100 became the
    // player's announcement volume / 10 at its paint).
    unsigned volume_icon(int row) const;
    // Which weekday image a cell shows: true the reserved day's.
    bool day_shown(int row, int day) const;

    static reservation_list* current() { return current_; }

    // list_view
    void on_subclass() override;
    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override;
    int row_height(int height) override;
    void draw_cell(int row, int column, HDC dc, RECT* rect, unsigned flags) override;
    stringx get_cell_text(int row, int column) override;
    LRESULT on_message(UINT msg, WPARAM wparam, LPARAM lparam) override;

private:
    // The header: separators between the weekday columns, a drag only on
    // the title's divider.
    class day_header : public header_ctrl2 {
    public:
        void draw_item(unsigned int index, HDC dc, RECT& rect, const wchar_t* text) override;
    };

    void rebuild_rows();
    void set_widths(int title_width);
    void place_button();
    void draw_own_images();
    void make_volume_icons();
    void on_listen(int row);
    void on_right_click(const NMITEMACTIVATE* click);
    void edit(int row);
    void remove(int row);
    void on_apply();

    reservation_services& services_;
    reservation_list_images images_;
    std::vector<anne_schedule_record> records_;
    dib volume_icons_[5];
    dib own_day_set_, own_day_unset_, own_listen_;
    day_header day_header_;
    button button_;
    bool rights_ = false;

    static reservation_list* current_;
};

// "%02d'%02d" of a length in seconds: the whole minutes and the seconds.
std::wstring reservation_length_text(long seconds);
