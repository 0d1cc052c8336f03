#pragma once
// music_player_view: what the main window asks of and tells the music player
// directly (its play_manager): mode, volume and mute, its state, the entry
// that plays, and the first playlist that a file drop replaces.
//
// Playlist positions: 0 is the first playlist ("Default"), 1 the channel
// playlist; -1 when there is none. User-interface thread only.
#include <vector>

#include "critsec.h"
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
    // otherwise. The window may change its title and artist, but only while
    // it holds current_entry_lock (see current_entry_guard).
    virtual list_info* current_entry() = 0;
    // The lock the playback thread holds whenever it replaces the player's
    // current entry with the next one (the active playlist's entry lock);
    // null when there is none. Take it after current_entry() and call
    // nothing of the player while holding it: the player's own lock comes
    // first in the lock order.
    virtual critsec* current_entry_lock() { return nullptr; }

    // The drop: stop, clear the active playlist, clear the first playlist
    // and make it the active and the current one.
    virtual void reset_first_playlist() = 0;
    virtual void add_to_first(const std::vector<list_info>& entries) = 0;
    virtual int first_count() = 0;
    // Plays the first entry of the first playlist.
    virtual void play_first() = 0;
};

class play_manager;

// A copy of the player's current entry (empty when nothing plays), taken
// under the lock the playback thread holds when it replaces that entry.
list_info current_entry_copy(play_manager* player);

// Holds a view's current_entry_lock for a scope (nothing when there is none).
class current_entry_guard {
public:
    explicit current_entry_guard(music_player_view& view) : lock_(view.current_entry_lock()) {
        if (lock_) lock_->enter();
    }
    ~current_entry_guard() {
        if (lock_) lock_->leave();
    }
    current_entry_guard(const current_entry_guard&) = delete;
    current_entry_guard& operator=(const current_entry_guard&) = delete;

private:
    critsec* lock_;
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
    critsec* current_entry_lock() override;
    void reset_first_playlist() override;
    void add_to_first(const std::vector<list_info>& entries) override;
    int first_count() override;
    void play_first() override;
};
