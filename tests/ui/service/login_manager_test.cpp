// The login against the service's stand-in over loopback: a full reply and
// what each of its keys changes, the refusals and their messages, broken
// replies, the server clock, the hand-over to the launcher, repeated
// attempts, and the data before any login.
#include <gtest/gtest.h>
#include <windows.h>
#include <ctime>
#include <functional>
#include <string>
#include <vector>
#include "log_writer.h"
#include "login_manager.h"
#include "login_test_services.h"
#include "stand_in_server.h"
#include "temp_folder.h"
#include "timex.h"
#include "utf.h"

namespace {

std::wstring w(const stringx& s) { return s.wvalue(); }

std::string field(const recorded_request& request, const char* name) {
    for (const auto& f : request.decoded_fields())
        if (f.first == name) return f.second;
    return "<absent>";
}

// The store of the full login: every key the login reads, with values that
// show where each one lands.
const char full_scenario[] = R"({
  "servertime": "20300102030405",
  "store": {"usertype": "B", "storetop": "T9", "storemother": "M9", "storecode": "S9", "storeid": "shop9",
            "storename": "본점"},
  "hours": {"code": "G9", "open": "09:30", "close": "22:00"},
  "users": [{"userid": "store01", "userpw": "pw01", "realpw": "real01", "login": {
    "Maximize": "1", "payment": "1^2031-12-30 23:59:58", "anneinfo": "G9|본점 안내^G10",
    "ad": "1^http://127.0.0.1/ad.html", "Music_Volume": "80|1|70|0",
    "libraryitem1": "1|1|k1|음악방송^2|3|k2|둘째|x", "libraryitem2": "1|a|b", "libraryitem3": "1|2|3|4|5|6",
    "playtype": "1|300|500|1|20|1500", "musicquality": "2", "priority": "3", "output": "4000", "nor": "1",
    "remote": "1", "skin": "3", "duplicate": "2", "logo": "http://127.0.0.1/logo.png^http://127.0.0.1/main.png",
    "vm": "2", "channel": "음악방송|1053", "channeltitle": "아침 가요", "listenlog": "1",
    "anne_volume_linkage": "0", "fadeinout_time": "5000", "fadedirect_time": "800", "anne_refresh_time": "60",
    "skip": "1", "music_volume_rate": "50", "schedulelist": "G9|기본|A세트^bad^G10|저녁|B세트",
    "server": "10.0.0.1|8080", "logininfo": "L7", "musicschedule_play": "1", "musicschedule_time": "30",
    "multi_play": "2※a¶b※c¶d"}}]
})";

class login_test : public ::testing::Test {
protected:
    void SetUp() override {
        timex::set_normal_span(timex_span());
        services.opts.usermac = L"001A2B3C4D5E";
        services.opts.pc_ostime = L"20090102_080509";
        services.opts.pc_pgtime = L"20100304_101112";
        services.opts.hddidx = L"";
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", nullptr);
        timex::set_normal_span(timex_span());
    }

    // The stand-in as the service, with the built-in store's keys replaced
    // by those of scenario; requests go there.
    void serve(const std::string& scenario = "{}") {
        ASSERT_TRUE(server.start_scenario(scenario)) << server.error();
        SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", server.host().c_str());
    }
    // A store with one user whose login reply carries these keys on top of
    // the built-in ones (a JSON object's members).
    void serve_user(const std::string& login_keys) { serve_user_on(server, login_keys); }
    // The same on a stand-in of the caller's (one per row of a table).
    static void serve_user_on(stand_in_server& one, const std::string& login_keys) {
        ASSERT_TRUE(one.start_scenario(R"({"users": [{"userid": "store01", "userpw": "pw01", "login": {)" +
                                       login_keys + "}}]}"))
            << one.error();
        SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", one.host().c_str());
    }

    bool login(const wchar_t* user = L"store01", const wchar_t* password = L"pw01") {
        message = L"";
        url = L"";
        return manager.login(nullptr, user, password, message, url);
    }

    // Every false login leaves the object logged out and without
    // credentials; every true one logged in with them.
    void expect_consistent(bool result) {
        EXPECT_EQ(manager.is_logged_in(), result);
        stringx user(L"<untouched>"), password(L"<untouched>");
        manager.get_credentials(user, password);
        if (result) {
            EXPECT_EQ(w(user), L"store01");
        } else {
            EXPECT_EQ(w(user), L"<untouched>");
            EXPECT_EQ(w(password), L"<untouched>");
        }
    }

    int parse_errors() const {
        int n = 0;
        for (const auto& line : services.log) n += line == L"로그인 실패(파싱Error)";
        return n;
    }

    fake_login_services services;
    login_manager manager{services};
    stand_in_server server;
    stringx message, url;
};

}  // namespace

// One full login: each key of the reply and what it changes, checked as a
// table over the one result (a second login without a settings store shows
// the server's volumes, which the store's otherwise replace).
TEST_F(login_test, a_full_reply_applies_every_key) {
    serve(full_scenario);
    services.ini_values[L"app/version"] = L"3.1.0.0.0";
    services.opts.channel = L"old|1";
    services.set_store(L"Local", L"output_type", L"0");
    services.set_store(L"store01", L"output_type", L"1");
    services.set_store(L"store01", L"volume", L"500");
    services.set_store(L"store01", L"info_volume", L"600");
    services.set_store(L"store01", L"mute", L"0");
    services.set_store(L"store01", L"norm_scale", L"7");
    services.set_store(L"store01", L"device", L"1");
    services.set_store(L"store01", L"favorates0", L"1052^테스트 채널");
    services.set_store(L"store01", L"favorates2", L"1053^아침 가요");
    temp_folder logs(L"zel_login_logs");
    log_writer writer;
    writer.set_base_folder(logs.path().c_str());
    services.on_user_context = &writer;
    services.on_user = [](const wchar_t* user, void* context) {
        static_cast<log_writer*>(context)->set_current_user(user);
    };

    const time_t before = time(nullptr);
    ASSERT_TRUE(login()) << w(message);
    const time_t after = time(nullptr);
    writer.open_logs(writer.current_user().c_str());  // what the login listener does
    writer.kill();
    expect_consistent(true);
    const login_options& o = services.opts;
    stringx user, password;
    manager.get_credentials(user, password);

    fake_login_services bare;
    bare.store_present = false;
    login_manager without_store(bare);
    stringx m, u;
    ASSERT_TRUE(without_store.login(nullptr, L"store01", L"pw01", m, u)) << w(m);

    const std::vector<recorded_request> requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    const recorded_request& sent = requests[0];

    struct row {
        const char* key;
        std::function<void()> check;
    };
    const row rows[] = {
        {"(request)", [&] {
             EXPECT_EQ(sent.path(), "/rux/rux_login_check.php");
             EXPECT_EQ(field(sent, "userid"), "store01");
             EXPECT_EQ(field(sent, "userpw"), "pw01");
             EXPECT_EQ(field(sent, "pg_ver"), "3.1.0.0.0");
             EXPECT_EQ(field(sent, "usermac"), "001A2B3C4D5E");
             EXPECT_EQ(field(sent, "pc_pgtime"), "20100304_101112");
             EXPECT_EQ(field(sent, "music_volume"), "1");  // the volume before the login: 0
             EXPECT_EQ(field(sent, "channel"), "old|1");
             EXPECT_EQ(field(sent, "vmpc"), "1");  // store01's output type, not Local's
             EXPECT_EQ(field(requests[1], "vmpc"), "<absent>");
             EXPECT_EQ(field(requests[1], "channel"), "NULL");
         }},
        {"(settings-store user)", [&] { EXPECT_EQ(services.store_users, std::vector<std::wstring>{L"store01"}); }},
        {"(log folders)", [&] {
             EXPECT_TRUE(temp_folder::is_folder(logs / L"log\\store01"));
             EXPECT_TRUE(temp_folder::is_folder(logs / L"log_played_info\\store01"));
         }},
        {"(log)", [&] {
             EXPECT_EQ(services.log, std::vector<std::wstring>{L"로그인 성공"});
         }},
        {"user_realpw", [&] {
             EXPECT_EQ(w(password), L"real01");
             EXPECT_EQ(w(o.server_password), L"real01");
         }},
        {"Maximize", [&] { EXPECT_EQ(o.server_maximize, 1); }},
        {"storeinfo", [&] {
             const store_info& s = manager.get_store_info();
             EXPECT_EQ(std::vector<std::wstring>({w(s.usertype), w(s.storetop), w(s.storemother), w(s.storecode),
                                                  w(s.storeid), w(s.storename)}),
                       std::vector<std::wstring>({L"B", L"T9", L"M9", L"S9", L"shop9", L"본점"}));
         }},
        {"payment", [&] {
             EXPECT_TRUE(manager.get_payment().paid);
             EXPECT_EQ(manager.get_payment().expiry, timex(2031, 12, 30, 23, 59, 58));
         }},
        {"servertime", [&] {
             EXPECT_EQ(w(manager.get_server_time()), L"20300102030405");
             const long server_now = timex(2030, 1, 2, 3, 4, 5).get_time();
             const long span = timex::get_normal_time_span().total_seconds();
             EXPECT_GE(span, server_now - static_cast<long>(after));
             EXPECT_LE(span, server_now - static_cast<long>(before));
         }},
        {"anneinfo", [&] {
             const auto& a = manager.get_anneinfo();
             ASSERT_EQ(a.size(), 2u);
             EXPECT_EQ(w(a[0].code) + L"/" + w(a[0].title), L"G9/본점 안내");
             EXPECT_EQ(w(a[1].code) + L"/" + w(a[1].title), L"/");  // one sub-field: both empty
         }},
        {"bcode", [&] {
             EXPECT_EQ(w(manager.get_bcode().code), L"G9");
             EXPECT_EQ(manager.get_bcode().open_time, 34200);
             EXPECT_EQ(manager.get_bcode().close_time, 79200);
             EXPECT_EQ(std::wstring(manager.get_anneinfo_code()), L"G9");
         }},
        {"ad", [&] { EXPECT_EQ(w(manager.get_ad()), L"http://127.0.0.1/ad.html"); }},
        {"Music_Volume", [&] {
             EXPECT_EQ(bare.opts.volume, 800u);
             EXPECT_TRUE(bare.opts.mute);
             EXPECT_EQ(bare.opts.info_volume, 700u);
             EXPECT_FALSE(bare.opts.info_mute);
             // With a store, the store's values replace the server's.
             EXPECT_EQ(o.volume, 500u);
             EXPECT_FALSE(o.mute);
             EXPECT_EQ(o.info_volume, 600u);
         }},
        {"libraryitem1", [&] {
             const auto& c = manager.get_categories(0);
             ASSERT_EQ(c.size(), 2u);
             EXPECT_EQ(c[0].level * 10 + c[0].kind, 11);
             EXPECT_EQ(w(c[0].key) + L"/" + w(c[0].caption), L"k1/음악방송");
             EXPECT_EQ(c[1].kind, 3);
             EXPECT_EQ(w(c[1].extra), L"x");
         }},
        {"libraryitem2", [&] {
             const auto& c = manager.get_categories(1);
             ASSERT_EQ(c.size(), 1u);
             EXPECT_EQ(c[0].kind, 7);
             EXPECT_EQ(w(c[0].key) + L"/" + w(c[0].caption), L"a/b");
         }},
        {"libraryitem3", [&] {
             const auto& c = manager.get_categories(2);
             ASSERT_EQ(c.size(), 1u);
             EXPECT_EQ(c[0].kind, 7);
             EXPECT_EQ(w(c[0].key) + L"/" + w(c[0].caption), L"2/3");
             EXPECT_EQ(&manager.get_categories(7), &c);  // any other number is list 2
         }},
        {"playtype, musicquality, priority, output, nor", [&] {
             const int* p = manager.get_play_settings();
             EXPECT_EQ(std::vector<int>(p, p + 10), std::vector<int>({1, 300, 500, 1, 2, 3, 4000, 1, 20, 1500}));
             EXPECT_EQ(o.list_limit, 20u);
             EXPECT_EQ(o.max_bps, 300);
             EXPECT_TRUE(o.packet_retry);
             EXPECT_EQ(o.priority, 2);
             EXPECT_EQ(o.output_buffer, 4000);
             EXPECT_TRUE(o.norm);
             EXPECT_TRUE(services.called(L"set_linger_ms(1500)"));
             EXPECT_TRUE(services.called(L"set_rate_limit(300000)"));
             EXPECT_TRUE(services.called(L"set_cache_limits(10,500,100)"));
             EXPECT_TRUE(services.called(L"set_playback_priority(2)"));
             EXPECT_TRUE(services.called(L"set_normalize(1,7)"));
             EXPECT_TRUE(services.called(L"set_output_buffer(4000)"));
         }},
        {"remote", [&] { EXPECT_TRUE(manager.is_remote()); }},
        {"skin", [&] {
             EXPECT_EQ(manager.get_skin(), 3);
             EXPECT_EQ(o.skin, 3);
             EXPECT_TRUE(services.called(L"tell_skin(3)"));
         }},
        {"duplicate", [&] { EXPECT_EQ(manager.get_user_level(), 2); }},
        {"logo", [&] {
             EXPECT_EQ(w(manager.get_logo_url()), L"http://127.0.0.1/logo.png");
             EXPECT_EQ(w(manager.get_main_logo_url()), L"http://127.0.0.1/main.png");
         }},
        {"vm", [&] {
             EXPECT_EQ(o.vm, 2);
             EXPECT_EQ(o.output_type, 0);
             EXPECT_EQ(services.stored(L"store01", L"app", L"vm"), L"2");
             EXPECT_EQ(services.stored(L"store01", L"app", L"output_type"), L"0");
         }},
        {"(device, instance registry)", [&] {
             EXPECT_EQ(o.device, 1);
             EXPECT_TRUE(services.called(L"register_instance(store01,1)"));
         }},
        {"channel, channeltitle", [&] {
             EXPECT_EQ(w(o.channel), L"음악방송|1053");
             EXPECT_EQ(w(o.login_channel), L"old|1");
             EXPECT_EQ(w(o.channel_title), L"아침 가요");
         }},
        {"listenlog", [&] {
             EXPECT_TRUE(o.listenlog);
             EXPECT_TRUE(services.called(L"set_played_log(1)")) << "the log service writes played tracks";
         }},
        {"anne_volume_linkage", [&] { EXPECT_TRUE(o.anne_volume_linkage_off); }},
        {"fadeinout_time, fadedirect_time, anne_refresh_time, skip", [&] {
             EXPECT_EQ(o.fadeinout_time, 5000);
             EXPECT_EQ(o.fadedirect_time, 800);
             EXPECT_EQ(o.anne_refresh_time, 60);
             EXPECT_EQ(o.skip, 1);
         }},
        {"music_volume_rate", [&] {
             EXPECT_FLOAT_EQ(o.music_volume_rate, 0.55f);
             EXPECT_FLOAT_EQ(bare.opts.music_volume_rate, 0.55f);
         }},
        {"schedulelist", [&] {
             const auto& s = manager.get_schedule_lists();
             ASSERT_EQ(s.size(), 2u);
             EXPECT_EQ(w(s[1].code) + L"/" + w(s[1].name) + L"/" + w(s[1].second_name), L"G10/저녁/B세트");
         }},
        {"server", [&] {
             EXPECT_EQ(services.ini_values[L"client/address"], L"10.0.0.1");
             EXPECT_EQ(services.ini_values[L"client/port"], L"8080");
         }},
        {"logininfo, musicschedule_play, musicschedule_time", [&] {
             EXPECT_TRUE(services.called(L"configure_reservation(L7,1,30)"));
         }},
        {"multi_play", [&] {
             EXPECT_TRUE(services.called(L"start_launcher(store01,real01,2※a¶b※c¶d)"));
             EXPECT_FALSE(o.maximize);
         }},
        {"(the stored options)", [&] {
             EXPECT_EQ(services.favourites, std::vector<std::wstring>({L"1052^테스트 채널", L"1053^아침 가요"}));
             EXPECT_TRUE(services.called(L"set_play_mode(1)"));
             EXPECT_TRUE(services.called(L"select_output(1,1)"));  // the store's type, before "vm"
             EXPECT_TRUE(services.called(L"set_music_volume(500)"));
         }},
        {"(order of the services)", [&] {
             const int steps[] = {services.position(L"clear_favourites"), services.position(L"register_instance"),
                                  services.position(L"set_linger_ms"), services.position(L"set_cache_limits"),
                                  services.position(L"configure_reservation"), services.position(L"tell_skin"),
                                  services.position(L"start_launcher")};
             for (size_t i = 1; i < sizeof(steps) / sizeof(steps[0]); ++i) EXPECT_LT(steps[i - 1], steps[i]) << i;
         }},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.key);
        r.check();
    }
}

// The failure table: the message (byte-exact) and page of each refusal, and
// that nothing of a refused login is left logged in.
TEST_F(login_test, refusals_give_their_messages) {
    serve(R"({"users": [{"userid": "store01", "userpw": "pw01"}, {"userid": "old", "userpw": "pw", "expired": true}],
              "refusal": {"message": "아이디 또는 비밀번호가 일치하지 않습니다.", "url": "http://127.0.0.1/help?a=b"},
              "expired": {"message": "기간이 만료되었습니다.\u0011연장하여 주십시오.", "url": "http://127.0.0.1/pay"}})");
    const wchar_t device_message[] = L"사운드 장치 중복으로 로그인 실패하였습니다";
    struct row {
        const char* name;
        std::function<void()> arrange;
        const wchar_t* user;
        const wchar_t* password;
        const wchar_t* message;
        const wchar_t* url;
        bool request_sent;
    };
    const row rows[] = {
        {"user in use", [&] { services.users_in_use = {L"store01"}; }, L"store01", L"pw01",
         L"현재 아이디로 실행중 입니다", L"", false},
        {"wrong password", [] {}, L"store01", L"wrong", L"아이디 또는 비밀번호가 일치하지 않습니다.",
         L"http://127.0.0.1/help?a=b", true},
        {"expired", [] {}, L"old", L"pw", L"기간이 만료되었습니다.\n연장하여 주십시오.", L"http://127.0.0.1/pay", true},
        {"device in use under the launcher", [&] {
             services.devices_in_use = {0};
             services.under_launcher = true;
         }, L"store01", L"pw01", device_message, L"", true},
        {"device in use, chooser cancelled", [&] { services.devices_in_use = {0}; }, L"store01", L"pw01",
         device_message, L"", true},
        {"no Result=Success", [&] {
             ASSERT_TRUE(server.set_faults({stand_in_fault::of("rux_login_check.php", "no_result")}));
         }, L"store01", L"pw01", L"인터넷이 원할 하지 못하여 로그인을 실패했습니다.\n\n잠시 후 재접속하시기 바랍니다.",
         L"", true},
        {"refused without Result=Success", [&] {
             stand_in_fault f = stand_in_fault::of("rux_login_check.php", "login_false");
             f.message = "사용이 중지된 매장입니다.\x11고객센터로 문의하십시오.";
             f.url = "http://127.0.0.1/stop";
             ASSERT_TRUE(server.set_faults({f}));
         }, L"store01", L"pw01", L"사용이 중지된 매장입니다.\n고객센터로 문의하십시오.", L"http://127.0.0.1/stop", true},
        {"a message alone", [&] {
             stand_in_fault f = stand_in_fault::of("rux_login_check.php", "text");
             f.body = "message=점검 중입니다.";
             ASSERT_TRUE(server.set_faults({f}));
         }, L"store01", L"pw01", L"점검 중입니다.", L"", true},
        {"empty reply", [&] {
             ASSERT_TRUE(server.set_faults({stand_in_fault::of("rux_login_check.php", "empty")}));
         }, L"store01", L"pw01", L"서버에 연결할 수 없습니다\n\n인터넷 상태를 확인하신 후 다시 시도하여 주시기 바랍니다.",
         L"", true},
        {"a reply cut short after its Result=Success", [&] {
             stand_in_fault f = stand_in_fault::of("rux_login_check.php", "cut");
             f.cut_at = 30;  // inside the first keys
             ASSERT_TRUE(server.set_faults({f}));
         }, L"store01", L"pw01", L"인터넷이 원할 하지 못하여 로그인을 실패했습니다.\n\n잠시 후 재접속하시기 바랍니다.",
         L"", true},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        services = fake_login_services();
        ASSERT_TRUE(server.set_faults({}));
        r.arrange();
        const size_t requests_before = server.requests().size();
        EXPECT_FALSE(login(r.user, r.password));
        EXPECT_EQ(w(message), r.message);
        EXPECT_EQ(w(url), r.url);
        EXPECT_EQ(server.requests().size() > requests_before, r.request_sent);
        expect_consistent(false);
        EXPECT_FALSE(services.called(L"register_instance(store01,0)"));
        EXPECT_EQ(services.position(L"start_launcher"), -1);
    }
}

TEST_F(login_test, no_server_is_no_connection) {
    SetEnvironmentVariableW(L"ZEL_SERVICE_HOST",
                            (L"127.0.0.1:" + std::to_wstring(stand_in_server::unused_port())).c_str());
    EXPECT_FALSE(login());
    EXPECT_EQ(w(message), L"서버에 연결할 수 없습니다\n\n인터넷 상태를 확인하신 후 다시 시도하여 주시기 바랍니다.");
    expect_consistent(false);
}

// A service that accepts the connection and never answers: the login ends
// when the HTTP layer gives up, as no connection.
TEST_F(login_test, a_silent_service_is_no_connection) {
    ASSERT_TRUE(server.start_scenario("{}", 300)) << server.error();
    SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", server.host().c_str());
    stand_in_fault silent = stand_in_fault::of("rux_login_check.php", "silent");
    silent.hold_ms = 290000;
    ASSERT_TRUE(server.set_faults({silent}));
    EXPECT_FALSE(login());
    EXPECT_EQ(w(message), L"서버에 연결할 수 없습니다\n\n인터넷 상태를 확인하신 후 다시 시도하여 주시기 바랍니다.");
    expect_consistent(false);
}

TEST_F(login_test, the_chooser_picks_another_device) {
    serve();
    services.devices_in_use = {0};
    services.chooser_answer = 1;
    ASSERT_TRUE(login()) << w(message);
    EXPECT_TRUE(services.called(L"choose_device(0,0)"));
    EXPECT_EQ(services.opts.device, 1);
    EXPECT_TRUE(services.called(L"select_output(0,1)"));
    EXPECT_EQ(services.stored(L"store01", L"app", L"device"), L"1");
    EXPECT_TRUE(services.called(L"register_instance(store01,1)"));
}

// A device index the output does not have becomes the default device.
TEST_F(login_test, an_unknown_device_becomes_the_default) {
    serve();
    services.set_store(L"store01", L"device", L"5");
    ASSERT_TRUE(login()) << w(message);
    EXPECT_EQ(services.opts.device, 0);
    EXPECT_TRUE(services.called(L"register_instance(store01,0)"));
}

// Malformed values of a reply that the service accepted: each is logged and
// skipped, the other keys still apply, and the login either succeeds logged
// in with its credentials or fails logged out (it never reports success
// while logged out, as a guard around the whole reply would).
TEST_F(login_test, malformed_values_are_skipped_and_logged) {
    struct row {
        const char* keys;
        int errors;
        std::function<void(login_manager&)> check;
    };
    const row rows[] = {
        {R"("playtype": "1|2")", 1, [&](login_manager& manager) {
             const int* p = manager.get_play_settings();
             EXPECT_EQ(std::vector<int>(p, p + 10), std::vector<int>({0, 0, 1000, 0, 0, 0, 0, 0, 10, 1000}));
         }},
        {R"("libraryitem1": "1|2^1|1|k|c")", 1, [&](login_manager& manager) {
             ASSERT_EQ(manager.get_categories(0).size(), 1u);
             EXPECT_EQ(w(manager.get_categories(0)[0].key), L"k");
         }},
        {R"("bcode": "G1^nine^ten")", 1, [&](login_manager& manager) {
             EXPECT_EQ(w(manager.get_bcode().code), L"G1");
             EXPECT_EQ(manager.get_bcode().open_time, -1);
             EXPECT_EQ(manager.get_bcode().close_time, -1);
         }},
        {R"("bcode": "G1^09:30")", 0, [&](login_manager& manager) {
             EXPECT_EQ(w(manager.get_bcode().code), L"");
             EXPECT_EQ(manager.get_bcode().open_time, -1);
         }},
        {R"("payment": "1^soon")", 1, [&](login_manager& manager) {
             EXPECT_TRUE(manager.get_payment().paid);
             EXPECT_EQ(manager.get_payment().expiry, timex(0L));
         }},
        {R"("storeinfo": "A^T^M^S^I")", 0, [&](login_manager& manager) { EXPECT_EQ(w(manager.get_store_info().storetop), L""); }},
        {R"("Music_Volume": "-5|x|900")", 0, [&](login_manager& manager) {
             EXPECT_EQ(services.opts.volume, 0u);
             EXPECT_EQ(services.opts.info_volume, 1000u);
         }},
        {R"("servertime": "2030010203040X")", 0, [&](login_manager& manager) {
             EXPECT_EQ(timex::get_normal_time_span().total_seconds(), 0);
         }},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.keys);
        stand_in_server one;
        serve_user_on(one, r.keys);
        if (HasFatalFailure()) return;
        services = fake_login_services();
        services.store_present = false;  // the server's volumes stay
        timex::set_normal_span(timex_span());
        login_manager fresh(services);
        stringx m, u;
        const bool ok = fresh.login(nullptr, L"store01", L"pw01", m, u);
        ASSERT_TRUE(ok) << w(m);
        EXPECT_TRUE(fresh.is_logged_in());
        stringx user, password;
        fresh.get_credentials(user, password);
        EXPECT_EQ(w(user) + L"/" + w(password), L"store01/pw01");
        EXPECT_EQ(parse_errors(), r.errors);
        // What follows the bad value still happens.
        EXPECT_TRUE(services.called(L"register_instance(store01,0)"));
        EXPECT_EQ(services.log.back(), L"로그인 성공");
        r.check(fresh);
    }
}

// Lists of the reply are replaced at each login: a login refused at the
// device check and then repeated, or a second login, shows every category,
// entry and set once.
TEST_F(login_test, repeated_logins_do_not_duplicate_the_lists) {
    serve_user(R"("libraryitem1": "1|1|k1|하나^1|1|k2|둘", "schedulelist": "G1|a|b")");
    services.devices_in_use = {0};
    EXPECT_FALSE(login());  // the chooser is cancelled
    expect_consistent(false);
    services.devices_in_use.clear();
    ASSERT_TRUE(login()) << w(message);
    ASSERT_TRUE(login()) << w(message);
    expect_consistent(true);
    EXPECT_EQ(manager.get_categories(0).size(), 2u);
    EXPECT_EQ(manager.get_anneinfo().size(), 1u);
    EXPECT_EQ(manager.get_schedule_lists().size(), 1u);
}

// A failed attempt keeps what the earlier login brought (store, lists,
// clock), also when the reply is broken. A reply cut after its
// "Result=Success" is refused too: half a store's keys are no login.
TEST_F(login_test, a_failed_login_keeps_the_earlier_store_data) {
    serve_user(R"("libraryitem1": "1|1|k1|하나")");
    ASSERT_TRUE(login()) << w(message);
    for (const char* reply : {"error", "empty", "no_result", "cut"}) {
        SCOPED_TRACE(reply);
        stand_in_fault fault = stand_in_fault::of("rux_login_check.php", reply);
        fault.cut_at = 30;  // inside the first keys, after "Result=Success"
        ASSERT_TRUE(server.set_faults({fault}));
        EXPECT_FALSE(login());
        expect_consistent(false);
        EXPECT_EQ(w(manager.get_store_info().storeid), L"store01");
        EXPECT_EQ(manager.get_categories(0).size(), 1u);
    }
}

// "servertime" of 14 digits sets the client's clock; 13 characters leave it.
TEST_F(login_test, the_server_time_sets_the_clock_only_when_whole) {
    serve(R"({"servertime": "2029063012000"})");
    ASSERT_TRUE(login()) << w(message);
    EXPECT_EQ(w(manager.get_server_time()), L"2029063012000");
    EXPECT_EQ(timex::get_normal_time_span().total_seconds(), 0);

    stand_in_server whole;
    ASSERT_TRUE(whole.start_scenario(R"({"servertime": "20290630120000"})")) << whole.error();
    SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", whole.host().c_str());
    const time_t before = time(nullptr);
    ASSERT_TRUE(login()) << w(message);
    const time_t after = time(nullptr);
    const long server_now = timex(2029, 6, 30, 12, 0, 0).get_time();
    const long span = timex::get_normal_time_span().total_seconds();
    EXPECT_GE(span, server_now - static_cast<long>(after));
    EXPECT_LE(span, server_now - static_cast<long>(before));
    // The client's time now reads as the server's.
    EXPECT_GE(timex().get_time(), server_now);
    EXPECT_EQ(timex().get_year(), 2029);
}

// A multi-store reply hands the stores to a new launcher; a reply whose
// store count is 0 does not, though it still clears the expanded start.
TEST_F(login_test, a_multi_store_reply_starts_the_launcher) {
    const struct {
        const char* value;
        bool starts;
    } rows[] = {{"3※s1¶p1※s2¶p2※s3¶p3", true}, {"0※", false}, {"x※s1", false}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.value);
        stand_in_server one;
        serve_user_on(one, std::string(R"("multi_play": ")") + r.value + "\"");
        if (HasFatalFailure()) return;
        services = fake_login_services();
        services.opts.maximize = true;
        services.set_store(L"store01", L"maximize", L"1");
        ASSERT_TRUE(login()) << w(message);
        const stringx stores = utf::utf8_to_utf16(r.value);
        EXPECT_EQ(services.called(L"start_launcher(store01,pw01," + w(stores) + L")"), r.starts);
        EXPECT_FALSE(services.opts.maximize);
    }
}

// Before any login: the eight default categories in list 0, nothing in the
// others, no credentials.
TEST_F(login_test, before_any_login) {
    const auto& list0 = manager.get_categories(0);
    std::vector<std::wstring> items;
    for (const category_record& c : list0)
        items.push_back(std::to_wstring(c.level) + L"|" + std::to_wstring(c.kind) + L"|" + w(c.key) + L"|" +
                        w(c.caption));
    EXPECT_EQ(items, std::vector<std::wstring>({L"1|1||음악방송", L"2|2||라디오", L"3|4|24hradio|24시간 인터넷 라디오",
                                                L"3|4|nomalradio|지상파 라디오", L"3|4|nomalbro|개인 방송",
                                                L"2|2||즐겨찾기 채널", L"2|6||MP3", L"2|7||CD"}));
    EXPECT_TRUE(manager.get_categories(1).empty());
    EXPECT_TRUE(manager.get_categories(2).empty());
    EXPECT_EQ(manager.get_categories(0).size(), 8u);  // filled once
    const int* p = manager.get_play_settings();
    EXPECT_EQ(std::vector<int>(p, p + 10), std::vector<int>({0, 0, 1000, 0, 0, 0, 0, 0, 10, 1000}));
    EXPECT_EQ(manager.get_user_level(), 1);
    expect_consistent(false);
}

// The reply's values with their edges: the password kept without
// "user_realpw", the rate of the music volume, the priority, the ad page.
TEST_F(login_test, values_at_their_edges) {
    const struct {
        const char* keys;
        float rate;
        int priority;
        const wchar_t* ad;
    } rows[] = {
        {R"("music_volume_rate": "0", "priority": "3", "ad": "0^http://x/ad")", 1.05f, 2, L""},
        {R"("music_volume_rate": "150", "ad": "1^http://x/ad")", 1.05f, 1, L"http://x/ad"},
        {R"("music_volume_rate": "100", "ad": "1^a^b")", 1.05f, 1, L""},
        {R"("music_volume_rate": null)", 1.05f, 1, L""},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.keys);
        stand_in_server one;
        serve_user_on(one, r.keys);
        if (HasFatalFailure()) return;
        services = fake_login_services();
        login_manager fresh(services);
        stringx m, u;
        ASSERT_TRUE(fresh.login(nullptr, L"store01", L"pw01", m, u)) << w(m);
        EXPECT_FLOAT_EQ(services.opts.music_volume_rate, r.rate);
        EXPECT_EQ(services.opts.priority, r.priority);
        EXPECT_EQ(w(fresh.get_ad()), r.ad);
        stringx user, password;
        fresh.get_credentials(user, password);
        EXPECT_EQ(w(password), L"pw01");
        // An ad page tells the skin listeners the skin unchanged.
        EXPECT_EQ(services.called(L"tell_skin(1)"), *r.ad != 0);
    }
}

namespace {
struct recording_listener : anneinfo_listener {
    std::vector<std::wstring> codes;
    void on_anneinfo_code(const wchar_t* code) override { codes.push_back(code); }
};
}  // namespace

TEST_F(login_test, the_announcement_info_code_tells_its_listener) {
    recording_listener listener;
    manager.set_anneinfo_listener(&listener);
    manager.set_anneinfo_code(L"");
    manager.set_anneinfo_code(nullptr);
    EXPECT_TRUE(listener.codes.empty());
    manager.set_anneinfo_code(L"G7");
    EXPECT_EQ(std::wstring(manager.get_anneinfo_code()), L"G7");
    manager.set_anneinfo_listener(nullptr);
    manager.set_anneinfo_code(L"G8");
    EXPECT_EQ(listener.codes, std::vector<std::wstring>{L"G7"});
    EXPECT_EQ(std::wstring(manager.get_anneinfo_code()), L"G8");
}
