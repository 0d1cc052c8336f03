#include "cd_title_lookup.h"

#include <atomic>

#include "cddb_dialog.h"
#include "core.h"
#include "main_window/main_ui.h"

namespace cd_title_lookup {

namespace {
std::atomic<bool> g_looking_up(false);
}

void ensure(HWND parent, cd_disc& disc, std::vector<cd_disc_track>& titles) {
    if (!titles.empty() || disc.track_count() <= 0) return;
    if (g_looking_up.exchange(true)) return;
    cddb_dialog::look_up(parent, disc, titles);
    g_looking_up = false;
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
