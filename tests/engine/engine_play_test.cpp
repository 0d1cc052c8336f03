// The engine plays entries from the synth input into the capture output:
// bit-exact output with every stage off, the events of an entry, the choice
// of listeners, failures and the thread priority.
#include <gtest/gtest.h>
#include <algorithm>
#include "engine_listener.h"
#include "engine_rig.h"


TEST(playback_engine, plays_an_entry_to_its_end_bit_for_bit) {
    const wchar_t* const paths[] = {
        L"synth:cd?secs=1.5",
        L"synth:mono24?rate=48000&ch=1&bits=24&secs=0.7",
        L"synth:int32?rate=22050&ch=2&bits=32&secs=0.6",
        L"synth:float?rate=32000&ch=2&bits=32&tag=3&secs=0.5",
        L"synth:eight?rate=11025&ch=1&bits=8&secs=0.9",
        L"synth:six?rate=48000&ch=6&bits=16&secs=0.4",
        L"synth:odd_reads?secs=0.8&chunk=1001",
        L"synth:sine?wave=sine&level=30000&secs=0.5",
    };
    for (const wchar_t* path : paths) {
        SCOPED_TRACE(testing::Message() << "path " << std::string(path, path + wcslen(path)));
        engine_rig rig;
        playback_engine* engine = rig.new_engine();
        ASSERT_NE(engine, nullptr);
        list_info entry = entry_for(path);
        ASSERT_TRUE(engine->play(&entry, &rig.music));
        ASSERT_TRUE(rig.drive_to_finish());
        synth_params p;
        parse_synth_path(path, p);
        std::vector<capture_track> tracks = rig.tracks(0);
        ASSERT_EQ(tracks.size(), 1u);
        EXPECT_EQ(tracks[0].format.format_tag, p.tag);
        EXPECT_EQ(tracks[0].format.channels, p.channels);
        EXPECT_EQ(tracks[0].format.sample_rate, p.rate);
        EXPECT_EQ(tracks[0].format.bits_per_sample, p.bits);
        EXPECT_DOUBLE_EQ(tracks[0].start_length, p.seconds());
        EXPECT_EQ(tracks[0].finish_fade_ms, 0);
        EXPECT_TRUE(tracks[0].pcm == synth_pcm(path)) << "the output differs from the input";
        std::vector<engine_event> finish = rig.events_of(engine_event_kind::finish);
        ASSERT_EQ(finish.size(), 1u);
        EXPECT_EQ(finish[0].value, 1);
        EXPECT_TRUE(rig.state(0).released);
        EXPECT_FALSE(engine->is_playing());
        engine->release();
    }
}

TEST(playback_engine, raises_the_events_of_one_entry_in_order) {
    engine_rig rig;
    playback_engine* engine = rig.new_engine();
    list_info entry = entry_for(L"synth:one?secs=1.2");
    ASSERT_TRUE(engine->play(&entry, &rig.music));
    ASSERT_TRUE(rig.drive_to_finish());
    std::vector<engine_event> ev = rig.events();
    ASSERT_GE(ev.size(), 6u);
    EXPECT_EQ(ev[0].kind, engine_event_kind::start);
    EXPECT_FALSE(ev[0].flag);
    EXPECT_DOUBLE_EQ(ev[0].seconds, 1.2);  // the entry's time, set from the input
    EXPECT_EQ(ev[0].path, L"synth:one?secs=1.2");
    EXPECT_EQ(ev[1].kind, engine_event_kind::format);
    EXPECT_EQ(ev[1].format.sample_rate, 44100);
    EXPECT_EQ(ev[1].format.channels, 2);
    EXPECT_DOUBLE_EQ(ev[1].format.length, 1.2);
    EXPECT_DOUBLE_EQ(ev[1].format.bitrate, 1411.2);
    EXPECT_EQ(ev.back().kind, engine_event_kind::finish);
    EXPECT_EQ(ev.back().value, 1);
    // Between them: positions (with audio copies), then the end of the
    // entry: track_ending, next (none); only positions and copies follow.
    size_t ending = 0;
    for (size_t i = 0; i < ev.size(); ++i)
        if (ev[i].kind == engine_event_kind::track_ending) ending = i;
    ASSERT_GT(ending, 2u);
    ASSERT_EQ(ev[ending + 1].kind, engine_event_kind::next);
    EXPECT_FALSE(ev[ending + 1].has_next);
    double last = -1.0;
    for (size_t i = 2; i + 1 < ev.size(); ++i) {
        if (i == ending || i == ending + 1) continue;
        engine_event_kind k = ev[i].kind;
        EXPECT_TRUE(k == engine_event_kind::position || k == engine_event_kind::audio ||
                    k == engine_event_kind::paced_audio)
            << "event " << i << " kind " << static_cast<int>(k);
        if (k == engine_event_kind::position) {
            EXPECT_GE(ev[i].seconds, last);
            EXPECT_LE(ev[i].seconds, 1.2 + 1e-9);
            EXPECT_DOUBLE_EQ(ev[i].format.length, 1.2);
            last = ev[i].seconds;
        }
    }
    // Every event came on one system thread, not the test's, from one thread.
    for (const engine_event& e : ev) {
        EXPECT_EQ(e.thread_id, ev[0].thread_id);
        EXPECT_NE(e.thread_id, GetCurrentThreadId());
        if (e.kind != engine_event_kind::track_ending) {
            EXPECT_EQ(e.thread, ev[0].thread);
        }
    }
    EXPECT_EQ(rig.music.advance_calls(), 1);
    EXPECT_EQ(rig.music.advance_threads()[0], ev[0].thread_id);
    engine->release();
}

TEST(playback_engine, tells_only_the_listeners_of_its_player_in_registry_order) {
    engine_rig rig;
    // Listener 1 follows the announcement player: it hears nothing.
    rig.recorder->follow(1, &rig.announcements);
    playback_engine* engine = rig.new_engine();
    list_info entry = entry_for(L"synth:a?secs=0.3");
    ASSERT_TRUE(engine->play(&entry, &rig.music));
    ASSERT_TRUE(rig.drive_to_finish());
    EXPECT_GT(rig.events(0).size(), 3u);
    EXPECT_TRUE(rig.events(1).empty());
    engine->release();

    // Both follow the music player: each event reaches them in registry order.
    rig.recorder->clear();
    rig.recorder->follow(1, &rig.music);
    int first = -1;
    for (int i = 0;; ++i) {
        component* c = core::enum_create_component(engine_listener::iid, i);
        if (!c) break;
        int id = rig.recorder->id_of(c);
        if (id >= 0 && first < 0) first = id;
        c->release();
    }
    ASSERT_GE(first, 0);
    engine = rig.new_engine();
    ASSERT_TRUE(engine->play(&entry, &rig.music));
    // The finish reaches the later listener just after the earlier one.
    ASSERT_TRUE(rig.drive([&] {
        return rig.count(engine_event_kind::finish, 0) >= 1 && rig.count(engine_event_kind::finish, 1) >= 1;
    }));
    std::vector<engine_event> a = rig.events(first), b = rig.events(1 - first);
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].kind, b[i].kind);
        EXPECT_LT(a[i].sequence, b[i].sequence);
    }
    engine->release();
}

TEST(playback_engine, reports_failures_with_the_error_codes_then_finishes) {
    struct row {
        const wchar_t* path;
        bool refuse_writes;
        int code;
        bool with_path;
        bool started;
    };
    const row rows[] = {
        {L"nothing:accepts.this", false, 0, true, false},
        {L"synth:refused?noinput=1", false, 1, true, false},
        // Formats without frames or time cannot be played.
        {L"synth:no_channels?ch=0", false, 1, true, false},
        {L"synth:no_rate?rate=0", false, 1, true, false},
        {L"synth:no_bits?bits=0", false, 1, true, false},
        {L"synth:odd_bits?bits=12", false, 1, true, false},
        {L"synth:refusing_output?secs=1", true, 2, false, true},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(testing::Message() << "code " << r.code << " refuse " << r.refuse_writes);
        engine_rig rig;
        if (r.refuse_writes) rig.capture->refuse_writes_after(0);
        playback_engine* engine = rig.new_engine();
        list_info entry = entry_for(r.path);
        ASSERT_TRUE(engine->play(&entry, &rig.music));
        ASSERT_TRUE(rig.drive_to_finish());
        std::vector<engine_event> ev = rig.events();
        std::vector<engine_event> errors = rig.events_of(engine_event_kind::error);
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0].value, r.code);
        EXPECT_EQ(errors[0].has_path, r.with_path);
        if (r.with_path) {
            EXPECT_EQ(errors[0].path, r.path);
        }
        ASSERT_GE(ev.size(), 2u);
        EXPECT_EQ(ev[ev.size() - 2].kind, engine_event_kind::error);
        EXPECT_EQ(ev.back().kind, engine_event_kind::finish);
        EXPECT_EQ(ev.back().value, 1);
        EXPECT_EQ(rig.count(engine_event_kind::start), r.started ? 1 : 0);
        // No finish_track and no wait: the output is released at once.
        EXPECT_TRUE(rig.calls_of(0, capture_op::finish_track).empty());
        EXPECT_TRUE(rig.state(0).released);
        engine->release();
    }
}

TEST(playback_engine, thread_priority_follows_the_settings) {
    const int table[][2] = {{0, THREAD_PRIORITY_NORMAL},
                            {1, THREAD_PRIORITY_ABOVE_NORMAL},
                            {2, THREAD_PRIORITY_HIGHEST},
                            {3, THREAD_PRIORITY_TIME_CRITICAL},
                            {7, THREAD_PRIORITY_NORMAL}};
    for (const auto& row : table) {
        SCOPED_TRACE(testing::Message() << "setting " << row[0]);
        engine_rig rig;
        rig.settings->set_priority(row[0]);
        playback_engine* engine = rig.new_engine();
        list_info entry = entry_for(L"synth:prio?secs=0.3");
        ASSERT_TRUE(engine->play(&entry, &rig.music));
        ASSERT_TRUE(rig.drive_to_finish());
        std::vector<engine_event> positions = rig.events_of(engine_event_kind::position);
        ASSERT_FALSE(positions.empty());
        EXPECT_EQ(positions.back().priority, row[1]);
        engine->release();
    }
}
