#pragma once
// registry_player_transport: the main window's transport commands given to
// the music player of the registry (core::get_player(true)). Without a
// music player every command does nothing.
#include "player_transport.h"

class registry_player_transport : public player_transport {
public:
    // No file dialog belongs to the player yet: the command does nothing.
    void open_files() override {}
    // Resumes a paused track; otherwise plays the current entry, or the next
    // one of the active playlist when there is no current entry. Does
    // nothing while a track plays.
    void play() override;
    void pause() override;
    void stop() override;
    void previous() override;
    void next() override;
    void seek(double seconds) override;
    void set_volume(unsigned volume) override;
};
