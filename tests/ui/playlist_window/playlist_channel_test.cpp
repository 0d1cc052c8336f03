// The now-playing list keeps a channel going: each track start rotates the
// channel's track list, and at the list limit (or the last entry of a short
// channel) refills it from the service, asked through the service client
// of the stand-in once per refill.
#include <gtest/gtest.h>

#include <string>

#include "playlist_view_fixture.h"
#include "service_client.h"
#include "quiet_client_services.h"
#include "service_test_identity.h"
#include "stand_in_server.h"

using namespace playlist_test;

namespace {

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
    quiet_client_services client_svc;
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

// A channel played for several rounds, the player going on to the next
// entry of the channel playlist (round to its top) after every start, as it
// does in channel mode. Whatever the service answers to a refill, the
// channel's tracks play in order, round after round, and no track plays
// twice in a row unless the channel holds only that one.
namespace {

struct round_case {
    const char* name;
    int tracks;        // the channel's tracks, in order
    unsigned limit;    // the login's list limit
    int answer_size;   // 0: each answer is the whole channel; N: N tracks from where the last answer ended
    int answers;       // answers before the service fails (-1: it never fails)
    int channel_id;    // 0: no channel is current, nothing is asked
};

void PrintTo(const round_case& c, std::ostream* out) { *out << c.name; }

struct channel_rounds : now_playing_list, ::testing::WithParamInterface<round_case> {};

int track_number(const wchar_t* path) {
    const std::wstring p = text(path);
    const size_t slash = p.rfind(L'/');
    return slash == std::wstring::npos ? -1 : _wtoi(p.c_str() + slash + 1);
}

}  // namespace

TEST_P(channel_rounds, the_channel_goes_round_in_order_without_repeats) {
    const round_case c = GetParam();
    const std::vector<track_record> all = channel_tracks(c.tracks);
    size_t cursor = 0;
    int answered = 0;
    auto answer = [&](std::vector<track_record>& out) {
        if (c.answers >= 0 && answered >= c.answers) return false;
        ++answered;
        const size_t n = c.answer_size ? static_cast<size_t>(c.answer_size) : all.size();
        out.clear();
        for (size_t k = 0; k < n; ++k) out.push_back(all[(cursor + k) % all.size()]);
        if (c.answer_size) cursor = (cursor + n) % all.size();
        return true;
    };
    services.limit = c.limit;
    services.channel_svc.channel_id = c.channel_id;
    services.select = [&](int, std::vector<track_record>& out, bool) { return answer(out); };

    std::vector<track_record> first;
    ASSERT_TRUE(answer(first));
    load_channel(first);
    ASSERT_EQ(music.plays().size(), 1u);

    std::vector<int> played;
    list_info now = *music.channel()->at(0);
    const int starts = 4 * c.tracks + 3;
    for (int s = 0; s < starts; ++s) {
        track_started(now);
        played.push_back(track_number(now.path));
        playlist* list = music.channel();
        const int at = list->index_of(now.id);
        ASSERT_GE(at, 0) << "start " << s;
        now = *list->at((static_cast<unsigned>(at) + 1) % list->count());
    }
    std::wstring heard;
    for (int t : played) heard += std::to_wstring(t) + L" ";
    EXPECT_EQ(played.front(), 0);
    for (size_t s = 1; s < played.size(); ++s) {
        ASSERT_EQ(played[s], (played[s - 1] + 1) % c.tracks) << "start " << s << ", heard: " << heard.c_str();
    }
    EXPECT_LE(services.tracks.listed_tracks().size(), 40u);
}

INSTANTIATE_TEST_SUITE_P(
    answers, channel_rounds,
    ::testing::Values(round_case{"one_track", 1, 10, 0, -1, 1052},
                      round_case{"two_tracks_same_answer", 2, 10, 0, -1, 1052},
                      round_case{"four_tracks_same_answer", 4, 10, 0, -1, 1052},
                      round_case{"six_tracks_same_answer", 6, 10, 0, -1, 1052},
                      round_case{"seven_tracks_three_at_a_time", 7, 3, 3, -1, 1052},
                      round_case{"six_tracks_four_at_a_time", 6, 10, 4, -1, 1052},
                      round_case{"four_tracks_moving_answers", 4, 10, 10, -1, 1052},
                      round_case{"six_tracks_moving_answers", 6, 10, 10, -1, 1052},
                      round_case{"twelve_tracks_moving_answers", 12, 10, 10, -1, 1052},
                      round_case{"four_tracks_service_down", 4, 10, 0, 1, 1052},
                      round_case{"six_tracks_one_refill_then_down", 6, 10, 0, 2, 1052},
                      round_case{"five_tracks_no_channel_id", 5, 10, 0, -1, 0}),
    [](const ::testing::TestParamInfo<round_case>& info) { return std::string(info.param.name); });
