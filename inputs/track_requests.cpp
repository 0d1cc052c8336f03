#include "track_requests.h"
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include "playback_stop.h"
#include "track_net.h"
#include "utf.h"

namespace {
void add_track_headers(http_request& request) {
    request.add_header("User-Agent:ZELPlayer");
    request.add_header("Accept:*/*");
}

// Set by a request that got no reply headers, cleared by one that got them;
// a request given up by its abort flag or a stop tells nothing.
volatile LONG g_hosts_quiet = 0;

// Polls until the reply headers are there: true then; false on failure or
// abort. A request with a longer bound than the quiet one also gives up
// once another request has found the hosts quiet and it has waited the
// quiet bound: an outage that began while it waited costs no more then.
bool wait_for_headers(http_request& request, const bool* abort, unsigned reply_ms) {
    const DWORD started = GetTickCount();
    const bool quiet_aware = reply_ms > track_requests::quiet_reply_ms;
    if (request.run() < 0) return false;
    for (;;) {
        const int status = request.get_status();
        if (status == 2) return true;
        if (status < 0) return false;
        if ((abort && *abort) || playback_stop_requested()) return false;
        if (quiet_aware && g_hosts_quiet && GetTickCount() - started >= track_requests::quiet_reply_ms) return false;
        if (request.run() < 0) return false;
        Sleep(1);
    }
}

bool wait_and_note(http_request& request, const bool* abort, unsigned reply_ms) {
    const bool replied = wait_for_headers(request, abort, reply_ms);
    if (replied)
        InterlockedExchange(&g_hosts_quiet, 0);
    else if (!(abort && *abort) && !playback_stop_requested())
        InterlockedExchange(&g_hosts_quiet, 1);
    return replied;
}

int64_t header_number(const http_request& request, const char* name) {
    const char* value = request.get_header(name);
    return value ? _atoi64(value) : 0;
}
}  // namespace

bool track_requests::hosts_quiet() { return g_hosts_quiet != 0; }

int track_length_request(const wchar_t* address, const bool* abort, unsigned reply_ms) {
    track_net::network_start_up();
    http_request request(net_connection::automatic_resolver, 16384, nullptr);
    request.set_reply_timeout(reply_ms);
    add_track_headers(request);
    const stringx ansi = utf::utf16_to_ansi(address);
    // Only the length is wanted: the file's bytes are not sent.
    request.connect(ansi.value(), 0, "HEAD");
    if (!wait_and_note(request, abort, reply_ms)) return 0;
    const char* value = request.get_header("content-length");
    return value ? atoi(value) : 0;
}

bool track_request(http_fetch& fetch, double start, unsigned reply_ms) {
    track_net::network_start_up();
    http_request& request = fetch.request;
    request.set_reply_timeout(reply_ms);
    request.clear_headers();
    add_track_headers(request);
    request.connect(fetch.url.c_str(), 0, "GET");
    if (!wait_and_note(request, fetch.stop, reply_ms)) return false;
    fetch.content_length = header_number(request, "content-length");
    fetch.range_start = 0;
    if (start > 0.0) {
        const int offset = static_cast<int>(static_cast<double>(fetch.content_length) * start);
        request.clear_headers();
        add_track_headers(request);
        if (offset != 0) {
            char line[64];
            _snprintf(line, 63, "Range: bytes=%d-", offset);
            line[63] = 0;
            request.add_header(line);
        }
        request.connect(fetch.url.c_str(), 0, "GET");
        if (!wait_and_note(request, fetch.stop, reply_ms)) return false;
        const int64_t first = fetch.content_length;
        fetch.content_length = header_number(request, "content-length");
        fetch.range_start = first - fetch.content_length;
        if (fetch.range_start < 0) fetch.range_start = 0;
    }
    const char* type = request.get_header("content-type");
    if (type && *type) fetch.content_type = utf::ansi_to_utf16(type);
    fetch.connected = true;
    return true;
}

int track_receive(http_fetch& fetch, void* buffer, int max) {
    fetch.request.run();
    const int n = fetch.request.get_bytes(buffer, max);
    if (n > 0) fetch.body_bytes += n;
    return n > 0 ? n : 0;
}
