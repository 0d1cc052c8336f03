// The service client's object, its channel and radio lists, the current
// channel, the list title and the favourites.
#include "service_client.h"
#include "request_worker.h"
#include "channel_lines.h"
#include "service_client_services.h"
#include "service_requests.h"
#include "utility.h"

namespace {

const wchar_t favourites_category[] = L"즐겨찾기";
const wchar_t no_connection_box[] =
    L"서버에 연결할 수 없습니다\n\n인터넷 상태를 확인하신 후 다시 시도하여 주시기 바랍니다.";
const wchar_t no_connection_log[] = L"서버와 연결 실패";
const wchar_t expired_box[] = L"HTTP POST 변수 에러이거나 채널 정보 페이지가 잘못되었습니다";

// The first favourite equal to name without regard to case; end when none.
std::vector<stringx>::iterator find_favourite(std::vector<stringx>& names, const stringx& name) {
    for (auto it = names.begin(); it != names.end(); ++it)
        if (it->equals_ignore_case(name)) return it;
    return names.end();
}

}  // namespace

service_client::service_client(service_client_services& services) : services_(services) {}

service_client::~service_client() {}

bool service_client::channel_reply_ok(const service_reply& reply) {
    switch (reply.status()) {
    case reply_status::no_connection:
        services_.show_timed_box(no_connection_box);
        services_.write_log(no_connection_log);
        return false;
    case reply_status::login_expired:
        services_.show_timed_box(expired_box);
        services_.show_notice(reply);
        return false;
    case reply_status::failed:
        services_.write_anne_log(success_failure_line(script_file_name(service_script::channel_check)));
        return false;
    case reply_status::success:
        break;
    }
    return true;
}

bool service_client::request_channels(const stringx& category, std::vector<channel_record>& list) {
    const service_reply reply = send_answering(channel_list_request(services_.identity(), category.wvalue()));
    if (!channel_reply_ok(reply)) return false;
    for (const stringx& line : reply.data_lines()) {
        channel_record record;
        if (line.length() > 0 && read_channel_line(line, record)) list.push_back(record);
    }
    return true;
}

bool service_client::set_single_channel(int id, stringx title) {
    channel_record record;
    record.id = id;
    record.title = title;
    live_.channels.assign(1, record);
    live_.channels_category = L"";
    return true;
}

bool service_client::get_channel_list(stringx category, std::vector<channel_record>& list) {
    if (category.equals(stringx(favourites_category))) return true;
    std::vector<channel_record> fresh;
    const bool ok = request_channels(category, fresh);
    if (ok) {
        live_.channels = fresh;
        live_.channels_category = category;
    } else if (!live_.channels_category.equals(category) || category.length() == 0) {
        // The kept list is another category's: the caller gets nothing of it.
        return false;
    }
    list.insert(list.end(), live_.channels.begin(), live_.channels.end());
    return ok && !list.empty();
}

bool service_client::check_channels(stringx category, std::vector<channel_record>& list) {
    return request_channels(category, list);
}

bool service_client::check_user_channels(stringx category, std::vector<radio_record>& list) {
    request_identity identity;
    const bool logged_in = services_.logged_in();
    if (logged_in) identity = services_.identity();
    const service_reply reply = send_answering(radio_list_request(identity, category.wvalue(), logged_in));
    if (!channel_reply_ok(reply)) return false;
    for (const stringx& line : reply.data_lines()) {
        const stringx clean = clean_line(line);
        if (clean.length() == 0) continue;
        radio_record record;
        read_radio_line(clean, record);  // a line of another field count gives an empty record
        list.push_back(record);
    }
    return true;
}

void service_client::save_channel_state() { saved_ = live_; }

void service_client::restore_channel_state() { live_ = saved_; }

stringx service_client::get_title() { return live_.list_title; }

void service_client::set_title(const stringx title) { live_.list_title = title; }

void service_client::select_channel_by_key(int id) {
    for (const channel_record& record : live_.channels) {
        if (record.id == id) {
            live_.current = record;
            return;
        }
    }
}

channel_record* service_client::current_channel() { return &live_.current; }

std::vector<stringx>* service_client::favourites() { return &live_.favourite_names; }

void service_client::add_favourite(const stringx name) {
    if (name.length() == 0) return;
    if (find_favourite(live_.favourite_names, name) != live_.favourite_names.end()) return;
    live_.favourite_names.push_back(name);
}

void service_client::remove_favourite(const stringx name) {
    if (name.length() == 0) return;
    auto found = find_favourite(live_.favourite_names, name);
    if (found != live_.favourite_names.end()) live_.favourite_names.erase(found);
}
