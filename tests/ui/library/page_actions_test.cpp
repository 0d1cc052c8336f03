// The pages' playback rules on the registry's music player: which playlist
// takes the entries, which entry starts, and what the popup offers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "channel_test_support.h"
#include "page_actions.h"

namespace {

std::wstring synth(int n) { return L"synth:pa" + std::to_wstring(n) + L"?frames=2646000"; }

std::vector<list_info> entries(std::initializer_list<int> numbers) {
    std::vector<list_info> out;
    for (int n : numbers) {
        list_info e;
        list_info::set_string(e.path, synth(n).c_str());
        out.push_back(e);
    }
    return out;
}

std::vector<std::wstring> paths(playlist* list) {
    std::vector<std::wstring> out;
    for (unsigned i = 0; list && i < list->count(); ++i) out.push_back(list->at(i)->path);
    return out;
}

struct page_actions_test : channel_test::player_fixture {};

}  // namespace

TEST_F(page_actions_test, play_entries_by_the_active_playlist) {
    enum { p_entries, p_replacing, p_default };
    struct {
        const char* name;
        int operation;
        int active;    // index of the active playlist before
        bool playing;  // entry 1 of the active playlist plays before
        int active_after;
        std::vector<std::wstring> list0, list1, list2;
        std::wstring plays;
    } cases[] = {
        {"default idle: the first appended starts", p_entries, 0, false, 0,
         {synth(1), synth(2), synth(8), synth(9)}, {synth(3)}, {synth(5)}, synth(8)},
        {"default playing: appended, the track goes on", p_entries, 0, true, 0,
         {synth(1), synth(2), synth(8), synth(9)}, {synth(3)}, {synth(5)}, synth(2)},
        {"channel: stopped, emptied, the default refilled", p_entries, 1, true, 0, {synth(8), synth(9)}, {},
         {synth(5)}, synth(8)},
        {"user list: emptied and refilled", p_entries, 2, true, 2, {synth(1), synth(2)}, {synth(3)},
         {synth(8), synth(9)}, synth(8)},
        {"replacing on the default", p_replacing, 0, true, 0, {synth(8), synth(9)}, {synth(3)}, {synth(5)},
         synth(8)},
        {"streams on a user list: the default plays", p_default, 2, true, 0, {synth(8), synth(9)}, {synth(3)}, {},
         synth(8)},
        {"streams on the channel", p_default, 1, true, 0, {synth(8), synth(9)}, {}, {synth(5)}, synth(8)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        make_playlists();
        playlist* mine = music->create_playlist(L"내 목록", false);
        default_list->add(entries({1, 2}));
        channel_list->add(entries({3}));
        mine->add(entries({5}));
        playlist* lists[3] = {default_list, channel_list, mine};
        const std::wstring id = lists[c.active]->id();
        music->set_active_playlist(id.c_str());
        music->set_current_playlist(id.c_str());
        if (c.playing) {
            playlist* active = lists[c.active];
            music->play(active->at(active->count() - 1));
            ASSERT_TRUE(wait_playing_path(active->at(active->count() - 1)->path));
        }
        const std::vector<list_info> picked = entries({8, 9});
        if (c.operation == p_entries) page_actions::play_entries(*music, picked);
        if (c.operation == p_replacing) page_actions::play_entries_replacing(*music, picked);
        if (c.operation == p_default) page_actions::play_in_default_playlist(*music, picked);

        EXPECT_EQ(music->playlist_index(music->active_playlist()->id().c_str()), c.active_after);
        EXPECT_EQ(music->playlist_index(music->current_playlist()->id().c_str()), c.active_after);
        EXPECT_EQ(paths(default_list), c.list0);
        EXPECT_EQ(paths(channel_list), c.list1);
        EXPECT_EQ(paths(mine), c.list2);
        EXPECT_TRUE(wait_playing_path(c.plays.c_str()));
        EXPECT_TRUE(music->is_playing());
        music->stop(0);
        channel_test::pump_until([&] { return !music->is_playing(); });
    }
}

TEST_F(page_actions_test, the_popup_adds_only_outside_the_channel_playlist) {
    default_list->add(entries({1}));
    EXPECT_TRUE(page_actions::add_allowed(*music));
    page_actions::run_menu_command(*music, page_actions::command_add, entries({8}));
    EXPECT_EQ(paths(default_list), (std::vector<std::wstring>{synth(1), synth(8)}));
    EXPECT_FALSE(music->is_playing());
    // No choice does nothing; "재생" replaces and plays.
    page_actions::run_menu_command(*music, 0, entries({9}));
    EXPECT_EQ(default_list->count(), 2u);
    page_actions::run_menu_command(*music, page_actions::command_play, entries({9}));
    EXPECT_EQ(paths(default_list), (std::vector<std::wstring>{synth(9)}));
    EXPECT_TRUE(wait_playing_path(synth(9).c_str()));

    const std::wstring id = channel_list->id();
    music->set_active_playlist(id.c_str());
    EXPECT_FALSE(page_actions::add_allowed(*music));
}

TEST_F(page_actions_test, no_entries_stop_and_empty_without_playing) {
    default_list->add(entries({1}));
    music->play(default_list->at(0));
    ASSERT_TRUE(wait_playing_path(synth(1).c_str()));
    page_actions::play_entries_replacing(*music, {});
    channel_test::pump_until([&] { return !music->is_playing(); });
    EXPECT_FALSE(music->is_playing());
    EXPECT_EQ(default_list->count(), 0u);
    // An empty vector on the default playlist appends nothing and starts
    // nothing.
    page_actions::play_entries(*music, {});
    EXPECT_FALSE(music->is_playing());
}
