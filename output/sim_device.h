#pragma once
// A simulated sound device: a buffer of a set number of milliseconds that a
// clock empties as "played". The capture output and the paced WAV-file output
// are built on it.
//
// Time is virtual, in microseconds, read from a sim_clock. Neither class locks:
// their owner does.
#include <windows.h>
#include <deque>
#include "pcm_format.h"

// Virtual time. Automatic: wall time (the performance counter) times a speed
// factor, from the moment the mode was set. Manual: stands still until
// advanced. Switching mode keeps the time continuous.
class sim_clock {
public:
    sim_clock();  // automatic, speed 1

    long long now_us() const;
    void set_auto(double speed);
    void set_manual();
    void advance_us(long long us);  // either mode: a jump forward
    bool is_manual() const { return manual_; }
    double speed() const { return speed_; }

private:
    long long wall_us() const;

    bool manual_ = false;
    double speed_ = 1.0;
    long long base_us_ = 0;       // virtual time when the mode was set
    long long wall_base_us_ = 0;  // wall time then
    long long frequency_ = 1;
};

// The device buffer. Written bytes queue up in runs of one format; playing
// consumes them at each run's own rate. When the buffer runs dry the time that
// passes is lost (an underrun), as on a real device.
class sim_device {
public:
    // capacity_ms > 0; unpaced devices take every write at once and play it
    // at once.
    sim_device(int capacity_ms, long long now_us, bool unpaced = false);

    // Plays the time from the last update to now_us unless paused or stuck.
    void run_until(long long now_us, bool stuck);
    // Takes up to count bytes: at most the free room (the capacity less the
    // duration buffered, in bytes of this format), cut down to whole frames
    // unless everything offered fits. 0 when full. The format must be timed.
    int accept(const pcm_format& format, int count);
    // Bring the device up to date with run_until first.
    void set_paused(bool paused) { paused_ = paused; }
    // Drops what is buffered and not yet played; the dropped byte count.
    long long flush();

    bool is_paused() const { return paused_; }
    long long written() const { return written_; }
    long long played() const { return played_; }
    long long dropped() const { return dropped_; }
    long long buffered() const { return written_ - played_ - dropped_; }
    int capacity_ms() const { return capacity_ms_; }

private:
    struct run {
        int bytes_per_frame;
        int sample_rate;
        long long bytes;
    };
    void consume(long long us);

    int capacity_ms_;
    bool unpaced_;
    bool paused_ = false;
    long long last_us_;
    // Playing time of the front run not yet turned into a whole frame, in
    // microseconds times its sample rate.
    long long partial_ = 0;
    std::deque<run> runs_;
    long long written_ = 0;
    long long played_ = 0;
    long long dropped_ = 0;
};
