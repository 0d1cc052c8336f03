#pragma once
// capture_control: the test handle of the capture output (output type 2) of
// zel_output.dll, a singleton registered under its own GUID.
//
// Every output that output_manager::current() makes while type 2 is selected
// is a capture output. Each writes into a simulated device buffer of the
// buffer length set when it was made (set_buffer_ms, 3000 ms by default); one
// clock, shared by all capture outputs, plays those buffers. The control
// lists the capture outputs in the order they were made (index 0 is the
// first since load or reset) and keeps what each recorded after its release.
//
// Clock: automatic by default, at real-time speed: "played" advances by wall
// time × speed. A manual clock stands still until advance(); buffered_bytes
// and is_finished then change only when the test advances it, which makes a
// run deterministic. While an output is paused or the device is stuck the
// time that passes plays nothing; when a buffer runs dry the time is lost
// (an underrun).
//
// Usage in a test program that lies beside zel_output.dll:
//
//     core::set_instance(GetModuleHandleW(nullptr));
//     core::load_library();
//     auto* manager = static_cast<output_manager*>(
//         core::enum_create_component(output_manager::iid, 0));
//     auto* capture = static_cast<capture_control*>(
//         core::enum_create_component(capture_control::iid, 0));
//     capture->reset();
//     capture->set_manual_clock();
//     manager->select(output_type_capture, 0);
//     ... run the engine; it takes outputs through output_manager::current() ...
//     capture->advance(1000);              // one second is played
//     std::vector<capture_track> tracks;
//     capture->tracks(0, tracks);          // the PCM of output 0, per track
//
// Neither object is released (their release does nothing). Every operation
// may be called from any thread.
#include <vector>
#include "component.h"
#include "stringx.h"

struct capture_format {
    int format_tag;
    int channels;
    int sample_rate;
    int bits_per_sample;
    int channel_mask;
};

enum class capture_op : int {
    start,
    write,
    pause,
    seek,
    finish_track,
    set_volume,
    set_mute,
    refresh,
    release,
};

// One recorded call. Queries (name, get_volume, is_paused, buffered_bytes,
// is_finished) are not recorded.
struct capture_call {
    capture_op op;
    // write: bytes offered; pause and set_mute: 0 or 1; set_volume: the
    // volume; seek and finish_track: the fade length in ms.
    int value;
    double seconds;  // start: the track length; seek: the target
    // write: bytes taken (0 when full, -1 when refused or for a format that
    // cannot be timed); seek: bytes dropped from the buffer.
    int result;
    // write: identical consecutive calls folded into this record (a write
    // into a full buffer is retried every millisecond); 1 for other calls.
    int repeat;
    capture_format format;  // write: the format given
    int track;              // the track segment the call fell in
    long long offset;       // bytes taken by the output before the call
    long long played;       // bytes the simulated device had played then
};

// The bytes taken between two finish_track calls.
struct capture_track {
    capture_format format;        // of its first taken write; zeros without one
    double start_length;          // seconds of the last start() in it, -1.0 without one
    int finish_fade_ms;           // the finish_track that closed it, -1 when still open
    long long bytes;              // bytes taken
    std::vector<unsigned char> pcm;  // those bytes (empty when PCM is not kept)
};

struct capture_state {
    int device;       // device index selected when the output was made
    int buffer_ms;    // its buffer length
    long long written;
    long long played;
    long long dropped;  // by seeks
    long long buffered;
    bool paused;
    bool released;
    int volume;       // last set_volume, 1000 at first
    bool mute;
    int finished_tracks;  // finish_track calls
};

class capture_control : public component {
public:
    static constexpr GUID iid = {0x87B655D2, 0xE937, 0x48C1, {0xAE, 0x9C, 0x5A, 0xFE, 0xB3, 0x13, 0xA9, 0x7A}};

    // --- the clock shared by all capture outputs
    virtual void set_manual_clock() = 0;
    // Speed factor > 0: 10.0 plays ten seconds per second of wall time.
    virtual void set_auto_clock(double speed) = 0;
    // Moves the clock forward (in either mode) and lets every live capture
    // output play that long before returning.
    virtual void advance(int ms) = 0;
    virtual long long clock_us() = 0;

    // --- faults, applied to live and later outputs
    // An output refuses (-1) every write once it has taken `writes` writes;
    // 0 refuses the next write of every output; negative: never (default).
    virtual void refuse_writes_after(int writes) = 0;
    // A stuck device plays nothing and is_finished stays false.
    virtual void set_stuck(bool stuck) = 0;
    // Off: tracks count their bytes but keep no PCM (long runs).
    virtual void set_keep_pcm(bool keep) = 0;

    // --- the device list of type 2; a change is reported to the manager's
    // listeners when type 2 is selected
    virtual void set_device_names(const std::vector<stringx>& names) = 0;

    // --- the capture outputs, in the order they were made
    virtual int output_count() = 0;
    virtual bool state(int output, capture_state* out) = 0;
    // Replace the vector's content; the count, or -1 for an unknown output.
    virtual int calls(int output, std::vector<capture_call>& out) = 0;
    // One entry per finish_track, plus the segment after the last one when it
    // holds bytes.
    virtual int tracks(int output, std::vector<capture_track>& out) = 0;

    // Forgets every output made so far (live ones go on working, unlisted),
    // and restores the defaults: automatic clock at speed 1, no refusal, not
    // stuck, PCM kept, device names "Capture 1" and "Capture 2".
    virtual void reset() = 0;
};
