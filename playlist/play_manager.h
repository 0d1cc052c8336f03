#pragma once
// play_manager: one of the two players (index 0 music, 1 announcements), with
// its playlists. Two singletons of the playlist library.
#include "component.h"

class list_info;

class play_manager : public component {
public:
    static constexpr GUID iid = {0x8B4BB3FB, 0xF4A3, 0x465D, {0x9F, 0x62, 0x91, 0x90, 0x31, 0xCA, 0x19, 0x0F}};
    virtual int index() = 0;  // 0 music player, 1 announcement player

    // Slots 3 to 9, the player's own controls, keep advance at slot 10. Only
    // advance is called by the core so far; the defaults do nothing.
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
};
