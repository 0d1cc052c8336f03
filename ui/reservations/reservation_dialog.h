#pragma once
// reservation_dialog: dialog 118 "방송 예약", the small skinned window in
// which a user with reservation rights sets when and how an announcement
// plays: the start time of day (hour, minute and second combo boxes), the
// days of the week, the volume (0 to 100) and the automatic mute.
//
// Two ways to run it:
//   modal     (run_modal) to change a reservation: OK returns 1, closing 2;
//             the caller reads the edited record afterwards and owns the
//             object (a local one, say);
//   modeless  (open_modeless) for new reservations from the announcement
//             library: OK and "보내기" (111) report the record to the owner
//             window by SendMessage(msg_reservation_edited, the code's wide
//             characters, the record's address), read during the call; OK
//             then closes. The modeless dialog deletes itself when its window
//             goes (create it with new); at most one exists at a time
//             (open_dialog()).
//
// The dialog only reads and writes the record's title (shown), apptime,
// weekdays (bit 0 Sunday ... bit 6 Saturday), volume and auto_mute; every
// other field, the keys above all, comes back unchanged. It checks nothing:
// the service decides. It never talks to the service.
// User-interface thread only; the template and the images come from
// core::get_instance().
#include <windows.h>

#include <memory>

#include "dialog.h"
#include "service_records.h"
#include "skin.h"
#include "stringx.h"

class reservation_dialog : public dialog {
public:
    enum : unsigned {
        template_id = 118,
        modal_image = 137,
        modeless_image = 227,
        title_static = 101,
        first_day = 102,  // 102 Sunday ... 108 Saturday
        volume_slider = 109,
        mute_check = 110,
        send_button = 111,
        hours_combo = 1026,
        minutes_combo = 1027,
        seconds_combo = 1028,
    };

    reservation_dialog();
    ~reservation_dialog() override;

    // The values being edited; the caller fills them before the window exists.
    anne_schedule_record record;
    // Modeless: the library row's announcement code and the window told of
    // each reservation.
    stringx code;
    HWND owner = nullptr;

    int run_modal(HWND parent);
    bool open_modeless(HWND parent);
    bool is_modal() const { return modal_; }

    // The controls from the record (the combos keep their entries; only the
    // selections change), and the record from the controls (modeless: then
    // reported to the owner).
    void show_record();
    void collect();

    LRESULT dialog_proc(UINT message, WPARAM wparam, LPARAM lparam) override;
    skin* current_skin() const { return skin_.get(); }

    // The open modeless dialog, null when none.
    static reservation_dialog* open_dialog() { return open_; }
    // The minutes combo lists 0, 5, ..., 55, then 1, 2, ..., 59: the entry of
    // a number of minutes (the first that shows it), and the number an
    // entry shows; -1 for what the list lacks.
    static int minutes_index(int minutes);
    static int minutes_at(int index);

private:
    void build_skin();
    void fill_combos();
    void toggle(unsigned id);
    void close_window(int result);

    bool modal_ = false;
    std::unique_ptr<skin> skin_;
    bool filled_ = false;
    static reservation_dialog* open_;
};
