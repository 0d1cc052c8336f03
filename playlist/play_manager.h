#pragma once
// play_manager: one of the two players (index 0 music, 1 announcements), with
// its playlists. Two singletons of the playlist library.
#include "component.h"

class play_manager : public component {
public:
    static constexpr GUID iid = {0x8B4BB3FB, 0xF4A3, 0x465D, {0x9F, 0x62, 0x91, 0x90, 0x31, 0xCA, 0x19, 0x0F}};
    virtual int index() = 0;  // 0 music player, 1 announcement player
};
