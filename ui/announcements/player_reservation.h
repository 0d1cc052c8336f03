#pragma once
// The player's channel reservations: the reservation logic over the
// player's own surroundings (the service clock, GetTickCount, requests on
// worker threads, the service client, the channel track list, the music
// player and the log), ticking every 200 ms from the first login on; the
// network watchdog, looking once a second from the host's start to its end;
// and the listeners that feed them. zel_ui registers the listeners
// (anne_registration.cpp), and the login hands the login reply's values to
// configure_player_reservation.
//
// User-interface thread only, but the music player's error listener, which
// runs on playback threads.
#include "channel_changed_event.h"
#include "channel_reservation.h"
#include "engine_listener.h"
#include "init_quit.h"
#include "login_listener.h"
#include "network_watchdog.h"

// The player's one reservation object and its watchdog.
channel_reservation& get_channel_reservation();
network_watchdog& get_network_watchdog();
// channel_reservation::configure on the player's object.
void configure_player_reservation(const wchar_t* loginno, bool play, int seconds);

// Refreshes and checks the reservations at each login and starts their
// 200 ms timer.
class reservation_login : public singleton_component<login_listener> {
public:
    void on_login(bool ok) override;
};

// Tells the reservations which channel plays now.
class reservation_channel_listener : public singleton_component<channel_changed_event> {
public:
    void on_channel_changed(const wchar_t* title) override;
};

// The watchdog's timer runs from the host's start to its end; when the main
// window goes, the reservations stop for good.
class reservation_hooks : public init_quit_hooks {
public:
    void on_init() override;
    void on_ui_closing() override;
    void on_quit() override;
};

// Counts the music player's stream errors for the watchdog.
class reservation_error_listener : public engine_listener {
public:
    const GUID* get_guid() override { return &iid; }
    void release() override {}
    play_manager* player() override;
    void on_start(playback_thread*, list_info*, bool) override {}
    void on_finish(playback_thread*, list_info*, int) override {}
    void on_next(playback_thread*, list_info*, list_info*) override {}
    void on_track_ending(list_info*) override {}
    void on_seek(playback_thread*, double) override {}
    void on_pause(playback_thread*, bool) override {}
    void on_error(playback_thread*, int code, const wchar_t*) override;
    void on_format(playback_thread*, const audio_format*) override {}
    void on_position(playback_thread*, const audio_format*, double) override {}
    void on_audio(playback_thread*, const audio_format*, const void*, int) override {}
    void on_paced_audio(playback_thread*, const audio_format*, const void*, int) override {}
};
