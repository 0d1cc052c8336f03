// The library window's listeners (library_listeners.h).
#include "library_listeners.h"

#include <string>

#include "core.h"
#include "library_window.h"
#include "list_info.h"
#include "main_ui.h"
#include "window_messages.h"

void library_drive_listener::on_drive_change(wchar_t drive_letter, int arrived) {
    library_window* w = library_window::current();
    if (!w || !w->get_hwnd()) return;
    PostMessageW(w->get_hwnd(), msg_cd_drive_changed, arrived ? 1 : 0, static_cast<LPARAM>(drive_letter & 0xFFFF));
}

play_manager* library_engine_listener::player() { return core::get_player(true); }

void library_engine_listener::on_start(playback_thread*, list_info* entry, bool) {
    HWND target = nullptr;
    if (component* c = core::enum_create_component(main_ui::iid, 0)) {
        target = static_cast<main_ui*>(c)->library_window();
        c->release();
    }
    if (!target) return;
    auto* title = new std::wstring(entry && entry->title ? entry->title : L"");
    if (!PostMessageW(target, msg_track_started, 0, reinterpret_cast<LPARAM>(title))) delete title;
}

void library_skin_listener::on_skin(int colour) {
    if (library_window* w = library_window::current()) w->apply_skin(colour);
}
