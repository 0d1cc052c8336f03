#pragma once
// The rules by which a player option becomes what the music player is given;
// the options load at start and the login's load both use them.

// The music player's play mode for a play method: 0 gives 1 (repeat the
// list), 1 gives 0 (in order), 2 gives 5 (random rounds), anything else 4.
int play_mode_of(int play_method);

// The music player's volume: volume x rate, rounded to the nearest whole
// number (a rate of 0.29 with 1000 gives 290, not 289).
unsigned music_volume_of(unsigned volume, float rate);
