#pragma once
// The channel tests' pieces: the registry's players in a program folder of
// zel_core, zel_output (capture), the synth media library, zel_in_std and
// zel_playlist; a channel track list whose services record what it stores,
// queues and counts.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>
#include "channel_track_list.h"
#include "core.h"
#include "output_capture.h"
#include "play_manager.h"
#include "playback_settings.h"
#include "playlist.h"
#include "track_cache.h"

namespace channel_test {

inline std::wstring w(const stringx& s) { return s.wvalue(); }

// A track cache that records every queued list (paths) and the channel key.
class recording_cache : public track_cache {
public:
    std::vector<std::vector<std::wstring>> enqueued;
    std::vector<int> channel_keys;

    const GUID* get_guid() override { return &track_cache::iid; }
    void release() override {}
    void set_rate_limit(int) override {}
    void set_limits(int, int, int) override {}
    void enqueue(int key, const std::vector<list_info>* entries) override {
        std::vector<std::wstring> paths;
        for (const list_info& e : *entries) paths.push_back(e.path ? e.path : L"<null>");
        enqueued.push_back(paths);
        channel_keys.push_back(key);
    }
    void enqueue_info(const list_info*) override {}
    void drop_non_info() override {}
    void clear() override {}
};

class recording_services : public channel_track_services {
public:
    recording_cache cache;
    track_cache* real_cache = nullptr;  // used instead of the recording one when set
    bool cache_on = true;
    int channel_id = 0;
    std::wstring title;
    std::vector<std::wstring> stored;  // "section/key=value"
    std::vector<int> view_counts;

    play_manager* music_player() override { return core::get_player(true); }
    track_cache* music_cache() override {
        if (!cache_on) return nullptr;
        return real_cache ? real_cache : &cache;
    }
    void release_cache(track_cache*) override {}
    int current_channel_id() override { return channel_id; }
    stringx list_title() override { return title.c_str(); }
    void store_write(const wchar_t* section, const wchar_t* key, const wchar_t* value) override {
        stored.push_back(std::wstring(section) + L"/" + key + L"=" + value);
    }
    void set_view_count(int rows) override { view_counts.push_back(rows); }
};

class counting_listener : public channel_list_listener {
public:
    int calls = 0;
    void on_channel_loaded() override { ++calls; }
};

// The largest sample magnitude of 16-bit stereo PCM.
inline int peak(const std::vector<unsigned char>& pcm) {
    int top = 0;
    for (size_t i = 0; i + 1 < pcm.size(); i += 2) {
        const int v = static_cast<short>(pcm[i] | pcm[i + 1] << 8);
        top = std::max(top, std::abs(v));
    }
    return top;
}

// Pumps the thread's messages (the engine's reaper and the track cache run
// on timers of this thread) until done() holds; false after a generous
// bound of wall time that only a hang reaches.
template <class Done>
bool pump_until(Done done, DWORD bound_ms = 90000) {
    const DWORD begin = GetTickCount();
    MSG msg;
    while (!done()) {
        if (GetTickCount() - begin > bound_ms) return done();
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(1);
    }
    return true;
}

// The music player of the registry with the two playlists of a started
// user interface, "Default" (active and shown) and "음악방송", playing into
// the capture output on a fast clock without fades.
struct player_fixture : ::testing::Test {
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
        make_playlists();
        music->set_volume(1000);
        music->set_mute(false);
    }
    void TearDown() override {
        if (music) {
            music->stop(0);
            pump_until([&] { return !music->is_playing(); });
            music->remove_all_playlists();
        }
    }
    void make_playlists() {
        music->stop(0);
        music->remove_all_playlists();
        default_list = music->create_playlist(L"Default", true);
        channel_list = music->create_playlist(L"음악방송", false);
        music->set_active_playlist(default_list->id().c_str());
        music->set_current_playlist(default_list->id().c_str());
    }
    // The player's current entry has that path and it plays (or played).
    bool wait_playing_path(const wchar_t* path) {
        return pump_until([&] {
            list_info* current = music->current();
            return current && current->path && wcscmp(current->path, path) == 0;
        });
    }

    // The bytes the capture output has taken so far.
    long long captured_bytes() {
        std::vector<capture_track> taken;
        capture->tracks(0, taken);
        long long n = 0;
        for (const capture_track& t : taken) n += t.bytes;
        return n;
    }

    capture_control* capture = nullptr;
    play_manager* music = nullptr;
    playlist* default_list = nullptr;
    playlist* channel_list = nullptr;
};

}  // namespace channel_test

using channel_test::w;
