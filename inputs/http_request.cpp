#include "http_request.h"
#include <windows.h>
#include <cstdlib>
#include <cstring>
#include <new>
#include "net_connection.h"

namespace {

const int send_ring_size = 8192;

bool starts_with_ignoring_case(const char* text, const char* prefix) {
    return _strnicmp(text, prefix, strlen(prefix)) == 0;
}

const char* skip_blanks(const char* text) {
    while (*text == ' ' || *text == '\t') ++text;
    return text;
}

}  // namespace

http_request::http_request(host_resolver* resolver, int receive_size, const char* proxy)
    : resolver_(resolver),
      connection_(nullptr),
      receive_size_(receive_size < 4096 ? 4096 : receive_size),
      result_(result_awaiting),
      port_(0),
      proxy_port_(0),
      reply_timeout_ms_(default_reply_timeout_ms),
      started_(0),
      redirects_(0),
      skipping_(false) {
    line_[0] = 0;
    if (proxy && *proxy) {
        url_parts parts = parse_url(proxy);
        proxy_host_ = parts.host;
        proxy_port_ = parts.port;
        proxy_user_info_ = parts.user_info;
    }
}

http_request::~http_request() { deinit(); }

void http_request::deinit() {
    delete connection_;
    connection_ = nullptr;
    url_.clear();
    host_.clear();
    user_info_.clear();
    path_.clear();
    status_line_.clear();
    error_.clear();
    header_block_.clear();
    result_ = result_awaiting;
    port_ = 0;
    skipping_ = false;
}

void http_request::fail(const std::string& text) {
    error_ = text;
    result_ = result_failed;
}

http_request::url_parts http_request::parse_url(const char* url) {
    url_parts parts;
    std::string text = url ? url : "";
    size_t scheme = text.find("://");
    if (scheme != std::string::npos) text.erase(0, scheme + 3);
    size_t slash = text.find('/');
    if (slash == std::string::npos) {
        parts.path = "/";
    } else {
        parts.path = text.substr(slash);
        text.erase(slash);
    }
    size_t at = text.find('@');
    if (at != std::string::npos) {
        parts.user_info = text.substr(0, at);
        text.erase(0, at + 1);
    }
    size_t colon = text.find(':');
    if (colon != std::string::npos) {
        parts.port = atoi(text.c_str() + colon + 1);
        text.erase(colon);
    } else {
        parts.port = url && starts_with_ignoring_case(url, "https:") ? 443 : 80;
    }
    parts.host = text;
    return parts;
}

std::string http_request::base64(const std::string& bytes) {
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        unsigned v = (static_cast<unsigned char>(bytes[i]) << 16) | (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                     static_cast<unsigned char>(bytes[i + 2]);
        out += alphabet[v >> 18];
        out += alphabet[(v >> 12) & 63];
        out += alphabet[(v >> 6) & 63];
        out += alphabet[v & 63];
    }
    if (i < bytes.size()) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += alphabet[v >> 18];
        out += alphabet[(v >> 12) & 63];
        out += i + 1 < bytes.size() ? alphabet[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

void http_request::add_header(const char* line) {
    if (!line || strchr(line, '\r') || strchr(line, '\n')) return;
    extra_headers_ += line;
    extra_headers_ += "\r\n";
}

void http_request::clear_headers() { extra_headers_.clear(); }

void http_request::connect(const char* url, int version, const char* method) {
    redirects_ = 0;
    redirect_location_.clear();
    start(url, version, method);
}

void http_request::start(const char* url, int version, const char* method) {
    deinit();
    url_ = url ? url : "";
    url_parts parts = parse_url(url_.c_str());
    host_ = parts.host;
    port_ = parts.port;
    user_info_ = parts.user_info;
    path_ = parts.path;
    started_ = GetTickCount();
    if (host_.empty() || port_ == 0) {
        fail("invalid URL");
        return;
    }
    char version_digit = static_cast<char>('0' + (version % 10 + 10) % 10);
    std::string request = std::string(method && *method ? method : "GET") + " " +
                          (proxy_host_.empty() ? path_ : url_) + " HTTP/1." + version_digit + "\r\n";
    request += "Host:" + host_ + "\r\n";
    if (!user_info_.empty()) request += "Authorization: Basic " + base64(user_info_) + "\r\n";
    if (!proxy_user_info_.empty()) request += "Proxy-Authorization: Basic " + base64(proxy_user_info_) + "\r\n";
    request += extra_headers_;
    request += "\r\n";
    // The send ring holds the whole request text, however long.
    int ring = request.size() > static_cast<size_t>(send_ring_size) ? static_cast<int>(request.size())
                                                                     : send_ring_size;
    connection_ = new (std::nothrow) net_connection(resolver_, ring, receive_size_);
    if (!connection_) {
        fail("could not create connection object");
        return;
    }
    if (proxy_host_.empty())
        connection_->connect(host_.c_str(), port_);
    else
        connection_->connect(proxy_host_.c_str(), proxy_port_);
    if (connection_->send(request.data(), static_cast<int>(request.size())) != 0)
        fail("error allocating memory");
}

int http_request::next_line(int max) {
    for (;;) {
        if (connection_->recv_lines_available() > 0) {
            int r = connection_->recv_line(line_, max);
            if (r != 0) line_[max] = 0;  // cut; the rest of the line is dropped
            bool tail = skipping_;
            skipping_ = r != 0;
            if (tail) continue;
            return 1;
        }
        int held = connection_->recv_bytes_available();
        if (skipping_) {
            connection_->recv_bytes(nullptr, held);
            return 0;
        }
        if (held < max) return 0;
        // A line longer than max without its end in sight: keep its start.
        connection_->recv_line(line_, max);
        line_[max] = 0;
        skipping_ = true;
        return 1;
    }
}

bool http_request::follow(const char* location) {
    if (++redirects_ > max_redirects) {
        fail("too many redirects");
        return false;
    }
    std::string target = location;
    // A location without a host ("/other") stays on the same server.
    if (target[0] == '/') target = "http://" + host_ + ":" + std::to_string(port_) + target;
    redirect_location_ = location;
    start(target.c_str(), 0, "GET");
    return result_ >= 0;
}

// Reads the held lines of the status line and header block. True when a
// redirect replaced the connection.
bool http_request::read_lines() {
    while (result_ >= result_awaiting && result_ < result_body) {
        if (!next_line(result_ == result_awaiting ? max_line - 1 : max_line)) return false;
        if (result_ == result_awaiting) {
            status_line_ = line_;
            int code = get_reply_code();
            if (code == 200 || code == 206)
                result_ = result_headers;
            else if (code == 301 || code == 302)
                result_ = result_redirected;
            else
                fail(status_line_);
        } else if (result_ == result_redirected) {
            if (!line_[0]) {
                fail(status_line_);  // the header block ended without a location
            } else if (starts_with_ignoring_case(line_, "Location:")) {
                const char* value = skip_blanks(line_ + 9);
                if (*value) {
                    std::string location = value;
                    follow(location.c_str());
                    return true;
                }
            }
        } else if (!line_[0]) {
            result_ = result_body;
        } else {
            header_block_.append(line_, strlen(line_) + 1);
        }
    }
    return false;
}

int http_request::run() {
    if (result_ < 0 || !connection_) return -1;
    for (int pass = 0; pass < 2; ++pass) {
        connection_->run(-1, -1, nullptr, nullptr);
        net_connection::state_t state = connection_->state();
        if (state == net_connection::state_error) {
            error_ = connection_->error_text();
            return -1;
        }
        const bool closed = state == net_connection::state_closed;
        if (result_ == result_body) return closed ? 1 : 0;
        const int before = result_;
        const size_t block = header_block_.size();
        if (read_lines()) return result_ < 0 ? -1 : 0;
        if (result_ < 0) return -1;
        if (result_ == result_body) return closed ? 1 : 0;
        if (closed) {
            fail("connection closed before the end of the reply header");
            return -1;
        }
        if (result_ != before || header_block_.size() != block) break;  // lines came: enough for now
    }
    if (GetTickCount() - started_ > reply_timeout_ms_) {
        fail("timed out waiting for the reply");
        return -1;
    }
    return 0;
}

int http_request::get_status() const {
    switch (result_) {
        case result_awaiting:
        case result_redirected:
            return 0;
        case result_headers:
            return 1;
        case result_body:
            return 2;
        default:
            return -1;
    }
}

int http_request::get_reply_code() const {
    size_t space = status_line_.find(' ');
    return space == std::string::npos ? 0 : atoi(status_line_.c_str() + space + 1);
}

const char* http_request::get_header(const char* name) const {
    if (!name || !*name || header_block_.empty()) return nullptr;
    std::string key = name;
    if (key.back() != ':') key += ':';
    for (size_t at = 0; at < header_block_.size();) {
        const char* line = header_block_.c_str() + at;
        if (_strnicmp(line, key.c_str(), key.size()) == 0) return skip_blanks(line + key.size());
        at += strlen(line) + 1;
    }
    return nullptr;
}

const char* http_request::get_all_headers() const { return header_block_.c_str(); }

int http_request::get_bytes(void* buffer, int length) {
    if (result_ != result_body || !connection_ || !buffer || length <= 0) return 0;
    return connection_->recv_bytes(buffer, length);
}
