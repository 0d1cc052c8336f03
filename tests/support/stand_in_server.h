#pragma once
// The service's web server as a stand-in: tools/service_stand_in.py on
// 127.0.0.1, started by the test that needs it and stopped when the object
// goes (its own time bound ends it if the test dies first).
//
// Each object has its own state folder (see the script's description): the
// test writes the canned replies there, the server records every request
// there exactly as received, and a stop file ends it.
//
// Ports: start() with port 0 takes a free port, so tests can run in
// parallel; point the client at host(). A test that needs the service's
// fixed port 80 must hold the ctest RESOURCE_LOCK "zel_port_80" (port 80
// binds only as root; start() then fails with a message).
#include <windows.h>
#include <string>
#include <utility>
#include <vector>

// What the stand-in answers to one request.
struct canned_reply {
    std::string kind = "body";  // body, cut, close, silent, raw
    int status = 200;
    std::string body;
    int declared_length = -1;  // cut: the Content-Length announced
    int chunk = 0;             // body: send in pieces of this size...
    int delay_ms = 0;          // ...with this pause between them
    int hold_ms = 0;           // silent, raw: how long to hold the connection
    bool omit_length = false;  // body: no Content-Length header
    std::string then_bytes;    // raw: sent after the bytes, in pieces of
    int then_chunk = 0;        // then_chunk bytes then_delay_ms apart
    int then_delay_ms = 0;     // (a trickle after a burst), before the hold
    std::vector<std::pair<std::string, std::string>> headers;
    std::string file;          // body, cut: the body is this Linux file
    bool ranges = false;       // body: "Range: bytes=N-" gets 206 from byte N
    int pause_at = -1;         // body: one pause after this many body bytes...
    int pause_ms = 0;          // ...of this length

    static canned_reply text(const std::string& body, int status = 200);
    static canned_reply empty();
    // Announces declared_length bytes, sends body, closes.
    static canned_reply cut(const std::string& body, int declared_length);
    // Closes the connection after the request without any reply.
    static canned_reply close();
    // Holds the connection without a word for hold_ms, then closes it.
    static canned_reply silent(int hold_ms);
    // The body in pieces of chunk bytes, delay_ms apart.
    static canned_reply slow(const std::string& body, int chunk, int delay_ms);
    // The bytes exactly as given (status line and headers included), in
    // pieces of chunk bytes delay_ms apart (0: at once); then the connection
    // is held for hold_ms and closed.
    static canned_reply raw(const std::string& bytes, int chunk = 0, int delay_ms = 0, int hold_ms = 0);
    // An empty reply of that status with a Location header (none when the
    // location is empty).
    static canned_reply redirect(int status, const std::string& location);
};

// A fault rule of the scenario mode: the stand-in answers a matching request
// this way instead of as the service (see tools/stand_in_scenario.py).
struct stand_in_fault {
    std::string script = "*";  // "rux_song_check.php", a GET path, or "*"
    // Decoded form fields (UTF-8) that must have these values.
    std::vector<std::pair<std::string, std::string>> match;
    // empty, error, login_false, no_result, text, slow, silent, cut, close
    std::string reply;
    int times = 0;        // how many requests it answers; 0: all
    int status = 500;     // error
    std::string body;     // text: UTF-8, sent in code page 949
    std::string message;  // login_false (UTF-8); the scenario's when empty
    std::string url;      // login_false
    int wait_ms = 0;      // slow: before the first byte...
    int chunk = 0;        // ...then pieces of this size...
    int delay_ms = 0;     // ...this far apart
    int hold_ms = 1000;   // silent
    int cut_at = -1;      // cut: bytes sent of the announced reply (-1: half)

    static stand_in_fault of(const std::string& script, const std::string& reply) {
        stand_in_fault f;
        f.script = script;
        f.reply = reply;
        return f;
    }
};

// One request as the stand-in received it.
struct recorded_request {
    std::string raw;      // every byte as received
    std::string method;   // "POST"
    std::string target;   // as sent: "/rux/x.php" or an absolute URL
    std::string version;  // "HTTP/1.1"
    std::vector<std::pair<std::string, std::string>> headers;  // in order, values trimmed
    std::string body;     // raw bytes after the blank line

    // The value of the first header of that name (any case); "" when none.
    std::string header(const char* name) const;
    bool has_header(const char* name) const;
    // The path part of the target ("/rux/x.php" also from an absolute URL).
    std::string path() const;
    // The form fields of a URL-encoded body in order, name and value as sent
    // (not decoded); a repeated name appears each time.
    std::vector<std::pair<std::string, std::string>> raw_fields() const;
    // The same with %XX and "+" decoded (two hex digits only).
    std::vector<std::pair<std::string, std::string>> decoded_fields() const;

    static bool parse(const std::string& raw, recorded_request& out);
};

class stand_in_server {
public:
    stand_in_server();
    ~stand_in_server();
    stand_in_server(const stand_in_server&) = delete;
    stand_in_server& operator=(const stand_in_server&) = delete;

    // Starts the server on 127.0.0.1:port (0: a free port) and waits until it
    // listens. It ends by itself after max_seconds. False with error() set.
    bool start(int port = 0, int max_seconds = 60);
    // Starts the stand-in as the service itself, answering from a scenario:
    // a JSON object (UTF-8) whose top-level keys replace those of the
    // built-in store ("{}": the built-in store as it is).
    bool start_scenario(const std::string& scenario_json = "{}", int max_seconds = 60);
    // Starts the stand-in as a CDDB server (freedb protocol over HTTP),
    // answering from a JSON object (UTF-8) as tools/stand_in_cddb.py
    // describes: its sites, the matches of a query, the records it reads.
    bool start_cddb(const std::string& cddb_json, int max_seconds = 60);
    // Starts a listener on a free port that never accepts: its backlog is
    // full, so connection attempts get no answer until the client gives up.
    bool start_unaccepting(int max_seconds = 60);
    // Ends the server (bounded wait) and removes its state folder.
    void stop();

    const std::string& error() const { return error_; }
    int port() const { return port_; }
    // The host text for the client: "127.0.0.1:<port>", "127.0.0.1" on 80.
    std::wstring host() const;

    // Replies for the coming requests: request n of the server's life gets
    // replies[n], the last one repeats. Takes effect for the next request.
    bool set_replies(const std::vector<canned_reply>& replies);

    // Scenario mode: the fault rules for the coming requests (the first
    // that matches answers); an empty list ends the faults.
    bool set_faults(const std::vector<stand_in_fault>& faults);
    // Scenario mode: the records of the state file whose first field is
    // kind, each without that field (UTF-8 texts), in file order.
    std::vector<std::vector<std::string>> state(const char* kind) const;
    // Scenario mode: the text of the n-th log upload (from 1), as received.
    std::string upload(int n) const;
    // "http://127.0.0.1:<port>" followed by path.
    std::string url(const char* path) const;

    // Every request received so far, in arrival order.
    std::vector<recorded_request> requests() const;

    // A loopback port with nothing listening on it (refused connections).
    static int unused_port();

private:
    bool launch(int port, int max_seconds, bool accept, const std::string* scenario,
                const std::string* cddb = nullptr);

    std::wstring folder_;
    std::string unix_folder_;
    std::string error_;
    int port_ = 0;
    bool running_ = false;
};
