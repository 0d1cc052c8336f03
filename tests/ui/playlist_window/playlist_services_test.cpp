// The playlist services: the transport's play command in its cases, the
// engine listener's messages (a crossfaded predecessor's finish posts
// nothing, also from another thread), the playlist listener's forwarding,
// and the connection watch that reports a loss once.
#include <gtest/gtest.h>

#include <thread>

#include "playlist_view_fixture.h"

using namespace playlist_test;

namespace {

class control_services : public player_control_services {
public:
    explicit control_services(fake_player& p) : player(p) {}
    fake_player& player;
    bool announcement = false;
    int skip = 0;
    int channel_id = 0;
    HWND library = nullptr;
    std::vector<int> rows;
    std::vector<std::wstring> requests;  // "<id> force|kept"
    bool request_ok = true;
    int loads = 0;
    int plays_everywhere = 0;
    bool cancel = false;
    std::vector<stringx> chosen;

    play_manager* music_player() override { return &player; }
    bool announcement_playing() override { return announcement; }
    int skip_option() override { return skip; }
    int current_channel_id() override { return channel_id; }
    bool select_channel(int id, std::vector<track_record>&, bool force) override {
        requests.push_back(std::to_wstring(id) + (force ? L" force" : L" kept"));
        return request_ok;
    }
    void load_channel(const std::vector<track_record>&) override { ++loads; }
    HWND library_window() override { return library; }
    std::vector<int> selected_rows() override { return rows; }
    bool choose_files(std::vector<stringx>& paths) override {
        if (cancel) return false;
        paths = chosen;
        return true;
    }
    std::vector<list_info> expand(const std::vector<stringx>& paths) override {
        std::vector<list_info> out;
        for (const stringx& p : paths) {
            out.emplace_back();
            list_info::set_string(out.back().path, p.wvalue());
        }
        return out;
    }
    void play_everywhere() override { ++plays_everywhere; }
};

struct player_control_test : ::testing::Test {
    fake_player music;
    control_services services{music};
    music_player_control control{services};
    window_rig::host_window library{0, 0, 50, 50};

    void SetUp() override { services.library = library.hwnd(); }
    int library_enqueues() {
        MSG msg;
        int n = 0;
        while (PeekMessageW(&msg, library.hwnd(), msg_library_enqueue, msg_library_enqueue, PM_REMOVE)) ++n;
        return n;
    }
};

}  // namespace

TEST_F(player_control_test, play_with_an_empty_list) {
    // The library window hidden: nothing at all.
    ShowWindow(library.hwnd(), SW_HIDE);
    control.play();
    EXPECT_TRUE(music.log.empty());
    EXPECT_EQ(library_enqueues(), 0);
    // Shown: the library is asked to add its items.
    ShowWindow(library.hwnd(), SW_SHOWNOACTIVATE);
    control.play();
    EXPECT_TRUE(music.log.empty());
    EXPECT_EQ(library_enqueues(), 1);
}

TEST_F(player_control_test, play_with_entries_by_selection_and_state) {
    music.first()->add(entries({L"a", L"b", L"c"}));
    struct row {
        std::vector<int> selected;
        bool playing, paused;
        std::vector<std::wstring> expected;
    };
    const row rows[] = {
        {{2}, false, false, {L"play C:\\music\\c.mp3"}},
        {{2}, true, false, {}},                          // playing: nothing
        {{2}, true, true, {L"pause"}},                   // paused: resumes
        {{}, true, true, {L"pause"}},
        {{}, true, false, {L"play C:\\music\\a.mp3"}},   // restarts the first
        {{}, false, false, {L"play C:\\music\\a.mp3"}},
    };
    for (const row& r : rows) {
        services.rows = r.selected;
        music.playing = r.playing;
        music.paused = r.paused;
        music.log.clear();
        control.play();
        EXPECT_EQ(music.log, r.expected) << r.selected.size() << r.playing << r.paused;
    }
    // The current playlist became the active one.
    EXPECT_EQ(music.active_playlist(), music.first());
}

TEST_F(player_control_test, play_on_the_channel_playlist_asks_for_the_channel_again) {
    music.set_current_playlist(music.channel()->id().c_str());
    control.play();  // no current channel: nothing
    EXPECT_TRUE(services.requests.empty());
    EXPECT_EQ(services.loads, 0);
    EXPECT_EQ(music.active_playlist(), music.channel());

    services.channel_id = 1052;
    control.play();
    EXPECT_EQ(services.requests, (std::vector<std::wstring>{L"1052 force"}));
    services.request_ok = false;
    control.play();
    EXPECT_EQ(services.requests, (std::vector<std::wstring>{L"1052 force", L"1052 force", L"1052 kept"}));
    EXPECT_EQ(services.loads, 2);
}

TEST_F(player_control_test, transport_commands_and_their_conditions) {
    control.next();
    control.previous();
    EXPECT_TRUE(music.log.empty());  // skip is off
    services.skip = 1;
    control.next();
    control.previous();
    control.seek(30);  // not seekable
    music.seekable = true;
    control.seek(31);
    control.stop();
    control.pause();
    EXPECT_EQ(music.log, (std::vector<std::wstring>{L"next", L"previous", L"seek 31", L"stop", L"pause"}));
    control.set_volume(500);
    services.announcement = true;
    control.set_volume(900);
    EXPECT_EQ(music.vol, 500u);
}

TEST_F(player_control_test, open_files_replace_default_and_play) {
    music.first()->add(entries({L"old"}));
    services.cancel = true;
    control.open_files();
    EXPECT_EQ(music.first()->count(), 1u);
    EXPECT_EQ(services.plays_everywhere, 0);

    services.cancel = false;
    services.chosen = {L"C:\\new\\1.mp3", L"C:\\new\\2.mp3"};
    music.set_current_playlist(music.channel()->id().c_str());
    music.set_active_playlist(music.channel()->id().c_str());
    control.open_files();
    EXPECT_EQ(music.log.front(), L"stop");
    EXPECT_EQ(music.active_playlist(), music.first());
    EXPECT_EQ(music.current_playlist(), music.first());
    ASSERT_EQ(music.first()->count(), 2u);
    EXPECT_EQ(text(music.first()->at(0)->path), L"C:\\new\\1.mp3");
    EXPECT_EQ(services.plays_everywhere, 1);
}

namespace {
struct window_target : playlist_event_target {
    HWND window = nullptr;
    fake_player* player = nullptr;
    HWND list_window() override { return window; }
    play_manager* music_player() override { return player; }
};

playback_thread* thread_handle(int n) { return reinterpret_cast<playback_thread*>(static_cast<intptr_t>(n)); }
}  // namespace

TEST(playlist_engine_listener, a_crossfaded_predecessor_posts_nothing) {
    window_rig::host_window list{0, 0, 40, 40};
    window_rig::message_recorder log{
        {msg_track_started, msg_track_finished, msg_track_stopped, msg_track_format, msg_play_error}};
    log.init(list.hwnd());
    fake_player music;
    window_target target;
    target.window = list.hwnd();
    target.player = &music;
    playlist_engine_listener listener(target);
    EXPECT_EQ(listener.player(), &music);

    list_info first, second;
    list_info::set_string(first.path, L"C:\\a.mp3");
    list_info::set_string(second.path, L"C:\\b.mp3");
    std::thread engine([&] {
        listener.on_start(thread_handle(1), &first, false);
        listener.on_format(thread_handle(1), nullptr);
        // The crossfade: the successor starts, then the predecessor ends.
        listener.on_start(thread_handle(2), &second, false);
        listener.on_format(thread_handle(1), nullptr);
        listener.on_finish(thread_handle(1), &first, 1);
        listener.on_error(thread_handle(1), 2, nullptr);
    });
    engine.join();
    ASSERT_TRUE(window_rig::pump_until([&] { return log.count(msg_play_error) == 1; }));
    EXPECT_EQ(log.count(msg_track_started), 2);
    EXPECT_EQ(log.count(msg_track_format), 1);
    EXPECT_EQ(log.count(msg_track_finished), 0);
    EXPECT_EQ(log.log.back().wparam, 2u);
    EXPECT_EQ(text(listener.track_record().copy().path), L"C:\\b.mp3");

    // The current thread's own ends: finished, then stopped.
    log.clear();
    std::thread ends([&] {
        listener.on_finish(thread_handle(2), &second, 1);
        listener.on_start(thread_handle(3), &first, false);
        listener.on_finish(thread_handle(3), &first, 0);
        listener.on_start(thread_handle(4), &first, false);
        listener.on_finish(thread_handle(4), &first, 2);  // skipped: nothing
    });
    ends.join();
    ASSERT_TRUE(window_rig::pump_until([&] { return log.count(msg_track_started) == 2; }));
    window_rig::pump();
    EXPECT_EQ(log.count(msg_track_finished), 1);
    EXPECT_EQ(log.count(msg_track_stopped), 1);

    // Without the list's window nothing is posted anywhere.
    target.window = nullptr;
    listener.on_error(thread_handle(4), 0, L"x");
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, msg_play_error, msg_play_error, PM_NOREMOVE));
}

TEST_F(now_playing_list, the_connection_watch_reports_a_loss_once) {
    playlist_view_host host_object(services);
    services.connected = false;
    for (int tick = 0; tick < 30; ++tick) host_object.net_state_watch();  // a minute without connection
    EXPECT_EQ(services.log, (std::vector<std::wstring>{L"인터넷 연결 해제됨"}));
    EXPECT_EQ(services.cache_clears, 1);
    EXPECT_EQ(playlist_view::net_connected, 0);

    services.connected = true;
    host_object.net_state_watch();
    EXPECT_EQ(playlist_view::net_connected, 1);
    services.connected = false;
    host_object.net_state_watch();
    host_object.net_state_watch();
    EXPECT_EQ(services.log.size(), 2u);
    EXPECT_EQ(services.cache_clears, 2);
}

TEST_F(now_playing_list, the_service_reads_and_moves_the_list) {
    playlist_view_host empty_host(services);
    std::vector<int> rows;
    EXPECT_EQ(empty_host.item_count(), 0);  // no window yet
    EXPECT_EQ(empty_host.selected_indices(rows), 0);
    empty_host.select(0, true);

    playlist_view_host host_object(services);
    const RECT rect = {9, 47, 311, 270};
    playlist_view* made = host_object.create_view(host.hwnd(), &rect, &skin);
    ASSERT_EQ(made, &host_object.view());
    SendMessageW(made->get_container(), msg_playlist_changed, 0, reinterpret_cast<LPARAM>(music.first()));
    // The fixture's own list follows the player's events; this one is told.
    music.first()->add(entries({L"0", L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8", L"9", L"10", L"11", L"12",
                                L"13", L"14", L"15", L"16", L"17", L"18", L"19", L"20", L"21", L"22", L"23"}));
    made->set_item_count(24);
    UpdateWindow(made->get_list());
    window_rig::pump();
    EXPECT_EQ(host_object.item_count(), 24);
    host_object.select(3, true);
    host_object.select(5, true);
    EXPECT_EQ(host_object.selected_count(), 2);
    EXPECT_EQ(host_object.selected_indices(rows), -1);
    EXPECT_EQ(rows, (std::vector<int>{3, 5}));
    std::vector<list_info*> picked;
    host_object.selected_entries(picked);
    ASSERT_EQ(picked.size(), 2u);
    EXPECT_EQ(text(picked[1]->title), L"5");
    host_object.select(3, false);
    EXPECT_EQ(host_object.selected_count(), 1);

    const int page = host_object.count_per_page();
    ASSERT_GT(page, 0);
    ASSERT_LT(page, 24);
    host_object.scroll_to(10);
    EXPECT_TRUE(window_rig::pump_until([&] { return host_object.top_index() == 10; }));
    host_object.ensure_visible(0);
    EXPECT_TRUE(window_rig::pump_until([&] { return host_object.top_index() == 0; }));
    EXPECT_EQ(made->vscroll().get_pos(), 0);
}
