// The now-playing list keeps a channel going: each track start rotates the
// channel's track list, and at the list limit (or the last entry of a short
// channel) refills it from the service, asked through the service client
// of the stand-in once per refill.
#include <gtest/gtest.h>

#include <string>

#include "playlist_view_fixture.h"
#include "service_client.h"
#include "service_client_services.h"
#include "service_test_identity.h"
#include "stand_in_server.h"

using namespace playlist_test;

namespace {

class client_services : public service_client_services {
public:
    bool logged_in() override { return true; }
    request_identity identity() override { return test_identity(); }
    void write_log(const wchar_t*) override {}
    void write_anne_log(const wchar_t*) override {}
    void show_timed_box(const wchar_t*) override {}
    void show_notice(const service_reply&) override {}
    void set_channel_title(const wchar_t* t) override { title = t; }
    stringx channel_title() override { return title.c_str(); }
    std::wstring title;
};

// Channel 1052 of twelve tracks, 1053 of six.
std::string store() {
    auto tracks = [](int first, int n) {
        std::string out;
        for (int i = 0; i < n; ++i) {
            const std::string k = std::to_string(first + i);
            if (i) out += ",";
            out += "{\"number\": " + k + ", \"length\": \"100\", \"offset\": \"7\", \"title\": \"곡" + k +
                   "\", \"artist\": \"가수\", \"album\": \"앨범\", \"file\": \"" + k + ".mp3\", \"seconds\": 1}";
        }
        return out;
    };
    return R"({"categories": {"음악방송": [1052, 1053]}, "channels": [
      {"id": 1052, "extra": "x", "tempo": "nomal", "title": "열두 곡", "description": "", "genre": "", "purpose": "",
       "tracks": [)" + tracks(100, 12) + R"(]},
      {"id": 1053, "extra": "x", "tempo": "nomal", "title": "여섯 곡", "description": "", "genre": "", "purpose": "",
       "tracks": [)" + tracks(200, 6) + R"(]}]})";
}

struct now_playing_channel : now_playing_list {
    stand_in_server server;
    client_services client_svc;
    std::unique_ptr<service_client> client;

    void SetUp() override {
        now_playing_list::SetUp();
        ASSERT_TRUE(server.start_scenario(store())) << server.error();
        SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", server.host().c_str());
        client.reset(new service_client(client_svc));
        services.select = [this](int id, std::vector<track_record>& out, bool force) {
            return client->select_channel(id, out, force);
        };
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", nullptr);
        now_playing_list::TearDown();
    }
    // The channel started as the player starts one.
    void start(int id) {
        std::vector<channel_record> list;
        ASSERT_TRUE(client->get_channel_list(L"음악방송", list));
        client->select_channel_by_key(id);
        services.channel_svc.channel_id = id;
        std::vector<track_record> tracks;
        ASSERT_TRUE(client->select_channel(id, tracks, true));
        load_channel(tracks);
    }
    std::wstring front_path() { return text(services.tracks.tracks()->front().path); }
};

}  // namespace

TEST_F(now_playing_channel, twelve_tracks_rotate_until_the_limit_then_refill_once) {
    start(1052);
    ASSERT_EQ(music.channel()->count(), 12u);
    for (unsigned z = 1; z <= 10; ++z) {
        const size_t asked = server.requests().size();
        const list_info e = *music.channel()->at(z);
        track_started(e);
        if (z < 10) {
            // Rotated: the started track leads; the playlist is untouched.
            EXPECT_EQ(front_path(), text(e.path)) << z;
            EXPECT_EQ(services.tracks.tracks()->size(), 12u);
            EXPECT_EQ(music.channel()->count(), 12u);
            EXPECT_EQ(server.requests().size(), asked) << z;
            continue;
        }
        // Refilled: one request; the playing entry and the new tracks.
        EXPECT_EQ(server.requests().size(), asked + 1);
        EXPECT_EQ(services.select_calls, 1);
        ASSERT_EQ(music.channel()->count(), 13u);
        EXPECT_EQ(text(music.channel()->at(0)->path), text(e.path));
        EXPECT_EQ(text(music.channel()->at(0)->id), text(e.id));
        EXPECT_EQ(text(music.channel()->at(1)->title), L"곡100");
        ASSERT_EQ(services.tracks.tracks()->size(), 13u);
        EXPECT_EQ(front_path(), text(e.path));
        // The playing track was tenth of the new list: the list stays whole
        // and its first track starts from its beginning.
        EXPECT_EQ((*services.tracks.tracks())[1].start_offset.total_seconds(), 0);
        EXPECT_EQ((*services.tracks.tracks())[2].start_offset.total_seconds(), 7);
        EXPECT_EQ(services.tracks.listed_tracks().size(), 13u);
        EXPECT_EQ(view->get_item_count(), 13);
    }
    // Each start wrote one played-tracks record.
    ASSERT_EQ(services.played.size(), 10u);
    EXPECT_EQ(services.played[0].substr(0, 10), L"1052^곡101^");
}

TEST_F(now_playing_channel, a_short_channel_refills_when_its_last_entry_starts) {
    start(1053);
    ASSERT_EQ(music.channel()->count(), 6u);
    const size_t asked = server.requests().size();
    for (unsigned z = 1; z <= 4; ++z) track_started(*music.channel()->at(z));
    EXPECT_EQ(server.requests().size(), asked);
    const list_info last = *music.channel()->at(5);
    track_started(last);
    EXPECT_EQ(server.requests().size(), asked + 1);
    EXPECT_EQ(music.channel()->count(), 7u);
    EXPECT_EQ(text(music.channel()->at(0)->path), text(last.path));
}

TEST_F(now_playing_channel, a_failed_refill_rotates_and_the_first_entry_changes_nothing) {
    start(1053);
    // The first entry (index 0) neither rotates nor refills.
    const std::wstring before = front_path();
    track_started(*music.channel()->at(0));
    EXPECT_EQ(front_path(), before);

    ASSERT_TRUE(server.set_faults({stand_in_fault::of("*", "close")}));
    const list_info last = *music.channel()->at(5);
    track_started(last);
    EXPECT_EQ(services.select_calls, 1);
    EXPECT_EQ(music.channel()->count(), 6u);  // nothing removed
    EXPECT_EQ(front_path(), text(last.path));  // rotated instead
}

TEST_F(now_playing_channel, a_refill_that_finds_the_playing_track_early_drops_what_was_played) {
    start(1052);
    // The service answers with the playing track third: the tracks up to it
    // are dropped.
    std::vector<track_record> answer = channel_tracks(6);
    list_info::set_string(answer[2].path, music.channel()->at(10)->path);
    services.select = [&](int, std::vector<track_record>& out, bool force) {
        EXPECT_TRUE(force);
        out = answer;
        return true;
    };
    const list_info e = *music.channel()->at(10);
    track_started(e);
    ASSERT_EQ(services.tracks.tracks()->size(), 4u);  // the playing one and 3..5
    EXPECT_EQ(front_path(), text(e.path));
    EXPECT_EQ(text((*services.tracks.tracks())[1].path), text(answer[3].path));
    EXPECT_EQ(music.channel()->count(), 4u);
}
