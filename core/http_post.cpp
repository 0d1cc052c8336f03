#include "http_post.h"
#include <windows.h>
#include <wininet.h>
#include <cstring>
#include <cwchar>
#include <string>
#include "inet_handle.h"
#include "utf.h"

namespace {

const DWORD piece_size = 4096;

void set_timeout(HINTERNET handle, DWORD option, DWORD milliseconds) {
    InternetSetOptionA(handle, option, &milliseconds, sizeof(milliseconds));
}

// Splits "name" or "name:port" into the ANSI name and the port (80 when
// none). A text with more than one ":" (an IPv6 address) is a name.
void split_host(const wchar_t* host, stringx& name, INTERNET_PORT& port) {
    port = INTERNET_DEFAULT_HTTP_PORT;
    const wchar_t* colon = wcschr(host, L':');
    if (colon && !wcschr(colon + 1, L':')) {
        const wchar_t* digits = colon + 1;
        long value = 0;
        size_t count = 0;
        for (; digits[count] >= L'0' && digits[count] <= L'9' && count < 6; ++count)
            value = value * 10 + (digits[count] - L'0');
        if (count > 0 && digits[count] == 0 && value >= 1 && value <= 65535) {
            port = static_cast<INTERNET_PORT>(value);
            std::wstring bare(host, colon - host);
            name = utf::utf16_to_ansi(bare.c_str());
            return;
        }
    }
    name = utf::utf16_to_ansi(host);
}

}  // namespace

http_post::http_post() {}

http_post::http_post(const http_post& other)
    : names_(other.names_), values_(other.values_), reply_(other.reply_), cut_(other.cut_) {}

http_post& http_post::operator=(const http_post& other) {
    if (this != &other) {
        names_ = other.names_;
        values_ = other.values_;
        reply_ = other.reply_;
        cut_ = other.cut_;
    }
    return *this;
}

http_post::~http_post() {}

stringx http_post::form_encode(const char* ansi) {
    static const char hex[] = "0123456789abcdef";
    std::string out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(ansi ? ansi : ""); *p; ++p) {
        unsigned char c = *p;
        if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            out += static_cast<char>(c);
        } else if (c == ' ') {
            out += '+';
        } else {
            // Always two digits: "%a" for a line feed would be read by a
            // server's decoder together with the following character.
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return stringx(out.c_str());
}

void http_post::add_field(const wchar_t* name, const wchar_t* value) {
    names_.push_back(utf::utf16_to_ansi(name ? name : L""));
    stringx ansi_value = utf::utf16_to_ansi(value ? value : L"");
    values_.push_back(form_encode(ansi_value.value()));
}

void http_post::reset_field() {
    names_.clear();
    values_.clear();
}

char* http_post::submit(const wchar_t* host, const wchar_t* path, unsigned& size) {
    size = 0;
    cut_ = false;
    reply_.resize(0);
    if (reply_.data && reply_.capacity > 0) reply_.data[0] = 0;  // the last reply ends here
    if (!host || !path) return nullptr;

    std::string body;
    for (size_t i = 0; i < names_.size(); ++i) {
        if (!body.empty()) body += '&';
        body += names_[i].value();
        body += '=';
        body += values_[i].value();
    }

    inet_handle root(InternetOpenA("ZEL Player", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!root.get()) return nullptr;
    // The time-outs Windows applies by default, set explicitly: Wine waits
    // for a server that accepts and never answers without end, which would
    // hold the user-interface thread for good. Wine takes the send and
    // receive time-outs only from the request handle.
    set_timeout(root.get(), INTERNET_OPTION_CONNECT_TIMEOUT, 60000);
    stringx host_name;
    INTERNET_PORT port;
    split_host(host, host_name, port);
    inet_handle connection(InternetConnectA(root.get(), host_name.value(), port, nullptr, nullptr,
                                            INTERNET_SERVICE_HTTP, 0, 1));
    if (!connection.get()) return nullptr;
    stringx object = utf::utf16_to_ansi(path);
    const char* accept[] = {"*/*", nullptr};
    // The service sets no cookies. Wine's cookie store, once it exists, hangs
    // the request that follows a connection the server closed without a
    // reply; not asking it keeps such a request going.
    const DWORD flags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_COOKIES;
    inet_handle request(
        HttpOpenRequestA(connection.get(), "POST", object.value(), nullptr, nullptr, accept, flags, 1));
    if (!request.get()) return nullptr;
    set_timeout(request.get(), INTERNET_OPTION_SEND_TIMEOUT, 30000);
    set_timeout(request.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, 30000);

    static const char content_type[] = "Content-Type: application/x-www-form-urlencoded";
    if (HttpSendRequestA(request.get(), content_type, sizeof(content_type) - 1,
                         body.empty() ? nullptr : &body[0], static_cast<DWORD>(body.size()))) {
        // The length the server announced, when it did: a connection that
        // ends before that many bytes came leaves a reply cut short.
        DWORD announced = 0;
        DWORD announced_size = sizeof(announced);
        const bool has_length = HttpQueryInfoA(request.get(), HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER,
                                               &announced, &announced_size, nullptr) != FALSE;
        char piece[piece_size];
        for (;;) {
            memset(piece, 0, sizeof(piece));
            DWORD read = 0;
            if (!InternetReadFile(request.get(), piece, piece_size, &read)) {
                cut_ = reply_.length > 0;
                break;
            }
            if (read == 0 || read > piece_size) break;
            if (!reply_.append(piece, static_cast<int>(read))) {
                cut_ = true;  // out of memory: keep what we have
                break;
            }
        }
        if (has_length && static_cast<DWORD>(reply_.length) < announced) cut_ = true;
    } else {
        // WinINet connects only when the request is sent: a host that cannot
        // be reached shows here, and it is "no connection" (null), not an
        // exchange that failed half-way (empty text).
        DWORD error = GetLastError();
        if (error == ERROR_INTERNET_CANNOT_CONNECT || error == ERROR_INTERNET_NAME_NOT_RESOLVED) return nullptr;
    }

    int length = reply_.length;
    if (!reply_.resize(length + 1)) {
        // No room for the terminator: give back the empty text instead.
        length = 0;
        if (!reply_.resize(1)) return nullptr;
    }
    reply_.data[length] = 0;
    size = static_cast<unsigned>(length) + 1;
    return reply_.data;
}
