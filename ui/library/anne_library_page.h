#pragma once
// anne_library_list: the library window's page of the announcement library
// (page type 3): the announcements the service offers to the store, in the
// order of the reply, each to be listened to through the announcement
// window. Users whose store type may reserve get a reserve column, whose
// click opens the one modeless reservation dialog filled from the row, and
// the store's reservation list below the page as its companion; what the
// dialog reports is inserted as a new reservation. User-interface thread
// only.
#include <windows.h>

#include <vector>

#include "page_view.h"
#include "service_records.h"
#include "stringx.h"

class reservation_services;
class library_skin;

// What the page does with the service client, the login and the player;
// the player's object is player_anne_library_services(), tests give fakes.
class anne_library_services {
public:
    virtual ~anne_library_services() = default;
    // The announcement library of the node's key (sent as the flag unless
    // empty).
    virtual bool load_library(const stringx& key, std::vector<anne_record>& out) = 0;
    // A new reservation of the announcement code; out receives the store's
    // reservations. True on success.
    virtual bool insert(const stringx& code, const anne_schedule_record& record,
                        std::vector<anne_schedule_record>& out) = 0;
    // Logged in, and the store type ("" without a login).
    virtual bool logged_in() = 0;
    virtual stringx usertype() = 0;
    // A live announcement is on air: listening is not offered then.
    virtual bool live_anne_on() = 0;
    // The announcement window, which plays msg_anne_play_now.
    virtual HWND info_window() = 0;
    // The services of the companion reservation list.
    virtual reservation_services& reservations() = 0;
};

anne_library_services& player_anne_library_services();

class anne_library_list : public page_view {
public:
    explicit anne_library_list(anne_library_services& services);
    ~anne_library_list() override;

    bool create(const stringx& key, HWND parent, const RECT& rect, library_skin* skin);

    const std::vector<anne_record>& library() const { return library_; }
    // The columns chosen at creation: with the reserve column or without.
    bool made_with_rights() const { return rights_; }
    // The companion reservation list's window; null without one.
    HWND reservation_window() const;
    // The reservations the companion list shows (empty without one).
    const std::vector<anne_schedule_record>* reservations() const;

    // The window of the library window changed: the library window hidden
    // (id 2) closes the modeless reservation dialog.
    static void window_state(int window_id, bool hidden);

    // list_view
    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override;
    int row_height(int height) override;
    void draw_cell(int row, int column, HDC dc, RECT* rect, unsigned flags) override;
    stringx get_cell_text(int row, int column) override;
    LRESULT on_message(UINT msg, WPARAM wparam, LPARAM lparam) override;

private:
    bool rights_now();
    void set_widths(int title_width);
    void load_into_dialog(int row);
    void on_report(const wchar_t* code, const anne_schedule_record* record);

    anne_library_services& services_;
    std::vector<anne_record> library_;
    library_skin* skin_ = nullptr;
    bool rights_ = false;
};

// The page factory's maker of page type 3: null when the list was not made.
page_view* make_anne_library_page(const stringx& text, HWND parent, const RECT& rect, library_skin* skin);
