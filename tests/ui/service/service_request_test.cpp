// The requests of the service as they go on the wire: every request is built,
// posted to the stand-in and its recorded body compared byte for byte.
#include <gtest/gtest.h>
#include <functional>
#include <string>
#include "service_host.h"
#include "service_requests.h"
#include "service_test_identity.h"
#include "stand_in_server.h"

namespace {

request_identity sample_identity() {
    request_identity id = test_identity(L"강남점", L"p w&=1");
    id.pc.pc_ostime = L"20090102_080509";
    id.pc.pc_pgtime = L"20120315_093000";
    id.pc.hddidx = L"  WD-123";
    id.volumes.music = 1000;
    id.volumes.announcement = 5;
    id.volumes.music_mute = true;
    id.volumes.announcement_mute = false;
    return id;
}

// The groups of sample_identity() as they are sent ("강남점" in code page
// 949, every byte but letters and digits escaped with two hex digits).
const std::string store_group = "storetop=T001&storemother=M001&storecode=S001";
const std::string pc_group = "usermac=001A2B3C4D5E&pc_ostime=20090102%5f080509&pc_pgtime=20120315%5f093000"
                             "&hddidx=++WD%2d123";
const std::string volume_group = "music_volume=100&anne_volume=1&music_volume_mute=1&anne_volume_mute=0";
const std::string report_group = "player_state=player%5fatt&userid=store01&storemother=M001&storecode=S001"
                                 "&storename=%b0%ad%b3%b2%c1%a1&storeid=store01&" + pc_group;
const std::string credentials = "userid=store01&userpw=p+w%26%3d1";
const std::string music_list = "%c0%bd%be%c7%b9%e6%bc%db";           // 음악방송
const std::string channel_title = "%c5%d7%bd%ba%c6%ae+%c3%a4%b3%ce";  // 테스트 채널
const std::string schedule_head = store_group + "&" + credentials + "&anneinfo_code=G001";

struct wire_case {
    const char* name;
    std::function<service_request(const request_identity&)> build;
    const char* path;
    std::string body;
};

std::vector<wire_case> wire_cases() {
    anne_schedule_values values;
    values.playtime = timex_span(75);
    values.weekday_mask = 42;
    values.apptime = timex_span(0, 9, 5, 0);
    values.volume = 80;
    values.mute = true;
    anne_schedule_values every_day = values;
    every_day.weekday_mask = 127;
    every_day.mute = false;
    return {
        {"login", [](const request_identity& id) {
             return login_request(L"store01", L"p w&=1", L"", id.pc, id.volumes, L"", true, 1);
         }, "/rux/rux_login_check.php",
         credentials + "&pg_ver=1%2e0%2e0%2e0%2e0&" + pc_group + "&" + volume_group + "&channel=NULL&vmpc=1"},
        {"login without credentials or settings store", [](const request_identity& id) {
             return login_request(L"", nullptr, L"2.1", id.pc, id.volumes, L"음악방송|1052", false, 1);
         }, "/rux/rux_login_check.php",
         "pg_ver=2%2e1&" + pc_group + "&" + volume_group + "&channel=" + music_list + "%7c1052"},
        {"automatic login of a known PC", [](const request_identity& id) { return pc_login_request(id.pc); },
         "/rux/rux_player_state.php", pc_group},
        {"PC authentication code", [](const request_identity& id) { return pc_auth_request(id); },
         "/rux/rux_player_state.php", report_group},
        {"music volume", [](const request_identity& id) { return volume_report_request(id, false, false); },
         "/rux/rux_player_state.php", report_group + "&player_state=music%5fvolume&value=100"},
        {"music mute", [](const request_identity& id) { return volume_report_request(id, false, true); },
         "/rux/rux_player_state.php", report_group + "&player_state=music%5fvolume%5fmute&value=1"},
        {"announcement volume", [](const request_identity& id) { return volume_report_request(id, true, false); },
         "/rux/rux_player_state.php", report_group + "&player_state=anne%5fvolume&value=1"},
        {"announcement mute", [](const request_identity& id) { return volume_report_request(id, true, true); },
         "/rux/rux_player_state.php", report_group + "&player_state=anne%5fvolume%5fmute&value=0"},
        {"announcement on air", [](const request_identity& id) {
             return anne_direct_request(id, true, L"오픈 안내", L"zel2://127.0.0.1/a.mp3");
         }, "/rux/rux_player_state.php",
         report_group + "&player_state=anne%5fdirect%5fplay&player_title=%bf%c0%c7%c2+%be%c8%b3%bb"
                        "&player_file=zel2%3a%2f%2f127%2e0%2e0%2e1%2fa%2emp3"},
        {"announcement stopped without an entry", [](const request_identity& id) {
             return anne_direct_request(id, false, nullptr, nullptr);
         }, "/rux/rux_player_state.php", report_group + "&player_state=anne%5fdirect%5fstop&player_title=&player_file="},
        {"play stop", [](const request_identity& id) { return play_state_request(id.store, player_state::play_stop); },
         "/rux/rux_player_state.php", "storecode=S001&player_state=play%5fstop"},
        {"player exit", [](const request_identity& id) { return play_state_request(id.store, player_state::player_exit); },
         "/rux/rux_player_state.php", "storecode=S001&player_state=player%5fexit"},
        {"favourite added", [](const request_identity& id) {
             return favourite_request(id, true, L"1052", L"테스트 채널", true);
         }, "/rux/rux_player_state.php",
         "player_state=favorite%5fch&chkey=1052&title=" + channel_title +
             "&storemother=M001&storecode=S001&storename=%b0%ad%b3%b2%c1%a1&storeid=store01&" + pc_group},
        {"favourite removed", [](const request_identity& id) {
             return favourite_request(id, false, L"1052", L"테스트 채널", true);
         }, "/rux/rux_player_state.php",
         "player_state=favorite%5fch%5fdel&chkey=1052&title=" + channel_title +
             "&storemother=M001&storecode=S001&storename=%b0%ad%b3%b2%c1%a1&storeid=store01&" + pc_group},
        {"radio favourite added", [](const request_identity& id) {
             return favourite_request(id, true, L"http://127.0.0.1/live", L"라디오1", false);
         }, "/rux/rux_player_state.php",
         "player_state=favorite%5fch&chkey=http%3a%2f%2f127%2e0%2e0%2e1%2flive&title=%b6%f3%b5%f0%bf%c01"
         "&storemother=M001&storecode=S001&storename=%b0%ad%b3%b2%c1%a1&storeid=store01"},
        {"reserved channel started", [](const request_identity& id) {
             return schedule_play_request(id.store, true, 2, 1053, L"테스트 채널", L"L1");
         }, "/rux/rux_player_state.php",
         "player_state=schedule%5fplay&control_value=2&chkey=1053&chkeytitle=" + channel_title +
             "&loginno=L1&storemother=M001&storeno=S001&storename=%b0%ad%b3%b2%c1%a1"},
        {"reserved channel stopped", [](const request_identity& id) {
             return schedule_play_request(id.store, false, 2, 1053, L"테스트 채널", L"L1");
         }, "/rux/rux_player_state.php",
         "player_state=schedule%5fplay%5fstop&control_value=0&chkey=1053&chkeytitle=" + channel_title +
             "&loginno=L1&storemother=M001&storeno=S001&storename=%b0%ad%b3%b2%c1%a1"},
        {"timetable", [](const request_identity& id) { return timetable_request(id, L"L1"); },
         "/rux/rux_mytimetable_check.php",
         credentials + "&loginno=L1&storemother=M001&storeno=S001&storename=%b0%ad%b3%b2%c1%a1&servertime=1"},
        {"store detail", [](const request_identity&) {
             return store_detail_request(L"T001", L"M001", L"S002", L"B");
         }, "/rux/rux_mana_view.php", "storetop=T001&storemother=M001&storecode=S002&storelevel=B"},
        {"notices", [](const request_identity& id) { return notice_request(id); }, "/rux/rux_noticelist.php",
         store_group + "&storelevel=A&" + volume_group},
        {"played-tracks log", [](const request_identity& id) { return log_upload_request(id, L"a\tb\r\n1"); },
         "/rux/rux_log_check.php",
         store_group + "&storeid=store01&" + pc_group + "&log_content=a%09b%0d%0a1%5bDATA%5fEND%5d"},
        {"channel list", [](const request_identity& id) { return channel_list_request(id, L"음악방송"); },
         "/rux/rux_channel_check.php", store_group + "&userpw=p+w%26%3d1&flag=" + music_list},
        {"radio list", [](const request_identity& id) { return radio_list_request(id, L"24hradio", true); },
         "/rux/rux_channel_check.php", "flag=24hradio&" + store_group + "&userid=store01"},
        {"radio list before login", [](const request_identity& id) {
             return radio_list_request(id, L"24hradio", false);
         }, "/rux/rux_channel_check.php", "flag=24hradio&storetop=0&storemother=0&storecode=0&userid=0"},
        {"channel tracks", [](const request_identity& id) {
             return track_request(id, track_request_kind::channel_tracks, 1052, L"테스트 채널");
         }, "/rux/rux_song_check.php",
         store_group + "&userpw=p+w%26%3d1&brotype=3&ch_title=" + channel_title + "&" + pc_group + "&" +
             volume_group + "&chkey=1052&clickchk=1"},
        {"channel selected", [](const request_identity& id) {
             return track_request(id, track_request_kind::select, 1052, L"테스트 채널");
         }, "/rux/rux_song_check.php",
         store_group + "&userpw=p+w%26%3d1&brotype=3&ch_title=" + channel_title + "&" + pc_group +
             "&chkey=1052&clickchk=0"},
        {"last channel restored", [](const request_identity& id) {
             return track_request(id, track_request_kind::select_checked, 1052, L"");
         }, "/rux/rux_song_check.php",
         store_group + "&userpw=p+w%26%3d1&brotype=3&ch_title=&chkey=1052&clickchk=1&" + pc_group},
        {"automatic channel", [](const request_identity& id) {
             return track_request(id, track_request_kind::select_auto, 1052, L"unused");
         }, "/rux/rux_song_check.php",
         store_group + "&userpw=p+w%26%3d1&brotype=3&chkey=1052&clickchk=1&" + pc_group},
        {"announcement list", [](const request_identity& id) { return anne_list_request(id, L"G001"); },
         "/rux/rux_anne_check.php", "storeguideno=G001&" + store_group + "&" + credentials + "&" + volume_group},
        {"announcement library", [](const request_identity& id) { return anne_library_request(id, L"T"); },
         "/rux/rux_anne_library.php", store_group + "&" + credentials + "&usertype=A&flag=T"},
        {"whole announcement library", [](const request_identity& id) { return anne_library_request(id, L""); },
         "/rux/rux_anne_library.php", store_group + "&" + credentials + "&usertype=A"},
        {"store hours without closing minute", [](const request_identity& id) {
             return store_hours_request(id, L"G001", L"09", L"30", L"22", L"");
         }, "/rux/rux_anne_check.php",
         "storeguideno=G001&" + store_group + "&" + credentials +
             "&storeopen_hour=09&storeopen_minute=30&storeclose_hour=22&flag=update"},
        {"reservation list", [](const request_identity& id) { return anne_schedule_list_request(id, L"G001"); },
         "/rux/rux_anne_schedule.php", schedule_head},
        {"reservation insert", [values](const request_identity& id) {
             return anne_schedule_insert_request(id, L"G001", L"L01", L"오픈 안내", L"안내", L"c1", values);
         }, "/rux/rux_anne_schedule.php",
         schedule_head + "&flag=insert&anne_code=L01&anneinfo_title=%bf%c0%c7%c2+%be%c8%b3%bb"
                         "&category_k=%be%c8%b3%bb&category_e=c1&anne_playtime=75&anne_weekdata=0101010"
                         "&anne_apptime=09%3a05%3a00&anne_volume=80&anne_mute=1"},
        {"reservation update", [every_day](const request_identity& id) {
             return anne_schedule_update_request(id, L"G001", L"LK1", L"CK1", every_day);
         }, "/rux/rux_anne_schedule.php",
         schedule_head + "&flag=update&listkey=LK1&comkey=CK1&anne_playtime=75&anne_weekdata=1111111"
                         "&anne_apptime=09%3a05%3a00&anne_volume=80&anne_mute=0"},
        {"reservation delete", [](const request_identity& id) {
             return anne_schedule_delete_request(id, L"G001", L"LK1", L"CK1", L"c1");
         }, "/rux/rux_anne_schedule.php", schedule_head + "&flag=delete&listkey=LK1&comkey=CK1&category_e=c1"},
        {"reservation detail", [](const request_identity& id) {
             return anne_schedule_detail_request(id, L"G001", L"LK1");
         }, "/rux/rux_anne_schedule.php", schedule_head + "&flag=select%5fcom&listkey=LK1"},
        {"reservations applied", [](const request_identity&) { return schedule_apply_request(L"G001"); },
         "/rux/schedule_save_ok.php", "anneinfo_code=G001"},
    };
}

}  // namespace

TEST(service_request, volume_group_follows_the_volume_rule) {
    struct {
        int volume;
        int sent;
    } cases[] = {{0, 1}, {5, 1}, {10, 1}, {19, 1}, {20, 2}, {999, 99}, {1000, 100}, {-30, 1}};
    for (const auto& c : cases) EXPECT_EQ(volume_field_value(c.volume), c.sent) << c.volume;

    service_request r(service_script::notice_list);
    volume_levels levels;
    levels.music = 0;
    levels.announcement = 1000;
    levels.announcement_mute = true;
    r.add_volume_group(levels);
    service_request::field_list expected = {
        {L"music_volume", L"1"}, {L"anne_volume", L"100"}, {L"music_volume_mute", L"0"}, {L"anne_volume_mute", L"1"}};
    EXPECT_EQ(r.fields(), expected);
}

TEST(service_requests, every_request_goes_out_with_its_exact_body) {
    stand_in_server server;
    ASSERT_TRUE(server.start()) << server.error();
    ASSERT_TRUE(server.set_replies({canned_reply::text("Result=Success\r\n")}));
    request_identity id = sample_identity();
    std::vector<wire_case> cases = wire_cases();
    for (const wire_case& c : cases) {
        service_reply reply = c.build(id).send_to(server.host().c_str());
        EXPECT_EQ(reply.status(), reply_status::success) << c.name;
    }
    std::vector<recorded_request> requests = server.requests();
    ASSERT_EQ(requests.size(), cases.size());
    for (size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(requests[i].method, "POST") << cases[i].name;
        EXPECT_EQ(requests[i].path(), cases[i].path) << cases[i].name;
        EXPECT_EQ(requests[i].body, cases[i].body) << cases[i].name;
        EXPECT_EQ(requests[i].header("Content-Type"), "application/x-www-form-urlencoded") << cases[i].name;
    }
}

TEST(service_requests, a_second_player_state_follows_the_first_in_the_body) {
    // The service reads the last "player_state" of a volume report: the
    // report group's "player_att" must stay first, the change second.
    service_request r = volume_report_request(sample_identity(), false, false);
    std::vector<std::wstring> states;
    for (const auto& f : r.fields())
        if (f.first == L"player_state") states.push_back(f.second);
    EXPECT_EQ(states, (std::vector<std::wstring>{L"player_att", L"music_volume"}));
    EXPECT_EQ(r.fields().back().first, L"value");
}

TEST(service_request, sends_to_the_host_of_the_service_setting) {
    stand_in_server server;
    ASSERT_TRUE(server.start()) << server.error();
    ASSERT_TRUE(server.set_replies({canned_reply::text("Result=Success")}));
    wchar_t saved[256] = L"";
    bool had = GetEnvironmentVariableW(L"ZEL_SERVICE_HOST", saved, 256) > 0;

    SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", server.host().c_str());
    service_reply reply = schedule_apply_request(L"G001").send();
    EXPECT_EQ(reply.status(), reply_status::success);
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].header("Host"), "127.0.0.1:" + std::to_string(server.port()));

    // No host configured: no connection, and nothing is sent anywhere.
    SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", nullptr);
    if (service_host::request_host().length() == 0) {
        EXPECT_EQ(schedule_apply_request(L"G001").send().status(), reply_status::no_connection);
        EXPECT_EQ(server.requests().size(), 1u);
    }
    SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", had ? saved : nullptr);
}

TEST(service_request, a_host_without_a_server_is_no_connection) {
    std::wstring host = L"127.0.0.1:" + std::to_wstring(stand_in_server::unused_port());
    service_reply reply = schedule_apply_request(L"G001").send_to(host.c_str());
    EXPECT_FALSE(reply.connected());
    EXPECT_EQ(reply.status(), reply_status::no_connection);
    EXPECT_TRUE(reply.lines().empty());
}
