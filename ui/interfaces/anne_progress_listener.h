#pragma once
// anne_progress_listener: what the announcements do, told to every
// registered object in registry order. The scheduler says which announcement
// comes next and when one is on air; the starter and the fade-in say when
// one is being prepared, how loud the music is at each fade step and when
// the music is back.
//
// Threading: user-interface thread only. A record handed to a listener is
// valid only during the call (the scheduler's list is re-sorted and replaced).
// Ownership: listeners are registry singletons; release does nothing.
#include "component.h"

struct anne_record;

class anne_progress_listener : public component {
public:
    static constexpr GUID iid = {0x71FB9B02, 0xA070, 0x4DB9, {0xAE, 0x28, 0x82, 0x64, 0x7C, 0x41, 0xAC, 0xB9}};

    // Slot 2: the next announcement of the day; null when none comes today.
    virtual void on_next_changed(const anne_record* record) {}
    // Slot 3: the music starts fading out for this announcement.
    virtual void on_preparing(const anne_record* record) {}
    // Slot 4: the announcement is on air.
    virtual void on_air(const anne_record* record) {}
    // Slot 5: the music is back at the user's volume after an announcement.
    virtual void on_finished() {}
    // Slot 6: the scheduler took a new list from the service.
    virtual void on_schedule_changed() {}
    // Slot 7: the music volume of one fade step, in the user's units (0..1000).
    virtual void on_music_volume(unsigned volume) {}
};
