// The player's controls and its collection of playlists, with a recording
// engine and listener.
#include <gtest/gtest.h>
#include <atomic>
#include <thread>
#include "player_test_support.h"
#include "playlist_view_service.h"

TEST(player, volume_and_mute_reach_the_engine_and_the_listeners) {
    test_player t{L"A"};
    t.p.set_volume(5000);
    EXPECT_EQ(t.p.volume(), 1000u);
    t.p.set_volume(300);
    t.p.set_mute(true);
    t.p.play(t.entry(L"A"));
    fake_engine* engine = last_engine();
    EXPECT_EQ(engine->volume_set, 300);  // set before the engine plays
    EXPECT_TRUE(engine->muted);
    t.p.set_volume(700);
    t.p.set_mute(false);
    EXPECT_EQ(engine->volume_set, 700);
    EXPECT_FALSE(engine->muted);
    std::vector<heard> calls = t.listener.calls();
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_EQ(calls[0].what, "volume");
    EXPECT_EQ(calls[0].indices, std::vector<int>{1000});
    EXPECT_EQ(t.listener.names(), (std::vector<std::string>{"volume", "volume", "mute", "play", "volume", "mute"}));
}

TEST(player, play_replaces_the_engine_without_a_stop_and_stop_tells_once) {
    test_player t{L"A", L"B"};
    t.p.stop(0);  // nothing plays: nothing happens
    EXPECT_TRUE(t.listener.calls().empty());
    t.p.play(t.entry(L"A"));
    fake_engine* first = last_engine();
    t.p.play(t.entry(L"B"));
    EXPECT_TRUE(first->released);
    EXPECT_TRUE(first->stops.empty());  // the old track plays to its end
    fake_engine* second = last_engine();
    t.p.stop(1);
    EXPECT_EQ(second->stops, std::vector<int>{1});
    EXPECT_TRUE(second->released);
    EXPECT_FALSE(t.p.is_playing());
    EXPECT_EQ(t.p.current(), nullptr);
    EXPECT_EQ(t.listener.names(), (std::vector<std::string>{"play", "play", "stop"}));
    EXPECT_EQ(t.listener.calls()[2].paths, std::vector<std::wstring>{L"B"});
}

TEST(player, next_and_previous_stop_tell_and_play) {
    test_player t{L"A", L"B", L"C"};
    t.p.next();  // nothing plays: nothing to step from
    EXPECT_TRUE(t.listener.calls().empty());
    t.p.play(t.entry(L"C"));
    fake_engine* old = last_engine();
    t.listener.clear();
    t.p.next();
    EXPECT_EQ(old->stops, std::vector<int>{2});
    EXPECT_EQ(last_engine()->played, std::vector<std::wstring>{L"A"});
    EXPECT_EQ(t.listener.names(), (std::vector<std::string>{"stop", "next", "play"}));
    t.p.previous();
    EXPECT_EQ(path_of(t.p.current()), L"C");
}

TEST(player, pause_select_and_seeking) {
    test_player t{L"A", L"B"};
    t.p.select(t.entry(L"B")->id);  // nothing plays: nothing happens
    EXPECT_EQ(t.p.current(), nullptr);
    t.p.seek_by(5);
    EXPECT_TRUE(t.listener.calls().empty());

    t.p.play(t.entry(L"A"));
    fake_engine* engine = last_engine();
    t.p.pause();
    EXPECT_TRUE(t.p.is_paused());
    t.p.select(t.entry(L"B")->id);
    EXPECT_EQ(path_of(t.p.current()), L"B");

    engine->at = 190.0;  // of 200 s
    t.p.seek_by(30);
    engine->at = 4.0;
    t.p.seek_by(-10);
    t.p.seek(12.5);
    EXPECT_EQ(engine->seeks, (std::vector<double>{200.0, 0.0, 12.5}));
    engine->seekable = false;
    t.listener.clear();
    t.p.seek(3);
    t.p.seek_by(3);
    EXPECT_TRUE(t.listener.calls().empty());
}

TEST(player, first_playlist_becomes_active_by_itself) {
    player p(0);
    recording_listener l;
    p.add_listener(&l);
    playlist* a = p.create_playlist(L"a", false);
    EXPECT_EQ(p.active_playlist(), a);
    EXPECT_EQ(p.current_playlist(), nullptr);
    EXPECT_EQ(l.names(), (std::vector<std::string>{"created", "active"}));
    playlist* b = p.create_playlist(L"b", true);
    EXPECT_EQ(p.current_playlist(), b);
    EXPECT_EQ(p.active_playlist(), a);
    EXPECT_EQ(p.playlist_index(b->id().c_str()), 1);
    EXPECT_EQ(p.find_playlist(L"{nothing}"), nullptr);
    p.remove_all_playlists();
    EXPECT_EQ(p.active_playlist(), nullptr);
    EXPECT_EQ(p.current_playlist(), nullptr);
    EXPECT_EQ(p.playlist_count(), 0);
}

TEST(player, only_the_current_playlist_can_be_removed) {
    player p(0);
    playlist* only = p.create_playlist(L"only", true);
    p.remove_playlist(only->id().c_str());
    EXPECT_EQ(p.playlist_count(), 1);  // the only one stays

    playlist* second = p.create_playlist(L"second", false);
    p.remove_playlist(second->id().c_str());  // not current: nothing
    EXPECT_EQ(p.playlist_count(), 2);

    // Removing the current playlist at position 0 makes the second one current
    // and, since it was also active, active.
    p.remove_playlist(only->id().c_str());
    EXPECT_EQ(p.playlist_count(), 1);
    EXPECT_EQ(p.current_playlist(), second);
    EXPECT_EQ(p.active_playlist(), second);
}

TEST(player, an_unknown_active_id_clears_the_active_playlist) {
    player p(0);
    recording_listener l;
    p.add_listener(&l);
    playlist* a = p.create_playlist(L"a", true);
    l.clear();
    p.set_active_playlist(L"{unknown}");
    EXPECT_EQ(p.active_playlist(), nullptr);
    p.set_active_playlist(L"{unknown}");  // none before: nobody is told
    EXPECT_EQ(l.names(), std::vector<std::string>{"active"});
    EXPECT_EQ(l.calls()[0].indices, std::vector<int>{0});
    std::wstring lower = a->id();
    for (wchar_t& c : lower) c = towlower(c);
    p.set_active_playlist(lower.c_str());  // ids match in any case
    EXPECT_EQ(p.active_playlist(), a);
}

TEST(player, move_playlists_up_and_down) {
    player p(0);
    playlist* a = p.create_playlist(L"a", false);
    playlist* b = p.create_playlist(L"b", false);
    p.move_playlist_up(a->id().c_str());  // first: nothing
    p.move_playlist_down(b->id().c_str());  // last: nothing
    EXPECT_EQ(p.playlist_at(0), a);
    p.move_playlist_down(a->id().c_str());
    EXPECT_EQ(p.playlist_at(0), b);
    EXPECT_EQ(p.playlist_at(1), a);
    EXPECT_EQ(p.playlist_at(2), nullptr);
}

namespace {

class fake_view : public playlist_view_service {
public:
    const GUID* get_guid() override { return &playlist_view_service::iid; }
    void release() override {}
    int item_count() override { return 10; }
    void selected_indices(std::vector<int>& rows) override {
        for (int i = 0; i < 10; ++i)
            if (selected[i]) rows.push_back(i);
    }
    void set_selected(int row, bool on) override {
        if (row >= 0 && row < 10) selected[row] = on;
    }
    int top_index() override { return top; }
    void set_top_index(int row) override { top = row; }
    bool selected[10] = {};
    int top = 0;
};

}  // namespace

TEST(player, each_playlist_comes_back_with_its_rows) {
    player p(0);
    fake_view view;
    p.set_view(&view);
    playlist* a = p.create_playlist(L"a", true);
    view.set_selected(2, true);
    view.set_selected(4, true);
    view.top = 3;
    playlist* b = p.create_playlist(L"b", false);
    p.set_current_playlist(b->id().c_str());
    EXPECT_FALSE(view.selected[2]);  // b has no rows kept
    EXPECT_EQ(view.top, 0);
    view.set_selected(7, true);
    p.set_current_playlist(a->id().c_str());
    EXPECT_TRUE(view.selected[2]);
    EXPECT_TRUE(view.selected[4]);
    EXPECT_FALSE(view.selected[7]);
    EXPECT_EQ(view.top, 3);
    p.set_view(nullptr);
}

// The user interface retitles the current entry holding only the active
// playlist's entry lock: every way the player replaces that entry (play,
// select, the playback thread's advance) must wait for that lock.
TEST(player, the_current_entry_is_replaced_only_under_the_active_playlists_entry_lock) {
    const struct {
        const char* name;
        void (*replace)(test_player&, list_info* next);
    } cases[] = {
        {"play", [](test_player& t, list_info* next) { t.p.play(next); }},
        {"select", [](test_player& t, list_info* next) { t.p.select(next->id); }},
        {"advance", [](test_player& t, list_info*) { t.p.advance(true); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test_player t{L"A", L"B"};
        t.p.play(t.entry(L"A"));
        list_info* next = t.entry(L"B");
        std::atomic<bool> holding{false}, released{false};
        std::thread ui([&] {
            auto_sync guard(t.list->entries_lock());
            holding = true;
            Sleep(200);
            released = true;
        });
        while (!holding) Sleep(1);
        c.replace(t, next);
        EXPECT_TRUE(released.load()) << "replaced while another thread held the entry lock";
        ui.join();
        EXPECT_EQ(path_of(t.p.current()), L"B");
    }
}
