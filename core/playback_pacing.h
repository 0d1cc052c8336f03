#pragma once
// How long the playback thread waits for its output.
//
// An output that takes a whole block (a file, a device with room, one that
// plays at once) is handed the next block without any wait: the thread then
// runs as fast as its input decodes. A full output is given the time it needs
// to make room for the rest of the block, worked out from the rate at which
// it has been playing what it holds (measured on the thread's own clock, so
// a device that plays faster or slower than real time paces the thread by
// its own speed), and never more than max_wait_ms, so that commands and the
// published position still move. Until the output has been seen playing
// anything (a device that has not started, a stuck one), the waits grow from
// 1 ms to max_wait_ms: it is waited for, not spun on.
//
// Times are milliseconds of any steady clock; one object per output, used by
// the playback thread alone.
class playback_pacing {
public:
    static constexpr int max_wait_ms = 50;

    // Forgets the measured rate: a new output, or one whose buffer jumped
    // (flushed by a seek, held by a pause).
    void restart();

    // The output's state while it is full: taken is every byte it has taken
    // since the restart (or any larger running total), buffered what of it
    // is not played yet.
    void observe(long long taken, int buffered, double now_ms);

    // The wait before the rest of a block (left bytes) is offered again to a
    // full output that holds buffered bytes: 1 to max_wait_ms.
    int full_wait_ms(int left, int buffered);

    // Bytes per millisecond the output was seen playing; 0 before any.
    double rate() const { return rate_; }

private:
    // A rate is taken over at least this span, and the span starts afresh
    // after the longer one (so that it follows a change of speed).
    static constexpr double min_span_ms = 10.0;
    static constexpr double max_span_ms = 1000.0;

    bool anchored_ = false;
    double anchor_ms_ = 0.0;  // where the span of the rate starts
    long long anchor_played_ = 0;
    double last_ms_ = 0.0;  // the last observation
    long long last_played_ = 0;
    double moved_ms_ = 0.0;  // when the output was last seen playing
    double rate_ = 0.0;
    int idle_waits_ = 0;  // full waits in a row without a rate
};
