#pragma once
// What other windows know of the store's announcement reservations: the
// reservation list, a control that any window hosts (the announcement
// library page puts it below its own list), the services it works with,
// and the one modeless reservation dialog for new reservations.
//
// Hosting the list: create_reservation_list (parent, rect, images,
// services) makes the list's container window as a child of parent at rect
// (parent coordinates) and fills it from the service; the host moves it with
// MoveWindow on the control's host_window() and ends it by deleting the control
// (which destroys its windows; destroying the parent first is fine too).
// The list reloads by itself when the store's announcement-info code changes.
// At most one list exists at a time.
//
// User-interface thread only.
#include <windows.h>

#include <memory>
#include <vector>

#include "dib.h"
#include "service_records.h"
#include "stringx.h"

class anneinfo_listener;

// What the list does with the service and the player; the player's own
// object is player_reservation_services(), tests give fakes.
class reservation_services {
public:
    virtual ~reservation_services() = default;
    // The store's reservations (service_client::list_anne_schedule and its
    // siblings): true with out filled on success, false with out untouched.
    virtual bool list(std::vector<anne_schedule_record>& out) = 0;
    virtual bool update(const anne_schedule_record& edited, std::vector<anne_schedule_record>& out) = 0;
    virtual bool remove(const anne_schedule_record& record, std::vector<anne_schedule_record>& out) = 0;
    virtual bool detail(const stringx& listkey, std::vector<anne_schedule_record>& out) = 0;
    // Puts the reservations into effect; true only when the service said so.
    virtual bool apply() = 0;
    // The day's announcements fetched afresh and handed to the scheduler
    // (load_anne_list with refresh, then reload_anne_records).
    virtual void reload_day() = 0;
    // Logged in with a store type that may reserve ("T", "B", "A", "D").
    virtual bool has_rights() = 0;
    // A live announcement is on air: listening is not offered then.
    virtual bool live_anne_on() = 0;
    // The player's announcement volume option, 0 to 1000.
    virtual int info_volume() = 0;
    // The announcement window, which plays msg_anne_play_now.
    virtual HWND info_window() = 0;
    // The login manager's one listener of the announcement-info code (null
    // unregisters).
    virtual void watch_anneinfo(anneinfo_listener* listener) = 0;
    // A message box that the caller does not wait for (timed) or waits for.
    virtual void message(HWND owner, const wchar_t* text, bool timed) = 0;
    // The row's popup at the screen point: the chosen command, 0 for none.
    virtual int popup(HWND owner, POINT screen, bool view_enabled) = 0;
};

// The player's services over the service client, the login manager, the
// options and the user-interface service.
reservation_services& player_reservation_services();

// Whether a store of that type may reserve announcements: "T", "B", "A"
// and "D" may (with a login).
bool usertype_may_reserve(const stringx& usertype);

// The images the list draws; null ones are drawn by the list itself.
struct reservation_list_images {
    dib* day_set = nullptr;    // a reserved weekday
    dib* day_unset = nullptr;  // a weekday without the reservation
    dib* listen = nullptr;     // the listen icon
    // The skinned scroll bars' channel, thumb, minus and plus; without them
    // the list keeps the system's bars.
    dib* hscroll[4] = {};
    dib* vscroll[4] = {};
};

class reservation_list_control {
public:
    virtual ~reservation_list_control() = default;
    // The container window (what the host moves and sizes).
    virtual HWND host_window() = 0;
    // Fetched afresh and rebuilt; no message when the list is empty.
    virtual void reload() = 0;
    // The reservations the service answered (the library page's insert):
    // they replace the rows, in their order.
    virtual void replace(const std::vector<anne_schedule_record>& records) = 0;
    virtual const std::vector<anne_schedule_record>& reservations() const = 0;
};

// Null when the window could not be made or a list exists already. The
// images and the services stay the caller's and must outlive the control.
std::unique_ptr<reservation_list_control> create_reservation_list(HWND parent, const RECT& rect,
                                                                  const reservation_list_images& images,
                                                                  reservation_services& services);

// The modeless dialog for new reservations (see reservation_dialog.h): opens
// it (owned by parent; each OK or "보내기" sends the owner
// msg_reservation_edited with the code and the record) unless one is open,
// then shows the row's values in it: the title, the weekday mask, the start
// (hour 0, the row's minutes, second 0) and volume 100. True when a dialog
// shows them.
bool show_new_reservation(HWND parent, HWND owner, const stringx& code, const anne_schedule_record& values);
// The open modeless dialog's window, null when none; closing it destroys it.
HWND new_reservation_window();
void close_new_reservation();
