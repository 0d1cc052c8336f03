#pragma once
// Shared pieces of the track cache and track reader tests: a recording log
// sink, a cache root of the test's own, bodies and URLs for the stand-in
// server.
#include "test_text.h"
#include <windows.h>
#include <mutex>
#include <string>
#include <utility>
#include <vector>
#include "stand_in_server.h"
#include "temp_folder.h"
#include "track_log.h"
#include "track_net.h"
#include "track_url.h"

namespace track_test {

struct log_line {
    bool info;
    std::wstring text;
};

inline std::mutex& log_mutex() {
    static std::mutex m;
    return m;
}
inline std::vector<log_line>& log_lines() {
    static std::vector<log_line> lines;
    return lines;
}
inline void record(bool info, const wchar_t* text) {
    std::lock_guard<std::mutex> guard(log_mutex());
    log_lines().push_back({info, text ? text : L""});
}
inline std::vector<log_line> logged() {
    std::lock_guard<std::mutex> guard(log_mutex());
    return log_lines();
}
// Lines of one log that begin with prefix.
inline std::vector<std::wstring> logged_with(const std::wstring& prefix, bool info = false) {
    std::vector<std::wstring> out;
    for (const log_line& l : logged())
        if (l.info == info && l.text.compare(0, prefix.size(), prefix) == 0) out.push_back(l.text);
    return out;
}

// Every test gets a fresh log, its own cache root and default options.
struct environment {
    environment() : root(L"zel_track") {
        {
            std::lock_guard<std::mutex> guard(log_mutex());
            log_lines().clear();
        }
        track_log::set_sink(&record);
        track_url::set_cache_root(root.path().c_str());
        CreateDirectoryW((root / L"temp").c_str(), nullptr);
        CreateDirectoryW((root / L"temp\\music").c_str(), nullptr);
        CreateDirectoryW((root / L"temp\\info").c_str(), nullptr);
        track_net::packet_retry = false;
        track_net::linger_ms = 1000;
        track_net::rate_limit = 102400;
    }
    static void clear_log() {
        std::lock_guard<std::mutex> guard(log_mutex());
        log_lines().clear();
    }
    ~environment() {
        track_log::set_sink(nullptr);
        track_url::set_cache_root(nullptr);
    }
    temp_folder root;
};

// Deterministic bytes that do not begin with an ID3v2 tag.
inline std::string body(size_t size, unsigned seed = 1) {
    std::string out(size, '\0');
    unsigned x = seed * 2654435761u + 12345u;
    for (size_t i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        out[i] = static_cast<char>(x >> 16);
    }
    if (size > 0 && out[0] == 'I') out[0] = 'J';
    return out;
}

// An ID3v2.3 tag of total size bytes (header included), then the data.
inline std::string with_tag(size_t total, const std::string& data) {
    const size_t size = total - 10;
    std::string tag = "ID3";
    tag += '\x03';
    tag += '\x00';
    tag += '\x00';
    tag += static_cast<char>((size >> 21) & 0x7F);
    tag += static_cast<char>((size >> 14) & 0x7F);
    tag += static_cast<char>((size >> 7) & 0x7F);
    tag += static_cast<char>(size & 0x7F);
    tag.append(size, '\0');
    return tag + data;
}

inline std::string read_file(const std::wstring& path) { return read_file_bytes(path); }

inline bool write_file(const std::wstring& path, const std::string& bytes) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (!f) return false;
    const bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

// Waits (bounded) for the condition, pumping the thread's messages.
template <class Condition>
bool wait_until(Condition condition, DWORD timeout_ms = 20000) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeout_ms) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(5);
    }
    return true;
}

// A stand-in server and the track URLs that point at it.
class served {
public:
    bool start() { return server_.start(0, 120); }
    const std::string& error() const { return server_.error(); }
    stand_in_server& server() { return server_; }
    // scheme ("zel://" or "zel2://") + host + "/tracks/" + name + fields.
    std::wstring url(const wchar_t* name, const wchar_t* fields = L"|0.000000|17", bool info = false) const {
        return std::wstring(info ? L"zel2://" : L"zel://") + server_.host() + L"/tracks/" + name + fields;
    }
    bool serve(const std::string& bytes, bool ranges = false) {
        canned_reply r = canned_reply::text(bytes);
        r.ranges = ranges;
        return server_.set_replies({r});
    }

private:
    stand_in_server server_;
};

}  // namespace track_test
