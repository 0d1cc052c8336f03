#pragma once
// Process-wide values of the track readers: the options of net_options, the
// download rate limit of the track cache, the one-time start of Windows
// Sockets and the clock of the rate measurements. Plain values without a
// lock: written on the user-interface thread, read by reader threads at
// their next use.
#include <cstdint>

namespace track_net {

extern volatile bool packet_retry;  // false until set
extern volatile int linger_ms;      // 1000 until set
extern volatile int rate_limit;     // bytes per second, 102400 until set; 0 or less: no limit

// Empty polls of 10 ms after which a reader gives up on a silent server.
inline int empty_poll_limit() { return packet_retry ? 500 : 100; }

// Starts Windows Sockets 1.1 and picks the clock, once.
void network_start_up();
// Cleans Windows Sockets up when network_start_up ran.
void network_shut_down();
bool network_started();

// The clock: the performance counter, or timeGetTime as its fallback.
int64_t clock_now();
// Whole milliseconds between two readings of clock_now.
int64_t elapsed_ms(int64_t earlier, int64_t later);
// Bytes per second for bytes over elapsed milliseconds; 0 when less than a
// millisecond has passed (no rate can be told yet).
int64_t rate(int64_t bytes, int64_t milliseconds);

}  // namespace track_net
