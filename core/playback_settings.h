#pragma once
// playback_settings: the values the playback threads consult, a singleton of
// zel_core: the thread priority, the loudness normalizer's switch and scale,
// the automatic and forced crossfades, the fades and the visualisation
// interval. The crossfades, fades and visualisation come from the "playback"
// section of the INI file at start-up (playback_settings_file.h); the
// priority and the normalizer are set by the user interface. Nothing is
// saved back.
//
// Ownership: a singleton; release does nothing.
// Threading: setters run on the user-interface thread and store a pair under
// the object's lock; getters run on playback threads at any time without it,
// so a reader may see the old enabled flag with the new value of a pair. No
// setter checks a range.
#include "component.h"

class playback_settings : public component {
public:
    static constexpr GUID iid = {0x0AA91ED0, 0xFF8D, 0x4F91, {0x96, 0x76, 0x5A, 0x9C, 0xD8, 0x35, 0xD5, 0x17}};

    // Thread priority code 0..3 (the playback thread maps it).
    virtual int priority() = 0;
    virtual void set_priority(int value) = 0;
    // Loudness normalizer of the music player; value is its scale (strength
    // = value x 0.1).
    virtual void normalize(bool* enabled, int* value) = 0;
    virtual void set_normalize(bool enabled, int value) = 0;
    // Milliseconds: negative = the next entry starts that long before the end
    // of this one; positive = that much silence between entries.
    virtual void auto_cross(bool* enabled, int* value) = 0;
    virtual void set_auto_cross(bool enabled, int value) = 0;
    // Only the sign counts: negative and enabled lets a thread stopped for a
    // skip play out while the next entry starts.
    virtual void force_cross(bool* enabled, int* value) = 0;
    virtual void set_force_cross(bool enabled, int value) = 0;
    // Milliseconds of fade-in at an entry's start and fade-out at its end.
    virtual void fade(bool* enabled, int* value) = 0;
    virtual void set_fade(bool enabled, int value) = 0;
    // Milliseconds of fade-in after a seek.
    virtual void seek_fade(bool* enabled, int* value) = 0;
    virtual void set_seek_fade(bool enabled, int value) = 0;
    // Milliseconds between two visualisation deliveries; enabled switches them.
    virtual void visual(bool* enabled, int* value) = 0;
    virtual void set_visual(bool enabled, int value) = 0;
};
