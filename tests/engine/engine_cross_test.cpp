// Between entries: gapless continuation with a gap of silence on the same
// output, the overlapping crossfade that starts the next entry on a new
// thread, and what a stop or skip does with the output.
#include <gtest/gtest.h>
#include <algorithm>
#include "engine_rig.h"

namespace {
const wchar_t* const entry_a6 = L"synth:a?secs=6";
// Longer than the crossfade: an entry no longer than it hands over at once.
const wchar_t* const entry_b3 = L"synth:b?secs=3&base=1000000";

std::vector<engine_event> of_thread(const std::vector<engine_event>& ev, playback_thread* t) {
    std::vector<engine_event> out;
    for (const engine_event& e : ev)
        if (e.thread == t) out.push_back(e);
    return out;
}

size_t index_of(const std::vector<engine_event>& ev, engine_event_kind kind, size_t from = 0) {
    for (size_t i = from; i < ev.size(); ++i)
        if (ev[i].kind == kind) return i;
    return ev.size();
}

// Positions before `end` are below `mark`, and the last one reached it.
void expect_last_position_reaches(const std::vector<engine_event>& ev, size_t end, double mark) {
    double last = -1.0;
    for (size_t i = 0; i < end; ++i) {
        if (ev[i].kind != engine_event_kind::position) continue;
        if (last >= 0.0) {
            EXPECT_LT(last, mark) << "an earlier position passed the mark";
        }
        last = ev[i].seconds;
    }
    EXPECT_GE(last, mark - 1e-9);
}

// The PCM of a whole entry, or (cut at its overlap point) a start of it.
void expect_entry(const std::vector<unsigned char>& pcm, const wchar_t* path, bool whole) {
    std::vector<unsigned char> all = synth_pcm(path);
    if (whole) {
        EXPECT_TRUE(pcm == all) << pcm.size() << " bytes of " << all.size();
    } else {
        EXPECT_LT(pcm.size(), all.size());
        EXPECT_TRUE(pcm.size() <= all.size() && std::equal(pcm.begin(), pcm.end(), all.begin()));
    }
}

}  // namespace

TEST(playback_crossfade, a_positive_crossfade_puts_silence_between_entries_on_one_output) {
    engine_rig rig;
    rig.settings->set_auto_cross(true, 3000);
    const wchar_t* a = L"synth:a?secs=1";
    const wchar_t* b = L"synth:b?secs=1&base=1000000";
    rig.music.script({b});
    playback_engine* engine = rig.new_engine();
    list_info entry = entry_for(a);
    ASSERT_TRUE(engine->play(&entry, &rig.music));
    ASSERT_TRUE(rig.drive_to_finish(1, 40));
    EXPECT_EQ(rig.capture->output_count(), 1);
    std::vector<capture_track> tracks = rig.tracks(0);
    ASSERT_EQ(tracks.size(), 2u);
    // 3 s of silence at 44100 Hz, 16 bits, stereo: 529,200 zero bytes.
    std::vector<unsigned char> first = synth_pcm(a);
    first.insert(first.end(), 529200, 0);
    EXPECT_EQ(tracks[0].pcm.size(), first.size());
    EXPECT_TRUE(tracks[0].pcm == first);
    // The gap is asked before the player is: the last entry gets it too.
    std::vector<unsigned char> second = synth_pcm(b);
    second.insert(second.end(), 529200, 0);
    EXPECT_TRUE(tracks[1].pcm == second);

    std::vector<engine_event> ev = rig.events();
    size_t next = index_of(ev, engine_event_kind::next);
    ASSERT_LT(next, ev.size());
    EXPECT_EQ(ev[next - 1].kind, engine_event_kind::track_ending);
    EXPECT_EQ(ev[next - 1].path, a);
    EXPECT_TRUE(ev[next].has_next);
    EXPECT_EQ(ev[next].next_path, b);
    size_t start_b = index_of(ev, engine_event_kind::start, 1);
    ASSERT_LT(start_b, ev.size());
    EXPECT_GT(start_b, next);
    EXPECT_TRUE(ev[start_b].flag);  // continued
    EXPECT_EQ(ev[start_b].path, b);
    EXPECT_DOUBLE_EQ(ev[start_b].seconds, 1.0);
    EXPECT_EQ(ev[start_b + 1].kind, engine_event_kind::format);
    // The continued entry starts when the position passes the old length
    // plus the gap; positions count from there on.
    expect_last_position_reaches(ev, start_b, 4.0);
    size_t after = index_of(ev, engine_event_kind::position, start_b);
    ASSERT_LT(after, ev.size());
    EXPECT_LT(ev[after].seconds, 0.5);
    EXPECT_EQ(ev.back().kind, engine_event_kind::finish);
    EXPECT_EQ(ev.back().value, 1);
    for (const engine_event& e : ev) EXPECT_EQ(e.thread_id, ev[0].thread_id);
    engine->release();
}

TEST(playback_crossfade, a_negative_crossfade_starts_the_next_entry_on_a_new_thread) {
    struct row {
        int buffer_ms;
        bool whole_entries;  // the inputs ended before the overlap points
    };
    // 3000 ms buffer: the hand-over comes while the old thread idles at the
    // end of its input; 500 ms: while it still decodes, which it then stops.
    const row rows[] = {{3000, true}, {500, false}};
    for (const row& r : rows) {
        SCOPED_TRACE(testing::Message() << "buffer " << r.buffer_ms);
        engine_rig rig(r.buffer_ms);
        rig.settings->set_auto_cross(true, -2000);
        rig.music.script({entry_b3});
        playback_engine* engine = rig.new_engine();
        engine->set_volume(700);
        list_info entry = entry_for(entry_a6);
        ASSERT_TRUE(engine->play(&entry, &rig.music));
        ASSERT_TRUE(rig.drive_to_finish(2, 40));
        ASSERT_EQ(rig.capture->output_count(), 2);

        std::vector<engine_event> ev = rig.events();
        playback_thread* old_thread = ev[0].thread;
        std::vector<engine_event> old_ev = of_thread(ev, old_thread);
        size_t next = index_of(old_ev, engine_event_kind::next);
        ASSERT_LT(next, old_ev.size());
        EXPECT_EQ(old_ev[next].next_path, entry_b3);
        // The hand-over comes when the published position reaches 6 - 2 s.
        expect_last_position_reaches(old_ev, next, 4.0);
        EXPECT_EQ(old_ev.back().kind, engine_event_kind::finish);
        EXPECT_EQ(old_ev.back().value, 1);

        // The next entry plays on another thread, from its start, not continued.
        size_t start_b = index_of(ev, engine_event_kind::start, 1);
        ASSERT_LT(start_b, ev.size());
        EXPECT_NE(ev[start_b].thread, old_thread);
        EXPECT_NE(ev[start_b].thread_id, ev[0].thread_id);
        EXPECT_FALSE(ev[start_b].flag);
        EXPECT_EQ(ev[start_b].path, entry_b3);
        std::vector<engine_event> new_ev = of_thread(ev, ev[start_b].thread);
        EXPECT_EQ(new_ev.back().kind, engine_event_kind::finish);
        expect_entry(rig.tracks(1)[0].pcm, entry_b3, r.whole_entries);
        for (const capture_call& c : rig.calls_of(1, capture_op::set_volume)) EXPECT_EQ(c.value, 700);

        // With the short buffer decoding stopped at the overlap point: the
        // old output holds the start of the entry, at least up to 4 s.
        std::vector<unsigned char> old_pcm = rig.tracks(0)[0].pcm;
        expect_entry(old_pcm, entry_a6, r.whole_entries);
        if (!r.whole_entries) {
            EXPECT_GE(old_pcm.size(), 4u * 176400u);
        }
        engine->release();
    }
}

TEST(playback_crossfade, a_hand_over_without_next_entry_asks_again_while_the_output_drains) {
    engine_rig rig;
    rig.settings->set_auto_cross(true, -2000);
    rig.music.script({L"", entry_b3});  // no entry at first, then b
    playback_engine* engine = rig.new_engine();
    list_info entry = entry_for(entry_a6);
    ASSERT_TRUE(engine->play(&entry, &rig.music));
    ASSERT_TRUE(rig.drive_to_finish(2, 40));
    std::vector<engine_event> ev = rig.events();
    // The old thread's end: its events and the track_ending of its entry.
    std::vector<engine_event_kind> tail;
    for (const engine_event& e : ev) {
        bool old_thread = e.thread == ev[0].thread || (e.kind == engine_event_kind::track_ending && e.path == entry_a6);
        if (old_thread && (e.kind == engine_event_kind::track_ending || e.kind == engine_event_kind::next ||
                           e.kind == engine_event_kind::finish))
            tail.push_back(e.kind);
    }
    EXPECT_EQ(tail, (std::vector<engine_event_kind>{engine_event_kind::track_ending, engine_event_kind::next,
                                                    engine_event_kind::track_ending, engine_event_kind::next,
                                                    engine_event_kind::finish}));
    std::vector<engine_event> nexts = rig.events_of(engine_event_kind::next);
    ASSERT_GE(nexts.size(), 2u);
    EXPECT_FALSE(nexts[0].has_next);
    EXPECT_TRUE(nexts[1].has_next);
    ASSERT_EQ(rig.capture->output_count(), 2);
    expect_entry(rig.tracks(1)[0].pcm, entry_b3, false);
    // The old output was told twice that its track ends: after the loop and
    // at the hand-over.
    EXPECT_EQ(rig.calls_of(0, capture_op::finish_track).size(), 2u);
    EXPECT_EQ(rig.music.advance_calls(), 4);  // null, b, and twice at b's own overlap point
    engine->release();
}

TEST(playback_crossfade, a_stop_waits_for_the_output_only_when_it_may_play_out) {
    struct row {
        int mode;
        bool force_cross;
        bool played_out;
    };
    const row rows[] = {
        {2, false, false},  // skip: finish_track, released at once
        {2, true, true},    // forced crossfade on a skip: the output plays out
        {1, false, true},   // let the output play out
        {0, true, false},   // stop now: no wait, whatever the crossfades say
    };
    for (const row& r : rows) {
        SCOPED_TRACE(testing::Message() << "mode " << r.mode << " force " << r.force_cross);
        engine_rig rig;
        rig.settings->set_force_cross(r.force_cross, -1000);
        playback_engine* engine = rig.new_engine();
        list_info entry = entry_for(L"synth:x?secs=4");
        ASSERT_TRUE(engine->play(&entry, &rig.music));
        ASSERT_TRUE(rig.drive([&] { return engine->position() >= 1.0; }));
        engine->stop(r.mode);
        EXPECT_FALSE(engine->is_playing());
        ASSERT_TRUE(rig.drive_to_finish());
        std::vector<engine_event> finish = rig.events_of(engine_event_kind::finish);
        EXPECT_EQ(finish[0].value, r.mode);
        EXPECT_EQ(rig.count(engine_event_kind::track_ending), 0);
        EXPECT_EQ(rig.calls_of(0, capture_op::finish_track).size(), 1u);
        capture_state s = rig.state(0);
        EXPECT_TRUE(s.released);
        if (r.played_out) {
            EXPECT_EQ(s.played, s.written);
        } else {
            EXPECT_LT(s.played, s.written);
        }
        EXPECT_EQ(rig.music.advance_calls(), 0);
        engine->release();
    }
}

