// Threads left behind by engines: played to their end and reaped, stopped at
// quit; engines released while their threads still run; stops during a
// crossfade drain; no thread handle outlives its thread.
#include <gtest/gtest.h>
#include "engine_rig.h"

namespace {
int left_behind() { return playback_engine_left_behind_count(); }

bool thread_object_exists(DWORD id) {
    HANDLE h = OpenThread(THREAD_QUERY_INFORMATION, FALSE, id);
    if (!h) return false;
    CloseHandle(h);
    return true;
}
}  // namespace

TEST(playback_engine_lifecycle, a_released_engine_thread_plays_to_its_end_and_is_reaped) {
    engine_rig rig;
    playback_engine* engine = rig.new_engine();
    const wchar_t* path = L"synth:r?secs=1.5";
    list_info entry = entry_for(path);
    ASSERT_TRUE(engine->play(&entry, &rig.music));
    engine->release();
    EXPECT_EQ(left_behind(), 1);
    ASSERT_TRUE(rig.drive([&] { return rig.count(engine_event_kind::position) > 5; }));
    EXPECT_EQ(left_behind(), 1);  // still playing: not reaped
    ASSERT_TRUE(rig.drive_to_finish());
    EXPECT_TRUE(pump_until([] { return left_behind() == 0; }));
    EXPECT_TRUE(rig.tracks(0)[0].pcm == synth_pcm(path));
    EXPECT_EQ(rig.events_of(engine_event_kind::finish)[0].value, 1);
}

TEST(playback_engine_lifecycle, play_while_a_track_plays_leaves_the_old_one_playing) {
    engine_rig rig;
    playback_engine* engine = rig.new_engine();
    const wchar_t* a = L"synth:a?secs=2";
    const wchar_t* b = L"synth:b?secs=1&base=500000";
    list_info first = entry_for(a), second = entry_for(b);
    ASSERT_TRUE(engine->play(&first, &rig.music));
    ASSERT_TRUE(rig.drive([&] { return engine->position() >= 0.5; }));
    ASSERT_TRUE(engine->play(&second, &rig.music));
    EXPECT_EQ(left_behind(), 1);
    EXPECT_TRUE(engine->is_playing());
    ASSERT_TRUE(rig.drive_to_finish(2));
    ASSERT_EQ(rig.capture->output_count(), 2);
    EXPECT_TRUE(rig.tracks(0)[0].pcm == synth_pcm(a));
    EXPECT_TRUE(rig.tracks(1)[0].pcm == synth_pcm(b));
    for (const engine_event& e : rig.events_of(engine_event_kind::finish)) EXPECT_EQ(e.value, 1);
    EXPECT_TRUE(pump_until([] { return left_behind() == 0; }));
    engine->release();
    EXPECT_TRUE(pump_until([] { return left_behind() == 0; }));
}

TEST(playback_engine_lifecycle, quit_ends_a_left_behind_thread_stuck_in_its_output) {
    engine_rig rig;
    rig.capture->set_stuck(true);  // plays nothing, never finishes
    playback_engine* stuck = rig.new_engine();
    list_info entry = entry_for(L"synth:stuck?secs=30");
    ASSERT_TRUE(stuck->play(&entry, &rig.music));
    stuck->release();
    ASSERT_TRUE(rig.drive([&] { return rig.capture->output_count() == 1; }));  // output 0 is its
    // A track of an engine that still exists is its player's to stop.
    playback_engine* current = rig.new_engine();
    list_info other = entry_for(L"synth:other?secs=30");
    ASSERT_TRUE(current->play(&other, &rig.announcements));
    ASSERT_TRUE(rig.drive([&] { return rig.capture->output_count() == 2 && rig.state(0).written > 0; }));
    rig.settle();
    ASSERT_EQ(left_behind(), 1);
    DWORD begin = GetTickCount();
    raise_on_quit();
    DWORD elapsed = GetTickCount() - begin;
    RecordProperty("quit_ms", static_cast<int>(elapsed));
    EXPECT_EQ(left_behind(), 0);
    // The quit flag ended its wait for the full output: it finished by itself,
    // with stop mode 0, and released its output.
    std::vector<engine_event> finish = rig.events_of(engine_event_kind::finish);
    ASSERT_EQ(finish.size(), 1u);
    EXPECT_EQ(finish[0].value, 0);
    EXPECT_TRUE(rig.state(0).released);
    EXPECT_TRUE(current->is_playing());
    EXPECT_FALSE(rig.state(1).released);
    current->stop(0);
    current->release();
}

TEST(playback_engine_lifecycle, quit_terminates_left_behind_threads_that_do_not_end_in_2000_ms) {
    engine_rig rig;
    rig.synth->set_hang(true);  // every read blocks: decoders that hang
    for (int i = 0; i < 2; ++i) {
        playback_engine* engine = rig.new_engine();
        list_info entry = entry_for(L"synth:hang?secs=5");
        ASSERT_TRUE(engine->play(&entry, &rig.music));
        engine->release();
    }
    ASSERT_TRUE(pump_until([&] { return rig.synth->hanging_reads() == 2; }));
    ASSERT_EQ(left_behind(), 2);
    DWORD begin = GetTickCount();
    raise_on_quit();
    DWORD elapsed = GetTickCount() - begin;
    RecordProperty("quit_ms", static_cast<int>(elapsed));
    // Each got its 2000 ms, was terminated and deleted; the next came after.
    EXPECT_GE(elapsed, 2 * 1900u);
    EXPECT_EQ(left_behind(), 0);
    EXPECT_EQ(rig.count(engine_event_kind::finish), 0);
}

TEST(playback_engine_lifecycle, a_released_engine_is_forgotten_by_every_thread_it_made) {
    // Overlap mode: a thread that still knew its engine would start the next
    // entry on it at the overlap point.
    engine_rig rig;
    rig.settings->set_auto_cross(true, -2000);
    rig.music.script({L"synth:next?secs=4&base=900000"});
    playback_engine* engine = rig.new_engine();
    list_info a = entry_for(L"synth:a?secs=4"), b = entry_for(L"synth:b?secs=5&base=400000");
    ASSERT_TRUE(engine->play(&a, &rig.music));
    ASSERT_TRUE(rig.drive([&] { return engine->position() >= 0.5; }));
    ASSERT_TRUE(engine->play(&b, &rig.music));  // a is left behind, still linked
    engine->release();                           // b joins it
    EXPECT_EQ(left_behind(), 2);
    ASSERT_TRUE(rig.drive_to_finish(2, 40));
    // Both passed their overlap points without asking for or starting anything.
    EXPECT_EQ(rig.music.advance_calls(), 0);
    EXPECT_EQ(rig.capture->output_count(), 2);
    for (const engine_event& e : rig.events_of(engine_event_kind::next)) EXPECT_FALSE(e.has_next);
    EXPECT_TRUE(pump_until([] { return left_behind() == 0; }));
}

TEST(playback_engine_lifecycle, a_thread_left_behind_never_moves_its_player_on_gaplessly) {
    // Regression: without a crossfade, the old thread went on with the next
    // entry on its own output at its end, beside the new track, whether its
    // engine had been released (a player's play without a stop) or had
    // started a newer thread.
    for (bool release_old : {true, false}) {
        SCOPED_TRACE(release_old ? "old engine released" : "same engine plays again");
        engine_rig rig;
        const wchar_t* a = L"synth:a?secs=1";
        const wchar_t* b = L"synth:b?secs=2&base=500000";
        const wchar_t* next = L"synth:n?secs=0.5&base=900000";
        rig.music.script({next});
        playback_engine* first = rig.new_engine();
        list_info ea = entry_for(a), eb = entry_for(b);
        ASSERT_TRUE(first->play(&ea, &rig.music));
        ASSERT_TRUE(rig.drive([&] { return first->position() >= 0.3; }));
        playback_engine* second = first;
        if (release_old) {
            first->release();
            second = rig.new_engine();
        }
        ASSERT_TRUE(second->play(&eb, &rig.music));
        ASSERT_TRUE(rig.drive_to_finish(2));
        ASSERT_EQ(rig.capture->output_count(), 2);
        // a alone on its output; b, then the next entry, on the other.
        std::vector<capture_track> old_output = rig.tracks(0), new_output = rig.tracks(1);
        ASSERT_EQ(old_output.size(), 1u);
        EXPECT_TRUE(old_output[0].pcm == synth_pcm(a));
        ASSERT_EQ(new_output.size(), 2u);
        EXPECT_TRUE(new_output[0].pcm == synth_pcm(b));
        EXPECT_TRUE(new_output[1].pcm == synth_pcm(next));
        // Only b's thread asked the player: once for the next entry, once more after it.
        std::vector<engine_event> starts = rig.events_of(engine_event_kind::start);
        ASSERT_GE(starts.size(), 2u);
        for (DWORD asker : rig.music.advance_threads()) EXPECT_EQ(asker, starts[1].thread_id);
        EXPECT_EQ(rig.music.advance_calls(), 2);
        second->release();
        EXPECT_TRUE(pump_until([] { return left_behind() == 0; }));
    }
}

TEST(playback_engine_lifecycle, a_stop_while_the_output_drains_does_not_start_the_next_entry) {
    // Overlap mode, 6 s entry, 3 s buffer: a stop at 2 s leaves the loop
    // before the overlap point (4 s), which the drain then passes.
    for (int mode : {2, 0}) {
        SCOPED_TRACE(testing::Message() << "mode " << mode);
        engine_rig rig(3000);
        rig.settings->set_auto_cross(true, -2000);
        rig.music.script({L"synth:next?secs=3"});
        playback_engine* engine = rig.new_engine();
        list_info entry = entry_for(L"synth:a?secs=6");
        ASSERT_TRUE(engine->play(&entry, &rig.music));
        ASSERT_TRUE(rig.drive([&] { return engine->position() >= 2.0; }));
        engine->stop(mode);
        ASSERT_TRUE(rig.drive_to_finish());
        rig.drive([] { return false; }, 40, 300);  // well past the overlap point
        EXPECT_EQ(rig.music.advance_calls(), 0);
        EXPECT_EQ(rig.capture->output_count(), 1);
        EXPECT_EQ(rig.count(engine_event_kind::track_ending), 0);
        EXPECT_EQ(rig.events_of(engine_event_kind::finish)[0].value, mode);
        capture_state s = rig.state(0);
        if (mode == 2) {
            EXPECT_EQ(s.played, s.written);  // overlap mode: the skip plays out
        } else {
            EXPECT_LT(s.played, s.written);  // stop now: released at once
        }
        engine->release();
    }
}

TEST(playback_engine_lifecycle, a_reaped_thread_leaves_no_handle_behind) {
    engine_rig rig;
    std::vector<DWORD> ids;
    for (int i = 0; i < 3; ++i) {
        rig.recorder->clear();
        playback_engine* engine = rig.new_engine();
        list_info entry = entry_for(L"synth:h?secs=0.3");
        ASSERT_TRUE(engine->play(&entry, &rig.music));
        engine->release();
        ASSERT_TRUE(rig.drive_to_finish());
        ids.push_back(rig.events()[0].thread_id);
    }
    ASSERT_TRUE(pump_until([] { return left_behind() == 0; }));
    // With every handle closed the system forgets an ended thread.
    for (DWORD id : ids) EXPECT_TRUE(pump_until([&] { return !thread_object_exists(id); }, 5000)) << id;
}
