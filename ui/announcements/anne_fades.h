#pragma once
// The two short fades around an announcement, as step logic: the caller
// (fade_timers.h, or a test) calls step() every 100 ms until it returns true.
//
// anne_starter: asks the volume ducker to lower the other programs, fades
// the music down over the fade time, then puts the announcement on the
// announcement player. The music is made silent silence_ahead_ms before the
// announcement is due: a playback thread takes a new volume with its next
// block of sound (about 93 ms at 44.1 kHz), so the music is quiet by the
// time the announcement sounds. Opening an announcement takes the player a
// tenth of a second and more (the stream, its length asked of the host, the
// input's first look at the data), so when the announcement player is idle
// the starter opens it prepare_ms before it is due, paused and silent, and
// lets it go when the fade time is up: it sounds on time. While the
// announcement player still plays an earlier announcement the starter holds
// the music at 0 and waits for it to end (for at most max_wait_ms), so that
// no announcement is swallowed behind another one.
//
// volume_fade: asks the ducker to restore the other programs and brings the
// music back up to the user's volume over the fade time.
//
// Both report every music volume to the anne_progress_listener objects in
// the user's units. User-interface thread only.
#include <vector>
#include "anne_environment.h"
#include "service_records.h"

class list_info;
class playlist;

class anne_starter {
public:
    // How long a starter waits for a running announcement to end.
    static const DWORD max_wait_ms = 30 * 60 * 1000;
    // How long before it is due an announcement is opened, paused.
    static const DWORD prepare_ms = 1000;
    // How long before the announcement is due the music is made silent.
    static const DWORD silence_ahead_ms = 100;

    // Ducks the other programs, collects the listeners, notes the music
    // volume and tells the listeners that record is being prepared. A
    // record volume above 100 stands for the option info_volume / 10.
    anne_starter(anne_environment& env, const anne_record& record, unsigned fade_ms);
    // One 100 ms step; true once the announcement was handed to the player
    // (or there was no playlist to hand it to): the starter is done.
    bool step();
    // Milliseconds until the fade time is up and the announcement is due on
    // air; 0 once it is.
    DWORD ms_until_due();
    // Milliseconds until the next moment a step has to come on time: the
    // music's silence, then the announcement's air time; 0 when both passed.
    DWORD ms_until_next_mark();

    const anne_record& record() const { return record_; }
    // The announcement was handed to the announcement player.
    bool played() const { return played_; }

private:
    unsigned music_user_volume();
    void set_music(unsigned user_volume);
    void tell_music_volume(unsigned user_volume);
    bool put_on_air();
    // Milliseconds after the start at which the music goes silent.
    DWORD silence_at() const;
    // The announcement as the announcement player's one entry.
    list_info* fill_playlist(playlist* list);
    void prepare();
    // Lets the prepared announcement go; false when it no longer waits on
    // the player (it failed to open, or something else plays).
    bool release_prepared();
    void tell_on_air();

    anne_environment& env_;
    anne_record record_;
    unsigned fade_ms_;
    unsigned start_volume_;
    DWORD start_tick_;
    DWORD last_tick_;
    DWORD wait_tick_ = 0;
    bool waiting_ = false;
    bool played_ = false;
    bool prepare_tried_ = false;
    bool prepared_ = false;
    bool faded_ = false;     // this starter took the music down
    bool silenced_ = false;  // and then set it to 0
    std::vector<anne_progress_listener*> listeners_;
};

class volume_fade {
public:
    // Restores the other programs and collects the listeners.
    volume_fade(anne_environment& env, unsigned fade_ms);
    // One 100 ms step; true when the music is at the user's volume and every
    // listener was told (on_music_volume, then on_finished).
    bool step();

private:
    anne_environment& env_;
    unsigned fade_ms_;
    DWORD start_tick_;
    DWORD last_tick_;
    std::vector<anne_progress_listener*> listeners_;
};
