#include "playback_pacing.h"

#include <algorithm>
#include <cmath>

void playback_pacing::restart() {
    anchored_ = false;
    rate_ = 0.0;
    idle_waits_ = 0;
}

void playback_pacing::observe(long long taken, int buffered, double now_ms) {
    const long long played = taken - std::max(buffered, 0);
    // A running total or a clock that went back: measure afresh from here.
    // (Bytes a flush dropped count as played: the thread restarts the
    // pacing after a seek.)
    if (!anchored_ || played < last_played_ || now_ms < last_ms_) {
        anchored_ = true;
        anchor_ms_ = last_ms_ = moved_ms_ = now_ms;
        anchor_played_ = last_played_ = played;
        return;
    }
    if (played > last_played_) moved_ms_ = now_ms;
    last_ms_ = now_ms;
    last_played_ = played;
    const double span = now_ms - anchor_ms_;
    if (span >= min_span_ms && played > anchor_played_)
        rate_ = static_cast<double>(played - anchor_played_) / span;
    // Nothing played for a long time: the output is stalled (stuck, or
    // paused by someone else), whatever it played before.
    if (now_ms - moved_ms_ >= max_span_ms) rate_ = 0.0;
    if (span >= max_span_ms) {
        anchor_ms_ = now_ms;
        anchor_played_ = played;
    }
}

int playback_pacing::full_wait_ms(int left, int buffered) {
    if (rate_ <= 0.0) {
        // 1, 2, 4, ... ms while the output is not seen playing.
        const int wait = idle_waits_ >= 6 ? max_wait_ms : std::min(max_wait_ms, 1 << idle_waits_);
        ++idle_waits_;
        return wait;
    }
    idle_waits_ = 0;
    // Room for the rest of the block; a buffer smaller than a block is
    // waited for only half way, so that it never runs dry meanwhile.
    double bytes = std::max(left, 0);
    if (buffered > 0) bytes = std::min(bytes, buffered / 2.0);
    const double ms = std::ceil(bytes / rate_);
    return static_cast<int>(std::max(1.0, std::min(static_cast<double>(max_wait_ms), ms)));
}
