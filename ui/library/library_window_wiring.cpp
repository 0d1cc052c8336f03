// The library window's services over the running player.
#include "library_window_wiring.h"

#include <shellapi.h>

#include "cd_tool.h"
#include "config_var2.h"
#include "core.h"
#include "main_ui.h"
#include "play_manager.h"
#include "player_options.h"
#include "service_client.h"
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

login_manager* logged() {
    login_manager* login = get_login_manager();
    return login && login->is_logged_in() ? login : nullptr;
}

std::wstring w(const stringx& s) { return s.wvalue() ? s.wvalue() : L""; }

}  // namespace

int player_library_services::skin_number() { return get_player_options().skin; }

bool player_library_services::logged_in() { return logged() != nullptr; }

std::wstring player_library_services::usertype() {
    login_manager* login = logged();
    return login ? w(login->get_store_info().usertype) : std::wstring();
}

std::vector<anneinfo_entry> player_library_services::anneinfo() {
    login_manager* login = logged();
    return login ? login->get_anneinfo() : std::vector<anneinfo_entry>();
}

std::wstring player_library_services::bcode() {
    login_manager* login = logged();
    return login ? w(login->get_bcode().code) : std::wstring();
}

std::vector<category_record> player_library_services::categories(int list) {
    login_manager* login = get_login_manager();
    if (!login) return {};
    // Without a login only list 0 counts (its defaults).
    if (list != 0 && !login->is_logged_in()) return {};
    return login->get_categories(list);
}

std::vector<wchar_t> player_library_services::cd_drives() {
    std::vector<wchar_t> letters;
    with_service<cd_tool>([&](cd_tool* tool) { tool->list_drives(letters); });
    return letters;
}

HWND player_library_services::main_window() {
    HWND w = nullptr;
    with_service<main_ui>([&](main_ui* ui) { w = ui->main_window(); });
    return w;
}

bool player_library_services::expanded() {
    bool on = false;
    with_service<main_ui>([&](main_ui* ui) { on = ui->expanded(); });
    return on;
}

void player_library_services::set_expanded(bool on) {
    with_service<main_ui>([&](main_ui* ui) { ui->set_expanded(on); });
}

void player_library_services::dock(HWND window) {
    with_service<window_docker>([&](window_docker* d) { d->add_window(window); });
}

void player_library_services::undock(HWND window) {
    with_service<window_docker>([&](window_docker* d) { d->remove_window(window); });
}

void player_library_services::tell_window_state(bool hidden) {
    for_each_component<window_state_listener>([&](window_state_listener* l) { l->on_window_state(2, hidden); });
}

void player_library_services::run_settings(HWND owner) {
    service_client* client = get_service_client();
    if (client) client->save_channel_state();
    if (settings) settings(owner);
    if (client) client->restore_channel_state();
}

bool player_library_services::music_playing() {
    play_manager* music = core::get_player(true);
    return music && music->is_playing();
}

bool player_library_services::first_playlist_active() {
    play_manager* music = core::get_player(true);
    if (!music) return false;
    playlist* list = music->active_playlist();
    return list && list == music->playlist_at(0);
}

std::wstring player_library_services::service_title() {
    service_client* client = get_service_client();
    return client ? w(client->get_title()) : std::wstring();
}

std::wstring player_library_services::current_channel_title() {
    service_client* client = get_service_client();
    channel_record* channel = client ? client->current_channel() : nullptr;
    return channel ? w(channel->title) : std::wstring();
}

bool player_library_services::channel_is_login_channel() {
    const player_options& o = get_player_options();
    return w(o.channel) == w(o.login_channel);
}

std::wstring player_library_services::option_last_title() { return w(get_player_options().last_title); }

std::wstring player_library_services::login_channel_title() { return w(get_player_options().channel_title); }

void player_library_services::save_last_title(const std::wstring& text) {
    config_var2().write(L"app", L"last_title", text.c_str());
}

void player_library_services::open_in_browser(const std::wstring& url) {
    if (url.empty()) return;
    ShellExecuteW(nullptr, L"open", L"iexplore", url.c_str(), nullptr, SW_SHOWNORMAL);
}

std::wstring player_library_services::home_page() { return L"http://" + w(service_host::web_host()) + L"/"; }

std::wstring player_library_services::notice_board_page() {
    return L"http://" + w(service_host::web_host()) + L"/rux/rux_notice.php";
}

bool player_library_services::confirm_quit(HWND owner) {
    return MessageBoxW(owner, L"플레이어를 종료하시겠습니까?", L"VOLQUIN 플레이어", MB_YESNO | MB_ICONQUESTION) ==
           IDYES;
}
