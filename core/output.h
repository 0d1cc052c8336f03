#pragma once
// The audio output: output_manager (singleton) chooses the device and hands out
// an output (per use) to each playback thread. Both are provided by the audio
// output component, outside the core.
#include <vector>
#include "audio_format.h"
#include "component.h"
#include "stringx.h"

class output : public component {
public:
    static constexpr GUID iid = {0x42E0B6BF, 0xEF1B, 0x4D78, {0xA0, 0x5D, 0xCA, 0xAB, 0x67, 0x0D, 0x13, 0x62}};

    virtual const wchar_t* name() = 0;
    // Takes up to count bytes in the given format; 0 when full, negative on a
    // device error (the track ends with error 2).
    virtual int write(const audio_format* format, const void* bytes, int count) = 0;
    virtual int get_volume() = 0;
    virtual void pause(bool paused) = 0;
    virtual bool is_finished() = 0;        // every written sample has been played
    virtual bool is_paused() = 0;
    virtual int buffered_bytes() = 0;      // written but not yet heard
    virtual void set_volume(int volume) = 0;  // 0..1000
    virtual void set_mute(bool mute) = 0;
    virtual void start(double track_length) = 0;  // before a track's first block
    virtual void seek(double target, int fade_ms) = 0;
    // The track's samples end here; later samples belong to the next track.
    virtual void finish_track(int fade_ms) = 0;
    virtual void refresh() = 0;            // after a user pause or resume
    virtual ~output() {}
};

class output_manager : public component {
public:
    static constexpr GUID iid = {0xE06E34B2, 0x3CF9, 0x48DD, {0xA4, 0x01, 0x16, 0xA1, 0xA8, 0x66, 0xB2, 0x13}};

    virtual void set_buffer_ms(int ms) = 0;
    virtual int get_buffer_ms() = 0;
    virtual void select(int output_type, int device_index) = 0;
    virtual int selected_type() = 0;
    virtual int selected_device() = 0;
    // A new output for the selected device, or null; the caller releases it.
    virtual output* current() = 0;
    // Device names of an output type, in index order; the count.
    virtual int devices(int output_type, std::vector<stringx>& names) = 0;
    // The object's slot 1 (output type, device index) is called when the
    // device list of a type changes.
    virtual void add_listener(class output_listener* listener) = 0;
};

class output_listener {
public:
    virtual void on_event(int unused) = 0;
    virtual void on_devices_changed(int output_type, int device_index) = 0;
};
