#pragma once
// A loopback TCP server inside the test program, for the byte-exact tests of
// the CDDB client: it takes one connection at a time on 127.0.0.1 (a free
// port), reads the request up to its blank line, records it, and answers with
// the scripted pieces of that connection's reply, each after its pause; then
// it holds the connection for a while (silence) or closes it. Every wait ends
// at once when the server stops, and the server stops by itself after
// max_seconds, so a test never hangs on it.
#include <windows.h>

#include <string>
#include <vector>

struct scripted_piece {
    DWORD pause_ms = 0;  // before these bytes
    std::string bytes;
};

struct scripted_reply {
    std::vector<scripted_piece> pieces;
    DWORD hold_ms = 0;  // silence before the close

    // The bytes at once, then a close.
    static scripted_reply whole(const std::string& bytes);
    // An HTTP/1.0 header and then the body, pause_ms apart.
    static scripted_reply split(const std::string& body, DWORD pause_ms);
    // The bytes in pieces of size bytes, pause_ms apart.
    static scripted_reply drip(const std::string& bytes, size_t size, DWORD pause_ms);
    // Nothing for hold_ms, then a close.
    static scripted_reply silent(DWORD hold_ms);
};

// "HTTP/1.0 200 OK" with a content type, a blank line and the body.
std::string http_reply(const std::string& body);

class scripted_server {
public:
    // Connection n gets replies[n]; the last one repeats.
    explicit scripted_server(std::vector<scripted_reply> replies, int max_seconds = 60);
    ~scripted_server();
    scripted_server(const scripted_server&) = delete;
    scripted_server& operator=(const scripted_server&) = delete;

    bool listening() const { return port_ > 0; }
    int port() const { return port_; }
    // The requests received so far, as received.
    std::vector<std::string> requests() const;

private:
    static DWORD WINAPI serve_thread(void* self);
    void serve();
    void answer(UINT_PTR connection, const scripted_reply& reply);
    bool wait(DWORD ms) const;  // false when the server stops meanwhile

    std::vector<scripted_reply> replies_;
    DWORD max_ms_;
    UINT_PTR listener_;
    int port_ = 0;
    HANDLE stop_;
    HANDLE thread_ = nullptr;
    mutable CRITICAL_SECTION lock_;
    std::vector<std::string> requests_;
};
