#pragma once
// The shared state of the capture outputs: their records, the clock that plays
// their simulated buffers and the fault settings. One per process; every
// field is read and changed under `lock`.
#include <memory>
#include <vector>
#include "capture_control.h"
#include "robust_lock.h"
#include "sim_device.h"

class output;

struct capture_session {
    capture_session(int device_index, int buffer_length_ms, long long now_us);

    int device;
    int buffer_ms;
    sim_device buffer;
    std::vector<capture_call> calls;
    // The last entry is the open segment (finish_fade_ms -1).
    std::vector<capture_track> tracks;
    int taken_writes = 0;
    int volume = 1000;
    bool mute = false;
    bool released = false;
};

struct capture_hub {
    static capture_hub& instance();

    // A new listed, live session.
    std::shared_ptr<capture_session> open_session(int device, int buffer_ms);
    // A released session stops playing; it stays listed.
    void close_session(capture_session* session);
    // Plays the session's buffer up to the clock's time.
    void update(capture_session& session) { session.buffer.run_until(clock.now_us(), stuck); }
    void update_live();
    void restore_defaults();

    robust_lock lock;
    sim_clock clock;
    int refuse_after = -1;
    bool stuck = false;
    bool keep_pcm = true;
    std::vector<stringx> device_names;
    std::vector<std::shared_ptr<capture_session>> listed;
    std::vector<capture_session*> live;

private:
    capture_hub();
};

// The output of type 2 on a new session.
output* make_capture_output(int device, int buffer_ms);
