#pragma once
// http_fetch: the record through which a stream or a track reader drives one
// HTTP request. Each owner writes its own request routine around it: it sets
// the URL and the range start, connects the request, runs it until the reply
// headers are there (setting connected, content_length and content_type),
// then takes the body, giving up when *stop becomes true.
#include <cstdint>
#include <string>
#include "http_request.h"
#include "net_connection.h"
#include "stringx.h"

struct http_fetch {
    explicit http_fetch(int receive_size, bool* stop_flag = nullptr)
        : stop(stop_flag), request(net_connection::automatic_resolver, receive_size, nullptr) {}
    http_fetch(const http_fetch&) = delete;
    http_fetch& operator=(const http_fetch&) = delete;

    bool connected = false;      // the request routine has seen the reply headers
    bool* stop;                  // the owner's stop flag
    int64_t content_length = 0;  // "content-length" of the reply; 0 when absent
    int64_t range_start = 0;     // the offset asked for with "Range:"; 0 when none
    http_request request;
    int64_t body_bytes = 0;      // body bytes taken so far
    std::string url;             // ANSI
    stringx content_type;        // "content-type" of the reply
    // Members end in reverse order: the content type, the URL, then the request.
};
