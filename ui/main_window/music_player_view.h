#pragma once
// music_player_view: what the main window asks of and tells the music player
// directly (its play_manager): mode, volume and mute, its state, the entry
// that plays, and the first playlist that a file drop replaces.
//
// Playlist positions: 0 is the first playlist ("Default"), 1 the channel
// playlist; -1 when there is none. User-interface thread only.
#include <vector>

#include "list_info.h"

class music_player_view {
public:
    virtual ~music_player_view() = default;
    virtual void set_play_mode(int mode) = 0;
    virtual void set_volume(unsigned volume) = 0;
    virtual void set_mute(bool mute) = 0;
    virtual void stop() = 0;

    virtual bool is_playing() = 0;
    virtual bool is_seekable() = 0;
    virtual bool is_paused() = 0;
    // Position of the active playlist, and of the current playlist, among
    // the player's playlists; -1 when there is none.
    virtual int active_playlist_position() = 0;
    virtual int current_playlist_position() = 0;
    // The index in the active playlist of the entry with that entry id; -1
    // when it is not there.
    virtual int active_index_of(const list_info& entry) = 0;
    // The entry that plays, when it lies in the active playlist; null
    // otherwise. The window may change its title and artist.
    virtual list_info* current_entry() = 0;

    // The drop: stop, clear the active playlist, clear the first playlist
    // and make it the active and the current one.
    virtual void reset_first_playlist() = 0;
    virtual void add_to_first(const std::vector<list_info>& entries) = 0;
    virtual int first_count() = 0;
    // Plays the first entry of the first playlist.
    virtual void play_first() = 0;
};

// The music player of the playlist library (core::get_player(true)); a
// missing player reads as stopped and takes no command.
class core_music_player_view : public music_player_view {
public:
    void set_play_mode(int mode) override;
    void set_volume(unsigned volume) override;
    void set_mute(bool mute) override;
    void stop() override;
    bool is_playing() override;
    bool is_seekable() override;
    bool is_paused() override;
    int active_playlist_position() override;
    int current_playlist_position() override;
    int active_index_of(const list_info& entry) override;
    list_info* current_entry() override;
    void reset_first_playlist() override;
    void add_to_first(const std::vector<list_info>& entries) override;
    int first_count() override;
    void play_first() override;
};
