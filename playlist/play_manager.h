#pragma once
// play_manager: one of the two players (index 0 music, 1 announcements), with
// its playlists. Two singletons of the playlist library.
#include <vector>
#include "component.h"

class list_info;
class playlist;

class play_manager : public component {
public:
    static constexpr GUID iid = {0x8B4BB3FB, 0xF4A3, 0x465D, {0x9F, 0x62, 0x91, 0x90, 0x31, 0xCA, 0x19, 0x0F}};
    virtual int index() = 0;  // 0 music player, 1 announcement player

    // Slots 3 to 9, the player's own controls, keep advance at slot 10. The
    // core calls only advance; the defaults do nothing (stand-in players).
    virtual void play(list_info* entry) {}
    virtual void stop(int stop_mode) {}
    virtual bool is_playing() { return false; }
    virtual bool is_paused() { return false; }
    virtual void pause() {}
    virtual void next() {}
    virtual void previous() {}
    // Slot 10: the entry to play after the current one, by play mode; null
    // when there is none. With make_current it becomes the player's current
    // entry. Called on playback threads (the player locks); the entry stays
    // the player's, and the caller copies it.
    virtual list_info* advance(bool make_current) { return nullptr; }

    // Slots 11 to 37: the current entry, volume, seeking and the playlist
    // collection. Playlists are named by their id (case-insensitive here).
    virtual void select(const wchar_t* entry_id) {}
    virtual list_info* current() { return nullptr; }
    virtual unsigned volume() { return 1000; }
    virtual void set_volume(unsigned volume) {}
    virtual void set_mute(bool muted) {}
    virtual bool mute() { return false; }
    virtual void set_play_mode(int mode) {}
    virtual int play_mode() { return 0; }
    virtual void seek(double seconds) {}
    virtual void seek_by(double delta) {}
    virtual bool is_seekable() { return false; }
    virtual double position() { return 0.0; }
    virtual playlist* create_playlist(const wchar_t* name, bool make_current) { return nullptr; }
    virtual void remove_playlist(const wchar_t* id) {}
    virtual void remove_all_playlists() {}
    virtual int playlist_count() { return 0; }
    virtual int playlist_index(const wchar_t* id) { return -1; }
    virtual playlist* find_playlist(const wchar_t* id) { return nullptr; }
    virtual std::vector<playlist*>& playlists() {
        static std::vector<playlist*> none;
        return none;
    }
    virtual playlist* playlist_at_unlocked(unsigned index) { return nullptr; }
    virtual playlist* playlist_at(unsigned index) { return nullptr; }
    virtual void set_active_playlist(const wchar_t* id) {}
    virtual playlist* active_playlist() { return nullptr; }
    virtual void set_current_playlist(const wchar_t* id) {}
    virtual playlist* current_playlist() { return nullptr; }
    virtual void move_playlist_up(const wchar_t* id) {}
    virtual void move_playlist_down(const wchar_t* id) {}
    virtual ~play_manager() {}
};
