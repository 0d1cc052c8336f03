#pragma once
// The two requests of the track readers, and one receive step.
//
// Both requests first start the network (track_net::network_start_up), send
// a plain GET with "User-Agent:ZELPlayer" and "Accept:*/*", and poll the
// request in 1 ms sleeps until the reply headers are there. The wait ends
// with the request's own bounds: a connection that fails or closes before
// the header block, and a header block that does not arrive within the
// reply time-out (from the start of the connection, name lookup included).
// A request made on a playback thread also gives up when that thread's
// track is stopped.
#include <cstdint>
#include "http_fetch.h"
#include "http_request.h"

namespace track_requests {
// The reply time-out where nobody may wait long for a host that has stopped
// answering: the length check of a cache file (its answer only confirms a
// file that is there; without one the file plays as it is, so a track host
// that hangs costs a cached track no more than this) and every request of
// the track cache's downloads (whose start the user-interface thread waits
// for a moment: track_cache_impl::start_wait_ms).
const unsigned short_reply_ms = 500;
// A track played from the network: the request's own default.
const unsigned network_reply_ms = http_request::default_reply_timeout_ms;
// A track played from the network while the track hosts are quiet: the
// channel moves on to its cached tracks after this instead.
const unsigned quiet_reply_ms = 700;
// True when the last track request (of any reader) got no reply headers:
// the track hosts are taken for unreachable until a request gets a reply.
bool hosts_quiet();
// The reply time-out of a track played from the network now.
inline unsigned play_reply_ms() { return hosts_quiet() ? quiet_reply_ms : network_reply_ms; }
}  // namespace track_requests

// The "content-length" that the server reports for the address; 0 when it
// reports none, cannot be reached, does not answer within reply_ms, or
// *abort turns true. The body is never read.
int track_length_request(const wchar_t* address, const bool* abort,
                         unsigned reply_ms = track_requests::short_reply_ms);

// On fetch (its URL set): a GET; with start > 0.0 a second GET asking from
// the start fraction of the first reply's length ("Range: bytes=N-"). Sets
// the content length (of the last reply), the range start (the file offset
// of the body's first byte), the content type and the connected flag. False
// when a request fails, gets no reply headers within reply_ms, or
// *fetch.stop turns true.
bool track_request(http_fetch& fetch, double start, unsigned reply_ms = track_requests::network_reply_ms);

// One step of the body: runs the request once and takes up to max bytes.
int track_receive(http_fetch& fetch, void* buffer, int max);
