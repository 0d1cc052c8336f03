#pragma once
// option_targets: where the option loads send their values, one operation
// per component call. component_option_targets (ui/channel) reaches the
// registered components; tests put a recorder in its place.
#include <vector>
#include "stringx.h"

class option_targets {
public:
    virtual ~option_targets() = default;
    // Whether the launcher link of multi-instance play is connected (its
    // device then stays).
    virtual bool launcher_connected() = 0;
    // net_options::set_packet_retry on every registered object.
    virtual void set_packet_retry(bool on) = 0;
    // output_manager::set_buffer_ms, then output_manager::select.
    virtual void set_output(int buffer_ms, int output_type, int device) = 0;
    // playback_settings::set_normalize and set_priority, when registered.
    virtual void set_playback(bool norm, int norm_scale, int priority) = 0;
    // track_cache::set_rate_limit.
    virtual void set_rate_limit(int bytes_per_second) = 0;
    // The music player's play mode, volume and mute.
    virtual void set_play_mode(int mode) = 0;
    virtual void set_music_volume(unsigned volume) = 0;
    virtual void set_music_mute(bool mute) = 0;
    // The window docker's always-on-top state, when it is there.
    virtual void set_always_on_top(bool on) = 0;
    // The favourite channels of the service client, in list order.
    virtual void clear_favourites() = 0;
    virtual void add_favourite(const stringx& name) = 0;
    virtual std::vector<stringx> favourites() = 0;
};

// The registered components: net_options, output_manager,
// playback_settings, track_cache, the music player, the launcher link and
// the window docker (each skipped when missing; no launcher link reads as
// not connected); the favourites are the service client's own list
// (get_service_client), so the options load, the main window and the
// channel pages share one list.
