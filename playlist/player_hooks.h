#pragma once
// The start and stop hooks of the two players, and the login listener that
// brings back a store user's last playlist.
//
// At start the listeners and the list view are wired and the default
// playlists made: "Default" (the Windows user's last playlist, the file
// "playlist.cpl" in the application-data folder) and "음악방송" on the music
// player, "안내방송" on the announcement player. At close the playing row of
// "Default" is remembered per store user and both players stop; at quit the
// music player's first playlist is saved to that file and to the store.
#include "init_quit.h"
#include "settings_store.h"

class player;

class player_hooks : public init_quit_hooks, public settings_listener {
public:
    player_hooks(player& music, player& announcements) : music_(music), announcements_(announcements) {}

    void on_init() override;
    void on_ui_ready() override;
    void on_ui_closing() override;
    void on_quit() override;
    // A store user logged in: that user's last playlist replaces the music
    // player's first playlist; without a stored one it stays as it is.
    void on_user_changed(const wchar_t* user) override;

private:
    player& music_;
    player& announcements_;
};
