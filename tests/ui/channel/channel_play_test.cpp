// A channel end to end: the service client asks the stand-in service for a
// channel's tracks, the channel track list puts them into the music player,
// and the first one plays from its "zel://" address through the track
// stream, the MPEG input and the engine into the capture output, while the
// track cache downloads the next one.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>
#include "channel_test_support.h"
#include "service_client.h"
#include "quiet_client_services.h"
#include "service_test_identity.h"
#include "stand_in_server.h"
#include "init_quit.h"

namespace {

struct channel_play_test : channel_test::player_fixture {};

}  // namespace

TEST_F(channel_play_test, a_channels_tracks_play_from_the_service_through_the_engine) {
    // Track 101 is real music. Tracks 102 (a minute) and 103 are silence
    // that the stand-in makes; the player stops during 102, so only the
    // cache ever asks for 103.
    const std::string scenario = std::string(R"({"channels": [{"id": 1052, "extra": "", "tempo": "nomal",
      "title": "테스트 채널", "description": "", "genre": "", "purpose": "", "tracks": [
        {"number": 101, "length": "2.4", "offset": "0", "title": "곡1", "artist": "가수1", "album": "앨범",
         "file": "e2e101.mp3", "source": ")") + ZEL_MPEG_FIXTURE_DIR + R"(/l3_cbr128_44k_joint.mp3"},
        {"number": 102, "length": "3", "offset": "0", "title": "곡2", "artist": "가수2", "album": "앨범",
         "file": "e2e102.mp3", "seconds": 60},
        {"number": 103, "length": "2", "offset": "0", "title": "곡3", "artist": "가수3", "album": "앨범",
         "file": "e2e103.mp3", "seconds": 2}]}]})";
    stand_in_server server;
    ASSERT_TRUE(server.start_scenario(scenario, 120)) << server.error();
    SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", server.host().c_str());

    quiet_client_services client_services;
    service_client client(client_services);
    std::vector<track_record> tracks;
    ASSERT_TRUE(client.get_channel_tracks(1052, L"테스트 채널", tracks));
    ASSERT_EQ(tracks.size(), 3u);
    client.set_single_channel(1052, L"테스트 채널");
    client.select_channel_by_key(1052);
    client.set_title(L"테스트 채널");

    // The registry's track cache downloads what follows the first track, on
    // its timer, which the user interface's start sets going (the players
    // then make their playlists again: the fixture's come back).
    for_each_component<init_quit>([](init_quit* q) { q->on_ui_ready(); });
    make_playlists();
    component* cache = core::enum_create_component(track_cache::iid, 0);
    ASSERT_NE(cache, nullptr);
    static_cast<track_cache*>(cache)->set_rate_limit(0);
    channel_test::recording_services services;
    services.real_cache = static_cast<track_cache*>(cache);
    services.channel_id = client.current_channel()->id;
    services.title = client.get_title().wvalue();
    channel_track_list list(services);
    list.load(tracks);

    EXPECT_EQ(services.stored, (std::vector<std::wstring>{L"app/channel=테스트 채널|1052"}));
    ASSERT_EQ(channel_list->count(), 3u);
    const std::wstring first = channel_list->at(0)->path;
    EXPECT_EQ(first.compare(0, 6, L"zel://"), 0) << first;
    // The first track plays to its end and the player moves on to the second.
    ASSERT_TRUE(wait_playing_path(tracks[1].path));
    std::vector<capture_track> taken;
    capture->tracks(0, taken);
    std::vector<unsigned char> pcm;
    for (const capture_track& t : taken) pcm.insert(pcm.end(), t.pcm.begin(), t.pcm.end());
    // The 2.4 s of music came first (44.1 kHz, 16-bit stereo; the encoder's
    // padding and the decoder's delay move its ends a little).
    const size_t music_bytes = 22 * 44100 * 4 / 10;
    ASSERT_GE(pcm.size(), music_bytes);
    EXPECT_GT(channel_test::peak(std::vector<unsigned char>(pcm.begin(), pcm.begin() + music_bytes)), 1000);
    music->stop(0);
    // The cache goes on to the third track, which nothing else asks for.
    auto asked_for = [&](const char* path) {
        for (const recorded_request& r : server.requests())
            if (r.method == "GET" && r.path() == path) return true;
        return false;
    };
    EXPECT_TRUE(asked_for("/music/e2e101.mp3"));
    EXPECT_TRUE(channel_test::pump_until([&] { return asked_for("/music/e2e103.mp3"); }));
    for_each_component<init_quit>([](init_quit* q) { q->on_ui_closing(); });
    SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", nullptr);
}
