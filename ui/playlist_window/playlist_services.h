#pragma once
// The glue between the music player and the now-playing list of the
// playlist window, registered with the component registry:
// - playlist_view_service: the now-playing list as a service (rows,
//   selection, scrolling). Its object owns the list (playlist_view) and a
//   2000 ms timer that watches the internet connection;
// - player_control (player_control.h): the transport commands, called by the
//   main window's buttons and sliders and the remote commands (every
//   registered object is told, each released after the call);
// - playlist_play_listener and playlist_engine_listener: the player's
//   playlist events and the playback threads' events turned into the
//   private messages of window_messages.h, sent or posted to the list's
//   container window, so that the list changes on the user-interface
//   thread only.
// Slots keep the order of the interfaces; release does nothing (the
// objects live in their registration nodes for the life of zel_ui).
#include <windows.h>

#include <vector>

#include "component.h"
#include "critsec.h"
#include "engine_listener.h"
#include "event_record.h"
#include "list_info.h"
#include "play_listener.h"
#include "player_control.h"
#include "playlist_view.h"
#include "service_records.h"
#include "timer.h"

class playlist_view_services;
class playlist_view_skin;

class playlist_view_service : public component {
public:
    static constexpr GUID iid = {0xBBB71D92, 0xB5CE, 0x41EE, {0x88, 0xF1, 0x87, 0x40, 0xB3, 0x4A, 0x45, 0x02}};
    // Without the list's window the getters return 0 and the others do
    // nothing.
    virtual int item_count() = 0;
    // Appends the selected rows; -1 when walked, 0 without the window.
    virtual int selected_indices(std::vector<int>& rows) = 0;
    // Appends the current playlist's entries of the selected rows.
    virtual void selected_entries(std::vector<list_info*>& entries) = 0;
    virtual int selected_count() = 0;
    // on: selects and focuses row (row >= 0); off: clears both.
    virtual void select(int row, bool on) = 0;
    virtual void ensure_visible(int row) = 0;
    virtual int top_index() = 0;
    // Makes row the first visible row.
    virtual void scroll_to(int row) = 0;
    virtual int count_per_page() = 0;
};

// ---------------------------------------------------------------------------
// The object behind playlist_view_service

class playlist_view_host : public playlist_view_service {
public:
    explicit playlist_view_host(playlist_view_services& services);
    ~playlist_view_host();

    const GUID* get_guid() override { return &playlist_view_service::iid; }
    void release() override {}
    int item_count() override;
    int selected_indices(std::vector<int>& rows) override;
    void selected_entries(std::vector<list_info*>& entries) override;
    int selected_count() override;
    void select(int row, bool on) override;
    void ensure_visible(int row) override;
    int top_index() override;
    void scroll_to(int row) override;
    int count_per_page() override;

    // Starts the connection watch and builds the list in parent.
    playlist_view* create_view(HWND parent, const RECT* rect, playlist_view_skin* skin);
    playlist_view& view() { return view_; }
    // The list's container window when it exists, else null.
    HWND list_window();
    // One tick of the connection watch.
    void net_state_watch();

private:
    class watch : public timer {
    public:
        explicit watch(playlist_view_host& owner) : owner_(owner) {}
        void tick() override { owner_.net_state_watch(); }

    private:
        playlist_view_host& owner_;
    };
    bool has_window();

    playlist_view_services& services_;
    watch watch_;
    playlist_view view_;
};

// The user interface's object (defined with its wiring).
playlist_view_host& library_playlist_view_host();

// For the playlist window and the channel track list.
playlist_view* create_playlist_view(HWND parent, const RECT* rect, playlist_view_skin* skin);
void set_playlist_view_count(int n);
void refresh_playlist_view_status();

// ---------------------------------------------------------------------------
// player_control

class player_control_services {
public:
    virtual ~player_control_services() = default;
    virtual play_manager* music_player() = 0;
    virtual bool announcement_playing() = 0;
    // The login's "skip" option.
    virtual int skip_option() = 0;
    virtual int current_channel_id() = 0;
    virtual bool select_channel(int id, std::vector<track_record>& out, bool force) = 0;
    virtual void load_channel(const std::vector<track_record>& tracks) = 0;
    // The library window; null when it does not exist.
    virtual HWND library_window() = 0;
    // The selected rows of the first registered playlist_view_service.
    virtual std::vector<int> selected_rows() = 0;
    // The open dialog's files, sorted; false when it was cancelled.
    virtual bool choose_files(std::vector<stringx>& paths) = 0;
    // The entries of the paths (above 50 paths behind the progress dialog).
    virtual std::vector<list_info> expand(const std::vector<stringx>& paths) = 0;
    // player_control::play on every registered object.
    virtual void play_everywhere() = 0;
};

class music_player_control : public player_control {
public:
    explicit music_player_control(player_control_services& services) : services_(services) {}
    const GUID* get_guid() override { return &player_control::iid; }
    void release() override {}
    void seek(double seconds) override;
    void set_volume(int volume) override;
    void reserved() override {}
    void set_value(int value) override { value_ = value; }
    void open_files() override;
    void previous() override;
    void next() override;
    void play() override;
    void pause() override;
    void stop() override;

private:
    player_control_services& services_;
    int value_ = 0;
};

// ---------------------------------------------------------------------------
// The listeners

class playlist_event_target {
public:
    virtual ~playlist_event_target() = default;
    // The now-playing list's container window; null when there is none.
    virtual HWND list_window() = 0;
    virtual play_manager* music_player() = 0;
};

// The library's: library_playlist_view_host's window, the registry's
// music player.
playlist_event_target& library_playlist_event_target();

class playlist_play_listener : public play_listener {
public:
    explicit playlist_play_listener(playlist_event_target& target = library_playlist_event_target())
        : target_(&target) {}
    void set_target(playlist_event_target& target) { target_ = &target; }
    const GUID* get_guid() override { return &play_listener::iid; }
    void release() override {}
    int index() override { return 0; }
    void on_entry_added(const std::vector<list_info*>& added) override;
    void on_entry_inserted(int index, const std::vector<list_info*>& inserted) override;
    void on_entry_removed(const std::vector<int>& indices) override;
    // Entries replaced in place: a copy of the indices is posted as
    // msg_entries_removed (the list redraws its status line).
    void on_entries_updated(const std::vector<int>& indices, const std::vector<list_info*>& values) override;
    void on_current_playlist(playlist* list) override;
    // The indices of the last msg_entries_removed (its lParam).
    const std::vector<int>& changed_indices() const { return changed_; }

private:
    HWND window();
    playlist_event_target* target_;
    std::vector<int> changed_;
};

class playlist_engine_listener : public engine_listener {
public:
    explicit playlist_engine_listener(playlist_event_target& target = library_playlist_event_target())
        : target_(&target), current_(nullptr) {}
    void set_target(playlist_event_target& target) { target_ = &target; }
    const GUID* get_guid() override { return &engine_listener::iid; }
    void release() override {}
    play_manager* player() override { return target_->music_player(); }
    void on_start(playback_thread* thread, list_info* entry, bool continued) override;
    void on_finish(playback_thread* thread, list_info* entry, int stop_mode) override;
    void on_next(playback_thread*, list_info*, list_info*) override {}
    void on_track_ending(list_info*) override {}
    void on_seek(playback_thread*, double) override {}
    void on_pause(playback_thread*, bool) override {}
    void on_error(playback_thread* thread, int code, const wchar_t* path) override;
    void on_format(playback_thread* thread, const audio_format* format) override;
    void on_position(playback_thread*, const audio_format*, double) override {}
    void on_audio(playback_thread*, const audio_format*, const void*, int) override {}
    void on_paced_audio(playback_thread*, const audio_format*, const void*, int) override {}

    // The last started track, read by the list on msg_track_started.
    const event_record<list_info>& track_record() const { return track_; }

private:
    void post(UINT msg, WPARAM wparam, LPARAM lparam);
    playlist_event_target* target_;
    critsec lock_;
    playback_thread* current_;
    event_record<list_info> track_;
};
