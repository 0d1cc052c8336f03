#pragma once
// equalizer: the 10-band graphic equalizer of zel_core, a singleton. Every
// playback thread passes each decoded block through process after replay
// gain and before the fade ramps; the equalizer window reads and sets the
// switch and the eleven values (in dB): index 0 the preamp, 1 to 10 the
// bands centred at 60, 170, 310, 600, 1000, 3000, 6000, 12000, 14000 and
// 16000 Hz (the filters are designed for 44100 Hz and used as they are at
// every rate, so the centres move with it).
//
// Per sample: each band filters the input times the preamp factor, and the
// output is (0.25 x input + the bands' outputs weighted by their gains) x
// 3.5; with every value at 0 dB a block comes out at 0.875 times its level.
// Integer samples are rounded and clamped, floats clamped to [-1, 1]. Blocks
// of 8-bit samples, and of more than 6 channels, pass unchanged.
//
// Each playback thread has a filter history of its own (two crossfading
// threads never filter through each other's history); it is cleared when the
// thread's block format changes and when a music track starts on a new
// thread. The same module keeps the settings: the INI file's "equalizer"
// section at start-up, the per-user settings at every login, saved per user
// at the end (equalizer_settings.h).
//
// Ownership: a singleton; release does nothing. Listeners are not owned and
// never removed.
// Threading: process, set_enabled, set_bands and bands hold the equalizer's
// lock; enabled() reads without it. add_listener and set_bands run on the
// user-interface thread; listeners are called there, under the lock.
#include "audio_format.h"
#include "component.h"

// Told about the equalizer's switch and values. Implemented by the users of
// the service; not a registered component.
class equalizer_listener {
public:
    // Slot 0.
    virtual void on_enabled(bool enabled) = 0;
    // Slot 1: never called.
    virtual void on_reserved() {}
    // Slot 2: the eleven values, valid during the call.
    virtual void on_bands(const double* values) = 0;

protected:
    ~equalizer_listener() = default;
};

class equalizer : public component {
public:
    static constexpr GUID iid = {0xF72BBA65, 0x2D49, 0x46C4, {0x91, 0x14, 0x1E, 0x28, 0xFF, 0x32, 0x5A, 0x74}};
    static constexpr int band_count = 10;
    static constexpr int value_count = 11;  // the preamp and the bands
    static constexpr int max_channels = 6;

    // Tells l the switch and the values at once, then keeps it; null is
    // ignored.
    virtual void add_listener(equalizer_listener* l) = 0;
    // Tells no listener.
    virtual void set_enabled(bool enabled) = 0;
    virtual bool enabled() = 0;
    // Copies the eleven values (a value that is no finite number counts as
    // 0.0), derives the filter factors and tells every listener; the filter
    // histories stay.
    virtual void set_bands(const double* values) = 0;
    // *out: the object's eleven values, valid as long as zel_core is loaded.
    virtual void bands(const double** out) = 0;
    // Filters the raw PCM block in place.
    virtual void process(void* data, int bytes, const audio_format* format) = 0;
    virtual ~equalizer() {}
};
