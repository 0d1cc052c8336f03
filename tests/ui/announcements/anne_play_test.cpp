// An announcement end to end over the registry's real players: the service
// stand-in serves the store's list, a music track and the announcement file;
// the scheduler starts the announcement, the starter fades the playing music
// out on its timer and the announcement player plays the "zel2://" file
// through the track stream and the engine into the capture output; when it
// has played, the music fades back in.
#include <gtest/gtest.h>
#include "anne_scheduler.h"
#include "anne_test_env.h"
#include "channel_test_support.h"
#include "fade_timers.h"
#include "fake_service_link.h"
#include "init_quit.h"
#include "service_client.h"
#include "quiet_client_services.h"
#include "stand_in_server.h"

namespace {

// The registry's players, the real tick count and fade timers, the list of
// a service client; the clock and the ducker stay the test's.
class registry_env : public test_anne_env {
public:
    explicit registry_env(service_client& c) : client(c) {}
    service_client& client;
    DWORD tick_count() override { return GetTickCount(); }
    play_manager* player(bool is_music) override { return core::get_player(is_music); }
    bool load_anne_list(std::vector<anne_record>& list, bool fetch) override {
        return client.load_anne_list(list, fetch);
    }
    void start_announcement(const anne_record& record, unsigned fade_ms) override {
        test_anne_env::start_announcement(record, fade_ms);
        start_anne_starter(*this, record, fade_ms, true);
    }
};

bool asked_for(const stand_in_server& server, const char* path) {
    for (const recorded_request& r : server.requests())
        if (r.method == "GET" && r.path() == path) return true;
    return false;
}

struct anne_play_test : channel_test::player_fixture {
    void SetUp() override {
        channel_test::player_fixture::SetUp();
        anne = core::get_player(false);
        ASSERT_NE(anne, nullptr);
        anne->stop(0);
        anne->remove_all_playlists();
        anne_list = anne->create_playlist(L"안내방송", true);
        anne->set_active_playlist(anne_list->id().c_str());
        anne->set_current_playlist(anne_list->id().c_str());
        anne->set_play_mode(3);
        anne->set_mute(false);
    }
    void TearDown() override {
        if (anne) {
            anne->stop(0);
            channel_test::pump_until([&] { return !anne->is_playing(); });
            anne->remove_all_playlists();
        }
        channel_test::player_fixture::TearDown();
    }
    play_manager* anne = nullptr;
    playlist* anne_list = nullptr;
};

}  // namespace

TEST_F(anne_play_test, scheduled_announcement_fades_the_music_out_plays_and_the_music_returns) {
    stand_in_server server;
    ASSERT_TRUE(server.start_scenario(R"({
      "announcements": [{"code": "A01", "start": "09:00:00", "length": "2", "flag": "0", "title": "오픈 안내",
                         "volume": "70", "file": "e2e_a01.mp3", "seconds": 2}],
      "channels": [{"id": 1052, "extra": "", "tempo": "nomal", "title": "테스트 채널", "description": "",
                    "genre": "", "purpose": "", "tracks": [
        {"number": 101, "length": "60", "offset": "0", "title": "곡1", "artist": "가수1", "album": "앨범",
         "file": "e2e_m101.mp3", "seconds": 60}]}]})",
                                      120))
        << server.error();
    SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", server.host().c_str());
    fake_service_link link;
    link.host = server.host();
    quiet_client_services services;
    services.the_link = &link;
    service_client client(services);

    // The music plays a track of the service.
    std::vector<track_record> tracks;
    ASSERT_TRUE(client.get_channel_tracks(1052, L"테스트 채널", tracks));
    ASSERT_EQ(tracks.size(), 1u);
    std::vector<list_info> entries(1);
    list_info::set_string(entries[0].path, tracks[0].path);
    channel_list->add(entries);
    music->play(channel_list->at(0));
    ASSERT_TRUE(channel_test::pump_until([&] { return music->is_playing(); }, 20000));
    music->set_volume(1000);

    registry_env env(client);
    env.opts.fadeinout_time = 1500;
    env.opts.volume = 1000;
    env.listener.volumes = true;
    anne_scheduler scheduler(env);
    env.now = timex(2026, 3, 2, 8, 59, 57);
    scheduler.on_login();
    ASSERT_EQ(scheduler.records().size(), 1u);

    // The scheduler's 200 ms ticks, the service clock a second further each.
    const DWORD began = GetTickCount();
    bool on_air = false;
    for (int i = 0; i < 100 && !on_air; ++i) {
        if (i < 6) {
            scheduler.tick();
            env.now = env.now + timex_span(1);
        }
        channel_test::pump_until([] { return false; }, 200);
        // The scheduler's clock runs ahead of the fade's: its own on_air
        // comes first, the starter's when the file is on the player.
        on_air = env.listener.count("air A01") == 2 && anne_list->count() == 1;
    }
    std::string diagnosis;
    for (const auto& e : env.listener.events) diagnosis += e + ", ";
    for (const recorded_request& r : server.requests()) diagnosis += r.method + " " + r.path() + ", ";
    ASSERT_TRUE(on_air) << diagnosis;
    EXPECT_EQ(env.starts, (std::vector<std::string>{"A01@08:59:59 1500"}));
    EXPECT_GE(GetTickCount() - began, 1500u);
    // The music went down step by step to silence, and stays there.
    std::vector<unsigned> heard;
    for (const auto& e : env.listener.events)
        if (e.rfind("vol ", 0) == 0) heard.push_back(static_cast<unsigned>(std::stoul(e.substr(4))));
    ASSERT_GE(heard.size(), 5u) << diagnosis;
    EXPECT_LT(heard.front(), 1000u);
    for (size_t i = 1; i < heard.size(); ++i) EXPECT_LE(heard[i], heard[i - 1]);
    EXPECT_EQ(heard.back(), 0u);
    EXPECT_EQ(music->volume(), 0u);
    EXPECT_EQ(anne->volume(), 700u);
    ASSERT_EQ(anne_list->count(), 1u);
    const std::string http = server.url("/anne/e2e_a01.mp3");
    EXPECT_STREQ(anne_list->at(0)->path, (L"zel2" + std::wstring(http.begin() + 4, http.end())).c_str());
    EXPECT_EQ(env.counting.calls, (std::vector<std::string>{"duck 1500 0"}));

    // The announcement plays to its end from the service's file, and then
    // the music comes back to the user's volume by itself.
    EXPECT_EQ(env.listener.count("finished"), 0);
    ASSERT_TRUE(channel_test::pump_until([&] { return env.listener.count("finished") == 1; }, 30000));
    EXPECT_FALSE(anne->is_playing());
    EXPECT_TRUE(asked_for(server, "/anne/e2e_a01.mp3"));
    EXPECT_EQ(music->volume(), 1000u);
    EXPECT_EQ(env.counting.calls, (std::vector<std::string>{"duck 1500 0", "restore 1500"}));

    // An announcement resumed at half its length asks for the rest of the
    // file only.
    std::vector<list_info> resumed(1);
    const std::wstring half = std::wstring(anne_list->at(0)->path) + L"|0.500000|0";
    list_info::set_string(resumed[0].path, half.c_str());
    anne_list->clear();
    anne_list->add(resumed);
    anne->play(anne_list->at(0));
    ASSERT_TRUE(channel_test::pump_until([&] { return anne->is_playing(); }, 10000));
    ASSERT_TRUE(channel_test::pump_until([&] { return !anne->is_playing(); }, 30000));
    std::vector<std::string> gets;
    for (const recorded_request& r : server.requests())
        if (r.method == "GET" && r.path() == "/anne/e2e_a01.mp3") gets.push_back(r.header("Range"));
    ASSERT_GE(gets.size(), 2u);
    EXPECT_EQ(gets.front(), "");
    ASSERT_EQ(gets.back().compare(0, 6, "bytes="), 0) << gets.back();
    EXPECT_GT(atoi(gets.back().c_str() + 6), 0) << gets.back();
    SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", nullptr);
}
