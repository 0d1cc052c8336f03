#pragma once
// component_option_targets: the option loads' calls on the registered
// components (the music player, the output, the window docker, the
// launcher link...) and on the player's service client; and the load of the
// stored options into the player's options block over them.
#include "option_targets.h"

class component_option_targets : public option_targets {
public:
    bool launcher_connected() override;
    void set_packet_retry(bool on) override;
    void set_output(int buffer_ms, int output_type, int device) override;
    void set_playback(bool norm, int norm_scale, int priority) override;
    void set_rate_limit(int bytes_per_second) override;
    void set_play_mode(int mode) override;
    void set_music_volume(unsigned volume) override;
    void set_music_mute(bool mute) override;
    void set_always_on_top(bool on) override;
    void clear_favourites() override;
    void add_favourite(const stringx& name) override;
    std::vector<stringx> favourites() override;

    // The library's one object.
    static component_option_targets& instance();
};

// Reads the options from their stores into get_player_options() and pushes
// them to the registered components.
void load_options();
