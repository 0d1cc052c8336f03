#pragma once
// anne_end_watch: brings the music back after an announcement that a
// starter put on air. It watches the announcement player until that
// announcement has played (its address is the player's current entry while
// it plays) and then reports done, at which point the caller starts the
// fade-in (volume_fade over the option fadeinout_time). An announcement that
// never starts playing (the file cannot be opened) counts as ended after
// start_grace_ms.
//
// The announcement window, where it exists, does this itself on the
// announcement player's end, stop or error; the watch stands in for it so
// that the music does not stay silent after an announcement.
//
// User-interface thread only; step() every 200 ms.
#include <string>
#include "anne_environment.h"

class anne_end_watch {
public:
    static const DWORD start_grace_ms = 5000;

    anne_end_watch(anne_environment& env, const stringx& url);
    // True once the announcement has played (or never started).
    bool step();

private:
    bool playing_it();

    anne_environment& env_;
    stringx url_;
    DWORD since_;
    bool seen_ = false;
};
