// http_stream: opening, the request, reading and closing. The receive loop
// and the rebuffer thread are in http_stream_receive.cpp.
#include "http_stream.h"
#include <process.h>
#include <winsock2.h>
#include <cstdlib>
#include <cstring>
#include "core.h"
#include "playback_stop.h"
#include "stream_title_listener.h"
#include "utf.h"
#include "utility.h"

namespace {

// The connection's receive ring. The receive loop empties it by 1,024 bytes
// a pass and sleeps only after a pass that brought nothing, so a ring of a
// few kilobytes keeps up with any station; what the stream holds in memory
// is its receive buffer (at most about 256,000 bytes), not this ring.
const int fetch_receive_size = 16 * 1024;

// Windows Sockets for the process's life, started by the first request.
void start_sockets_once() {
    static LONG started = 0;
    if (InterlockedCompareExchange(&started, 1, 0) == 0) {
        WSADATA data;
        WSAStartup(MAKEWORD(1, 1), &data);
    }
}

}  // namespace

http_stream::http_stream() : fetch_(fetch_receive_size, &finished_) {}

http_stream::~http_stream() {
    close();
    for (stream_title_listener* l : listeners_) l->release();
    listeners_.clear();
}

std::string http_stream::request_text(const wchar_t* url) {
    stringx ansi = utf::utf16_to_ansi(url);
    const char* bytes = ansi.value();
    std::string text;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes); p && *p; ++p) {
        if (*p >= 128 || *p == ' ') {
            char hex[4];
            _snprintf(hex, sizeof(hex) - 1, "%%%02X", *p);
            hex[3] = 0;
            text += hex;
        } else {
            text += static_cast<char>(*p);
        }
    }
    return text;
}

bool http_stream::open(const wchar_t* url) {
    if (url) {
        wcsncpy(path, url, 260);
        path[260] = 0;
    }
    for (stream_title_listener* l : listeners_) l->release();
    listeners_.clear();
    for (int i = 0;; ++i) {
        component* c = core::enum_create_component(stream_title_listener::iid, i);
        if (!c) break;
        listeners_.push_back(static_cast<stream_title_listener*>(c));
    }

    start_offset_ = 0;
    if (!url || !*url || _wcsnicmp(url, L"http://", 7) != 0) return false;
    std::vector<stringx> pieces;
    utility::string_tokenizer(url, L"|", pieces);
    if (pieces.size() >= 2) {
        int offset = pieces[1].toint();
        start_offset_ = offset < 0 ? 0 : offset;
    }
    url_ = pieces.empty() ? stringx(url) : pieces[0];

    set_finished(false);
    if (!request(start_offset_)) {
        set_finished(true);
        return false;
    }
    wcsncpy(content_type, fetch_.content_type.wvalue(), 199);
    content_type[199] = 0;

    // A live stream is busy before its receive thread starts, so that the
    // thread does not begin a rebuffering of its own while open prebuffers.
    const bool live = fetch_.content_length <= 0;
    if (live) set_busy(true);
    if (!create()) {
        set_busy(false);
        set_finished(true);
        return false;
    }
    receiving_ = true;

    if (live) {
        notify_buffering(0, 0);
        fill_buffer(open_passes);
        notify_buffering(2, 0);
        set_busy(false);
    }
    return !finished() && !playback_stop_requested();
}

// The prebuffer passes. Those of open run on the playback thread, which a
// stop or skip must be able to take back at once: they end when its track is
// stopped (the rebuffer thread is no playback thread, and close ends its
// passes through finished).
void http_stream::fill_buffer(int max_passes) {
    const int base = buffered();
    int passes = 0;
    while (!finished() && !playback_stop_requested()) {
        const int current = buffered();
        if (passes > max_passes && current - base < 1024) break;
        if (current > prebuffer_bytes) break;
        Sleep(100);
        int percent = static_cast<int>(static_cast<double>(current) / prebuffer_bytes * 100.0);
        if (percent > 100) percent = 100;
        notify_buffering(1, percent);
        ++passes;
        if (current >= prebuffer_bytes) break;
    }
}

void http_stream::add_request_headers() {
    fetch_.request.clear_headers();
    fetch_.request.add_header("User-Agent:ZEL Player");
    fetch_.request.add_header("Accept:*/*");
    fetch_.request.add_header("Icy-MetaData:1");
}

// Connects and runs the request until the reply's body starts. A failure,
// a connection the peer closed before the header block ended, close on
// another thread, or a stop of the playback thread that opens the stream
// ends the wait with false.
bool http_stream::connect_and_wait(const std::string& text) {
    http_request& r = fetch_.request;
    r.connect(text.c_str(), 0, "GET");
    if (r.run() < 0) return false;
    while (r.get_status() == 0 || r.get_status() == 1) {
        int rc = r.run();
        if (rc < 0) return false;
        if (rc == 1 && r.get_status() < 2) return false;
        if (finished() || playback_stop_requested()) return false;
        Sleep(1);
    }
    return r.get_status() == 2;
}

bool http_stream::request(int64_t offset) {
    start_sockets_once();
    const std::string text = request_text(url_.wvalue());
    fetch_.url = text;
    add_request_headers();
    if (!connect_and_wait(text)) return false;
    const char* length = fetch_.request.get_header("content-length");
    fetch_.content_length = length ? atoi(length) : 0;
    fetch_.range_start = offset;

    if (offset > 0) {
        add_request_headers();
        char range[64];
        _snprintf(range, sizeof(range) - 1, "Range: bytes=%I64d-", static_cast<long long>(offset));
        range[sizeof(range) - 1] = 0;
        fetch_.request.add_header(range);
        if (!connect_and_wait(text)) return false;
        length = fetch_.request.get_header("content-length");
        fetch_.content_length = length ? atoi(length) : 0;
    }

    fetch_.content_type = L"";
    const char* type = fetch_.request.get_header("content-type");
    if (type && *type) fetch_.content_type = utf::ansi_to_utf16(type);
    fetch_.connected = true;
    return true;
}

void http_stream::close() {
    set_busy(false);
    if (!finished()) set_finished(true);
    {
        auto_sync guard(lock_);
        buffer_.length = 0;
    }
    if (receiving_) {
        WaitForSingleObject(get_handle(), INFINITE);
        receiving_ = false;
        auto_sync guard(lock_);
        buffer_.length = 0;  // what the last pass appended
    }
    auto_sync guard(rebuffer_lock_);
    if (rebuffer_thread_) {
        WaitForSingleObject(rebuffer_thread_, INFINITE);
        CloseHandle(rebuffer_thread_);
        rebuffer_thread_ = nullptr;
    }
}

bool http_stream::wait_for_bytes() {
    for (int i = 0; i < 100 && buffered() == 0 && !at_end(); ++i) Sleep(1);
    return true;
}

int http_stream::take(void* out, int bytes, bool remove) {
    auto_sync guard(lock_);
    int n = bytes < buffer_.length ? bytes : buffer_.length;
    if (n <= 0) return 0;
    memcpy(out, buffer_.data, n);
    if (remove) {
        memmove(buffer_.data, buffer_.data + n, buffer_.length - n);
        buffer_.length -= n;
    }
    return n;
}

void http_stream::append(const unsigned char* bytes, int count) {
    auto_sync guard(lock_);
    buffer_.append(bytes, count);
}

int http_stream::read(void* out, int bytes) {
    if (!out || bytes < 1 || at_end()) return 0;
    wait_for_bytes();
    int n = take(out, bytes, true);
    delivered_ += n;
    return n;
}

int http_stream::peek(void* out, int bytes) {
    if (!out || bytes < 1 || at_end()) return 0;
    wait_for_bytes();
    return take(out, bytes, false);
}

int64_t http_stream::length() {
    if (fetch_.content_length <= 0) return 0;
    int64_t n = fetch_.content_length - tag_size_ + start_offset_;
    return n < 0 ? 0 : n;
}

int64_t http_stream::tell() { return delivered_ + start_offset_; }

int http_stream::buffered() { return __atomic_load_n(&buffer_.length, __ATOMIC_ACQUIRE); }

bool http_stream::at_end() { return buffered() == 0 && finished(); }

bool http_stream::rebuffer() {
    if (finished() || fetch_.content_length > 0) return false;
    auto_sync guard(rebuffer_lock_);
    if (rebuffer_thread_) {
        // At most one rebuffering at a time; a finished one is let go.
        if (WaitForSingleObject(rebuffer_thread_, 0) == WAIT_TIMEOUT) return true;
        CloseHandle(rebuffer_thread_);
        rebuffer_thread_ = nullptr;
    }
    uintptr_t h = _beginthreadex(nullptr, 0, &http_stream::rebuffer_main, this, 0, nullptr);
    if (!h) return false;
    rebuffer_thread_ = reinterpret_cast<HANDLE>(h);
    SetThreadPriority(rebuffer_thread_, THREAD_PRIORITY_IDLE);
    return true;
}

unsigned __stdcall http_stream::rebuffer_main(void* self) {
    http_stream* s = static_cast<http_stream*>(self);
    s->set_busy(true);
    s->notify_buffering(0, 0);
    s->fill_buffer(rebuffer_passes);
    s->notify_buffering(2, 0);
    s->set_busy(false);
    return 0;
}

void http_stream::notify_title(bool station, const wchar_t* text, int64_t position) {
    for (stream_title_listener* l : listeners_) l->on_title(station, text, position);
}

void http_stream::notify_info() {
    for (stream_title_listener* l : listeners_) l->on_info(&info_);
}

void http_stream::notify_buffering(int state, int percent) {
    for (stream_title_listener* l : listeners_) l->on_buffering(state, percent);
}
