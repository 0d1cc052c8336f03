#include "track_net.h"
#include <windows.h>
#include <winsock.h>
#include <mmsystem.h>

namespace track_net {

volatile bool packet_retry = false;
volatile int linger_ms = 1000;
volatile int rate_limit = 102400;

namespace {
volatile bool g_started = false;
bool g_performance_counter = false;
int64_t g_frequency = 1000;
UINT g_timer_period = 1;
}  // namespace

void network_start_up() {
    if (g_started) return;
    LARGE_INTEGER frequency;
    if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0) {
        g_performance_counter = true;
        g_frequency = frequency.QuadPart;
    } else {
        g_performance_counter = false;
        g_frequency = 1000;
        TIMECAPS caps;
        if (timeGetDevCaps(&caps, sizeof caps) == TIMERR_NOERROR) g_timer_period = caps.wPeriodMin;
    }
    WSADATA data;
    WSAStartup(MAKEWORD(1, 1), &data);
    g_started = true;
}

void network_shut_down() {
    if (!g_started) return;
    g_started = false;
    WSACleanup();
}

bool network_started() { return g_started; }

int64_t clock_now() {
    if (g_performance_counter) {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return now.QuadPart;
    }
    timeBeginPeriod(g_timer_period);
    const int64_t now = timeGetTime();
    timeEndPeriod(g_timer_period);
    return now;
}

int64_t elapsed_ms(int64_t earlier, int64_t later) { return (later - earlier) * 1000 / g_frequency; }

int64_t rate(int64_t bytes, int64_t milliseconds) {
    if (milliseconds < 1) return 0;
    return bytes * 1000 / milliseconds;
}

}  // namespace track_net
