// The login and the accessors of the logged-in store's data. Reading the
// reply's keys is in login_reply_read.cpp, applying them to the options and
// the services in login_reply_apply.cpp.
#include "login_manager.h"
#include <algorithm>
#include "login_services.h"
#include "request_worker.h"
#include "service_requests.h"

namespace {

const wchar_t user_in_use_message[] = L"현재 아이디로 실행중 입니다";
const wchar_t no_connection_message[] =
    L"서버에 연결할 수 없습니다\n\n인터넷 상태를 확인하신 후 다시 시도하여 주시기 바랍니다.";
const wchar_t not_successful_message[] =
    L"인터넷이 원할 하지 못하여 로그인을 실패했습니다.\n\n잠시 후 재접속하시기 바랍니다.";

// The categories of list 0 before the service sends any: level|kind|key|caption.
const wchar_t* const default_categories[] = {
    L"1|1||음악방송", L"2|2||라디오", L"3|4|24hradio|24시간 인터넷 라디오", L"3|4|nomalradio|지상파 라디오",
    L"3|4|nomalbro|개인 방송", L"2|2||즐겨찾기 채널", L"2|6||MP3", L"2|7||CD",
};

}  // namespace

const int login_manager::default_play_settings[play_setting_count] = {0, 0, 1000, 0, 0, 0, 0, 0, 10, 1000};

login_manager::login_manager(login_services& services) : services_(services) {
    std::copy(default_play_settings, default_play_settings + play_setting_count, play_settings_);
}

bool login_manager::login(HWND parent, const wchar_t* user_id, const wchar_t* password, stringx& message,
                          stringx& url) {
    // Whatever happens below, a login that does not end in success leaves
    // the object logged out and without credentials.
    logged_in_ = false;
    forget_credentials();
    const stringx user(user_id);
    const stringx typed(password);

    if (services_.user_in_use(user.wvalue())) {
        message = user_in_use_message;
        return false;
    }
    login_options& options = services_.options();
    options.login_channel = options.channel;

    // The per-user settings belong to this user from now on, also when the
    // attempt fails.
    const bool store = services_.has_settings_store();
    if (store) {
        services_.set_store_user(user.wvalue());
        options.vm = services_.store_read(L"app", L"vm").toint();
        options.output_type = services_.store_read(L"app", L"output_type").toint();
    }
    volume_levels volumes;
    volumes.music = static_cast<int>(options.volume);
    volumes.announcement = static_cast<int>(options.info_volume);
    volumes.music_mute = options.mute;
    volumes.announcement_mute = options.info_mute;
    pc_identity pc;
    pc.usermac = options.usermac;
    pc.pc_ostime = options.pc_ostime;
    pc.pc_pgtime = options.pc_pgtime;
    pc.hddidx = options.hddidx;
    const stringx version = services_.ini_read(L"app", L"version");
    // Sent on a worker: the windows answer while the service takes its time.
    const service_reply reply = send_answering(login_request(user.wvalue(), typed.wvalue(), version.wvalue(), pc,
                                                             volumes, options.channel.wvalue(), store,
                                                             options.output_type));

    if (!reply.connected()) {
        message = no_connection_message;
        return false;
    }
    // The login tests for success before it looks at the status line, so a
    // refusal carries "Result=Success" as well.
    if (!reply.has_success()) {
        // A refusal in the service's own words is shown as it is; only a
        // reply that says nothing blames the connection.
        reply_map keys;
        keys.read(reply.lines(), 0);
        const stringx own = keys.get(L"message").replace(L"\x11", L"\n");
        if (own.length() > 0) {
            message = own;
            url = keys.get(L"url");
        } else {
            message = not_successful_message;
        }
        return false;
    }
    if (reply.login_expired()) {
        parse_reply(reply.lines(), message, url);
        return false;
    }
    // A reply cut short may carry its "Result=Success" and lose the keys
    // after it (the store, the channel, the device's settings): logging in
    // with half a store is worse than asking the user to try again.
    if (reply.cut()) {
        services_.write_log(L"로그인 실패(응답이 중간에 끊김)");
        message = not_successful_message;
        return false;
    }
    reply_map keys;
    keys.read(reply.lines(), 1);
    read_reply(keys);

    logged_in_ = true;
    user_id_ = user;
    const stringx real_password = keys.get(L"user_realpw");
    password_ = real_password.length() > 0 ? real_password : typed;
    options.server_password = password_;

    if (store) services_.load_options();
    if (!apply_reply(parent, keys, message)) {
        logged_in_ = false;
        forget_credentials();
        options.server_password = L"";
        return false;
    }
    set_server_clock();
    if (skin_ > 0 && skin_ != options.skin) {
        options.skin = skin_;
        services_.tell_skin(options.skin);
    } else if (ad_.length() > 0) {
        services_.tell_skin(options.skin);
    }
    hand_over_stores(keys);
    return true;
}

void login_manager::forget_credentials() {
    user_id_ = L"";
    password_ = L"";
}

void login_manager::malformed() { services_.write_log(L"로그인 실패(파싱Error)"); }

void login_manager::set_server_clock() {
    // YYYYMMDDhhmmss; any other text leaves the client's clock alone.
    if (server_time_.length() != 14) return;
    int part[6];
    const int widths[6] = {4, 2, 2, 2, 2, 2};
    const wchar_t* p = server_time_.wvalue();
    for (int i = 0; i < 6; ++i) {
        part[i] = 0;
        for (int k = 0; k < widths[i]; ++k, ++p) {
            if (*p < L'0' || *p > L'9') return;
            part[i] = part[i] * 10 + (*p - L'0');
        }
    }
    const timex server_now(part[0], part[1], part[2], part[3], part[4], part[5]);
    if (server_now.get_time() != -1) timex::set_normal_time(server_now);
}

void login_manager::hand_over_stores(const reply_map& keys) {
    const stringx stores = keys.get(L"multi_play");
    if (stores.length() == 0) return;
    services_.options().maximize = false;
    const std::vector<stringx> fields = split_fields(stores, L"\u203B");
    if (!fields.empty() && fields[0].toint() > 0)
        services_.start_launcher(user_id_.wvalue(), password_.wvalue(), stores.wvalue());
}

bool login_manager::is_logged_in() { return logged_in_; }

void login_manager::get_credentials(stringx& user_id, stringx& password) {
    if (!logged_in_) return;
    user_id = user_id_;
    password = password_;
}

stringx login_manager::get_server_time() { return server_time_; }
const store_info& login_manager::get_store_info() { return store_; }
const payment_info& login_manager::get_payment() { return payment_; }
const std::vector<anneinfo_entry>& login_manager::get_anneinfo() { return anneinfo_; }
const bcode_info& login_manager::get_bcode() { return bcode_; }

void login_manager::set_store_hours(int open_time, int close_time) {
    bcode_.open_time = open_time;
    bcode_.close_time = close_time;
}

const std::vector<category_record>& login_manager::get_categories(int list) {
    const int index = list == 0 ? 0 : list == 1 ? 1 : 2;
    if (index == 0 && categories_[0].empty()) {
        for (const wchar_t* text : default_categories) {
            const std::vector<stringx> f = split_fields(stringx(text), L"|");
            category_record item;
            item.level = f[0].toint();
            item.kind = f[1].toint();
            item.key = f[2];
            item.caption = f[3];
            categories_[0].push_back(item);
        }
    }
    return categories_[index];
}

const int* login_manager::get_play_settings() { return play_settings_; }
stringx login_manager::get_ad() { return ad_; }
int login_manager::get_skin() { return skin_; }
bool login_manager::is_remote() { return remote_; }
int login_manager::get_user_level() { return user_level_; }
stringx login_manager::get_logo_url() { return logo_url_; }
stringx login_manager::get_main_logo_url() { return main_logo_url_; }
const std::vector<schedule_set>& login_manager::get_schedule_lists() { return schedule_sets_; }
const wchar_t* login_manager::get_anneinfo_code() { return anneinfo_code_.wvalue(); }

void login_manager::set_anneinfo_code(const wchar_t* code) {
    if (!code || !*code) return;
    anneinfo_code_ = code;
    if (anneinfo_listener_) anneinfo_listener_->on_anneinfo_code(anneinfo_code_.wvalue());
}

void login_manager::set_anneinfo_listener(anneinfo_listener* listener) { anneinfo_listener_ = listener; }

