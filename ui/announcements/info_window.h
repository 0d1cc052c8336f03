#pragma once
// info_window: the announcement window (dialog 115, class "ZELInfoWindow"),
// the small skinned window below the main window. It shows the next
// announcement with its time while nothing plays, "[준비중] %s" while the
// music fades out for one and "[방송중] %s" with a running progress bar
// while one is on air. It is the one place that plays an announcement on
// request (msg_anne_play_now, msg_anne_handover), that ends one (the music
// fades back in), that reports announcement plays, stops and volume changes
// to the service, and that resumes at login an announcement that should be
// on air. Its stop button, mute check and volume slider act on the
// announcement player.
//
// What lies outside is reached through info_window_host, so that tests give
// it fake players and windows. One window exists at a time
// (info_window::current()). User-interface thread only, but for the
// engine listener of info_window_listeners.cpp, which posts to it.
#include <windows.h>

#include <string>

#include "anne_environment.h"
#include "audio_format.h"
#include "dialog.h"
#include "info_window_skin.h"
#include "service_records.h"
#include "stringx.h"

class list_info;
struct player_options;
struct request_identity;

constexpr unsigned IDD_INFO_WINDOW = 115;

// What msg_track_position carries in lParam (an event_record of it): the
// engine's timing block, whose length is the announcement's, and the
// position in seconds.
struct info_position_record {
    audio_format format;
    double position;
};

// The next announcement as the window keeps it between announcements: the
// one the scheduler last named (known), or none ("안내방송이 없습니다").
struct info_next_announcement {
    bool known = false;
    bool none = true;
    stringx title;
    long length = 0;  // seconds
    long start = 0;   // seconds after midnight
};

class info_window_host {
public:
    virtual ~info_window_host() = default;
    // The players, the ducker, the listeners, the service clock and the
    // store's announcement list.
    virtual anne_environment& env() = 0;
    // The options block (volumes, mute flags, linkage, fade times, skin,
    // the live announcement).
    virtual player_options& options() = 0;
    // Ducks the others, fades the music out and plays the record (the window
    // brings the music back at the announcement's end).
    virtual void start_starter(const anne_record& record, unsigned fade_ms) = 0;
    // Restores the others and fades the music back in.
    virtual void start_fade_in(unsigned fade_ms) = 0;
    // What the reports carry: the store, the PC identity.
    virtual request_identity identity() = 0;
    virtual void write_anne_log(const wchar_t* line) = 0;
    // The main window and the playlist window; null where none is.
    virtual HWND main_window() = 0;
    virtual HWND playlist_window() = 0;
    // Re-fits the playlist window's skin after it was moved or sized.
    virtual void refresh_playlist_layout() = 0;
    // main_ui::expanded.
    virtual bool expanded() = 0;
    // The window docker learns or forgets the window.
    virtual void dock(HWND window) = 0;
    virtual void undock(HWND window) = 0;
    // Every window_state_listener (this window's id is 0).
    virtual void tell_window_state(bool hidden) = 0;
    // The main window's mute check (control 16) shows the music mute flag.
    virtual void show_music_mute(bool on) = 0;
};

class info_window : public dialog {
public:
    // host: not owned; must outlive the window.
    explicit info_window(info_window_host& host);
    ~info_window() override;

    // Creates the window hidden, owned by main.
    bool create_window(HWND main);
    LRESULT dialog_proc(UINT message, WPARAM wparam, LPARAM lparam) override;
    bool pretranslate_message(MSG*) override { return false; }

    // The live window; null when none exists.
    static info_window* current();

    // The main window's volume and mute handlers: the slider, the check and
    // the announcement player follow the options.
    void sync_volume();
    void sync_mute();
    // After the login (msg_info_window_refresh): the skin anew with the
    // login's linkage.
    void rebuild_skin();
    // Another colour skin.
    void on_skin(int skin_number);
    // The announcement that should be on air now, resumed where it would be.
    void resume_announcement();
    // The play and stop reports ("anne_direct_play" / "anne_direct_stop").
    void report_anne_state(const list_info& entry, bool play);
    // kind 1: "anne_volume"; any other: "anne_volume_mute".
    void report_anne_volume(int kind);

    // What the announcement listener shows (anne_progress_listener's events,
    // see info_window_listeners.cpp).
    void show_next(const info_next_announcement& next);
    void show_preparing(const anne_record& record);
    void show_on_air(const anne_record& record);
    void show_finished(const info_next_announcement& next);

    skin* get_skin() const { return builder_.get(); }
    info_window_host& host() { return host_; }

    // The main window's info command opened (true) or closed it: the window
    // then stays after an announcement and shows its close control.
    void set_opened_by_user(bool on);

    // The flags the main window reads and writes.
    bool hidden_by_user = false;
    bool shown_for_announcement = false;
    bool opened_by_user = false;
    bool no_auto_show = false;
    bool announcement_active = false;
    int saved_x = 0, saved_y = 0;
    stringx playing_title;
    int length_s = 0;
    stringx caption;
    double position_offset = 0.0;

    // Stops of the announcement player that the window caused itself, whose
    // stop message is to be ignored; announcements prepared and not yet on
    // air; the volume when a left press began on the volume slider (-1:
    // elsewhere).
    static int ignored_stops;
    static int pending_starts;
    static int volume_press;

private:
    void on_init();
    void setup_controls();
    void on_show(bool shown, LPARAM status);
    void on_command(unsigned id);
    void on_volume_scroll(WPARAM wparam);
    void on_position(const double* position, const void* format);
    void on_format(const void* format);
    LRESULT play_now(const anne_record* record);
    void end_announcement(unsigned fade_ms, bool stop_player);
    void on_stopped();
    void show_for_announcement();
    void set_title_line(const stringx& text, const stringx& tooltip);
    void set_time_text(int position, int length);
    bool linked() const;
    void apply_player_settings();

    info_window_host& host_;
    info_window_skin_builder builder_;
    anne_record handover_;
};

// The player's host: the registry's players, ducker and listeners, the
// options block, the fades on their timers, the service's identity, the
// log, main_ui's windows, the window docker and the window-state listeners.
// The main window's mute check and the playlist window's layout are hooks
// the player's wiring fills.
class player_info_window_host : public info_window_host {
public:
    anne_environment& env() override;
    player_options& options() override;
    void start_starter(const anne_record& record, unsigned fade_ms) override;
    void start_fade_in(unsigned fade_ms) override;
    request_identity identity() override;
    void write_anne_log(const wchar_t* line) override;
    HWND main_window() override;
    HWND playlist_window() override;
    void refresh_playlist_layout() override;
    bool expanded() override;
    void dock(HWND window) override;
    void undock(HWND window) override;
    void tell_window_state(bool hidden) override;
    void show_music_mute(bool on) override;

    void (*playlist_layout)() = nullptr;
    void (*music_mute_check)(bool on) = nullptr;
};
