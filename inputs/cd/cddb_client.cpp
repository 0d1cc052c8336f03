#include "cddb_client.h"

#include <winsock2.h>

#include <cstring>
#include <cwchar>

#include "cd_socket.h"
#include "utf.h"

namespace {

constexpr const char* terminator = "\r\n.\r\n";
constexpr int chunk_bytes = 4096;

std::wstring trimmed(const std::wstring& text) {
    const wchar_t* blanks = L" \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::wstring::npos) return std::wstring();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The next word of line from at (runs of spaces skipped); at moves past it.
std::string next_word(const std::string& line, size_t& at) {
    at = line.find_first_not_of(' ', at);
    if (at == std::string::npos) {
        at = line.size();
        return std::string();
    }
    const size_t end = line.find(' ', at);
    const std::string word = line.substr(at, end == std::string::npos ? std::string::npos : end - at);
    at = end == std::string::npos ? line.size() : end;
    return word;
}

bool all_digits(const std::string& text, size_t from, size_t count) {
    for (size_t i = from; i < from + count; ++i)
        if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
    return true;
}

// "N037.33": hemisphere letter, degrees, ".", minutes.
bool parse_coordinate(const std::string& word, char positive, char negative, int& sign, int& value) {
    if (word.size() != 7 || (word[0] != positive && word[0] != negative) || !all_digits(word, 1, 3) ||
        !all_digits(word, 5, 2))
        return false;
    sign = word[0] == positive ? 1 : 0;
    value = cddb_text::read_int(word.substr(1, 3).c_str()) * 60 + cddb_text::read_int(word.substr(5, 2).c_str());
    return true;
}

bool same_ignoring_case(const std::string& a, const char* b) { return _stricmp(a.c_str(), b) == 0; }

// Where the HTTP header ends in text, npos while it has not arrived.
size_t body_start(const std::string& text) {
    const size_t end = text.find("\r\n\r\n");
    return end == std::string::npos ? end : end + 4;
}

}  // namespace

std::wstring cddb_client::hello_word(const std::wstring& text) {
    if (text.empty()) return L"Unknown";
    std::wstring out = text;
    for (wchar_t& c : out)
        if (!IsCharAlphaNumericW(c)) c = L'_';
    return out;
}

std::wstring cddb_client::user_name() {
    wchar_t name[260] = L"";
    DWORD size = 260;
    if (!GetUserNameW(name, &size)) return L"Unknown";
    name[259] = 0;
    return hello_word(name);
}

std::wstring cddb_client::host_name() {
    char name[260] = "";
    if (gethostname(name, sizeof(name)) != 0 || !name[0]) return L"Unknown";
    name[259] = 0;
    for (char* c = name; *c; ++c)
        if (!IsCharAlphaNumericA(*c)) *c = '_';
    return utf::ansi_to_utf16(name).wvalue();
}

std::wstring cddb_client::hello() {
    return L"hello=" + user_name() + L"+" + host_name() + L"+" + client_name_ + L"+" + client_version_ +
           L"&proto=" + std::to_wstring(proto_level_);
}

void cddb_client::set_deadline(unsigned long limit_ms) {
    deadline_ = GetTickCount() + limit_ms;
    has_deadline_ = true;
}

bool cddb_client::stopped() const {
    if (cancelled_) return true;
    // By the difference, so that the tick count's wrap does not matter.
    return has_deadline_ && static_cast<int>(GetTickCount() - deadline_) >= 0;
}

bool cddb_client::receive(cd_socket& socket, const char* end, int chunk, int mode, std::string& reply) {
    reply.clear();
    std::string text;
    std::vector<char> buffer(static_cast<size_t>(chunk > 0 ? chunk : chunk_bytes));
    DWORD last_data = GetTickCount();
    for (;;) {
        if (stopped()) return false;
        if (GetTickCount() - last_data > static_cast<DWORD>(timeout_ms)) return false;
        bool ready = false;
        if (!socket.readable(ready)) return false;
        if (!ready) {
            Sleep(250);
            continue;
        }
        const int n = socket.recv(buffer.data(), static_cast<int>(buffer.size()));
        const size_t body = body_start(text);
        if (n < 1) {
            // A one-line query reply may end with the connection instead of
            // a line end.
            if (mode == 1 && body != std::string::npos) {
                const int code = cddb_text::status_code(text.c_str() + body);
                if (code < 210 || code > 219) {
                    reply = text;
                    return true;
                }
            }
            return false;
        }
        text.append(buffer.data(), static_cast<size_t>(n));
        last_data = GetTickCount();
        if (text.size() > max_reply) return false;
        const size_t start = body_start(text);
        // A query decides by its status code once the first line of the
        // body is whole: the header and the body may come in separate
        // pieces, and a one-line reply has no terminator.
        if (mode == 1 && start != std::string::npos && text.find('\n', start) != std::string::npos) {
            const int code = cddb_text::status_code(text.c_str() + start);
            if (code < 210 || code > 219) {
                reply = text;
                return true;
            }
        }
        const size_t at = text.find(end);
        if (at != std::string::npos) {
            reply = text.substr(0, at);
            return true;
        }
    }
}

bool cddb_client::exchange(const cddb_site& site, const std::wstring& command, int mode, std::string& body) {
    body.clear();
    if (stopped()) return false;
    struct stop_check {
        static bool given_up(void* client) { return static_cast<const cddb_client*>(client)->stopped(); }
    };
    cd_socket socket;
    if (!socket.create() || !socket.connect(site.host.c_str(), site.port, &stop_check::given_up, this)) return false;
    const std::wstring request = L"GET " + site.path + L"?cmd=" + command + L"&" + hello() + L" HTTP/1.0\r\n\r\n";
    const std::string bytes = utf::utf16_to_ansi(request.c_str()).value();
    if (!socket.send(bytes.data(), static_cast<int>(bytes.size()))) return false;
    std::string reply;
    if (!receive(socket, terminator, chunk_bytes, mode, reply)) return false;
    const size_t start = body_start(reply);
    if (start != std::string::npos) body = reply.substr(start);
    return true;
}

bool cddb_client::parse_site(const std::string& line, cddb_site& out) {
    cddb_site site;
    size_t at = 0;
    const std::string host = next_word(line, at);
    const std::string protocol = next_word(line, at);
    const std::string port = next_word(line, at);
    const std::string path = next_word(line, at);
    const std::string latitude = next_word(line, at);
    const std::string longitude = next_word(line, at);
    const size_t rest = line.find_first_not_of(' ', at);
    if (host.empty() || !same_ignoring_case(protocol, "http") || !all_digits(port, 0, port.size()) ||
        port.empty() || path.empty() || rest == std::string::npos)
        return false;
    site.port = cddb_text::read_int(port.c_str());
    if (site.port <= 0 || site.port > 65535) return false;
    if (!parse_coordinate(latitude, 'N', 'S', site.north, site.latitude) ||
        !parse_coordinate(longitude, 'E', 'W', site.east, site.longitude))
        return false;
    site.host = cddb_text::wide(host);
    site.path = cddb_text::wide(path);
    site.description = cddb_text::wide(line.substr(rest));
    out = site;
    return true;
}

bool cddb_client::parse_sites(const char* body, std::vector<cddb_site>& out) {
    out.clear();
    const int code = cddb_text::status_code(body);
    if (code < 210 || code > 219) return false;
    for (const std::string& line : cddb_text::lines(cddb_text::after_status_line(body))) {
        cddb_site site;
        if (parse_site(line, site)) out.push_back(site);
    }
    return true;
}

bool cddb_client::parse_match(const std::string& line, cddb_match& out) {
    size_t at = 0;
    const std::string category = next_word(line, at);
    const std::string id = next_word(line, at);
    const size_t rest = line.find_first_not_of(' ', at);
    if (category.empty() || id.empty() || rest == std::string::npos) return false;
    std::string title = line.substr(rest);
    const size_t line_end = title.find('\n');
    if (line_end != std::string::npos) title.erase(line_end > 0 && title[line_end - 1] == '\r' ? line_end - 1 : line_end);
    if (title.empty()) return false;
    cddb_match match;
    match.category = cddb_text::wide(category);
    match.disc_id = static_cast<unsigned>(strtoul(id.c_str(), nullptr, 16));
    // Titles are "artist / title"; an artist may hold a "/" of its own
    // (AC/DC), so the spaced separator is looked for first.
    size_t split = title.find(" / ");
    size_t skip = 3;
    if (split == std::string::npos) {
        split = title.find('/');
        skip = 1;
    }
    if (split == std::string::npos) {
        match.title = cddb_text::wide(title);
    } else {
        match.artist = trimmed(cddb_text::wide(title.substr(0, split)));
        match.title = trimmed(cddb_text::wide(title.substr(split + skip)));
    }
    out = match;
    return true;
}

bool cddb_client::parse_query(const char* body, std::vector<cddb_match>& out) {
    out.clear();
    const int code = cddb_text::status_code(body);
    if (code >= 210 && code <= 219) {
        for (const std::string& line : cddb_text::lines(cddb_text::after_status_line(body))) {
            cddb_match match;
            if (parse_match(line, match)) out.push_back(match);
        }
        return !out.empty();
    }
    if (code == 200 && strlen(body) > 5) {
        cddb_match match;
        if (!parse_match(body + 4, match)) return false;
        out.push_back(match);
        return true;
    }
    return false;  // 202: no match; anything else: an error
}

bool cddb_client::sites(std::vector<cddb_site>& out, const cddb_site& server) {
    std::string body;
    if (!exchange(server, L"sites", 0, body)) return false;
    return parse_sites(body.c_str(), out);
}

bool cddb_client::sites_at(std::vector<cddb_site>& out, const wchar_t* host, const wchar_t* path, int port) {
    cddb_site server;
    server.host = host ? host : L"";
    server.path = path ? path : L"";
    server.port = port;
    return sites(out, server);
}

bool cddb_client::stat(const cddb_site& site) {
    std::string body;
    return exchange(site, L"stat", 0, body);
}

std::wstring cddb_client::query_command(unsigned disc_id, const std::vector<msf_time>& toc) {
    if (toc.size() < 2) return std::wstring();
    wchar_t number[16];
    _snwprintf(number, 15, L"%08x", disc_id);
    number[15] = 0;
    std::wstring offsets;
    for (size_t i = 0; i + 1 < toc.size(); ++i) {
        if (i) offsets += L"+";
        offsets += std::to_wstring((toc[i].minutes * 60 + toc[i].seconds) * 75 + toc[i].frames);
    }
    const msf_time& lead_out = toc.back();
    return std::wstring(L"cddb+query+") + number + L"+" + std::to_wstring(toc.size() - 1) + L"+" + offsets + L"+" +
           std::to_wstring(lead_out.minutes * 60 + lead_out.seconds);
}

bool cddb_client::query(const cddb_site& site, unsigned disc_id, const std::vector<msf_time>& toc,
                        std::vector<cddb_match>& out) {
    out.clear();
    const std::wstring command = query_command(disc_id, toc);
    std::string body;
    if (command.empty() || !exchange(site, command, 1, body)) return false;
    return parse_query(body.c_str(), out);
}

bool cddb_client::read(const cddb_site& site, unsigned disc_id, const cddb_match& match, cddb_disc& out) {
    wchar_t number[16];
    _snwprintf(number, 15, L"%08x", disc_id);
    number[15] = 0;
    std::string body;
    if (!exchange(site, L"cddb+read+" + match.category + L"+" + number, 0, body)) return false;
    const bool complete = out.parse(body.c_str());
    out.disc_id = disc_id;
    return complete;
}
