#include "stand_in_server.h"
#include <winsock2.h>
#include <cctype>
#include <cstdio>
#include <cstring>
#include "wine_host.h"

namespace {

std::string hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

// A JSON string literal. Quotes, backslashes and control characters are
// escaped; other bytes above 0x7e are kept as UTF-8 when utf8 is set, else
// escaped each as the character of that number (header names and values).
std::string json_string(const std::string& text, bool utf8) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || (c > 0x7e && !utf8)) {
            char escape[8];
            snprintf(escape, sizeof(escape), "\\u%04x", c);
            out += escape;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string json_text(const std::string& text) { return json_string(text, false); }
std::string json_utf8(const std::string& text) { return json_string(text, true); }

std::string trim(const std::string& text) {
    size_t start = text.find_first_not_of(" \t");
    size_t end = text.find_last_not_of(" \t");
    return start == std::string::npos ? std::string() : text.substr(start, end - start + 1);
}

bool same_ignoring_case(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (tolower(static_cast<unsigned char>(a[i])) != tolower(static_cast<unsigned char>(b[i]))) return false;
    return i == a.size() && !b[i];
}

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

std::string form_decode(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] == '%' && i + 2 < text.size() && hex_value(text[i + 1]) >= 0 &&
                   hex_value(text[i + 2]) >= 0) {
            out += static_cast<char>(hex_value(text[i + 1]) * 16 + hex_value(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

// --- canned_reply ---

canned_reply canned_reply::text(const std::string& body, int status) {
    canned_reply r;
    r.body = body;
    r.status = status;
    return r;
}

canned_reply canned_reply::empty() { return canned_reply(); }

canned_reply canned_reply::cut(const std::string& body, int declared_length) {
    canned_reply r;
    r.kind = "cut";
    r.body = body;
    r.declared_length = declared_length;
    return r;
}

canned_reply canned_reply::close() {
    canned_reply r;
    r.kind = "close";
    return r;
}

canned_reply canned_reply::silent(int hold_ms) {
    canned_reply r;
    r.kind = "silent";
    r.hold_ms = hold_ms;
    return r;
}

canned_reply canned_reply::slow(const std::string& body, int chunk, int delay_ms) {
    canned_reply r;
    r.body = body;
    r.chunk = chunk;
    r.delay_ms = delay_ms;
    return r;
}

canned_reply canned_reply::raw(const std::string& bytes, int chunk, int delay_ms, int hold_ms) {
    canned_reply r;
    r.kind = "raw";
    r.body = bytes;
    r.chunk = chunk;
    r.delay_ms = delay_ms;
    r.hold_ms = hold_ms;
    return r;
}

canned_reply canned_reply::redirect(int status, const std::string& location) {
    canned_reply r;
    r.status = status;
    if (!location.empty()) r.headers.emplace_back("Location", location);
    return r;
}

// --- recorded_request ---

bool recorded_request::parse(const std::string& raw, recorded_request& out) {
    size_t head_end = raw.find("\r\n\r\n");
    if (head_end == std::string::npos) return false;
    out = recorded_request();
    out.raw = raw;
    out.body = raw.substr(head_end + 4);
    size_t line_end = raw.find("\r\n");
    std::string request_line = raw.substr(0, line_end);
    size_t first = request_line.find(' ');
    size_t last = request_line.rfind(' ');
    if (first == std::string::npos || last == first) return false;
    out.method = request_line.substr(0, first);
    out.target = request_line.substr(first + 1, last - first - 1);
    out.version = request_line.substr(last + 1);
    size_t at = line_end + 2;
    while (at < head_end + 2) {
        size_t end = raw.find("\r\n", at);
        std::string line = raw.substr(at, end - at);
        size_t colon = line.find(':');
        if (colon != std::string::npos) out.headers.emplace_back(line.substr(0, colon), trim(line.substr(colon + 1)));
        at = end + 2;
    }
    return true;
}

std::string recorded_request::header(const char* name) const {
    for (const auto& h : headers)
        if (same_ignoring_case(h.first, name)) return h.second;
    return std::string();
}

bool recorded_request::has_header(const char* name) const {
    for (const auto& h : headers)
        if (same_ignoring_case(h.first, name)) return true;
    return false;
}

std::string recorded_request::path() const {
    size_t scheme = target.find("://");
    if (scheme == std::string::npos) return target;
    size_t slash = target.find('/', scheme + 3);
    return slash == std::string::npos ? "/" : target.substr(slash);
}

std::vector<std::pair<std::string, std::string>> recorded_request::raw_fields() const {
    std::vector<std::pair<std::string, std::string>> fields;
    if (body.empty()) return fields;
    size_t at = 0;
    while (true) {
        size_t end = body.find('&', at);
        std::string pair = body.substr(at, end == std::string::npos ? std::string::npos : end - at);
        size_t equals = pair.find('=');
        if (equals == std::string::npos)
            fields.emplace_back(pair, std::string());
        else
            fields.emplace_back(pair.substr(0, equals), pair.substr(equals + 1));
        if (end == std::string::npos) break;
        at = end + 1;
    }
    return fields;
}

std::vector<std::pair<std::string, std::string>> recorded_request::decoded_fields() const {
    auto fields = raw_fields();
    for (auto& f : fields) {
        f.first = form_decode(f.first);
        f.second = form_decode(f.second);
    }
    return fields;
}

// --- stand_in_server ---

stand_in_server::stand_in_server() {}

stand_in_server::~stand_in_server() { stop(); }

bool stand_in_server::start(int port, int max_seconds) { return launch(port, max_seconds, true, nullptr); }

bool stand_in_server::start_scenario(const std::string& scenario_json, int max_seconds) {
    return launch(0, max_seconds, true, &scenario_json);
}

bool stand_in_server::start_cddb(const std::string& cddb_json, int max_seconds) {
    return launch(0, max_seconds, true, nullptr, &cddb_json);
}

bool stand_in_server::start_unaccepting(int max_seconds) { return launch(0, max_seconds, false, nullptr); }

bool stand_in_server::launch(int port, int max_seconds, bool accept, const std::string* scenario,
                             const std::string* cddb) {
    stop();
    error_.clear();
    if (!wine_host::make_state_folder("stand_in", folder_, unix_folder_)) {
        error_ = "cannot make the stand-in's state folder";
        return false;
    }
    std::vector<std::string> args = {wine_host::source_file("tools/service_stand_in.py"),
                                     "--state", unix_folder_,
                                     "--port", std::to_string(port),
                                     "--max-seconds", std::to_string(max_seconds)};
    if (!accept) args.push_back("--no-accept");
    // A scenario file handed to the server with its option.
    auto pass_file = [&](const std::string* content, const char* option, const char* name) {
        if (!content) return true;
        if (!wine_host::write_file_atomic(folder_ + L"\\" + std::wstring(name, name + strlen(name)), *content)) {
            error_ = std::string("cannot write ") + name;
            return false;
        }
        args.push_back(option);
        args.push_back(unix_folder_ + "/" + name);
        return true;
    };
    if (!pass_file(scenario, "--scenario", "scenario.json") || !pass_file(cddb, "--cddb", "cddb.json")) return false;
    if (!wine_host::start_python(args, error_)) return false;
    running_ = true;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 15000) {
        if (wine_host::file_exists(folder_ + L"\\port")) {
            port_ = atoi(wine_host::read_file(folder_ + L"\\port").c_str());
            if (port_ > 0) return true;
        }
        if (wine_host::file_exists(folder_ + L"\\error")) {
            error_ = wine_host::read_file(folder_ + L"\\error");
            stop();
            return false;
        }
        Sleep(10);
    }
    error_ = "the stand-in did not start within 15 s";
    stop();
    return false;
}

void stand_in_server::stop() {
    if (folder_.empty()) return;
    if (running_) {
        wine_host::write_file_atomic(folder_ + L"\\stop", std::string());
        // It notices the stop file within 50 ms; a silent reply may hold it
        // up to two seconds more.
        wine_host::wait_for_file(folder_ + L"\\stopped", 5000);
        running_ = false;
    }
    wine_host::remove_state_folder(folder_);
    folder_.clear();
    unix_folder_.clear();
    port_ = 0;
}

std::wstring stand_in_server::host() const {
    return port_ == 80 ? std::wstring(L"127.0.0.1") : L"127.0.0.1:" + std::to_wstring(port_);
}

bool stand_in_server::set_replies(const std::vector<canned_reply>& replies) {
    if (folder_.empty()) return false;
    std::string json = "[";
    for (size_t i = 0; i < replies.size(); ++i) {
        const canned_reply& r = replies[i];
        if (i) json += ",";
        json += "{\"kind\":" + json_text(r.kind) + ",\"status\":" + std::to_string(r.status) +
                ",\"body_hex\":\"" + hex(r.body) + "\",\"chunk\":" + std::to_string(r.chunk) +
                ",\"delay_ms\":" + std::to_string(r.delay_ms) + ",\"hold_ms\":" + std::to_string(r.hold_ms);
        if (!r.then_bytes.empty())
            json += ",\"then_hex\":\"" + hex(r.then_bytes) + "\",\"then_chunk\":" + std::to_string(r.then_chunk) +
                    ",\"then_delay_ms\":" + std::to_string(r.then_delay_ms);
        if (r.omit_length) json += ",\"omit_length\":true";
        if (!r.file.empty()) json += ",\"file\":" + json_text(r.file);
        if (r.ranges) json += ",\"ranges\":true";
        if (r.pause_at >= 0)
            json += ",\"pause_at\":" + std::to_string(r.pause_at) + ",\"pause_ms\":" + std::to_string(r.pause_ms);
        if (r.declared_length >= 0) json += ",\"declared_length\":" + std::to_string(r.declared_length);
        json += ",\"headers\":[";
        for (size_t h = 0; h < r.headers.size(); ++h)
            json += (h ? "," : "") + std::string("[") + json_text(r.headers[h].first) + "," +
                    json_text(r.headers[h].second) + "]";
        json += "]}";
    }
    json += "]";
    return wine_host::write_file_atomic(folder_ + L"\\replies.json", json);
}

bool stand_in_server::set_faults(const std::vector<stand_in_fault>& faults) {
    if (folder_.empty()) return false;
    std::string json = "[";
    for (size_t i = 0; i < faults.size(); ++i) {
        const stand_in_fault& f = faults[i];
        json += std::string(i ? "," : "") + "{\"script\":" + json_utf8(f.script) + ",\"reply\":" +
                json_utf8(f.reply) + ",\"times\":" + std::to_string(f.times) +
                ",\"status\":" + std::to_string(f.status) + ",\"body\":" + json_utf8(f.body) +
                ",\"wait_ms\":" + std::to_string(f.wait_ms) + ",\"chunk\":" + std::to_string(f.chunk) +
                ",\"delay_ms\":" + std::to_string(f.delay_ms) + ",\"hold_ms\":" + std::to_string(f.hold_ms);
        if (!f.message.empty()) json += ",\"message\":" + json_utf8(f.message) + ",\"url\":" + json_utf8(f.url);
        if (f.cut_at >= 0) json += ",\"cut_at\":" + std::to_string(f.cut_at);
        json += ",\"match\":{";
        for (size_t m = 0; m < f.match.size(); ++m)
            json += (m ? "," : "") + json_utf8(f.match[m].first) + ":" + json_utf8(f.match[m].second);
        json += "}}";
    }
    json += "]";
    return wine_host::write_file_atomic(folder_ + L"\\faults.json", json);
}

std::vector<std::vector<std::string>> stand_in_server::state(const char* kind) const {
    std::vector<std::vector<std::string>> records;
    if (folder_.empty()) return records;
    std::string text = wine_host::read_file(folder_ + L"\\state.txt");
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::vector<std::string> fields;
        size_t start = at;
        while (true) {
            size_t tab = text.find('\t', start);
            if (tab == std::string::npos || tab > end) tab = end;
            fields.push_back(text.substr(start, tab - start));
            if (tab == end) break;
            start = tab + 1;
        }
        if (!fields.empty() && fields[0] == kind) records.emplace_back(fields.begin() + 1, fields.end());
        at = end + 1;
    }
    return records;
}

std::string stand_in_server::upload(int n) const {
    return folder_.empty() ? std::string() : wine_host::read_file(folder_ + L"\\uploads\\" + std::to_wstring(n) + L".txt");
}

std::string stand_in_server::url(const char* path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + (path ? path : "");
}

std::vector<recorded_request> stand_in_server::requests() const {
    std::vector<recorded_request> all;
    for (int n = 0;; ++n) {
        wchar_t name[32];
        _snwprintf(name, 31, L"\\requests\\%04d.raw", n);
        name[31] = 0;
        std::wstring path = folder_ + name;
        if (folder_.empty() || !wine_host::file_exists(path)) break;
        recorded_request request;
        if (!recorded_request::parse(wine_host::read_file(path), request)) request.raw = wine_host::read_file(path);
        all.push_back(request);
    }
    return all;
}

int stand_in_server::unused_port() {
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return 0;
    int port = 0;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s != INVALID_SOCKET) {
        sockaddr_in addr = {};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int size = sizeof(addr);
        if (bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0 &&
            getsockname(s, reinterpret_cast<sockaddr*>(&addr), &size) == 0)
            port = ntohs(addr.sin_port);
        closesocket(s);  // nothing listens there afterwards
    }
    WSACleanup();
    return port;
}
