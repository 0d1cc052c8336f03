#pragma once
// store_hours: the controls of the library window's top edge that belong to
// the store rather than to a page: the store's opening and closing hours
// (shown beside the page of today's announcements for a store user, a
// change sent to the service at once) and the announcement set that the
// player works with (shown with the announcement library).
//
// It works on the window's controls by id (1028-1031 the hour and minute
// combos, 1033 and 1034 their labels, 1050 the set combo) and reaches the
// login and the service through store_hours_services. User-interface thread
// only; the request blocks it.
#include <windows.h>

#include <string>
#include <vector>

class store_hours_services {
public:
    virtual ~store_hours_services() = default;
    virtual bool logged_in() = 0;
    virtual std::wstring usertype() = 0;
    // The held hours, seconds of the day; -1 when the login sent none.
    virtual int open_time() = 0;
    virtual int close_time() = 0;
    // service_client::update_store_hours with the four "%d" texts; true
    // only when the service took them.
    virtual bool send_hours(const std::wstring& open_hour, const std::wstring& open_minute,
                            const std::wstring& close_hour, const std::wstring& close_minute) = 0;
    // After a change was taken: the login manager's hours, a fresh
    // announcement list for the scheduler, the selected node's page again.
    virtual void keep_hours(int open_time, int close_time) = 0;
    virtual void reload_scheduler() = 0;
    virtual void reopen_page() = 0;

    // The announcement sets ("schedulelist"): code, first and second text.
    struct schedule_set_item {
        std::wstring code, first, second;
    };
    virtual std::vector<schedule_set_item> schedule_sets() = 0;
    // The store's guide code, which names the set in use.
    virtual std::wstring guide_code() = 0;
    virtual void set_anneinfo_code(const std::wstring& code) = 0;
};

class store_hours {
public:
    enum : unsigned {
        open_hour_id = 1028,
        open_minute_id = 1029,
        close_hour_id = 1030,
        close_minute_id = 1031,
        open_label_id = 1033,
        close_label_id = 1034,
        set_combo_id = 1050,
    };
    // The held time that the window takes as "not set".
    static const int unset_time = 362340;

    store_hours(store_hours_services& services, HWND window) : s_(services), window_(window) {}

    // WM_INITDIALOG: the hours 0-23 and minutes 0-59 into the four combos,
    // the sets into 1050 with the one of the guide code selected.
    void fill();
    // A page of the type was opened: the hours are shown for a store user
    // on today's announcements (type 2), the set combo on the announcement
    // library (type 3) when there are sets.
    void on_page_opened(int page_type);
    // CBN_SELCHANGE of one of 1028-1031 or 1050; false for other ids.
    bool on_selection_change(unsigned id);

private:
    void hours_changed();
    int selection(unsigned id) const;

    store_hours_services& s_;
    HWND window_;
};
