// The playlist window's services over the running player.
#include "playlist_window_wiring.h"

#include "core.h"
#include "login_manager.h"
#include "main_ui.h"
#include "music_player_view.h"
#include "play_manager.h"
#include "player_options.h"
#include "playlist.h"
#include "service_host.h"
#include "window_docker.h"
#include "window_state_listener.h"

namespace {

template <class Interface, class Fn>
void with_service(Fn fn) {
    if (component* c = core::enum_create_component(Interface::iid, 0)) {
        fn(static_cast<Interface*>(c));
        c->release();
    }
}

HWND ui_window(HWND (main_ui::*which)()) {
    HWND w = nullptr;
    with_service<main_ui>([&](main_ui* ui) { w = (ui->*which)(); });
    return w;
}

playlist* active_list() {
    play_manager* music = core::get_player(true);
    return music ? music->active_playlist() : nullptr;
}

}  // namespace

int player_playlist_services::skin_number() { return get_player_options().skin; }

bool player_playlist_services::logged_in() {
    login_manager* login = get_login_manager();
    return login && login->is_logged_in();
}

std::wstring player_playlist_services::ad_address() {
    login_manager* login = get_login_manager();
    return login && login->is_logged_in() ? std::wstring(login->get_ad().wvalue()) : std::wstring();
}

std::wstring player_playlist_services::user_id() {
    stringx id, password;
    if (login_manager* login = get_login_manager()) login->get_credentials(id, password);
    return id.wvalue();
}

std::wstring player_playlist_services::web_host() { return service_host::web_host().wvalue(); }

bool player_playlist_services::load_anne_list(std::vector<anne_record>& records, bool refresh) {
    records.clear();
    return anne_loader && anne_loader(records, refresh);
}

bool player_playlist_services::live_anne_on() { return get_player_options().live_anne_on; }

bool player_playlist_services::expanded() {
    bool on = false;
    with_service<main_ui>([&](main_ui* ui) { on = ui->expanded(); });
    return on;
}

HWND player_playlist_services::main_window() { return ui_window(&main_ui::main_window); }
HWND player_playlist_services::info_window() { return ui_window(&main_ui::info_window); }
HWND player_playlist_services::library_window() { return ui_window(&main_ui::library_window); }

void player_playlist_services::set_playlist_shown(bool shown) {
    if (playlist_shown) playlist_shown(shown);
}

void player_playlist_services::dock(HWND window) {
    with_service<window_docker>([&](window_docker* d) { d->add_window(window); });
}

void player_playlist_services::undock(HWND window) {
    with_service<window_docker>([&](window_docker* d) { d->remove_window(window); });
}

void player_playlist_services::tell_window_state(bool hidden) {
    for_each_component<window_state_listener>([&](window_state_listener* l) { l->on_window_state(1, hidden); });
}

std::unique_ptr<web_page> player_playlist_services::make_page() { return make_browser_page(); }

int player_playlist_services::active_entry_count() {
    playlist* list = active_list();
    return list ? static_cast<int>(list->count()) : 0;
}

bool player_playlist_services::active_is_default() {
    play_manager* music = core::get_player(true);
    if (!music) return false;
    playlist* list = music->active_playlist();
    return list && list == music->playlist_at(0);
}

std::wstring player_playlist_services::active_entry_path(int index) {
    playlist* list = active_list();
    if (!list || index < 0) return L"";
    list_info* entry = list->at(static_cast<unsigned>(index));
    return entry && entry->path ? std::wstring(entry->path) : std::wstring();
}

std::wstring player_playlist_services::playing_path() {
    play_manager* music = core::get_player(true);
    if (!music || !music->is_playing()) return L"";
    const list_info entry = current_entry_copy(music);
    return entry.path ? std::wstring(entry.path) : std::wstring();
}
