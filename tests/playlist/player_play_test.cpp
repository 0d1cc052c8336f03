// The music player as the registry hands it out, playing "synth:" entries
// through the real engine into the capture output: zel_core, zel_output,
// the synth media library and zel_playlist in one program folder.
#include <gtest/gtest.h>
#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>
#include "core.h"
#include "list_info.h"
#include "output_capture.h"
#include "play_manager.h"
#include "playback_settings.h"
#include "player.h"
#include "playlist.h"
#include "synth_signal.h"

namespace {

list_info synth_entry(long long base, long long frames) {
    list_info e;
    std::wstring path = L"synth:e2e?frames=" + std::to_wstring(frames) + L"&base=" + std::to_wstring(base);
    list_info::set_string(e.path, path.c_str());
    return e;
}

// Plays the capture clock (automatic, fast) and the reaper's timer until
// done() holds; false after timeout_ms of wall time.
template <class Done>
bool run_until(Done done, DWORD timeout_ms = 60000) {
    DWORD begin = GetTickCount();
    MSG msg;
    while (!done()) {
        if (GetTickCount() - begin > timeout_ms) return done();
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(1);
    }
    return true;
}

struct player_play : ::testing::Test {
    void SetUp() override {
        capture = start_capture(200);
        ASSERT_NE(capture, nullptr);
        capture->set_auto_clock(8.0);
        auto* settings = static_cast<playback_settings*>(core::enum_create_component(playback_settings::iid, 0));
        ASSERT_NE(settings, nullptr);
        settings->set_normalize(false, 0);
        settings->set_auto_cross(false, 0);
        settings->set_force_cross(false, 0);
        settings->set_fade(false, 0);
        settings->set_seek_fade(false, 0);
        music = core::get_player(true);
        ASSERT_NE(music, nullptr);
        ASSERT_EQ(music->index(), 0);
        list = music->create_playlist(L"e2e", true);
        music->set_active_playlist(list->id().c_str());
    }
    void TearDown() override {
        if (music) {
            music->stop(0);
            music->remove_all_playlists();
        }
    }
    capture_control* capture = nullptr;
    play_manager* music = nullptr;
    playlist* list = nullptr;
};

}  // namespace

TEST_F(player_play, three_entries_play_end_to_end_stepping_by_advance) {
    const long long frames = 4410;
    list->add(std::vector<list_info>{synth_entry(0, frames), synth_entry(100000, frames),
                                     synth_entry(200000, frames)});
    music->set_volume(400);
    music->set_mute(true);
    music->play(list->at(0));
    ASSERT_TRUE(run_until([&] { return !music->is_playing(); }));

    ASSERT_GE(capture->output_count(), 1);
    std::vector<capture_track> tracks;
    capture->tracks(0, tracks);
    std::vector<unsigned char> pcm;
    for (const capture_track& t : tracks) pcm.insert(pcm.end(), t.pcm.begin(), t.pcm.end());
    ASSERT_EQ(pcm.size(), static_cast<size_t>(3 * frames * 4));
    for (int entry = 0; entry < 3; ++entry) {
        for (long long f : {0LL, frames - 1}) {
            const unsigned char* frame = &pcm[static_cast<size_t>((entry * frames + f) * 4)];
            EXPECT_EQ(counter_frame(frame), entry * 100000 + f) << entry << " " << f;
        }
    }
    capture_state state = {};
    ASSERT_TRUE(capture->state(0, &state));
    EXPECT_EQ(state.volume, 400);
    EXPECT_TRUE(state.mute);
    // The player moved on with the engine: its current entry is the last one.
    ASSERT_NE(music->current(), nullptr);
    EXPECT_STREQ(music->current()->path, list->at(2)->path);
}

// Lock order: a playback thread advancing (player lock, then playlist lock)
// while other threads edit the playlist (its lock only) and steer the player
// (player lock, then playlist lock). A reversed order would deadlock here.
// The edits go on until the playback thread has moved through many entries.
TEST_F(player_play, playing_editing_and_advancing_at_once_do_not_deadlock) {
    const long long frames = 441;
    for (int i = 0; i < 6; ++i) list->add(std::vector<list_info>{synth_entry(i * 10000, frames)});
    music->set_play_mode(mode_repeat_all);
    music->play(list->at(0));

    std::atomic<bool> stop{false};
    std::atomic<int> finished{0};
    std::thread editor([&] {
        for (int i = 0; !stop; ++i) {
            list->add(std::vector<list_info>{synth_entry(500000 + i, frames)});
            list->swap(0, static_cast<int>(list->count()) - 1);
            if (i % 10 == 0) list->sort(sort_reverse);
            list->search(L"synth", false, true, true, true);
            if (list->count() > 8) list->remove({1, 3});
            Sleep(0);
        }
        ++finished;
    });
    std::thread stepper([&] {
        for (int i = 0; !stop; ++i) {
            music->advance(false);
            music->set_volume(static_cast<unsigned>(i % 1000));
            if (i % 200 == 199) music->next();
            music->select(L"nothing");
            music->find_playlist(list->id().c_str());
            Sleep(0);
        }
        ++finished;
    });
    auto bytes_taken = [&] {
        long long sum = 0;
        for (int i = 0; i < capture->output_count(); ++i) {
            capture_state state = {};
            if (capture->state(i, &state)) sum += state.written;
        }
        return sum;
    };
    // Twenty entries' worth through the output while the threads work.
    bool moved_on = run_until([&] { return bytes_taken() >= 20 * frames * 4; }, 60000);
    stop = true;
    bool done = run_until([&] { return finished == 2; }, 30000);
    if (!done) {
        ADD_FAILURE() << "deadlock: the threads did not finish";
        fflush(stdout);
        TerminateProcess(GetCurrentProcess(), 1);
    }
    editor.join();
    stepper.join();
    EXPECT_TRUE(moved_on);
    EXPECT_EQ(music->active_playlist(), list);
    music->stop(0);
    EXPECT_FALSE(music->is_playing());
}
