#pragma once
// The starter and the fade-in on timers of their own: each is made on the
// heap, steps every 100 ms on the user-interface thread and deletes itself
// when done. Nobody keeps a pointer to one and none can be cancelled;
// several may run at once, each reading the player's volume afresh.
#include "anne_environment.h"

// Ducks the other programs, fades the music out over fade_ms and plays the
// record on the announcement player. With bring_music_back the music then
// fades back in (over the option fadeinout_time) once the announcement has
// played (anne_end_watch), or at once when nothing went on air; not while
// another such starter is still on its way to air (the music stays down
// for that announcement, whose own end brings it back).
void start_anne_starter(anne_environment& env, const anne_record& record, unsigned fade_ms,
                        bool bring_music_back = false);
// Restores the other programs and fades the music back in over fade_ms.
void start_volume_fade(anne_environment& env, unsigned fade_ms);
