// The one modeless reservation dialog for new reservations.
#include "reservation_dialog.h"
#include "reservation_list_service.h"

bool show_new_reservation(HWND parent, HWND owner, const stringx& code, const anne_schedule_record& values) {
    reservation_dialog* dialog = reservation_dialog::open_dialog();
    if (!dialog) {
        dialog = new reservation_dialog;
        if (!dialog->open_modeless(parent)) {
            delete dialog;
            return false;
        }
        ShowWindow(dialog->get_hwnd(), SW_SHOWNORMAL);
    }
    dialog->code = code;
    dialog->owner = owner;
    dialog->record = values;
    // A new reservation starts at the row's minutes of hour 0, second 0, at
    // full volume; the mute check keeps its state.
    const long minutes = (static_cast<long>(values.apptime.total_seconds()) / 60) % 60;
    dialog->record.apptime = timex_span(minutes * 60);
    dialog->record.volume = 100;
    skin* look = dialog->current_skin();
    auto* mute = look ? static_cast<skin_button*>(look->get_control(reservation_dialog::mute_check)) : nullptr;
    dialog->record.auto_mute = mute && mute->checked ? 1 : 0;
    dialog->show_record();
    return true;
}

HWND new_reservation_window() {
    reservation_dialog* dialog = reservation_dialog::open_dialog();
    return dialog ? dialog->get_hwnd() : nullptr;
}

void close_new_reservation() {
    if (HWND window = new_reservation_window()) DestroyWindow(window);
}
