// The main window's channels over the service client and the channel track
// list.
#include "client_channel_service.h"
#include "request_worker.h"

#include "channel_track_list.h"
#include "login_manager.h"
#include "service_client.h"
#include "service_reply.h"

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
    const int chkey = client->current_channel()->id;
    const service_reply reply = send_answering(client->checked_request(chkey));
    std::vector<track_record> tracks;
    stringx error_text;
    refused_ = reply.status() == reply_status::login_expired;
    if (!client->take_checked_reply(chkey, reply, tracks, error_text)) return false;
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

bool client_channel_service::fetch_saved_tracks() {
    service_client* client = get_service_client();
    std::vector<track_record> tracks;
    if (!client->saved_tracks(client->current_channel()->id, tracks)) return false;
    fetched_.swap(tracks);
    return true;
}

bool client_channel_service::start_checked_fetch(HWND window, UINT message) {
    service_reply unclaimed;  // a reply whose window went away unread
    if (worker_.busy() && !worker_.take(unclaimed)) return false;
    service_client* client = get_service_client();
    worker_channel_ = client->current_channel()->id;
    return worker_.start(client->checked_request(worker_channel_), window, message);
}

channel_service::fetch_result client_channel_service::finish_checked_fetch() {
    service_reply reply;
    if (!worker_.take(reply)) return fetch_pending;
    service_client* client = get_service_client();
    if (client->current_channel()->id != worker_channel_) return fetch_stale;
    std::vector<track_record> tracks;
    stringx error_text;
    refused_ = reply.status() == reply_status::login_expired;
    if (client->take_checked_reply(worker_channel_, reply, tracks, error_text)) {
        fetched_.swap(tracks);
        return fetch_done;
    }
    return refused_ ? fetch_refused : fetch_failed;
}

// Counted from the list the service client keeps: the window asks this while
// it lays itself out, and a request there (a store without announcements
// keeps none, so every count would ask the service again) held the window up
// at each login.
int client_channel_service::announcement_count(int) {
    return static_cast<int>(get_service_client()->kept_announcement_count());
}
