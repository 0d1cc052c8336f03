// The main window's channels over the service client and the channel track
// list.
#include "client_channel_service.h"

#include "channel_track_list.h"
#include "login_manager.h"
#include "service_client.h"

bool client_channel_service::is_logged_in() { return get_login_manager()->is_logged_in(); }

bool client_channel_service::fetch_channel_tracks(unsigned id, const stringx& title) {
    std::vector<track_record> tracks;
    if (!get_service_client()->get_channel_tracks(static_cast<int>(id), title, tracks)) return false;
    fetched_.swap(tracks);
    return true;
}

void client_channel_service::set_single_channel(unsigned id, const stringx& title) {
    get_service_client()->set_single_channel(static_cast<int>(id), title);
}

void client_channel_service::select_channel_by_key(unsigned id) {
    get_service_client()->select_channel_by_key(static_cast<int>(id));
}

void client_channel_service::set_title(const stringx& title) { get_service_client()->set_title(title); }

void client_channel_service::load_fetched() { get_channel_track_list()->load(fetched_); }

bool client_channel_service::get_channel_list(const stringx& list_name) {
    std::vector<channel_record> channels;
    return get_service_client()->get_channel_list(list_name, channels);
}

bool client_channel_service::select_channel_checked() {
    service_client* client = get_service_client();
    std::vector<track_record> tracks;
    stringx error_text;
    if (!client->select_channel_checked(client->current_channel()->id, tracks, error_text)) return false;
    fetched_.swap(tracks);
    return true;
}

unsigned client_channel_service::current_channel_id() {
    return static_cast<unsigned>(get_service_client()->current_channel()->id);
}

stringx client_channel_service::current_channel_title() { return get_service_client()->current_channel()->title; }

stringx client_channel_service::list_title() { return get_service_client()->get_title(); }

double client_channel_service::first_track_offset() {
    std::vector<track_record>* tracks = get_channel_track_list()->tracks();
    if (!tracks || tracks->empty()) return 0.0;
    return static_cast<double>(tracks->front().start_offset.total_seconds());
}

void client_channel_service::save_channel_state() { get_service_client()->save_channel_state(); }

void client_channel_service::restore_channel_state() { get_service_client()->restore_channel_state(); }
