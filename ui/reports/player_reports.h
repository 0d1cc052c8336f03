#pragma once
// The player's state reported to the service (rux_player_state.php): the
// music volume and mute changes, the stop of the music and the player's
// exit. What lies outside (the store and PC identity, the players, the
// announcement log) is reached through report_env, so that tests can stand
// in for it.
#include "service_request.h"

class report_env {
public:
    virtual ~report_env() = default;
    // The logged-in store, its credentials, the PC identity and the volumes.
    virtual request_identity identity();
    // Stops the music (every player control).
    virtual void stop_players();
    virtual void write_anne_log(const wchar_t* line);
};
report_env& default_report_env();

// kind 1: "music_volume" with the volume / 10 (at least 1); any other kind:
// "music_volume_mute" with "1" or "0". The reply is not read.
void report_player_state(int kind, report_env& env = default_report_env());
// Stops the music and reports "play_stop"; a missing reply is logged.
void report_play_stop(report_env& env = default_report_env());
// Reports "player_exit" (part of the main window's close); a missing reply
// is logged.
void report_player_exit(report_env& env = default_report_env());
