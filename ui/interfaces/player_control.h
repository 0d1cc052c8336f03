#pragma once
// player_control: the music player's transport commands, called by the main
// window's buttons and sliders and the remote commands. Every registered
// object is told, each released after the call; the now-playing list's
// library registers one.
#include "component.h"

class player_control : public component {
public:
    static constexpr GUID iid = {0x90E412BB, 0x2708, 0x434F, {0xBB, 0x26, 0x6D, 0x37, 0xD6, 0xAB, 0x47, 0xFB}};
    // Only a seekable track is moved.
    virtual void seek(double seconds) = 0;
    // 0..1000; ignored while an announcement plays.
    virtual void set_volume(int volume) = 0;
    virtual void reserved() = 0;
    // Kept; read by nothing.
    virtual void set_value(int value) = 0;
    // The open dialog's files replace "Default", which then plays.
    virtual void open_files() = 0;
    // Only while the login's "skip" option is 1.
    virtual void previous() = 0;
    virtual void next() = 0;
    virtual void play() = 0;
    // Toggles pause.
    virtual void pause() = 0;
    virtual void stop() = 0;
};
