// The player's commands through the engine while a track plays: pause,
// seek, volume and mute; and the input's buffering.
#include <gtest/gtest.h>
#include <algorithm>
#include "engine_rig.h"

namespace {
int16_t sample16(const std::vector<unsigned char>& pcm, size_t frame, int channel) {
    size_t at = frame * 4 + channel * 2;
    return static_cast<int16_t>(pcm[at] | (pcm[at + 1] << 8));
}
}  // namespace

TEST(playback_engine_commands, pause_holds_the_output_until_resumed) {
    engine_rig rig;
    playback_engine* engine = rig.new_engine();
    list_info entry = entry_for(L"synth:p?secs=2");
    ASSERT_TRUE(engine->play(&entry, &rig.music));
    ASSERT_TRUE(rig.drive([&] { return engine->position() >= 0.5; }));
    engine->pause();
    EXPECT_TRUE(engine->is_paused());
    ASSERT_TRUE(rig.drive([&] { return rig.count(engine_event_kind::pause) == 1; }));
    capture_state before = rig.state(0);
    EXPECT_TRUE(before.paused);
    rig.drive([] { return false; }, 20, 300);  // time passes, nothing plays
    capture_state during = rig.state(0);
    EXPECT_EQ(during.played, before.played);
    EXPECT_EQ(during.written, before.written);
    engine->pause();
    EXPECT_FALSE(engine->is_paused());
    ASSERT_TRUE(rig.drive_to_finish());
    std::vector<engine_event> pauses = rig.events_of(engine_event_kind::pause);
    ASSERT_EQ(pauses.size(), 2u);
    EXPECT_TRUE(pauses[0].flag);
    EXPECT_FALSE(pauses[1].flag);
    // Each user pause and resume: output::pause, then output::refresh.
    std::vector<capture_call> calls = rig.calls(0);
    std::vector<int> pause_then_refresh;
    for (size_t i = 0; i + 1 < calls.size(); ++i)
        if (calls[i].op == capture_op::pause && calls[i + 1].op == capture_op::refresh)
            pause_then_refresh.push_back(calls[i].value);
    EXPECT_EQ(pause_then_refresh, (std::vector<int>{1, 0}));
    EXPECT_TRUE(rig.all_pcm(0) == synth_pcm(L"synth:p?secs=2"));
    engine->release();
}

TEST(playback_engine_commands, seek_moves_input_and_output_to_the_target) {
    engine_rig rig;
    playback_engine* engine = rig.new_engine();
    const wchar_t* path = L"synth:s?secs=3";
    list_info entry = entry_for(path);
    ASSERT_TRUE(engine->play(&entry, &rig.music));
    ASSERT_TRUE(rig.drive([&] { return engine->position() >= 0.3; }));
    EXPECT_TRUE(engine->is_seekable());
    engine->seek(2.0);
    EXPECT_DOUBLE_EQ(engine->position(), 2.0);  // shown at once on a seekable stream
    ASSERT_TRUE(rig.drive_to_finish());
    std::vector<engine_event> seeks = rig.events_of(engine_event_kind::seek);
    ASSERT_EQ(seeks.size(), 1u);
    EXPECT_DOUBLE_EQ(seeks[0].seconds, 2.0);
    std::vector<double> input_seeks;
    rig.synth->seeks(input_seeks);
    EXPECT_EQ(input_seeks, std::vector<double>{2.0});
    std::vector<capture_call> output_seeks = rig.calls_of(0, capture_op::seek);
    ASSERT_EQ(output_seeks.size(), 1u);
    EXPECT_DOUBLE_EQ(output_seeks[0].seconds, 2.0);
    EXPECT_EQ(output_seeks[0].value, 0);  // no seek fade
    // The bytes up to the seek are the start of the entry; the rest is the
    // entry from 2.0 s on.
    std::vector<unsigned char> pcm = rig.all_pcm(0);
    size_t cut = static_cast<size_t>(output_seeks[0].offset);
    std::vector<unsigned char> whole = synth_pcm(path);
    ASSERT_LT(cut, whole.size());
    EXPECT_TRUE(std::equal(pcm.begin(), pcm.begin() + cut, whole.begin()));
    std::vector<unsigned char> rest(whole.begin() + 88200 * 4, whole.end());
    EXPECT_TRUE(std::vector<unsigned char>(pcm.begin() + cut, pcm.end()) == rest);
    // Positions after the seek count from the target.
    bool after = false;
    for (const engine_event& e : rig.events()) {
        if (e.kind == engine_event_kind::seek) after = true;
        if (after && e.kind == engine_event_kind::position) {
            EXPECT_GE(e.seconds, 2.0 - 0.5 - 1e-9);
            break;
        }
    }
    engine->release();
}

TEST(playback_engine_commands, seek_on_a_stream_that_cannot_seek_leaves_the_position_to_the_thread) {
    engine_rig rig;
    playback_engine* engine = rig.new_engine();
    list_info entry = entry_for(L"synth:ns?secs=3&seek=0");
    ASSERT_TRUE(engine->play(&entry, &rig.music));
    ASSERT_TRUE(rig.drive([&] { return engine->position() >= 0.3; }));
    EXPECT_FALSE(engine->is_seekable());
    double before = engine->position();
    engine->seek(2.0);
    EXPECT_DOUBLE_EQ(engine->position(), before);
    ASSERT_TRUE(rig.drive([&] { return rig.count(engine_event_kind::seek) == 1; }));
    engine->stop(0);
    ASSERT_TRUE(rig.drive_to_finish());
    engine->release();
}

TEST(playback_engine_commands, seek_while_paused_waits_for_the_resume) {
    engine_rig rig;
    playback_engine* engine = rig.new_engine();
    list_info entry = entry_for(L"synth:sp?secs=3");
    ASSERT_TRUE(engine->play(&entry, &rig.music));
    ASSERT_TRUE(rig.drive([&] { return engine->position() >= 0.3; }));
    engine->pause();
    ASSERT_TRUE(rig.drive([&] { return rig.count(engine_event_kind::pause) == 1; }));
    engine->seek(1.0);
    rig.drive([] { return false; }, 20, 400);
    EXPECT_EQ(rig.count(engine_event_kind::seek), 0);
    engine->pause();
    ASSERT_TRUE(rig.drive([&] { return rig.count(engine_event_kind::seek) == 1; }));
    std::vector<engine_event> ev = rig.events();
    size_t resume = 0, seek = 0;
    for (size_t i = 0; i < ev.size(); ++i) {
        if (ev[i].kind == engine_event_kind::pause && !ev[i].flag) resume = i;
        if (ev[i].kind == engine_event_kind::seek) seek = i;
    }
    EXPECT_LT(resume, seek);
    engine->stop(0);
    ASSERT_TRUE(rig.drive_to_finish());
    engine->release();
}

TEST(playback_engine_commands, a_busy_input_pauses_the_output_while_it_buffers) {
    engine_rig rig;
    playback_engine* engine = rig.new_engine();
    const wchar_t* path = L"synth:b?secs=2";
    list_info entry = entry_for(path);
    ASSERT_TRUE(engine->play(&entry, &rig.music));
    ASSERT_TRUE(rig.drive([&] { return engine->position() >= 0.3; }));
    rig.synth->set_busy(true);
    ASSERT_TRUE(rig.drive([&] { return rig.state(0).paused; }));
    long long written = rig.state(0).written;
    rig.drive([] { return false; }, 20, 300);
    EXPECT_EQ(rig.state(0).written, written);  // nothing read while busy
    EXPECT_TRUE(rig.state(0).paused);
    rig.synth->set_busy(false);
    ASSERT_TRUE(rig.drive_to_finish());
    std::vector<capture_call> pauses = rig.calls_of(0, capture_op::pause);
    ASSERT_GE(pauses.size(), 2u);
    EXPECT_EQ(pauses[0].value, 1);
    EXPECT_EQ(pauses[1].value, 0);
    EXPECT_EQ(rig.count(engine_event_kind::pause), 0);  // not a user pause
    EXPECT_TRUE(rig.all_pcm(0) == synth_pcm(path));
    engine->release();
}

TEST(playback_engine_commands, volume_and_mute_reach_the_output_and_the_paced_copy) {
    engine_rig rig;
    rig.recorder->keep_audio(true);
    playback_engine* engine = rig.new_engine();
    EXPECT_EQ(engine->volume(), 1000);
    engine->set_volume(500);
    EXPECT_EQ(engine->volume(), 1000);  // no thread yet
    EXPECT_EQ(engine->info(), nullptr);
    list_info entry = entry_for(L"synth:v?wave=dc&level=16384&secs=1.5");
    ASSERT_TRUE(engine->play(&entry, &rig.music));
    EXPECT_EQ(engine->volume(), 500);
    ASSERT_TRUE(rig.drive([&] { return engine->position() >= 0.3; }));
    ASSERT_NE(engine->info(), nullptr);
    EXPECT_DOUBLE_EQ(engine->info()->length, 1.5);
    engine->set_mute(true);
    ASSERT_TRUE(rig.drive_to_finish());
    std::vector<capture_call> volumes = rig.calls_of(0, capture_op::set_volume);
    ASSERT_FALSE(volumes.empty());
    for (const capture_call& c : volumes) EXPECT_EQ(c.value, 500);
    std::vector<capture_call> mutes = rig.calls_of(0, capture_op::set_mute);
    ASSERT_EQ(mutes.size(), 2u);
    EXPECT_EQ(mutes[0].value, 0);
    EXPECT_EQ(mutes[1].value, 1);
    // The output gets the samples unscaled; the paced copy is scaled.
    EXPECT_TRUE(rig.all_pcm(0) == synth_pcm(L"synth:v?wave=dc&level=16384&secs=1.5"));
    std::vector<engine_event> paced = rig.events_of(engine_event_kind::paced_audio);
    ASSERT_FALSE(paced.empty());
    for (const engine_event& e : paced) {
        ASSERT_EQ(e.bytes.size() % 4, 0u);
        for (size_t f = 0; f < e.bytes.size() / 4; ++f)
            ASSERT_EQ(sample16(e.bytes, f, 0), 8192) << "frame " << f << " of " << e.bytes.size() / 4 << " seq " << e.sequence;
    }
    engine->release();
}
