#pragma once
// network_watchdog: looks at the network state once a second and, when the
// network comes back after it was down, has the channel reservations
// refresh and check at once (one refresh per return, not one per second).
// The music player's stream errors can also mark the network as down: when
// more than 200 tracks in a row could not be opened, the next look that
// finds the network up counts as a return.
//
// tick runs on the user-interface thread; mark_down and the error counter
// may be called from any thread (the flag and the count are interlocked).
#include <windows.h>

#include <functional>

// Whether the network is up. The system's (system_network_probe) asks
// IsNetworkAlive and InetIsOffline, which Wine answers "up" whatever
// happens; tests put their own behind the watchdog.
class network_probe {
public:
    virtual ~network_probe() {}
    virtual bool is_up() = 0;
};

// IsNetworkAlive (sensapi.dll) says alive and InetIsOffline (url.dll) says
// online; a function that cannot be loaded counts as saying "up".
network_probe& system_network_probe();

class network_watchdog {
public:
    network_watchdog(network_probe& probe, std::function<void()> on_back);

    // The once-a-second look.
    void tick();
    // The network counts as down until the next look finds it up.
    void mark_down() { InterlockedExchange(&up_, 0); }
    bool up() const { return up_ != 0; }

    // Another probe (tests switch the network down and up through it).
    void set_probe(network_probe& probe) { probe_ = &probe; }

private:
    network_probe* probe_;
    std::function<void()> on_back_;
    volatile LONG up_ = 1;
};

// Counts the music player's stream errors: an error of code 0 (no stream
// could be opened) counts one; when the count passes 200 it starts again
// and the watchdog marks the network down.
class stream_error_counter {
public:
    explicit stream_error_counter(network_watchdog& watchdog) : watchdog_(watchdog) {}
    void on_error(int code);
    long count() const { return count_; }

private:
    network_watchdog& watchdog_;
    volatile LONG count_ = 0;
};
