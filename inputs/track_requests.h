#pragma once
// The two requests of the track readers, and one receive step.
//
// Both requests first start the network (track_net::network_start_up), send
// a plain GET with "User-Agent:ZELPlayer" and "Accept:*/*", and poll the
// request in 1 ms sleeps until the reply headers are there. The wait ends
// with the request's own bounds: a connection that fails or closes before
// the header block, and a header block that does not arrive within the
// request's reply time-out.
#include <cstdint>
#include "http_fetch.h"

// The "content-length" that the server reports for the address; 0 when it
// reports none, cannot be reached, or *abort turns true. The body is never
// read.
int track_length_request(const wchar_t* address, const bool* abort);

// On fetch (its URL set): a GET; with start > 0.0 a second GET asking from
// the start fraction of the first reply's length ("Range: bytes=N-"). Sets
// the content length (of the last reply), the range start (the file offset
// of the body's first byte), the content type and the connected flag. False
// when a request fails or *fetch.stop turns true.
bool track_request(http_fetch& fetch, double start);

// One step of the body: runs the request once and takes up to max bytes.
int track_receive(http_fetch& fetch, void* buffer, int max);
