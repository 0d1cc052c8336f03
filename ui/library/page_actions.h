#pragma once
// The library pages hand what the user picks (a stream favourite, a radio
// station, tracks of a folder or a CD, a stream of a web link) to the music
// player by the same few rules: which playlist takes the entries and which
// entry starts, the "재생"/"추가" popup of the track lists, and the drag of
// entries out of a list. None keeps state; each works on the player as it is
// at the call. The entries stay the caller's (the playlist copies them).
//
// The player's playlist 0 is the default playlist, 1 the channel playlist
// "음악방송"; 2 and up are the user's. User-interface thread only.
#include <windows.h>

#include <vector>

#include "list_info.h"

class play_manager;

namespace page_actions {

enum : unsigned {
    command_play = 10001,  // "재생"
    command_add = 10002,   // "추가"
};

// With the default playlist active the entries are appended and, when the
// player is idle, the first appended one starts (a playing track goes on);
// otherwise as play_entries_replacing.
void play_entries(play_manager& music, const std::vector<list_info>& entries);
// Stops the player and empties the active playlist; when that is the
// channel playlist, the default playlist is emptied and made active and
// current instead. The entries go into it and its first one plays.
void play_entries_replacing(play_manager& music, const std::vector<list_info>& entries);
// Stops the player, empties the active playlist whatever it is, fills the
// default playlist (emptied first), makes it active and current and plays
// its first entry (streams).
void play_in_default_playlist(play_manager& music, const std::vector<list_info>& entries);

// The same on the registry's music player; nothing without one.
void play_entries(const std::vector<list_info>& entries);
void play_entries_replacing(const std::vector<list_info>& entries);
void play_in_default_playlist(const std::vector<list_info>& entries);

// Whether "추가" is offered: not while the channel playlist is active.
bool add_allowed(play_manager& music);
// Runs the chosen popup command: 10001 replaces and plays, 10002 appends to
// the active playlist and starts nothing; any other value does nothing.
void run_menu_command(play_manager& music, unsigned command, const std::vector<list_info>& entries);
// The popup of a right click on a row: point in the list window's client
// coordinates, owner the page's container; tracks the menu and runs the
// choice on the registry's music player.
void show_play_add_menu(HWND list, HWND owner, POINT point, const std::vector<list_info>& entries);
// The drag of entries out of a list (copy only); nothing for no entries.
void drag_entries(HWND list, const std::vector<list_info>& entries);

}  // namespace page_actions
