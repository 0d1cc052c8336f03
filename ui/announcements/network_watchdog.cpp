#include "network_watchdog.h"

#include <utility>

network_watchdog::network_watchdog(network_probe& probe, std::function<void()> on_back)
    : probe_(&probe), on_back_(std::move(on_back)) {}

void network_watchdog::tick() {
    const bool now_up = probe_->is_up();
    if (now_up && InterlockedCompareExchange(&up_, 1, 0) == 0) {
        if (on_back_) on_back_();
    } else if (!now_up) {
        InterlockedExchange(&up_, 0);
    }
}

void stream_error_counter::on_error(int code) {
    if (code == 0) InterlockedIncrement(&count_);
    // Only the thread that takes the count back below the mark tells the
    // watchdog, once for every 201 errors.
    const LONG seen = count_;
    if (seen > 200 && InterlockedCompareExchange(&count_, 0, seen) == seen) watchdog_.mark_down();
}
