#pragma once
// registry_player_transport: the main window's transport commands given to
// every player_control registered with the component registry (the
// playlist services' music_player_control in zel_ui), each released after
// the call. Without a registered player_control every command does nothing.
#include "player_transport.h"

class registry_player_transport : public player_transport {
public:
    void open_files() override;
    void play() override;
    void pause() override;
    void stop() override;
    void previous() override;
    void next() override;
    void seek(double seconds) override;
    void set_volume(unsigned volume) override;
};
