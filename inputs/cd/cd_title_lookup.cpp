#include "cd_title_lookup.h"

#include <atomic>

#include "cd_drive_table.h"
#include "cd_ripper.h"
#include "cddb_dialog.h"
#include "core.h"
#include "interfaces/main_ui.h"

namespace cd_title_lookup {

namespace {
std::atomic<bool> g_looking_up(false);
}

void ensure(HWND parent, cd_disc& disc, std::vector<cd_disc_track>& titles) {
    if (!titles.empty() || disc.track_count() <= 0) return;
    if (g_looking_up.exchange(true)) return;
    // The lookup reads a copy of the table and fills titles of its own: the
    // drive table is let go while it runs, for as long as a server takes,
    // so that a CD that plays goes on reading its sectors and a call served
    // by the dialog's loop may re-read this very disc.
    cd_disc copy;
    copy.copy_table_from(disc);
    const int drive = cd_ripper::current_drive();
    std::vector<cd_disc_track> found;
    {
        cd_drive_table::released_lock others_may_use_the_drives;
        cddb_dialog::look_up(parent, copy, found, drive);
    }
    g_looking_up = false;
    cd_drive_table::select_drive(drive);
    // Titles of a disc that has since left the drive are not this disc's.
    if (titles.empty() && disc.disc_id() == copy.disc_id()) titles = found;
    if (titles.empty()) table_of_contents_titles(disc, titles);
}

void table_of_contents_titles(const cd_disc& disc, std::vector<cd_disc_track>& titles) {
    for (int i = 0; i < disc.track_count(); ++i) {
        cd_disc_track t = disc.track(i);
        if (!t.is_audio()) continue;
        t.record.set_track_number(t.track_number);
        titles.push_back(t);
    }
}

HWND main_window() {
    component* c = core::enum_create_component(main_ui::iid, 0);
    if (!c) return nullptr;
    HWND hwnd = static_cast<main_ui*>(c)->main_window();
    c->release();
    return hwnd;
}

}  // namespace cd_title_lookup
