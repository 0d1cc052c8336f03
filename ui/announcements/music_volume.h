#pragma once
// The music volume in the user's units (the option `volume`, 0..1000) and in
// the music player's units (play_manager::volume, 0..1000).
//
// The option music_volume_rate is the one factor between them, and it is
// read the same way everywhere: a float factor. The INI and the per-user
// store hold it as a whole percentage, which the options load turns into
// percent / 100; the login reply's percentage arrives as percent / 100 +
// 0.05 (so 100 gives 1.05). A factor is not a percentage, so nothing here
// divides by 100 again. The user's volume reaches the player exactly as the
// main window sets it (music_volume_of, rounded) and the player keeps at most
// 1000, so with a factor above 1 the user's 1000 reads back lower (952 at
// 1.05). The fades therefore decide "the music is back at the user's
// volume" in the player's units, where the main window's value and the
// fade's target are the same number, and never by reading user units back.
#include "login_services.h"

// The factor of the option; anything not above 0 (or not a number) counts
// as 1.
double music_rate(float option);
// The player's value for a user volume: what the main window sets, at most
// 1000.
unsigned music_to_player(unsigned user_volume, float rate_option);
// The user's value for a player volume, rounded, at most 1000.
unsigned music_to_user(unsigned player_volume, float rate_option);
