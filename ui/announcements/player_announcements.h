#pragma once
// The player's announcements: the scheduler over the player's own
// surroundings (the service clock, GetTickCount, the options block, the
// service client, the registry's players, ducker, track cache and
// listeners, the playlist window), ticking every 200 ms from the first
// login on. zel_ui registers anne_scheduler_login as a login listener.
//
// User-interface thread only.
#include "anne_environment.h"
#include "anne_scheduler.h"
#include "component.h"
#include "login_listener.h"

// The player's surroundings of the announcements. The listeners it hands
// out are registry singletons, kept by pointer.
anne_environment& get_player_anne_environment();
// The player's one scheduler.
anne_scheduler& get_anne_scheduler();

// Starts the scheduler at each login (the scheduler's 200 ms timer runs
// from the first one until zel_ui unloads).
class anne_scheduler_login : public singleton_component<login_listener> {
public:
    void on_login(bool ok) override;
};
