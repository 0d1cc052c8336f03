#pragma once
// today_schedule_list: the library window's page of today's announcements
// (page type 2), one row per announcement of the service client's cached
// list: a check box that switches the announcement off or on for the day, a
// volume icon that steps its volume, the start, the title, a listen icon and
// the play length. Changes go to the cached list (and from there to the
// scheduler); the service hears nothing of them. Rows already past are
// drawn greyed; the next announcement is scrolled into view when the
// scheduler names it. User-interface thread only.
#include <windows.h>

#include <vector>

#include "dib.h"
#include "header_ctrl.h"
#include "page_view.h"
#include "service_records.h"
#include "stringx.h"

// What the page does with the service client, the login and the player;
// the player's object is player_today_services(), tests give fakes.
class today_page_services {
public:
    virtual ~today_page_services() = default;
    // The cached announcement list (fetched when empty or on refresh).
    virtual bool load_anne_list(std::vector<anne_record>& out, bool refresh) = 0;
    // Volume and switch of every record into the cached list; the scheduler
    // reloads.
    virtual void reload_anne_records(const std::vector<anne_record>& list) = 0;
    virtual void update_anne_record(const anne_record& record) = 0;
    // The store's current announcement-info code as the announcement
    // requests send it, and its overwrite.
    virtual stringx store_code() = 0;
    virtual void set_store_code(const stringx& code) = 0;
    // Posts the store code without hours; true when the service took it.
    virtual bool post_store_code() = 0;
    virtual void scheduler_reload() = 0;
    // A live announcement is on air: listening is not offered then.
    virtual bool live_anne_on() = 0;
    // The announcement window, which plays msg_anne_play_now.
    virtual HWND info_window() = 0;
    // Its title override emptied, so that its on-air caption shows the
    // record's own title.
    virtual void clear_info_title() = 0;
    // Seconds of the day of the current (server-corrected) time.
    virtual int seconds_of_day() = 0;
};

today_page_services& player_today_services();

class library_skin;
// The page factory's maker of page type 2: null when the list was not made.
page_view* make_today_page(const stringx& text, HWND parent, const RECT& rect, library_skin* skin);

class today_schedule_list : public page_view {
public:
    explicit today_schedule_list(today_page_services& services);
    ~today_schedule_list() override;

    // key: the tree node's key (an announcement-info code or empty).
    bool create(const stringx& key, HWND parent, const RECT& rect, library_skin* skin);

    // The page that exists (null when none) and the highlighted row (-1).
    static today_schedule_list* current() { return current_; }
    static int highlighted() { return highlighted_; }

    // The progress of the announcements (the registered listener's calls).
    static void next_changed(const anne_record* record, today_page_services& services);
    static void air(const anne_record* record, today_page_services& services);
    static void finished();

    const std::vector<anne_record>& records() const { return records_; }
    bool header_checked() const { return check_header_.checked(); }
    // The row's time colouring at now: true when it is drawn ahead (grey
    // background), false when past (grey text).
    bool row_ahead(int row, int now);

    // list_view
    void on_subclass() override;
    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override;
    int row_height(int height) override;
    void draw_cell(int row, int column, HDC dc, RECT* rect, unsigned flags) override;
    stringx get_cell_text(int row, int column) override;
    LRESULT on_message(UINT msg, WPARAM wparam, LPARAM lparam) override;

    enum { check_column = 0, volume_column = 1, start_column = 2, title_column = 3, listen_column = 4,
           length_column = 5 };

private:
    // The header with the check-all box in item 0; only the title's divider
    // may be dragged.
    class check_header : public header_ctrl2 {
    public:
        void set_checked(bool on) { checked_ = on; }
        bool checked() const { return checked_; }
        void set_target(HWND list) { target_ = list; }
        LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override;
        void draw_item(unsigned int index, HDC dc, RECT& rect, const wchar_t* text) override;

    private:
        bool box_rect(RECT& out);
        bool checked_ = true;
        HWND target_ = nullptr;
    };

    bool create_list_in(HWND parent, RECT& rect);
    void set_widths(int title_width);
    void show_row(int row);
    void repaint_row(int row);

    today_page_services& services_;
    std::vector<anne_record> records_;
    dib checks_[2];
    dib volume_icons_[5];
    check_header check_header_;

    static today_schedule_list* current_;
    static int highlighted_;
};
