#pragma once
// http_post: how the client talks to the service's web server. It collects
// form fields, sends them as one HTTP POST of URL-encoded form data to a
// host and script path, and hands back the whole reply.
//
// Synchronous: submit returns when the reply has been read or the exchange
// failed. Callers on the user-interface thread block meanwhile; the platform's
// default time-outs apply.
//
// One thread at a time per object, no lock; the service client makes a new
// object per request on the thread that needs the reply.
#include <vector>
#include "mem_chunk.h"
#include "stringx.h"
#include "zel_export.h"

class ZEL_CORE_API http_post {
public:
    http_post();
    // Copies both field lists and the reply bytes.
    http_post(const http_post& other);
    http_post& operator=(const http_post& other);
    virtual ~http_post();

    // Appends one field: the name converted to ANSI as it is, the value
    // converted to ANSI and form-encoded (letters and digits as they are, a
    // blank as "+", every other byte as "%" and two lowercase hex digits).
    // Fields are never merged: a name added twice is sent twice. A null name
    // or value counts as empty.
    void add_field(const wchar_t* name, const wchar_t* value);
    // Removes all fields.
    void reset_field();

    // POSTs the fields ("name=value" joined by "&", ANSI) to http://host/path
    // with the header "Content-Type: application/x-www-form-urlencoded".
    // host is a name or address, optionally followed by ":port"; without a
    // port the request goes to port 80.
    //
    // Returns the reply body, zero-terminated and not converted (the service
    // answers in ANSI), whatever the HTTP status; size is then its length + 1.
    // The text lives in this object until the next submit or destruction.
    //   - no connection (or no request could be opened, or null host/path):
    //     null, size 0;
    //   - sending failed, the reply was empty or its first read failed: an
    //     empty text, size 1;
    //   - a read failed after some pieces: the pieces read so far.
    char* submit(const wchar_t* host, const wchar_t* path, unsigned& size);
    // True when the last submit's reply is known to be incomplete: fewer
    // bytes arrived than its Content-Length announced, or a read failed (or
    // memory ran out) after some pieces. The text submit gave is then only
    // the part that arrived.
    bool reply_cut() const { return cut_; }

    // The form encoding of one ANSI text (ASCII result).
    static stringx form_encode(const char* ansi);

private:
    std::vector<stringx> names_;   // ANSI, as given
    std::vector<stringx> values_;  // ANSI, form-encoded
    mem_chunk<char> reply_;        // the last reply and its terminator
    bool cut_ = false;             // the last reply is incomplete
};
