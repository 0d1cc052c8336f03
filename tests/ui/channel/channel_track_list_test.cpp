// The channel track list with the registry's music player, playing
// "synth:" entries through the engine into the capture output: which
// playlist receives the channel, what the track cache and the settings get,
// the rows of the now-playing list and the listener.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "channel_test_support.h"
#include "synth_signal.h"

namespace {

std::vector<track_record> synth_tracks(int count) {
    std::vector<track_record> tracks;
    for (int i = 0; i < count; ++i) {
        track_record t;
        // A minute each: the first is still the current entry while the
        // test looks, however slowly it runs.
        const std::wstring path = L"synth:ch?frames=2646000&base=" + std::to_wstring(i * 10000000LL);
        list_info::set_string(t.path, path.c_str());
        list_info::set_string(t.title, (L"곡" + std::to_wstring(i + 1)).c_str());
        t.bitrate = 100 + i;
        t.extra_text = L"extra";
        t.start_offset = timex_span(i);
        tracks.push_back(t);
    }
    return tracks;
}

struct channel_track_list_test : channel_test::player_fixture {
    channel_test::recording_services services;
    channel_track_list list{services};
    channel_test::counting_listener listener;
};

}  // namespace

// A channel of 55 tracks while "Default" is active: the channel playlist
// becomes active and shown, gets every track and plays the first; the track
// cache gets all of them, the now-playing list 40 rows, the settings the
// list title and the channel id.
TEST_F(channel_track_list_test, a_channel_of_55_tracks_while_the_default_playlist_is_active) {
    list.set_listener(&listener);
    services.channel_id = 1052;
    services.title = L"음악방송";
    const std::vector<track_record> tracks = synth_tracks(55);
    list.load(tracks);

    ASSERT_EQ(music->active_playlist(), channel_list);
    EXPECT_EQ(music->current_playlist(), channel_list);
    ASSERT_EQ(channel_list->count(), 55u);
    EXPECT_STREQ(channel_list->at(54)->path, tracks[54].path);
    EXPECT_EQ(default_list->count(), 0u);
    EXPECT_EQ(list.tracks()->size(), 55u);
    EXPECT_EQ(w((*list.tracks())[3].extra_text), L"extra");
    EXPECT_EQ((*list.tracks())[3].start_offset.total_seconds(), 3);
    ASSERT_EQ(list.listed_tracks().size(), 40u);
    EXPECT_EQ(list.listed_tracks()[39], &(*list.tracks())[39]);
    EXPECT_EQ(services.view_counts, (std::vector<int>{40}));
    EXPECT_EQ(services.cache.enqueued.size(), 1u);
    // Every track, and the first (which plays now) once more at the end.
    ASSERT_EQ(services.cache.enqueued.back().size(), 56u);
    EXPECT_EQ(services.cache.enqueued.back()[0], tracks[0].path);
    EXPECT_EQ(services.cache.enqueued.back()[54], tracks[54].path);
    EXPECT_EQ(services.cache.enqueued.back()[55], tracks[0].path);
    EXPECT_EQ(services.cache.channel_keys, (std::vector<int>{1052}));
    EXPECT_EQ(services.stored, (std::vector<std::wstring>{L"app/channel=음악방송|1052"}));
    EXPECT_EQ(listener.calls, 1);
    ASSERT_TRUE(wait_playing_path(tracks[0].path));
    // The first track reaches the output from its own first sample.
    ASSERT_TRUE(channel_test::pump_until([&] { return captured_bytes() >= 4; }));
    std::vector<capture_track> taken;
    capture->tracks(0, taken);
    ASSERT_FALSE(taken.empty());
    ASSERT_GE(taken[0].pcm.size(), 4u);
    EXPECT_EQ(counter_frame(taken[0].pcm.data()), 0);
}

TEST_F(channel_track_list_test, a_reload_of_the_active_channel_playlist_keeps_the_shown_playlist) {
    services.channel_id = 1053;
    services.title = L"아침";
    list.load(synth_tracks(5));
    music->set_current_playlist(default_list->id().c_str());
    const std::vector<track_record> three = synth_tracks(3);
    list.load(three);

    EXPECT_EQ(music->active_playlist(), channel_list);
    EXPECT_EQ(music->current_playlist(), default_list);
    EXPECT_EQ(channel_list->count(), 3u);
    EXPECT_EQ(list.listed_tracks().size(), 3u);
    EXPECT_EQ(services.view_counts, (std::vector<int>{5, 3}));
    EXPECT_EQ(services.stored.back(), L"app/channel=아침|1053");
    ASSERT_TRUE(wait_playing_path(three[0].path));
}

TEST_F(channel_track_list_test, cache_off_no_channel_and_no_tracks) {
    list.set_listener(&listener);
    services.cache_on = false;
    services.channel_id = 0;
    const std::vector<track_record> two = synth_tracks(2);
    list.load(two);
    EXPECT_TRUE(services.cache.enqueued.empty());
    EXPECT_TRUE(services.stored.empty());  // no current channel: nothing stored
    ASSERT_TRUE(wait_playing_path(two[0].path));

    // An empty channel stops the music and empties the playlist and the rows;
    // the channel is still stored.
    services.cache_on = true;
    services.channel_id = 7;
    services.title = L"빈 채널";
    list.load(std::vector<track_record>());
    EXPECT_FALSE(music->is_playing());
    EXPECT_EQ(channel_list->count(), 0u);
    EXPECT_TRUE(list.tracks()->empty());
    EXPECT_TRUE(list.listed_tracks().empty());
    EXPECT_EQ(services.view_counts.back(), 0);
    ASSERT_EQ(services.cache.enqueued.size(), 1u);
    EXPECT_TRUE(services.cache.enqueued.back().empty());
    EXPECT_EQ(services.stored, (std::vector<std::wstring>{L"app/channel=빈 채널|7"}));
    EXPECT_EQ(listener.calls, 2);
}
