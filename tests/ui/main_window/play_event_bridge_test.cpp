// The music player's play-event bridge with real windows as receivers: which
// messages reach which window, the position throttle, the play log lines,
// and records that a receiver reads safely while two playback threads
// overwrite them.
#include "play_event_bridge.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cwchar>
#include <string>
#include <thread>
#include <vector>

#include "critsec.h"
#include "play_manager.h"
#include "window_messages.h"
#include "window_rig.h"

namespace {
playback_thread* thread_handle(int n) { return reinterpret_cast<playback_thread*>(static_cast<intptr_t>(0x1000 * n)); }

class fake_player : public play_manager {
public:
    const GUID* get_guid() override { return &play_manager::iid; }
    void release() override {}
    int index() override { return 0; }
    bool is_playing() override { return playing.load(); }
    std::atomic<bool> playing{true};
};

class fake_targets : public play_event_targets {
public:
    HWND main_window() override { return main; }
    HWND playlist_window() override { return list; }
    play_manager* music_player() override { return &player; }
    void write_log(const wchar_t* line) override {
        auto_sync guard(lock);
        lines.push_back(line ? line : L"");
    }
    std::vector<std::wstring> log() {
        auto_sync guard(lock);
        return lines;
    }

    HWND main = nullptr;
    HWND list = nullptr;
    fake_player player;
    critsec lock;
    std::vector<std::wstring> lines;
};

const std::vector<UINT> bridge_messages = {
    msg_track_finished, msg_track_position, msg_audio_data,   msg_track_format,   msg_play_error,
    msg_track_started,  msg_track_stopped,  msg_pause_changed, msg_next_track,    msg_previous_track,
    msg_entries_removed, msg_playlist_changed, msg_entry_added, msg_entry_inserted, msg_entry_removed};

list_info entry(const wchar_t* artist, const wchar_t* title) {
    list_info e;
    list_info::set_string(e.artist, artist);
    list_info::set_string(e.title, title);
    list_info::set_string(e.path, L"C:/music/a.mp3");
    e.samplerate = 44100;
    return e;
}

struct bridge_test : ::testing::Test {
    window_rig::host_window main_window{10, 10, 60, 40};
    window_rig::host_window list_window{80, 10, 60, 40};
    window_rig::message_recorder main_log{bridge_messages};
    window_rig::message_recorder list_log{bridge_messages};
    fake_targets targets;
    engine_listener_bridge engine;
    play_listener_bridge player;

    void SetUp() override {
        main_log.init(main_window.hwnd());
        list_log.init(list_window.hwnd());
        targets.main = main_window.hwnd();
        targets.list = list_window.hwnd();
        engine.set_targets(&targets);
        player.set_targets(&targets);
    }
    // The posted messages delivered, with a short wait: under load Wine may
    // hand a posted message over a little after the post returns.
    void deliver() { window_rig::pump_for(20); }
    int positions() const { return main_log.count(msg_track_position); }
};
}  // namespace

TEST_F(bridge_test, positions_post_at_most_every_fifth_of_a_second_and_always_first_after_a_start) {
    audio_format format = default_engine_format();
    struct step {
        int thread;        // 0: a start of the thread given next
        double position;   // or the start's thread number
        bool playing;
        int posted;        // positions posted so far
    } steps[] = {
        {0, 1, true, 0},      {1, 1.0, true, 1},   {1, 1.1, true, 1},  {1, 1.2, true, 2},
        {1, 1.3, true, 2},    {1, 1.45, true, 3},  {2, 1.9, true, 3},  // not the current thread
        {1, 2.0, false, 3},   // the player is not playing
        {0, 2, true, 3},      {2, 1.5, true, 4},   // a new start posts its first tick at once
        {2, 1.6, true, 4},    {1, 9.0, true, 4},
    };
    for (const step& s : steps) {
        targets.player.playing = s.playing;
        list_info e = entry(L"a", L"t");
        if (s.thread == 0) {
            engine.on_start(thread_handle(static_cast<int>(s.position)), &e, false);
        } else {
            engine.on_position(thread_handle(s.thread), &format, s.position);
        }
        deliver();
        EXPECT_EQ(positions(), s.posted) << "after thread " << s.thread << " at " << s.position;
    }
    // What the last posted message carries, read the way a receiver does: the
    // record holds the latest tick of the current thread, posted or not.
    const window_rig::recorded_message* last = nullptr;
    for (const auto& m : main_log.log)
        if (m.msg == msg_track_position) last = &m;
    ASSERT_NE(last, nullptr);
    const position_record record = event_record<position_record>::from(last->lparam)->copy();
    EXPECT_DOUBLE_EQ(record.position, 1.6);
    EXPECT_EQ(record.format.sample_rate, 44100);
}

TEST_F(bridge_test, finishes_post_by_reason_and_always_log) {
    struct {
        int reason;
        UINT posted;  // 0: nothing
    } cases[] = {{0, msg_track_stopped}, {1, msg_track_finished}, {2, 0}, {7, 0}};
    for (const auto& c : cases) {
        main_log.clear();
        list_info e = entry(L"Artist", L"Title");
        engine.on_start(thread_handle(1), &e, false);
        list_info done = entry(L"Artist", L"Done");
        engine.on_finish(thread_handle(1), &done, c.reason);
        deliver();
        EXPECT_EQ(engine.current_thread(), nullptr) << c.reason;
        EXPECT_EQ(main_log.count(msg_track_stopped), c.posted == msg_track_stopped ? 1 : 0) << c.reason;
        EXPECT_EQ(main_log.count(msg_track_finished), c.posted == msg_track_finished ? 1 : 0) << c.reason;
        EXPECT_EQ(targets.log().back(), L"음악 파일 재생 완료 : Artist - Done") << c.reason;
    }
    // The finished track's record is what msg_track_finished carried.
    EXPECT_STREQ(engine.track_record().copy().title, L"Done");
}

TEST_F(bridge_test, a_finish_of_an_older_thread_after_a_newer_start_changes_nothing) {
    list_info first = entry(L"A", L"first");
    list_info second = entry(L"B", L"second");
    engine.on_start(thread_handle(1), &first, false);
    engine.on_start(thread_handle(2), &second, false);
    engine.on_finish(thread_handle(1), &first, 1);
    deliver();
    EXPECT_EQ(engine.current_thread(), thread_handle(2));
    EXPECT_STREQ(engine.track_record().copy().title, L"second");
    EXPECT_EQ(main_log.count(msg_track_started), 2);
    EXPECT_EQ(main_log.count(msg_track_finished), 0);
    EXPECT_EQ(main_log.count(msg_track_stopped), 0);
    // Both finishes and starts are logged; a missing artist logs empty.
    list_info untitled;
    list_info::set_string(untitled.title, L"only title");
    engine.on_start(thread_handle(3), &untitled, false);
    const std::vector<std::wstring> lines = targets.log();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], L"음악 파일 재생 시작 : A - first");
    EXPECT_EQ(lines[2], L"음악 파일 재생 완료 : A - first");
    EXPECT_EQ(lines[3], L"음악 파일 재생 시작 :  - only title");
}

TEST_F(bridge_test, errors_of_any_thread_post_their_type_and_log_two_lines) {
    list_info e = entry(L"a", L"t");
    engine.on_start(thread_handle(1), &e, false);
    deliver();
    struct {
        int type;
        const wchar_t* path;
        const wchar_t* line;
    } cases[] = {
        {0, L"http://host/dir/song.mp3", L"파일 재생 에러 : 파일을 열수 없거나 주소가 잘못 되었습니다(song.mp3)"},
        {1, L"C:\\music\\x.wav", L"파일 재생 에러 : 입력 콤포넌트를 생성할 수 없습니다(C:\\music\\x.wav)"},
        {2, nullptr, L"파일 재생 에러 : 출력콤포넌트를 생성할 수 없거나 해당 트랙의 오디오 형식을 출력할수 없습니다"},
        {3, L"a/b", L"파일 재생 에러 : 원인을 알수 없는 재생 오류입니다"},
        {9, L"a/b", L""},
    };
    for (const auto& c : cases) {
        main_log.clear();
        const size_t before = targets.log().size();
        // Thread 7 is not the current one: the error still reaches the window.
        engine.on_error(thread_handle(7), c.type, c.path);
        deliver();
        ASSERT_EQ(main_log.count(msg_play_error), 1) << c.type;
        EXPECT_EQ(main_log.log[0].wparam, static_cast<WPARAM>(c.type));
        EXPECT_EQ(main_log.log[0].lparam, 0);
        const std::vector<std::wstring> lines = targets.log();
        ASSERT_EQ(lines.size(), before + 2) << c.type;
        EXPECT_EQ(lines[before], c.line);
        EXPECT_EQ(lines[before + 1], L"재생 에러 발생 다음 트랙으로 이동");
    }
}

TEST_F(bridge_test, formats_and_audio_of_the_current_thread_only) {
    list_info e = entry(L"a", L"t");
    engine.on_start(thread_handle(1), &e, false);
    audio_format format = default_engine_format();
    format.channels = 2;
    format.length = 61.5;
    engine.on_format(thread_handle(2), &format);
    engine.on_format(thread_handle(1), &format);
    const unsigned char five[] = {1, 2, 3, 4, 5};
    const unsigned char three[] = {9, 8, 7};
    engine.on_audio(thread_handle(2), &format, five, 5);
    engine.on_audio(thread_handle(1), &format, five, 5);
    deliver();
    ASSERT_EQ(main_log.count(msg_track_format), 1);
    ASSERT_EQ(main_log.count(msg_audio_data), 1);
    const audio_format seen = event_record<audio_format>::from(main_log.log[1].lparam)->copy();
    EXPECT_EQ(seen.channels, 2);
    EXPECT_DOUBLE_EQ(seen.length, 61.5);
    audio_block block = audio_block::from(main_log.log[2].lparam);
    EXPECT_EQ(block.bytes, std::vector<unsigned char>(five, five + 5));
    // The buffer grows by doubling from 1 and is reused for smaller blocks.
    size_t capacity = 0;
    engine.audio_record().read([&](const audio_buffer& b) { capacity = b.capacity(); });
    EXPECT_EQ(capacity, 8u);
    engine.on_audio(thread_handle(1), &format, three, 3);
    deliver();
    engine.audio_record().read([&](const audio_buffer& b) { capacity = b.capacity(); });
    EXPECT_EQ(capacity, 8u);
    EXPECT_EQ(audio_block::from(engine.audio_record().as_lparam()).bytes, std::vector<unsigned char>(three, three + 3));
    // Not while the player is stopped.
    targets.player.playing = false;
    engine.on_audio(thread_handle(1), &format, five, 5);
    deliver();
    EXPECT_EQ(main_log.count(msg_audio_data), 2);
}

TEST_F(bridge_test, player_events_reach_the_main_and_the_playlist_window) {
    list_info a = entry(L"A", L"a");
    list_info b = entry(L"B", L"b");
    list_info c = entry(L"C", L"c");
    player.on_play(&a);
    player.on_stop(&a);
    player.on_pause(&a, true);
    player.on_next(&b);
    player.on_previous(&c);
    player.on_entry_added({&a, &b, &c});
    std::vector<list_info*> inserted = {&b};
    player.on_entry_inserted(4, inserted);
    std::vector<int> removed = {1, 2};
    player.on_entry_removed(removed);
    player.on_current_playlist(reinterpret_cast<playlist*>(0x5678));
    player.on_entries_updated({3, 5}, {&a, &b});
    player.on_volume(10);
    player.on_list_reordered();
    deliver();

    const std::vector<window_rig::recorded_message> expected_main = {
        {msg_pause_changed, 1, reinterpret_cast<LPARAM>(&a)},
        {msg_next_track, 0, reinterpret_cast<LPARAM>(&b)},
        {msg_previous_track, 0, reinterpret_cast<LPARAM>(&c)},
        // The posted ones arrive when the queue is read.
        {msg_track_started, 0, player.track_record().as_lparam()},
        {msg_track_stopped, 0, 0},
        {msg_playlist_changed, 0, 0},
    };
    ASSERT_EQ(main_log.log.size(), expected_main.size());
    for (size_t i = 0; i < expected_main.size(); ++i) {
        EXPECT_EQ(main_log.log[i].msg, expected_main[i].msg) << i;
        EXPECT_EQ(main_log.log[i].wparam, expected_main[i].wparam) << i;
        EXPECT_EQ(main_log.log[i].lparam, expected_main[i].lparam) << i;
    }
    EXPECT_STREQ(player.track_record().copy().title, L"a");

    const std::vector<window_rig::recorded_message> expected_list = {
        {msg_entry_added, 0, reinterpret_cast<LPARAM>(&a)},
        {msg_entry_added, 0, reinterpret_cast<LPARAM>(&b)},
        {msg_entry_added, 0, reinterpret_cast<LPARAM>(&c)},
        {msg_entry_inserted, 4, reinterpret_cast<LPARAM>(&inserted)},
        {msg_entry_removed, 0, reinterpret_cast<LPARAM>(&removed)},
        {msg_playlist_changed, 0, 0x5678},
        // Entries replaced in place: posted, with the bridge's copy.
        {msg_entries_removed, 0, reinterpret_cast<LPARAM>(&player.changed_indices())},
    };
    EXPECT_EQ(player.changed_indices(), (std::vector<int>{3, 5}));
    ASSERT_EQ(list_log.log.size(), expected_list.size());
    for (size_t i = 0; i < expected_list.size(); ++i) {
        EXPECT_EQ(list_log.log[i].msg, expected_list[i].msg) << i;
        EXPECT_EQ(list_log.log[i].wparam, expected_list[i].wparam) << i;
        EXPECT_EQ(list_log.log[i].lparam, expected_list[i].lparam) << i;
    }
}

TEST_F(bridge_test, events_before_the_windows_exist_are_dropped) {
    targets.main = nullptr;
    targets.list = nullptr;
    list_info e = entry(L"A", L"a");
    player.on_play(&e);
    player.on_pause(&e, false);
    player.on_entry_added({&e});
    player.on_current_playlist(nullptr);
    engine.on_start(thread_handle(1), &e, false);
    engine.on_error(thread_handle(1), 0, L"x");
    deliver();
    EXPECT_TRUE(main_log.log.empty());
    EXPECT_TRUE(list_log.log.empty());
    // Once the main window exists, the engine bridge finds it.
    targets.main = main_window.hwnd();
    audio_format format = default_engine_format();
    engine.on_format(thread_handle(1), &format);
    deliver();
    EXPECT_EQ(main_log.count(msg_track_format), 1);
}

namespace {
// Reads every record as a window procedure would, while the playback threads
// go on overwriting them, and checks that each copy is whole: the strings of
// one entry all carry the same number, and an audio block's bytes all equal
// its channel count.
class record_checker : public subclass {
public:
    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override {
        if (msg == msg_track_started || msg == msg_track_finished) {
            const list_info copy = event_record<list_info>::from(lparam)->copy();
            ++tracks;
            const std::wstring artist = copy.artist ? copy.artist : L"?";
            const std::wstring title = copy.title ? copy.title : L"!";
            const std::wstring id = copy.id ? copy.id : L"#";
            if (artist != title || artist != id || copy.track != _wtoi(artist.c_str())) ++torn;
        } else if (msg == msg_audio_data) {
            const audio_block block = audio_block::from(lparam);
            ++blocks;
            if (block.bytes.size() != static_cast<size_t>(block.format.channels) * 3) ++torn;
            for (unsigned char b : block.bytes)
                if (b != static_cast<unsigned char>(block.format.channels)) ++torn;
        } else if (msg == msg_track_position) {
            const position_record record = event_record<position_record>::from(lparam)->copy();
            ++positions;
            if (static_cast<int>(record.position) != record.format.sample_rate) ++torn;
        }
        return subclass::window_proc(msg, wparam, lparam);
    }
    int tracks = 0;
    int blocks = 0;
    int positions = 0;
    int torn = 0;
};
}  // namespace

TEST_F(bridge_test, two_playback_threads_overwrite_records_while_the_window_reads_them) {
    record_checker checker;
    checker.init(main_window.hwnd());
    const int rounds = 400;
    std::atomic<int> running{2};
    auto play = [&](int which) {
        std::vector<unsigned char> bytes;
        for (int i = 0; i < rounds; ++i) {
            const int n = which * 100000 + i;
            wchar_t number[16];
            _snwprintf(number, 15, L"%d", n);
            number[15] = 0;
            list_info e;
            list_info::set_string(e.artist, number);
            list_info::set_string(e.title, number);
            list_info::set_string(e.id, number);
            e.track = n;
            playback_thread* t = thread_handle(which * 1000 + i + 1);
            engine.on_start(t, &e, false);
            audio_format format = default_engine_format();
            format.channels = 1 + (n % 7);
            format.sample_rate = n;
            engine.on_format(t, &format);
            // Blocks of varying size make the buffer grow while it is read.
            bytes.assign(static_cast<size_t>(format.channels) * 3, static_cast<unsigned char>(format.channels));
            engine.on_audio(t, &format, bytes.data(), static_cast<int>(bytes.size()));
            engine.on_position(t, &format, static_cast<double>(n));
            engine.on_finish(t, &e, 1);
        }
        --running;
    };
    std::thread first(play, 1);
    std::thread second(play, 2);
    // The window reads while the threads write.
    window_rig::pump_until([&] { return running.load() == 0; }, INFINITE);
    first.join();
    second.join();
    window_rig::pump();
    EXPECT_EQ(checker.torn, 0);
    EXPECT_GT(checker.tracks, 0);
    EXPECT_GT(checker.blocks, 0);
    EXPECT_GT(checker.positions, 0);
}
