// The now-playing list: its texts, modes and status line, the row colours
// on screen, play errors, drops and the keys that play and delete rows.
#include <gtest/gtest.h>

#include "drag_drop.h"
#include "playlist_view_fixture.h"
#include "playlist_view_text.h"
#include "window_capture.h"

using namespace playlist_test;

namespace {
std::vector<list_info*> pointers(std::vector<list_info>& list) {
    std::vector<list_info*> out;
    for (list_info& e : list) out.push_back(&e);
    return out;
}
}  // namespace

TEST(playlist_view_text, status_texts) {
    struct row {
        std::vector<double> times;
        const wchar_t* expected;
    };
    // 41 entries lasting 3 h 2 min 5 s; one of 59 s; one of 61.9 s; none.
    std::vector<double> long_list(40, 266.0);
    long_list.push_back(285.0);
    const row rows[] = {
        {long_list, L"전체 41곡, 총 3시간 2분 5초"},
        {{59.0}, L"전체 1곡, 총 59초"},
        {{61.9}, L"전체 1곡, 총 1분 1초"},
        {{1800.0, 1800.0}, L"전체 2곡, 총 1시간 0분 0초"},
        {{}, L""},
    };
    for (const row& r : rows) {
        std::vector<list_info> list(r.times.size());
        for (size_t i = 0; i < r.times.size(); ++i) list[i].time = r.times[i];
        EXPECT_EQ(playlist_status_text(pointers(list)), r.expected);
    }
    EXPECT_EQ(channel_status_text(L"2.1.0.3"), L"ver 2.1.0.3");
    EXPECT_EQ(channel_status_text(L""), L"ver 1.0.0.0.0");
}

TEST(playlist_view_text, titles_type_keys_and_the_played_record) {
    struct row {
        const wchar_t* path;
        const wchar_t* title;
        const wchar_t* shown;
        const wchar_t* key;
    };
    const row rows[] = {
        {L"C:\\music\\a.b.MP3", nullptr, L"a.b", L"mp3"},
        {L"C:\\music\\노래.mp3", L"제목", L"제목", L"mp3"},
        {L"HTTP://radio/live", nullptr, L"HTTP://radio/live", L"radio"},
        {L"mmsh://x/y.asf", nullptr, L"mmsh://x/y.asf", L"radio"},
        {L"zel://42", nullptr, L"zel://42", L"zel"},
        {L"D:\\Track01.cda", L"", L"Track01", L"cda"},
        {L"C:\\dir.v2\\noext", nullptr, L"noext", L""},
    };
    for (const row& r : rows) {
        list_info e;
        list_info::set_string(e.path, r.path);
        list_info::set_string(e.title, r.title);
        EXPECT_EQ(entry_title_text(e), r.shown) << r.path;
        EXPECT_EQ(entry_type_key(e), r.key) << r.path;
    }

    list_info e;
    list_info::set_string(e.path, L"http://127.0.0.1/music/A123.mp3|77|x");
    list_info::set_string(e.title, L"곡");
    list_info::set_string(e.artist, L"가수");
    list_info::set_string(e.album, L"앨범");
    list_info::set_string(e.filename, L"A123.mp3");
    e.time = 200.9;
    EXPECT_EQ(played_log_record(1052, e), L"1052^곡^가수^앨범^A123.mp3^200^A123.mp3");
    list_info::set_string(e.path, L"http://127.0.0.1/music/A123.mp3");  // no "|": no key
    EXPECT_EQ(played_log_record(7, e), L"7^곡^가수^앨범^A123.mp3^200^");
}

TEST_F(now_playing_list, the_status_line_and_the_modes) {
    // Playlist mode: the Default playlist's entries and their total time.
    EXPECT_FALSE(view->channel_mode());
    EXPECT_EQ(music.mode, 1);  // play method 0
    std::vector<list_info> list = entries({L"a", L"b", L"c"}, 20.5);
    music.first()->add(list);
    EXPECT_EQ(view->get_item_count(), 3);
    EXPECT_EQ(skin.left, L"전체 3곡, 총 1분 1초");
    EXPECT_EQ(view->get_item_text(1, 1).wvalue(), std::wstring(L"b"));
    EXPECT_EQ(view->get_item_text(1, 2).wvalue(), std::wstring(L"가수 b"));
    EXPECT_EQ(view->get_item_text(2, 0).wvalue(), std::wstring(L"3"));
    EXPECT_EQ(view->get_cell_text(2, 0).wvalue(), std::wstring(L""));

    // The clock writes the right text without touching the left one.
    ASSERT_TRUE(window_rig::pump_until([&] { return !skin.right.empty(); }, 20000));
    EXPECT_EQ(skin.right, L"2026-12-11 09:00:00");
    EXPECT_EQ(skin.left, L"전체 3곡, 총 1분 1초");

    // Channel mode: the version text, in order round the list, the
    // channel's rows.
    load_channel(channel_tracks(3));
    EXPECT_EQ(skin.left, L"ver 1.0.0.0.0");
    EXPECT_EQ(music.mode, 1);
    EXPECT_EQ(view->get_item_count(), 3);
    EXPECT_EQ(view->get_item_text(0, 1).wvalue(), std::wstring(L"곡0"));
    EXPECT_FALSE(skin.hidden.empty());
    EXPECT_EQ(skin.hidden.back(), 3);
    EXPECT_GE(services.fades_off_calls, 2);

    // The other play methods.
    const int modes[][2] = {{1, 0}, {2, 5}, {3, 4}};
    for (const auto& m : modes) {
        services.method = m[0];
        send(msg_playlist_changed, 0, reinterpret_cast<LPARAM>(music.first()));
        EXPECT_EQ(music.mode, m[1]);
    }
}

TEST_F(now_playing_list, row_colours_on_screen) {
    add({L"a", L"b", L"c", L"d"});
    music.play(music.first()->at(1));
    select(1);
    select(2);
    UpdateWindow(host.hwnd());
    RedrawWindow(list(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    window_rig::pump();
    const pixel_image shot = capture_window(host.hwnd());
    save_artifact(shot, L"now_playing");
    // Row r's area in the host, inside the artist column, right of its text.
    auto row_box = [&](int r) {
        RECT box = {};
        box.left = LVIR_BOUNDS;
        SendMessageW(list(), LVM_GETITEMRECT, r, reinterpret_cast<LPARAM>(&box));
        MapWindowPoints(list(), host.hwnd(), reinterpret_cast<POINT*>(&box), 2);
        return box;
    };
    auto background = [&](int r) {
        const RECT b = row_box(r);
        return shot.at(b.left + 197 + 95 - 8, (b.top + b.bottom) / 2);
    };
    auto black_pixels = [&](int r) {
        const RECT b = row_box(r);
        return shot.count(RGB(0, 0, 0), b.left + 2, b.top, 290, b.bottom - b.top);
    };
    EXPECT_EQ(view->playing_row(), 1);
    EXPECT_EQ(background(0), RGB(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(background(1), RGB(0xB4, 0xB4, 0xB4));  // selected
    EXPECT_EQ(background(2), RGB(0xB4, 0xB4, 0xB4));
    EXPECT_EQ(background(3), RGB(0xE2, 0xE2, 0xE2));  // odd row
    // The playing row's text is black although it is selected; the others'
    // text is not.
    EXPECT_GT(black_pixels(1), 0);
    EXPECT_EQ(black_pixels(0), 0);
    EXPECT_EQ(black_pixels(2), 0);

    // Channel mode: a selection does not show.
    load_channel(channel_tracks(4));
    select(2);
    RedrawWindow(list(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    window_rig::pump();
    const pixel_image channel_shot = capture_window(host.hwnd());
    save_artifact(channel_shot, L"channel");
    const RECT b = row_box(2);
    EXPECT_EQ(channel_shot.at(b.left + 197 + 95 - 8, (b.top + b.bottom) / 2), RGB(0xFF, 0xFF, 0xFF));
}

TEST_F(now_playing_list, a_long_run_of_stream_errors_in_a_channel) {
    load_channel(channel_tracks(3));
    music.log.clear();
    for (int i = 0; i < 200; ++i) send(msg_play_error, 0, 0);
    EXPECT_EQ(music.count(L"next"), 200);
    EXPECT_EQ(services.cache_clears, 0);
    EXPECT_TRUE(services.log.empty());

    // The 201st: the queue is dropped, the loss logged, the title emptied;
    // the player is not advanced.
    send(msg_play_error, 0, 0);
    EXPECT_EQ(music.count(L"next"), 200);
    EXPECT_EQ(services.cache_clears, 1);
    EXPECT_EQ(services.log, (std::vector<std::wstring>{L"인터넷 연결 해제됨"}));
    EXPECT_EQ(services.titles_told, (std::vector<std::wstring>{L""}));
    EXPECT_EQ(playlist_view::net_connected, 0);

    // The count starts again; a format message resets it too.
    for (int i = 0; i < 150; ++i) send(msg_play_error, 0, 0);
    send(msg_track_format, 0, 0);
    EXPECT_EQ(playlist_view::net_connected, 1);
    for (int i = 0; i < 150; ++i) send(msg_play_error, 0, 0);
    EXPECT_EQ(music.count(L"next"), 500);
    EXPECT_EQ(services.cache_clears, 1);
    EXPECT_EQ(services.titles_told.size(), 1u);
    // Other error types skip without counting.
    for (int i = 0; i < 60; ++i) send(msg_play_error, 1, 0);
    EXPECT_EQ(music.count(L"next"), 560);
    EXPECT_EQ(services.cache_clears, 1);
}

TEST_F(now_playing_list, play_errors_in_playlist_mode) {
    add({L"a", L"b", L"c"});
    struct row {
        int type;
        int following;  // index of what advance answers; -1 none
        const wchar_t* expected;
    };
    const row rows[] = {
        {2, 1, L"stop"},  // no output: stop whatever follows
        {0, 1, L"next"},  // b follows and is not the last
        {1, 2, L"stop"},  // c is the last entry
        {0, -1, L"stop"},
    };
    for (const row& r : rows) {
        music.log.clear();
        music.following = r.following >= 0 ? music.first()->at(static_cast<unsigned>(r.following)) : nullptr;
        send(msg_play_error, static_cast<WPARAM>(r.type), 0);
        EXPECT_EQ(music.log, (std::vector<std::wstring>{r.expected})) << r.type << " " << r.following;
    }
    // A finished track stops in playlist mode.
    music.log.clear();
    send(msg_track_finished, 0, 0);
    EXPECT_EQ(music.log, (std::vector<std::wstring>{L"stop"}));
}

TEST_F(now_playing_list, deleting_the_playing_entry_stops_playback) {
    add({L"a", L"b", L"c", L"d"});
    music.play(music.first()->at(1));
    music.log.clear();

    // Another row first: the music goes on.
    select(3);
    window_rig::key(list(), VK_DELETE);
    EXPECT_EQ(music.count(L"stop"), 0);
    EXPECT_EQ(paths_of(music.first()),
              (std::vector<std::wstring>{L"C:\\music\\a.mp3", L"C:\\music\\b.mp3", L"C:\\music\\c.mp3"}));
    EXPECT_EQ(view->get_item_count(), 3);

    view->set_item_state(-1, 0, LVIS_SELECTED);
    select(0);
    select(1);
    window_rig::key(list(), VK_DELETE);
    EXPECT_EQ(music.count(L"stop"), 1);
    EXPECT_FALSE(music.playing);
    EXPECT_EQ(paths_of(music.first()), (std::vector<std::wstring>{L"C:\\music\\c.mp3"}));
    EXPECT_EQ(view->get_item_count(), 1);
    EXPECT_EQ(skin.left, L"전체 1곡, 총 1분 0초");
}

TEST_F(now_playing_list, enter_and_double_click_play_a_row_only_in_playlist_mode) {
    add({L"a", L"b", L"c"});
    select(2);
    window_rig::key(list(), VK_RETURN);
    EXPECT_EQ(music.plays(), (std::vector<std::wstring>{L"C:\\music\\c.mp3"}));
    RECT r = {};
    r.left = LVIR_BOUNDS;
    SendMessageW(list(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
    window_rig::double_click(list(), 40, (r.top + r.bottom) / 2);
    EXPECT_EQ(music.plays().back(), L"C:\\music\\a.mp3");

    load_channel(channel_tracks(3));
    const size_t before = music.log.size();
    select(1);
    window_rig::key(list(), VK_RETURN);
    window_rig::double_click(list(), 40, (r.top + r.bottom) / 2);
    window_rig::key(list(), VK_DELETE);
    EXPECT_EQ(music.log.size(), before);
    EXPECT_EQ(music.channel()->count(), 3u);
}

TEST_F(now_playing_list, a_started_track_is_selected_in_playlist_mode) {
    add({L"a", L"b", L"c"});
    select(0);
    music.play(music.first()->at(2));
    track_started(*music.first()->at(2));
    EXPECT_EQ(view->get_next_item(-1, LVNI_SELECTED), 2);
    EXPECT_EQ(view->get_selected_count(), 1);
}

TEST_F(now_playing_list, a_folder_dropped_while_a_channel_plays) {
    load_channel(channel_tracks(3));
    services.drops.folders[L"C:\\music"] = {L"C:\\music\\b.mp3", L"C:\\music\\a.mp3"};
    services.store.write(L"folders", L"folder0", L"C:\\other");
    music.log.clear();

    // Through the list's drop target, as the shell drops a folder.
    IDropTarget* target = nullptr;
    playlist_drop_target* drop = new playlist_drop_target(list(), *view);
    target = drop;
    data_object* data = new data_object(std::vector<stringx>{L"C:\\music"});
    POINTL at = {100, 150};
    DWORD effect = DROPEFFECT_COPY;
    target->DragEnter(data, 0, at, &effect);
    effect = DROPEFFECT_COPY;
    EXPECT_EQ(target->Drop(data, 0, at, &effect), S_OK);
    data->Release();
    target->Release();

    EXPECT_EQ(music.channel()->count(), 0u);
    EXPECT_EQ(music.current_playlist(), music.first());
    EXPECT_EQ(music.active_playlist(), music.first());
    EXPECT_FALSE(view->channel_mode());
    EXPECT_EQ(paths_of(music.first()), (std::vector<std::wstring>{L"C:\\music\\a.mp3", L"C:\\music\\b.mp3"}));
    EXPECT_EQ(music.log.front(), L"stop");
    EXPECT_EQ(music.plays(), (std::vector<std::wstring>{L"C:\\music\\a.mp3"}));
    EXPECT_EQ(services.drops.library, (std::vector<std::wstring>{L"C:\\music"}));
    EXPECT_EQ(services.store.read(L"folders", L"folder0").wvalue(), std::wstring(L"C:\\other"));
    EXPECT_EQ(services.store.read(L"folders", L"folder1").wvalue(), std::wstring(L"C:\\music"));
    EXPECT_EQ(view->get_item_count(), 2);
}

TEST_F(now_playing_list, more_files_than_the_limit_go_through_the_progress_dialog) {
    for (size_t n : {size_t(50), size_t(51)}) {
        music.first()->clear();
        services.drops.progress_runs = 0;
        std::vector<stringx> files;
        for (size_t i = 0; i < n; ++i) files.push_back((L"C:\\many\\" + std::to_wstring(i) + L".mp3").c_str());
        view->add_dropped_paths(files, POINT{-1, -1});
        EXPECT_EQ(services.drops.progress_runs, n > 50 ? 1 : 0) << n;
        EXPECT_EQ(music.first()->count(), n);
        EXPECT_EQ(view->get_item_count(), static_cast<int>(n));
        EXPECT_TRUE(music.plays().empty());  // playlist mode: no playback change
    }
}

TEST_F(now_playing_list, a_stream_entry_dropped_replaces_default_and_plays) {
    add({L"a", L"b"});
    std::vector<list_info> dropped(1);
    list_info::set_string(dropped[0].path, L"http://127.0.0.1/live");
    view->add_dropped_entries(pointers(dropped), POINT{10, 10});
    EXPECT_EQ(paths_of(music.first()), (std::vector<std::wstring>{L"http://127.0.0.1/live"}));
    EXPECT_EQ(music.log.front(), L"stop");
    EXPECT_EQ(music.plays(), (std::vector<std::wstring>{L"http://127.0.0.1/live"}));
    EXPECT_EQ(view->get_item_count(), 1);

    // Ordinary entries are inserted at the row under the point, without
    // playing.
    music.log.clear();
    std::vector<list_info> more = entries({L"x"});
    RECT r = {};
    r.left = LVIR_BOUNDS;
    SendMessageW(list(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
    view->add_dropped_entries(pointers(more), POINT{30, (r.top + r.bottom) / 2});
    EXPECT_EQ(paths_of(music.first()), (std::vector<std::wstring>{L"C:\\music\\x.mp3", L"http://127.0.0.1/live"}));
    EXPECT_TRUE(music.log.empty());
}

// Entries replaced in place (their lengths read later, say) change the
// total: the listener posts msg_entries_removed and the status line follows.
TEST_F(now_playing_list, entries_replaced_in_place_redraw_the_status_line) {
    add({L"a", L"b"}, 20);
    const std::wstring before = skin.left;
    std::vector<list_info> longer = entries({L"b"}, 100);
    music.first()->update({1}, {&longer[0]});
    window_rig::pump();
    EXPECT_NE(skin.left, before);
    EXPECT_EQ(skin.left, playlist_status_text(music.first()->entries()));
    EXPECT_EQ(listener.changed_indices(), (std::vector<int>{1}));
}
