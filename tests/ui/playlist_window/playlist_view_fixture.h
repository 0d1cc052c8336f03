#pragma once
// The now-playing list as a real window in a host window standing in for
// the playlist window, over the fake player and the skin's stand-in; the
// player's playlist events reach it through the playlist play listener.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include <memory>

#include "core.h"
#include "event_record.h"
#include "playlist_test_support.h"
#include "playlist_drop_target.h"
#include "playlist_view.h"
#include "window_messages.h"
#include "window_rig.h"

namespace playlist_test {

class view_target : public playlist_event_target {
public:
    playlist_view* view = nullptr;
    play_manager* player = nullptr;
    HWND list_window() override { return view ? view->get_container() : nullptr; }
    play_manager* music_player() override { return player; }
};

struct now_playing_list : ::testing::Test {
    fake_player music;
    view_services services{music};
    skin_stand_in skin;
    window_rig::host_window host{40, 40, 330, 310};
    std::unique_ptr<playlist_view> view{new playlist_view(services)};
    view_target target;
    playlist_play_listener listener{target};
    event_record<list_info> started;

    void SetUp() override {
        core::set_instance(GetModuleHandleW(nullptr));
        INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&classes);
        OleInitialize(nullptr);
        playlist_view::net_connected = 1;
        playlist_view::play_error_count = 0;
        target.view = view.get();
        target.player = &music;
        music.listeners.push_back(&listener);
        services.channel_svc.view_count = [this](int rows) {
            view->set_item_count(rows);
            view->refresh_status();
        };
        const RECT rect = {9, 47, 311, 270};
        ASSERT_TRUE(view->build(host.hwnd(), &rect, &skin));
        send(msg_playlist_changed, 0, reinterpret_cast<LPARAM>(music.first()));
    }
    void TearDown() override {
        music.listeners.clear();
        view.reset();
        OleUninitialize();
    }

    HWND container() { return view->get_container(); }
    HWND list() { return view->get_list(); }
    LRESULT send(UINT msg, WPARAM wparam, LPARAM lparam) { return SendMessageW(container(), msg, wparam, lparam); }
    // The engine's word that this entry started.
    void track_started(const list_info& entry) {
        started.store(entry);
        send(msg_track_started, 0, started.as_lparam());
    }
    void add(const std::vector<std::wstring>& names, double seconds = 60) {
        music.first()->add(entries(names, seconds));
    }
    void select(int row) { view->set_item_state(row, LVIS_SELECTED, LVIS_SELECTED); }
    std::vector<std::wstring> paths_of(playlist* p) {
        std::vector<std::wstring> out;
        for (list_info* e : p->entries()) out.push_back(text(e->path));
        return out;
    }
    // Channel mode with these tracks loaded by the channel track list.
    void load_channel(const std::vector<track_record>& tracks) {
        services.tracks.load(tracks);
        ASSERT_TRUE(view->channel_mode());
    }
};

inline std::vector<track_record> channel_tracks(int n) {
    std::vector<track_record> out;
    for (int i = 0; i < n; ++i) {
        track_record t;
        list_info::set_string(t.path, (L"http://127.0.0.1/music/" + std::to_wstring(i) + L".mp3").c_str());
        list_info::set_string(t.title, (L"곡" + std::to_wstring(i)).c_str());
        out.push_back(t);
    }
    return out;
}

}  // namespace playlist_test
