// The service client's track requests: the tracks of a channel started by
// id and title, of a channel of the current list (with the kept tracks of
// the current channel as a cache), of the restored last channel, and of a
// channel of the "auto" list.
#include "channel_lines.h"
#include "request_worker.h"
#include "service_client.h"
#include "service_client_services.h"
#include "service_requests.h"

namespace {

const wchar_t no_connection_log[] = L"채널정보, 서버 접속 실패";
const wchar_t refused_log[] = L"채널리스트 수신실패";
const wchar_t received_log[] = L"채널리스트 수신";

stringx song_check_failure() { return success_failure_line(script_file_name(service_script::song_check)); }

}  // namespace

void service_client::read_tracks(const service_reply& reply, std::vector<track_record>& out) {
    for (const stringx& line : reply.data_lines()) {
        track_record record;
        if (line.length() > 0 && read_track_line(line, record)) out.push_back(record);
    }
}

void service_client::keep_tracks(int chkey, const service_reply& reply, std::vector<track_record>& out) {
    live_.tracks.clear();
    read_tracks(reply, live_.tracks);
    live_.tracks_channel = chkey;
    out = live_.tracks;
    services_.write_log(received_log);
    // Kept beyond this run as well: a start without the service plays them.
    if (!live_.tracks.empty()) services_.keep_track_lines(chkey, reply.data_lines());
}

void service_client::hand_out_kept_tracks(int chkey, std::vector<track_record>& out) {
    // Another channel's tracks would play under this channel's name.
    if (chkey == live_.tracks_channel) out = live_.tracks;
}

bool service_client::same_channel_kept(int chkey, int previous) const {
    // The current channel asked for again plays on from its kept tracks; a
    // channel with none kept yet (the first request after the start) is a
    // new one, whose failures are told as such.
    return chkey == previous && chkey == live_.tracks_channel;
}

bool service_client::get_channel_tracks(int chkey, stringx title, std::vector<track_record>& out) {
    return take_channel_tracks_reply(chkey, send_answering(channel_tracks_request(chkey, title)), out);
}

service_request service_client::channel_tracks_request(int chkey, const stringx& title) {
    return track_request(services_.identity(), track_request_kind::channel_tracks, chkey, title.wvalue());
}

bool service_client::take_channel_tracks_reply(int chkey, const service_reply& reply, std::vector<track_record>& out) {
    switch (reply.status()) {
    case reply_status::no_connection:
        hand_out_kept_tracks(chkey, out);
        services_.write_log(no_connection_log);
        return false;
    case reply_status::login_expired:
        hand_out_kept_tracks(chkey, out);
        services_.write_log(refused_log);
        services_.show_notice(reply);
        return false;
    case reply_status::failed:
        services_.write_anne_log(song_check_failure());
        return false;
    case reply_status::success:
        break;
    }
    keep_tracks(chkey, reply, out);
    return true;
}

bool service_client::select_channel(int chkey, std::vector<track_record>& out, bool force) {
    if (!force && chkey == live_.current.id && chkey == live_.tracks_channel) {
        out = live_.tracks;
        return true;
    }
    service_request request(L"");
    if (!select_request(chkey, request)) return false;
    return take_select_reply(chkey, live_.current.id, send_answering(request), out);
}

bool service_client::select_request(int chkey, service_request& request) {
    const channel_record* found = nullptr;
    for (const channel_record& record : live_.channels) {
        if (record.id == chkey) {
            found = &record;
            break;
        }
    }
    services_.set_channel_title(L"");
    if (!found) return false;
    const stringx title = found->title;
    services_.set_channel_title(title.wvalue());
    stringx line;
    line.format(L"채널 선택 : %s", title.wvalue());
    services_.write_log(line);
    request = track_request(services_.identity(), track_request_kind::select, chkey, title.wvalue());
    return true;
}

bool service_client::take_select_reply(int chkey, int previous, const service_reply& reply,
                                       std::vector<track_record>& out) {
    const bool same_channel = same_channel_kept(chkey, previous);
    switch (reply.status()) {
    case reply_status::no_connection:
        if (same_channel)
            hand_out_kept_tracks(chkey, out);
        else
            services_.write_log(no_connection_log);
        return false;
    case reply_status::login_expired:
        if (same_channel) {
            hand_out_kept_tracks(chkey, out);
        } else {
            services_.write_log(refused_log);
            services_.show_notice(reply);
        }
        return false;
    case reply_status::failed:
        services_.write_anne_log(song_check_failure());
        return false;
    case reply_status::success:
        break;
    }
    keep_tracks(chkey, reply, out);
    return true;
}

bool service_client::select_channel_checked(int chkey, std::vector<track_record>& out, stringx& error_text) {
    return take_checked_reply(chkey, send_answering(checked_request(chkey)), out, error_text);
}

service_request service_client::checked_request(int chkey) {
    services_.set_channel_title(L"");
    stringx line;
    line.format(L"채널 선택 : no_channel, %d", chkey);
    for (const channel_record& record : live_.channels) {
        if (record.id == chkey) {
            services_.set_channel_title(record.title.wvalue());
            line.format(L"채널 선택 : %s, %d", record.title.wvalue(), record.id);
            break;
        }
    }
    services_.write_log(line);
    return track_request(services_.identity(), track_request_kind::select_checked, chkey,
                         services_.channel_title().wvalue());
}

bool service_client::take_checked_reply(int chkey, const service_reply& reply, std::vector<track_record>& out,
                                        stringx& error_text) {
    const int previous = live_.current.id;
    const bool same_channel = same_channel_kept(chkey, previous);
    switch (reply.status()) {
    case reply_status::no_connection:
        error_text = L"";
        if (same_channel) hand_out_kept_tracks(chkey, out);
        services_.write_log(same_channel ? L"채널정보, 서버 접속 실패 ERROR COMDE:2"
                                         : L"채널정보, 서버 접속 실패 ERROR COMDE:3");
        return false;
    case reply_status::login_expired:
        error_text = L"";
        if (same_channel) {
            hand_out_kept_tracks(chkey, out);
            services_.write_log(L"채널정보, 서버 접속 실패 ERROR COMDE:4");
        } else {
            services_.write_log(L"채널리스트 수신실패 ERROR COMDE:5");
            services_.show_notice(reply);
        }
        return false;
    case reply_status::failed:
        services_.write_anne_log(song_check_failure());
        return false;
    case reply_status::success:
        break;
    }
    keep_tracks(chkey, reply, out);
    return true;
}

bool service_client::saved_tracks(int chkey, std::vector<track_record>& out) {
    if (chkey == 0) return false;
    std::vector<track_record> tracks;
    for (const stringx& line : services_.kept_track_lines(chkey)) {
        track_record record;
        if (line.length() > 0 && read_track_line(line, record)) tracks.push_back(record);
    }
    if (tracks.empty()) return false;
    out.swap(tracks);
    return true;
}

bool service_client::select_auto_channel(const stringx title, std::vector<track_record>& out) {
    if (title.length() == 0) return false;
    std::vector<channel_record> automatic;
    check_channels(L"auto", automatic);
    int chkey = 0;
    for (const channel_record& record : automatic) {
        if (record.title.equals(title)) {
            chkey = record.id;
            break;
        }
    }
    if (chkey == 0) return false;

    const service_reply reply = send_answering(track_request(services_.identity(), track_request_kind::select_auto, chkey, nullptr));
    switch (reply.status()) {
    case reply_status::no_connection:
        services_.write_log(no_connection_log);
        return false;
    case reply_status::login_expired:
        services_.write_log(refused_log);
        services_.show_notice(reply);
        return false;
    case reply_status::failed:
        services_.write_anne_log(song_check_failure());
        return false;
    case reply_status::success:
        break;
    }
    read_tracks(reply, out);
    services_.write_log(received_log);
    return true;
}
