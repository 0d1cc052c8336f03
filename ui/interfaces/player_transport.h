#pragma once
// player_transport: the music player's transport as the main window gives
// its commands (the player_control service of the playlist library: every
// registered object is told, each released after the call). Tests put a
// recorder in its place.
class player_transport {
public:
    virtual ~player_transport() = default;
    virtual void open_files() = 0;
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void stop() = 0;
    virtual void previous() = 0;
    virtual void next() = 0;
    virtual void seek(double seconds) = 0;
    // The player's volume, 0 to 1000 (the option times the music rate).
    virtual void set_volume(unsigned volume) = 0;
};
