// The channel reservations' logic over a fake clock and canned replies: the
// timetable's cases as one table of steps and what the reservations did,
// the timetable's lines, and the network watchdog going down and up; then
// against the stand-in, with a failed channel start and a silent service
// on the player's request workers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "network_watchdog.h"
#include "reservation_test_env.h"
#include "reservation_workers.h"
#include "service_requests.h"
#include "stand_in_server.h"

namespace {

const std::string line12 = "12^09:00:00^10:00:00^345^[스케쥴] 아침";

// One step of a case: "login", "tick" (n times), "at" (the service clock to
// arg, "hh:mm:ss" on the case's day), "ms" (the tick count n further),
// "closing" (the main window goes), "mark" (a "--" among the events).
struct step {
    const char* action;
    int n = 1;
    const char* arg = "";
};

struct reservation_case {
    const char* name;
    bool play;
    int seconds;
    const char* clock;  // "hh:mm:ss" at the start
    int channel;        // playing at the start
    const wchar_t* channel_title;
    bool home;  // the login names the store's channel
    std::vector<std::string> timetable;
    std::vector<std::string> tracks;  // none: every channel request gets one track
    std::vector<step> steps;
    std::vector<std::string> expected;
};

timex at(const char* clock) {
    int h = 0, m = 0, s = 0;
    sscanf(clock, "%d:%d:%d", &h, &m, &s);
    return timex(2026, 3, 2, h, m, s);
}

std::string joined(const std::vector<std::string>& v) {
    std::string out;
    for (const std::string& s : v) out += "  " + s + "\n";
    return out;
}

}  // namespace

TEST(channel_reservation, timetable_cases) {
    // clang-format off
    const std::vector<reservation_case> cases = {
        {"reservations off: nothing is asked for and nothing starts, though the timer ticks", false, 300,
         "09:30:00", 1052, L"테스트 채널", true, {timetable_reply({line12})}, {},
         {{"login"}, {"tick", 2000}}, {}},
        {"a 300 s period: the timetable at login, a tenth of the period after a failure, then every period",
         true, 300, "08:00:00", 1052, L"테스트 채널", true,
         {"", timetable_reply({line12}), timetable_reply({line12})}, {},
         {{"login"}, {"mark"}, {"tick", 149}, {"mark"}, {"tick"}, {"mark"}, {"tick", 1499}, {"mark"}, {"tick"}},
         {"timetable", "--", "--", "timetable", "--", "--", "timetable"}},
        {"the reserved channel plays already: started, stopped at its end and reported, then the store's channel",
         true, 300, "09:30:00", 345, L"[스케쥴] 아침", true, {timetable_reply({line12})}, {},
         {{"login"}, {"tick", 3}, {"at", 1, "09:59:59"}, {"tick"}, {"mark"}, {"at", 1, "10:00:00"}, {"tick", 2}},
         {"timetable", "--", "stop", "report schedule_play_stop 0 345", "tracks 1052", "play 1052"}},
        {"another channel plays: the reserved one starts from the login's check (1)", true, 300, "09:30:00", 1052,
         L"테스트 채널", true, {timetable_reply({line12})}, {}, {{"login"}, {"tick", 3}},
         {"timetable", "tracks 345", "play 345", "report schedule_play 1 345"}},
        {"due later: the timer's check starts it (2); at its end the channel that played before comes back",
         true, 300, "08:59:59", 1053, L"아침 가요", false, {timetable_reply({line12})}, {},
         {{"login"}, {"tick"}, {"mark"}, {"at", 1, "09:00:00"}, {"tick", 2}, {"mark"}, {"at", 1, "10:00:00"},
          {"tick", 2}},
         {"timetable", "--", "tracks 345", "play 345", "report schedule_play 2 345", "--", "stop",
          "report schedule_play_stop 0 345", "tracks 1053", "play 1053"}},
        {"an end not after its start never starts; lines of another shape are skipped", true, 300, "09:30:00",
         1052, L"테스트 채널", true,
         {timetable_reply({"13^10:00:00^09:00:00^345^[스케쥴] 거꾸로", "14^09:00^10:00:00^346^[스케쥴] 둘",
                           "15^09:00:00^10:00:00^347", "x^09:00:00^10:00:00^348^[스케쥴] 셋",
                           "16^09:00:00^10:00:00^349^[스케쥴] 넷^더", "17^09:00:00^10:0x:00^350^[스케쥴] 다섯"})},
         {}, {{"login"}, {"tick", 5}}, {"timetable"}},
        {"a timetable that becomes empty stops the reservation on air", true, 1, "09:30:00", 1052, L"테스트 채널",
         true, {timetable_reply({line12}), timetable_reply({})}, {}, {{"login"}, {"tick", 5}},
         {"timetable", "tracks 345", "play 345", "report schedule_play 1 345", "timetable", "stop"}},
        {"an expired login or a reply without success keeps the list it had", true, 1, "08:59:58", 1052,
         L"테스트 채널", true,
         {timetable_reply({line12}), "Login=False\r\nmessage=x\r\n",
          "OK\r\n20^08:00:00^10:00:00^346^[스케쥴] 다른\r\n"},
         {}, {{"login"}, {"tick", 5}, {"mark"}, {"tick", 5}, {"mark"}, {"at", 1, "09:00:00"}, {"tick", 2}},
         {"timetable", "timetable", "--", "timetable", "--", "tracks 345", "play 345", "report schedule_play 2 345"}},
        {"servertime= of 14 characters sets the service clock before the lines are read", true, 300, "08:00:00",
         1052, L"테스트 채널", true, {timetable_reply({"servertime= 20260302093000 ", line12})}, {},
         {{"login"}, {"tick"}},
         {"timetable", "clock 20260302093000", "tracks 345", "play 345", "report schedule_play 1 345"}},
        {"servertime= of 13 characters is ignored", true, 300, "08:00:00", 1052, L"테스트 채널", true,
         {timetable_reply({"servertime=2026030209300", line12})}, {}, {{"login"}, {"tick", 3}}, {"timetable"}},
        {"while the main window closes no reservation starts", true, 300, "08:59:59", 1052, L"테스트 채널", true,
         {timetable_reply({line12})}, {}, {{"login"}, {"closing"}, {"at", 1, "09:00:00"}, {"tick", 3}},
         {"timetable"}},
        {"a failed channel start is tried again after a pause, not on every tick", true, 300, "09:30:00", 1052,
         L"테스트 채널", true, {timetable_reply({line12})}, {"", one_track_reply},
         {{"login"}, {"tick", 6}, {"mark"}, {"ms", 1999}, {"tick"}, {"ms", 1}, {"tick", 2}},
         {"timetable", "tracks 345", "--", "tracks 345", "play 345", "report schedule_play 2 345"}},
        {"a channel request without an answer is given up after its bound and sent again", true, 300, "09:30:00",
         1052, L"테스트 채널", true, {timetable_reply({line12})}, {"hold", one_track_reply},
         {{"login"}, {"ms", 14999}, {"tick"}, {"mark"}, {"ms", 1}, {"tick"}, {"ms", 2000}, {"tick", 2}},
         {"timetable", "tracks 345", "--", "tracks 345", "play 345", "report schedule_play 2 345"}},
        {"the tracks of a reservation that come after its end do not start it", true, 300, "09:59:59", 1052,
         L"테스트 채널", true, {timetable_reply({line12})}, {}, {{"login"}, {"at", 1, "10:00:00"}, {"tick", 3}},
         {"timetable", "tracks 345"}},
    };
    // clang-format on
    for (const reservation_case& c : cases) {
        SCOPED_TRACE(c.name);
        reservation_test_env env;
        env.now = at(c.clock);
        env.channel = c.channel;
        env.channel_title = c.channel_title;
        env.has_home = c.home;
        for (const std::string& t : c.timetable)
            env.canned[reservation_environment::timetable_slot].push_back(t);
        for (const std::string& t : c.tracks) env.canned[reservation_environment::tracks_slot].push_back(t);
        if (c.tracks.empty())
            for (int i = 0; i < 8; ++i)
                env.canned[reservation_environment::tracks_slot].push_back(one_track_reply);
        channel_reservation reservation(env);
        reservation.configure(L"L1", c.play, c.seconds);
        for (const step& s : c.steps) {
            const std::string a = s.action;
            if (a == "login")
                reservation.on_login();
            else if (a == "tick")
                for (int i = 0; i < s.n; ++i) reservation.tick();
            else if (a == "at")
                env.now = at(s.arg);
            else if (a == "ms")
                env.ticks += static_cast<DWORD>(s.n);
            else if (a == "closing")
                reservation.on_ui_closing();
            else if (a == "mark")
                env.events.push_back("--");
            else
                FAIL() << "unknown step " << a;
        }
        EXPECT_EQ(env.events, c.expected) << "did:\n"
                                          << joined(env.events) << "expected:\n"
                                          << joined(c.expected);
    }
}

TEST(channel_reservation, reports_and_timetable_carry_the_services_fields) {
    reservation_test_env env;
    env.canned[reservation_environment::timetable_slot].push_back(timetable_reply({line12}));
    env.canned[reservation_environment::tracks_slot].push_back(one_track_reply);
    channel_reservation reservation(env);
    reservation.configure(L"L7", true, 300);
    reservation.on_login();
    reservation.tick();
    ASSERT_EQ(env.requests[reservation_environment::timetable_slot].size(), 1u);
    std::vector<std::string> names, values;
    for (const auto& f : env.requests[reservation_environment::timetable_slot][0].fields()) {
        names.push_back(narrow(f.first));
        values.push_back(narrow(f.second));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"userid", "userpw", "loginno", "storemother", "storeno",
                                               "storename", "servertime"}));
    EXPECT_EQ(values, (std::vector<std::string>{"store01", "pw01", "L7", "M001", "S001", "테스트매장", "1"}));
    ASSERT_EQ(env.reports.size(), 1u);
    names.clear();
    values.clear();
    for (const auto& f : env.reports[0].fields()) {
        names.push_back(narrow(f.first));
        values.push_back(narrow(f.second));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"player_state", "control_value", "chkey", "chkeytitle",
                                               "loginno", "storemother", "storeno", "storename"}));
    EXPECT_EQ(values, (std::vector<std::string>{"schedule_play", "1", "345", "[스케쥴] 아침", "L7", "M001",
                                                "S001", "테스트매장"}));
    EXPECT_EQ(reservation.current().id, 12);
    EXPECT_EQ(env.list, L"[스케쥴] 아침");
}

TEST(channel_reservation, channel_changes_name_the_reservation_on_air_and_the_store_channel) {
    reservation_test_env env;
    env.now = at("09:30:00");
    env.channel = 345;
    env.channel_title = L"[스케쥴] 아침";
    env.canned[reservation_environment::timetable_slot].push_back(timetable_reply({line12}));
    channel_reservation reservation(env);
    reservation.configure(L"L1", true, 300);
    reservation.on_login();
    EXPECT_EQ(reservation.current().id, 0);
    reservation.on_channel_changed(L"[스케쥴] 아침");
    EXPECT_EQ(reservation.current().id, 12);
    // A channel the user chose is no reservation: a later empty timetable
    // leaves it playing.
    env.channel = 1053;
    env.channel_title = L"아침 가요";
    reservation.on_channel_changed(L"아침 가요");
    EXPECT_EQ(reservation.current().id, 0);
    EXPECT_EQ(reservation.current().chkey, 1053);
    reservation.on_channel_changed(L"");
    EXPECT_EQ(reservation.current().chkey, 0);
}

TEST(timetable_text, lines_and_server_times) {
    const timex day = timex(2026, 3, 2, 15, 0, 0);
    struct line_case {
        const wchar_t* line;
        bool read;
        int id, chkey;
        const char* start;  // "hh:mm:ss" on the day
        const char* end;
    };
    const line_case lines[] = {
        {L"12^09:00:00^10:00:00^345^[스케쥴] 아침", true, 12, 345, "09:00:00", "10:00:00"},
        {L"7^9:5:0^23:59:59^1^제목", true, 7, 1, "09:05:00", "23:59:59"},
        {L"12^09:00:00^10:00:00^345^", true, 12, 345, "09:00:00", "10:00:00"},
        {L"12^09:00^10:00:00^345^t", false, 0, 0, "", ""},
        {L"12^09:00:00^10:00:00:00^345^t", false, 0, 0, "", ""},
        {L"12^09:00:00^10:00:00^345", false, 0, 0, "", ""},
        {L"12^09:00:00^10:00:00^345^t^u", false, 0, 0, "", ""},
        {L"a^09:00:00^10:00:00^345^t", false, 0, 0, "", ""},
        {L"12^09:00:00^10:00:00^^t", false, 0, 0, "", ""},
        {L"12^-9:00:00^10:00:00^345^t", false, 0, 0, "", ""},
        {L"", false, 0, 0, "", ""},
    };
    for (const line_case& c : lines) {
        SCOPED_TRACE(narrow(c.line));
        timetable_record r;
        ASSERT_EQ(timetable_text::read_line(c.line, day, r), c.read);
        if (!c.read) continue;
        EXPECT_EQ(r.id, c.id);
        EXPECT_EQ(r.chkey, c.chkey);
        EXPECT_EQ(r.start, at(c.start));
        EXPECT_EQ(r.end, at(c.end));
    }
    struct time_case {
        const wchar_t* line;
        bool read;
        const char* clock;
    };
    const time_case times[] = {
        {L"servertime=20260302093000", true, "09:30:00"},
        {L"servertime=  20260302235959\t", true, "23:59:59"},
        {L"servertime=2026030209300", false, ""},    // 13 characters
        {L"servertime=202603020930000", false, ""},  // 15
        {L"servertime=2026030209300x", false, ""},
        {L"servertime=", false, ""},
        {L"ServerTime=20260302093000", false, ""},
        {L"12^09:00:00^10:00:00^345^t", false, ""},
    };
    for (const time_case& c : times) {
        SCOPED_TRACE(narrow(c.line));
        timex t(0L);
        ASSERT_EQ(timetable_text::read_servertime(c.line, t), c.read);
        if (c.read) {
            EXPECT_EQ(t, at(c.clock));
        }
    }
}

namespace {

class switched_probe : public network_probe {
public:
    bool up = true;
    int looks = 0;
    bool is_up() override {
        ++looks;
        return up;
    }
};

}  // namespace

TEST(network_watchdog, down_then_up_gives_one_refresh_and_one_check) {
    reservation_test_env env;
    env.now = at("08:59:00");
    // A reservation that falls due while the network is down: its channel
    // request finds no service, and the network's return starts it.
    for (int i = 0; i < 3; ++i)
        env.canned[reservation_environment::timetable_slot].push_back(timetable_reply({line12}));
    env.canned[reservation_environment::tracks_slot].push_back("");
    env.canned[reservation_environment::tracks_slot].push_back(one_track_reply);
    channel_reservation reservation(env);
    reservation.configure(L"L1", true, 3600);
    switched_probe probe;
    network_watchdog watchdog(probe, [&] { reservation.on_network_back(); });
    reservation.on_login();
    for (int i = 0; i < 5; ++i) watchdog.tick();  // up all along: nothing
    EXPECT_EQ(env.count("timetable"), 1);

    probe.up = false;
    for (int i = 0; i < 5; ++i) watchdog.tick();
    env.now = at("09:00:00");
    reservation.tick();  // the start finds no service
    reservation.tick();
    EXPECT_EQ(env.count("tracks 345"), 1);
    EXPECT_EQ(reservation.checks(channel_reservation::network_back), 0);

    probe.up = true;
    for (int i = 0; i < 10; ++i) watchdog.tick();
    EXPECT_EQ(env.count("timetable"), 2);
    EXPECT_EQ(reservation.checks(channel_reservation::network_back), 1);
    reservation.tick();
    EXPECT_EQ(env.count("report schedule_play 3 345"), 1) << joined(env.events);
    EXPECT_EQ(probe.looks, 20);

    // More than 200 streams in a row that could not be opened count as a
    // lost network: the next look that finds it up refreshes once.
    stream_error_counter errors(watchdog);
    for (int i = 0; i < 200; ++i) errors.on_error(0);
    errors.on_error(1);  // another kind counts nothing
    watchdog.tick();
    EXPECT_EQ(env.count("timetable"), 2);
    errors.on_error(0);
    EXPECT_EQ(errors.count(), 0);
    for (int i = 0; i < 3; ++i) watchdog.tick();
    EXPECT_EQ(env.count("timetable"), 3);
    EXPECT_EQ(reservation.checks(channel_reservation::network_back), 2);
}

namespace {

// The reservations' surroundings with the player's request workers: the
// requests go to the service host of the environment (the stand-in) on
// threads of their own.
class worker_env : public reservation_test_env {
public:
    reservation_workers workers;
    bool start_request(slot s, const service_request& request) override {
        events.push_back(s == timetable_slot ? std::string("timetable")
                                             : "tracks " + field(request, L"chkey"));
        return workers.start(s, request);
    }
    bool take_reply(slot s, service_reply& reply) override { return workers.take(s, reply); }
    void abandon(slot s) override {
        ++abandons[s];
        workers.abandon(s);
    }
};

const char stand_in_store[] = R"({"servertime": "20260302093000", "timetable": [
    {"id": "12", "start": "09:00:00", "end": "10:00:00", "chkey": "1053", "title": "[스케쥴] 아침"},
    "13^09:00^10:00:00^1052^[스케쥴] 틀림"]})";

std::vector<std::string> scripts_of(const stand_in_server& server) {
    std::vector<std::string> out;
    for (const recorded_request& r : server.requests()) out.push_back(r.path());
    return out;
}

}  // namespace

TEST(channel_reservation, stand_in_timetable_tracks_and_reports_with_a_failed_start) {
    stand_in_server server;
    ASSERT_TRUE(server.start_scenario(stand_in_store)) << server.error();
    stand_in_fault empty = stand_in_fault::of("rux_song_check.php", "empty");
    empty.times = 1;
    ASSERT_TRUE(server.set_faults({empty}));
    reservation_test_env env;
    env.host = server.host();
    env.now = at("08:00:00");
    channel_reservation reservation(env);
    reservation.configure(L"L1", true, 300);
    reservation.on_login();
    ASSERT_EQ(reservation.records().size(), 1u);
    reservation.tick();  // the empty reply: tried again after a pause
    env.ticks += 2000;
    reservation.tick();
    reservation.tick();
    env.now = at("10:00:00");
    reservation.tick();
    reservation.tick();
    EXPECT_EQ(env.events,
              (std::vector<std::string>{"timetable", "clock 20260302093000", "tracks 1053", "tracks 1053",
                                        "play 1053", "report schedule_play 2 1053", "stop",
                                        "report schedule_play_stop 0 1053", "tracks 1052", "play 1052"}));
    EXPECT_EQ(server.state("report"),
              (std::vector<std::vector<std::string>>{{"schedule_play", "2", "1053"},
                                                     {"schedule_play_stop", "0", "1053"}}));
    EXPECT_EQ(scripts_of(server),
              (std::vector<std::string>{"/rux/rux_mytimetable_check.php", "/rux/rux_song_check.php",
                                        "/rux/rux_song_check.php", "/rux/rux_player_state.php",
                                        "/rux/rux_player_state.php", "/rux/rux_song_check.php"}));
}

TEST(channel_reservation, a_silent_service_holds_nothing_up_and_is_asked_again) {
    stand_in_server server;
    ASSERT_TRUE(server.start_scenario(stand_in_store)) << server.error();
    stand_in_fault silent = stand_in_fault::of("rux_mytimetable_check.php", "silent");
    silent.hold_ms = 4000;
    silent.times = 1;
    ASSERT_TRUE(server.set_faults({silent}));
    SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", server.host().c_str());
    worker_env env;
    env.now = at("08:00:00");
    channel_reservation reservation(env);
    reservation.configure(L"L1", true, 10);  // a refresh every 50 ticks; a failed one again after 5

    DWORD longest = 0;
    auto timed = [&](const std::function<void()>& f) {
        const DWORD t0 = GetTickCount();
        f();
        longest = std::max<DWORD>(longest, GetTickCount() - t0);
    };
    timed([&] { reservation.on_login(); });
    for (int i = 0; i < 5; ++i) {
        timed([&] { reservation.tick(); });
        Sleep(100);
    }
    EXPECT_LT(longest, 500u) << "the user-interface thread waited for the silent service";
    EXPECT_TRUE(reservation.records().empty());
    EXPECT_EQ(env.count("timetable"), 1);

    // Its bound passes: given up as unanswered, asked again a second later.
    env.ticks += channel_reservation::request_bound_ms;
    reservation.tick();
    EXPECT_EQ(env.abandons[reservation_environment::timetable_slot], 1);
    EXPECT_EQ(env.log.back(), L"채널 예약 방송 페이지, 서버 접속 실패");
    for (int i = 0; i < 3; ++i) reservation.tick();
    EXPECT_EQ(env.count("timetable"), 1);
    reservation.tick();  // the fifth tick from the one that gave up
    EXPECT_EQ(env.count("timetable"), 2);
    for (int i = 0; i < 100 && reservation.records().empty(); ++i) {
        Sleep(50);
        timed([&] { reservation.tick(); });
    }
    EXPECT_EQ(reservation.records().size(), 1u);
    EXPECT_LT(longest, 500u);
    SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", nullptr);
}

TEST(reservation_workers, reports_leave_one_after_another_in_their_order) {
    stand_in_server server;
    ASSERT_TRUE(server.start_scenario("{}")) << server.error();
    // The first report is answered slowly: the second must not overtake it.
    stand_in_fault slow = stand_in_fault::of("rux_player_state.php", "slow");
    slow.wait_ms = 1500;
    slow.times = 1;
    ASSERT_TRUE(server.set_faults({slow}));
    SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", server.host().c_str());
    reservation_workers workers;
    const store_info store = test_identity().store;
    const DWORD t0 = GetTickCount();
    workers.send_report(schedule_play_request(store, true, 2, 345, L"[스케쥴] 아침", L"L1"));
    workers.send_report(schedule_play_request(store, false, 0, 345, L"[스케쥴] 아침", L"L1"));
    workers.send_report(schedule_play_request(store, true, 3, 346, L"[스케쥴] 점심", L"L1"));
    EXPECT_LT(GetTickCount() - t0, 300u) << "a report held its sender";
    for (int i = 0; i < 10; ++i) {
        Sleep(50);
        workers.pump_reports();
    }
    EXPECT_LE(server.state("report").size(), 1u) << "a report left before the one ahead of it was answered";
    for (int i = 0; i < 100 && (workers.reports_waiting() > 0 || server.state("report").size() < 3); ++i) {
        Sleep(50);
        workers.pump_reports();
    }
    EXPECT_EQ(server.state("report"),
              (std::vector<std::vector<std::string>>{{"schedule_play", "2", "345"},
                                                     {"schedule_play_stop", "0", "345"},
                                                     {"schedule_play", "3", "346"}}));
    SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", nullptr);
}
