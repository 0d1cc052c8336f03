#pragma once
// http_request: one HTTP/1.x GET (or other method) over a net_connection,
// driven by the owner's loop: connect() starts it, run() is called again and
// again and does what the socket allows at that moment, get_bytes() takes
// the reply body in pieces. Replies 200 and 206 (and "ICY 200") lead to the
// body; 301 and 302 are followed through "Location:"; every other code fails
// with the status line as error text.
//
// Bounds: the reply's header block must be complete within the reply
// time-out of each connection (15 s unless set), at most max_redirects
// redirects are followed, a connection that closes before the header block
// ends is a failure, and header lines longer than max_line are cut (the rest
// of the line is dropped).
//
// All texts are ANSI bytes. One thread at a time per object.
#include <string>

class host_resolver;
class net_connection;

class http_request {
public:
    // The reply parts of a URL, as connect() takes it apart.
    struct url_parts {
        std::string host;
        int port = 0;
        std::string user_info;  // before the at sign of the host part
        std::string path;       // from the first "/" after the host; "/" when none
    };

    enum result_t { result_failed = -1, result_awaiting = 0, result_redirected = 1, result_headers = 2,
                    result_body = 3 };

    static const int max_redirects = 5;
    static const int max_line = 4096;
    static const unsigned default_reply_timeout_ms = 15000;

    // resolver: one the caller keeps alive, or net_connection's
    // automatic_resolver (each connection makes its own). The receive ring
    // has at least 4096 bytes. proxy: "user:password@host:port" or null.
    http_request(host_resolver* resolver, int receive_size, const char* proxy);
    ~http_request();
    http_request(const http_request&) = delete;
    http_request& operator=(const http_request&) = delete;

    // Adds an extra request header line (without line end); a line holding
    // CR or LF is dropped. The lines stay across connects and redirects.
    void add_header(const char* line);
    void clear_headers();

    // Starts a request; version 0 asks HTTP/1.0. A failure shows as result -1.
    void connect(const char* url, int version, const char* method);
    // Drives the connection and reads the reply: -1 failed, 1 the peer
    // closed the connection after the header block (the body bytes held stay
    // readable), 0 otherwise.
    int run();
    // -1 failed, 0 connecting, awaiting or redirected, 1 reading header
    // lines, 2 in the body.
    int get_status() const;
    // The number after the first space of the status line; 0 when none.
    int get_reply_code() const;
    // The value of the first header line named name (ignoring case, with or
    // without the colon), leading blanks skipped; null when none. Valid
    // until the next connect.
    const char* get_header(const char* name) const;
    // The header lines, each with its terminator, and a final terminator;
    // "" when none.
    const char* get_all_headers() const;
    // Body bytes, in the body state only; 0 otherwise.
    int get_bytes(void* buffer, int length);

    const char* get_error() const { return error_.c_str(); }
    const char* get_status_line() const { return status_line_.c_str(); }
    const char* get_url() const { return url_.c_str(); }
    // The last "Location:" value followed ("" when none).
    const char* get_redirect_location() const { return redirect_location_.c_str(); }
    int redirect_count() const { return redirects_; }
    // The size of the receive ring of each connection.
    int receive_size() const { return receive_size_; }
    // The time the header block of one connection may take (>= 1 ms).
    void set_reply_timeout(unsigned milliseconds) { reply_timeout_ms_ = milliseconds ? milliseconds : 1; }

    // Takes a URL apart: an optional "scheme://", user information before an
    // at sign, host, ":port" (80 by default, 443 for "https:"), path.
    static url_parts parse_url(const char* url);
    // Standard Base64 with "=" padding.
    static std::string base64(const std::string& bytes);

private:
    void deinit();
    void start(const char* url, int version, const char* method);
    void fail(const std::string& text);
    int next_line(int max);
    bool read_lines();
    bool follow(const char* location);

    host_resolver* resolver_;
    net_connection* connection_;
    int receive_size_;
    int result_;
    int port_;
    std::string url_;
    std::string redirect_location_;
    std::string host_;
    std::string user_info_;
    std::string path_;
    std::string proxy_user_info_;
    std::string proxy_host_;
    int proxy_port_;
    std::string extra_headers_;
    std::string header_block_;  // lines with their terminators, then one more
    std::string status_line_;
    std::string error_;
    unsigned reply_timeout_ms_;
    unsigned started_;  // GetTickCount at the connection's start
    int redirects_;
    bool skipping_;     // inside the dropped tail of an over-long line
    char line_[max_line + 1];
};
