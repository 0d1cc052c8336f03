// The today page's commands on the running player.
#include "player_app_links.h"

#include "channel_track_list.h"
#include "core.h"
#include "main_ui.h"
#include "play_manager.h"
#include "player_options.h"
#include "playlist.h"
#include "service_client.h"
#include "window_messages.h"

namespace {

// A window of the registered user interface; null without one.
HWND ui_window(HWND (main_ui::*which)()) {
    component* c = core::enum_create_component(main_ui::iid, 0);
    if (!c) return nullptr;
    main_ui* ui = static_cast<main_ui*>(c);
    HWND w = (ui->*which)();
    ui->release();
    return w;
}

}  // namespace

bool player_app_links::live_anne_on() { return get_player_options().live_anne_on; }

void player_app_links::set_live_anne(const anne_record& record) {
    player_options& o = get_player_options();
    o.live_anne_on = true;
    o.live_anne = record;
}

void player_app_links::hand_over_live_anne(const anne_record& record) {
    HWND info = ui_window(&main_ui::info_window);
    anne_record copy = record;
    if (info) SendMessageW(info, msg_anne_handover, 0, reinterpret_cast<LPARAM>(&copy));
}

bool player_app_links::get_channel_tracks(int id, const std::wstring& title, std::vector<track_record>& records) {
    service_client* client = get_service_client();
    return client && client->get_channel_tracks(id, stringx(title.c_str()), records);
}

void player_app_links::set_library_channel_title(const std::wstring& title) {
    if (library_caption && ui_window(&main_ui::library_window)) library_caption(title);
}

void player_app_links::set_single_channel(int id, const std::wstring& title) {
    if (service_client* client = get_service_client()) client->set_single_channel(id, stringx(title.c_str()));
}

void player_app_links::select_channel_by_key(int id) {
    if (service_client* client = get_service_client()) client->select_channel_by_key(id);
}

void player_app_links::set_title(const std::wstring& title) {
    if (service_client* client = get_service_client()) client->set_title(stringx(title.c_str()));
}

void player_app_links::set_channel_title(const std::wstring& title) {
    get_player_options().channel_title = title.c_str();
}

void player_app_links::load_channel_tracks(const std::vector<track_record>& records) {
    if (channel_track_list* list = get_channel_track_list()) list->load(records);
}

void player_app_links::stop_music() {
    HWND main = ui_window(&main_ui::main_window);
    if (main) PostMessageW(main, WM_COMMAND, 12, 0);
}

void player_app_links::play_stream(const std::wstring& address, const std::wstring& title) {
    if (play_manager* music = core::get_player(true)) play_stream_entry(*music, address, title);
}

void player_app_links::stop_announcement() {
    if (play_manager* announcements = core::get_player(false)) announcements->stop(0);
}

void play_stream_entry(play_manager& music, const std::wstring& address, const std::wstring& title) {
    list_info entry;
    list_info::set_string(entry.path, address.c_str());
    list_info::set_string(entry.artist, L"");
    list_info::set_string(entry.title, title.c_str());
    music.stop(0);
    if (playlist* active = music.active_playlist()) active->clear();
    playlist* list = music.playlist_at(0);
    if (!list) return;
    list->clear();
    const std::wstring id = list->id();
    music.set_active_playlist(id.c_str());
    music.set_current_playlist(id.c_str());
    list->add(std::vector<list_info>{entry});
    if (list->count() > 0) music.play(list->at(0));
}
