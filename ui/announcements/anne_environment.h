#pragma once
// anne_environment: everything the announcement scheduler, the announcement
// starter and the music fade-in reach outside themselves. The player's own
// (player_anne_environment.h) reads the service clock, GetTickCount, the
// options block, the service client and the registry; tests put a fake
// clock, fake players and a counting ducker behind it and drive the ticks
// by hand.
//
// User-interface thread only.
#include <windows.h>
#include <vector>
#include "service_records.h"
#include "timex.h"

class anne_progress_listener;
class list_info;
class play_manager;
class volume_ducker;
struct login_options;

class anne_environment {
public:
    virtual ~anne_environment() {}

    // The service clock (timex with the server offset).
    virtual timex service_now() = 0;
    // Milliseconds of a free-running counter (GetTickCount); wraps at 2^32.
    virtual DWORD tick_count() = 0;
    // Milliseconds gone of the service clock's current second (0..999). The
    // service clock is this PC's clock shifted by whole seconds, so its
    // seconds begin with the PC's. 0 where nobody says.
    virtual unsigned ms_into_second() { return 0; }
    // The options: fadeinout_time, anne_refresh_time, volume, info_volume,
    // music_volume_rate.
    virtual const login_options& options() = 0;

    // The store's announcement list (service_client::load_anne_list): with
    // fetch the service is asked, without it a kept list may answer. False
    // on failure, list untouched.
    virtual bool load_anne_list(std::vector<anne_record>& list, bool fetch) = 0;
    // Every registered anne_progress_listener, in registry order.
    virtual std::vector<anne_progress_listener*> listeners() = 0;
    // Queues an announcement file for download ahead of its air time;
    // nothing without a track cache.
    virtual void prefetch(const list_info& entry) = 0;
    // The music player (true) or the announcement player (false); null when
    // missing.
    virtual play_manager* player(bool music) = 0;
    // The volume ducker; null when none is registered.
    virtual volume_ducker* ducker() = 0;
    // Tells the playlist window that a record of the list changed.
    virtual void post_schedule_changed() = 0;
    // Starts an announcement starter on its own 100 ms timer.
    virtual void start_announcement(const anne_record& record, unsigned fade_ms) = 0;
};
