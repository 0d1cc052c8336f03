#pragma once
// player_window: the main window of the player, a skinned modeless dialog
// (template 101, class "ZELMainWindow", caption "VOLQUIN 플레이어") with the
// transport buttons, the volume and seek sliders, the title panel and level
// meter, and the buttons that open the other windows. It takes the play
// events of the bridges as private messages, the remote commands of other
// programs as WM_COPYDATA, files dropped on it, and it closes the player:
// WM_CLOSE saves the options, reports the exit and gives the Windows event
// sounds back; WM_DESTROY does both when no close did; WM_NCDESTROY posts
// WM_QUIT.
//
// Everything around it is reached through the seams of
// player_window_services, so that each can be a stand-in or a recorder.
// One object exists (a member of the user-interface service); the current
// main window (current_player_window) is set while its window lives, and
// the listeners act only then. User-interface thread only.
//
// Sources: player_window.cpp (object, creation, destruction, the dialog
// procedure), player_window_commands.cpp (commands, sliders, mouse, tray),
// player_window_remote.cpp (WM_COPYDATA), player_window_modes.cpp (mini,
// expanded, colour skin), player_window_drop.cpp (file drop),
// player_window_track.cpp (track display and event sinks).
#include <windows.h>

#include <deque>
#include <memory>
#include <string>
#include <utility>

#include "audio_format.h"
#include "dialog.h"
#include "drag_drop.h"
#include "peak_meta.h"
#include "player_skin.h"
#include "stringx.h"
#include "timer.h"
#include "title_marquee.h"

class channel_service;
class companion_windows;
class drop_services;
class main_window_host;
class music_player_view;
class option_home;
class option_targets;
class window_reports;
class player_transport;
class store_list;
struct player_options;

// The template of the main window and its class.
const unsigned main_window_template = 101;
extern const wchar_t main_window_class[];

struct player_window_services {
    player_transport* transport = nullptr;
    music_player_view* player = nullptr;
    channel_service* channels = nullptr;
    companion_windows* companions = nullptr;
    window_reports* reports = nullptr;
    store_list* stores = nullptr;
    drop_services* drop = nullptr;
    main_window_host* host = nullptr;
    player_options* options = nullptr;
    option_home* store = nullptr;  // the per-user store
    option_home* ini = nullptr;    // the INI file
    option_targets* targets = nullptr;
};

class player_window : public dialog, public drop_target, public timer {
public:
    explicit player_window(const player_window_services& services);
    ~player_window() override;

    // Registers the window class once and creates the window from its
    // template of core::get_instance(); false when no window was made.
    bool create_window(HWND parent = nullptr);

    bool pretranslate_message(MSG*) override { return false; }
    LRESULT dialog_proc(UINT message, WPARAM wparam, LPARAM lparam) override;
    bool on_drop(FORMATETC* format, STGMEDIUM* medium, DWORD* effect, POINTL* point) override;

    // Remote commands 6 and 7, and the channel start of remote command 4.
    void set_volume(int value);
    void set_mute(bool value);
    void play_channel(unsigned id, const stringx& title);
    void start_live_announcement(const stringx& url, const stringx& title);

    // The event sinks (player_window_track.cpp).
    void on_login(bool ok);
    // The login's request is on its way (or has ended): the window's title
    // and its title strip say so.
    void show_logging_in(bool on);
    void on_music_volume(unsigned volume);
    void on_stream_title(bool station, const stringx& text, unsigned long long position);
    void on_window_state(int id, bool hidden);
    void apply_skin(int colour);

    // Mini and normal skin (command 3, a double click).
    void toggle_mini_mode();

    // For tests and the listeners.
    HWND hwnd() const { return get_hwnd(); }
    skin* current_skin() const { return skin_; }
    player_skin& look() { return look_; }
    peak_meta& meter() { return meter_; }
    title_marquee& marquee() { return marquee_; }
    const std::wstring& display_title() const { return display_title_; }
    double start_offset() const { return start_offset_; }
    size_t pending_title_count() const { return pending_titles_.size(); }
    bool playlist_shown() const { return playlist_shown_; }
    // The playlist window hid itself (its close button).
    void set_playlist_shown(bool shown) { playlist_shown_ = shown; }
    HWND library_window() const { return library_; }
    HWND playlist_window() const { return playlist_; }
    HWND info_window() const { return info_; }
    HWND equalizer_window() const { return equalizer_; }
    int mini_width() const { return mini_width_; }
    bool expand_requested() const { return expand_requested_; }
    // The pause before the last channel is asked for again (0: no retry
    // waits), and the timer that ends it.
    int channel_retry_delay() const { return retry_delay_ms_; }
    static const UINT_PTR channel_retry_timer = 18;
    // Ends the wait for the login's request after which the kept tracks play.
    static const UINT_PTR kept_channel_timer = 19;
    // The levels last given to the meter (19 bands).
    const int* last_levels() const { return levels_; }
    static const int meter_bands = 19;

    // The levels of a block of samples, as the meter shows them; false (and
    // every level 0) for a format the meter does not analyse.
    static bool block_levels(const audio_format& format, const void* bytes, int count,
                             int levels[meter_bands]);

protected:
    void tick() override;  // the marquee (100 ms)

private:
    // player_window.cpp
    void on_init_dialog();
    void on_destroy();
    void on_close();
    // Writes the options to the store once per window (the close saves before
    // the exit report, whose request may take many seconds; a window ended
    // without a close saves at its destruction).
    void save_state();
    void load_logo();
    void restore_from_tray();

    // player_window_commands.cpp
    void on_command(unsigned id);
    void on_hscroll(unsigned control, int position);
    void on_left_down(int x, int y);
    void on_left_up();
    void open_settings();
    void minimize();
    void confirm_quit();
    void toggle_equalizer_window();
    void toggle_playlist_window();
    void toggle_library_window();
    void toggle_info_window();
    void toggle_always_on_top();
    void toggle_mute();
    void next_play_method(unsigned indicator);
    void create_library_window();
    void stop_and_report();
    void apply_music_volume();

    // player_window_remote.cpp
    void on_copy_data(WPARAM wparam, const COPYDATASTRUCT* data);
    void run_remote_command(WPARAM command, const std::wstring& text);
    void run_text_command(const std::wstring& text);

    // player_window_modes.cpp
    void on_expanded_mode(bool on);
    void draw_title_panel();
    void show_normal_state(int seek_position);
    void update_announcement_button();
    void stop_meter();
    void show_window_buttons(bool shown);
    void move_window(int x, int y);

    // player_window_channel_retry.cpp
    bool begin_channel_fetch(const stringx& list_name);
    void play_kept_channel();
    void on_kept_channel_timer();
    void retry_channel_later(const stringx& list_name);
    void stop_channel_retry();
    void on_channel_retry_timer();
    void on_channel_fetched();

    // player_window_track.cpp
    void on_track_started(LPARAM record);
    void on_track_end();
    void on_track_stopped();
    void on_track_position(WPARAM position, LPARAM record);
    void on_track_format(LPARAM record);
    void on_audio_data(LPARAM record);
    void on_playlist_changed();
    void on_skin_resized(int width, int height);
    void redraw_title();
    void set_title_text(const std::wstring& text);
    void end_of_schedule();
    std::wstring entry_display(const list_info& entry) const;

    player_window_services s_;
    std::wstring program_folder_;
    HWND playlist_;
    HWND library_;
    HWND info_;
    HWND equalizer_;
    bool playlist_shown_;
    player_skin look_;
    UINT_PTR upload_timer_id_;
    skin* skin_;
    peak_meta meter_;
    bool meter_started_;
    int levels_[meter_bands];
    double start_offset_;
    std::wstring track_path_;
    std::wstring display_title_;
    int track_length_;
    int last_bitrate_;
    int last_sample_rate_;
    RECT expanded_saved_;
    title_marquee marquee_;
    std::deque<std::pair<std::wstring, unsigned long long>> pending_titles_;
    std::unique_ptr<dib> logo_;
    bool restore_info_, restore_playlist_, restore_library_, restore_equalizer_;
    bool expand_requested_;
    int mini_width_;
    bool com_ready_;
    bool state_saved_ = false;
    bool sounds_given_back_ = false;
    bool minimized_ = false;  // minimized since the last restore
    // The retry of the last channel's request: the channel, its list's
    // title, the failures so far and the pause before the next request.
    unsigned retry_channel_ = 0;
    stringx retry_list_;
    int retry_failures_ = 0;
    int retry_delay_ms_ = 0;
    bool first_fetch_ = false;  // the login's own request is on its way
    bool kept_played_ = false;  // the kept tracks were started for it
};

// The main window while its window lives; null otherwise.
player_window* current_player_window();

// Module-wide state of the main window.
bool transport_enabled();
void reset_main_window_state();  // for tests: the values at load

// The private message by which a stream title reaches the main window from
// the stream's thread: lParam a heap stream_title_note the window deletes.
const UINT msg_stream_title_note = WM_APP + 0x2A1;
struct stream_title_note {
    bool station;
    std::wstring text;
    unsigned long long position;
};
