#include "service_reply.h"
#include <cwctype>
#include "utf.h"
#include "utility.h"

namespace {

const char success_text[] = "Result=Success";
const wchar_t expired_status[] = L"Login=F";  // the first 7 characters of "Login=False"

std::wstring lower(const wchar_t* text) {
    std::wstring out(text ? text : L"");
    for (wchar_t& c : out) c = static_cast<wchar_t>(towlower(c));
    return out;
}

}  // namespace

service_reply::service_reply() {}

service_reply::service_reply(const char* text, size_t length, bool cut) {
    if (!text || length == 0 || text[0] == 0) return;
    cut_ = cut;
    raw_.assign(text, length);
    // The reply is split at its line ends by its length, so that a zero byte
    // inside one line does not end the text there: that line alone is
    // damaged and read as empty, the lines after it are read as sent. Line
    // ends are ASCII and never the second byte of a double-byte character.
    size_t start = 0;
    for (;;) {
        const size_t end = raw_.find("\r\n", start);
        const std::string line = raw_.substr(start, end == std::string::npos ? std::string::npos : end - start);
        lines_.push_back(line.find('\0') == std::string::npos ? utf::ansi_to_utf16(line.c_str()) : stringx(L""));
        if (end == std::string::npos) break;
        start = end + 2;
    }
}

bool service_reply::login_expired() const {
    if (lines_.empty()) return false;
    const wchar_t* first = lines_[0].wvalue();
    for (int i = 0; expired_status[i]; ++i)
        if (towlower(first[i]) != towlower(expired_status[i])) return false;  // also stops at the terminator
    return true;
}

bool service_reply::has_success() const {
    return raw_.find(success_text) != std::string::npos;
}

reply_status service_reply::status() const {
    if (!connected()) return reply_status::no_connection;
    if (login_expired()) return reply_status::login_expired;
    if (!has_success() || cut_) return reply_status::failed;
    return reply_status::success;
}

std::vector<stringx> service_reply::data_lines() const {
    if (lines_.size() < 2) return std::vector<stringx>();
    return std::vector<stringx>(lines_.begin() + 1, lines_.end());
}

stringx success_failure_line(const wchar_t* name) {
    stringx line;
    line.format(L"%s, Result=Success 실패", name ? name : L"");
    return line;
}

stringx script_file_name(const wchar_t* script) {
    std::wstring path(script ? script : L"");
    size_t slash = path.rfind(L'/');
    return stringx(slash == std::wstring::npos ? path.c_str() : path.c_str() + slash + 1);
}

stringx clean_line(const stringx& line) {
    std::wstring out;
    for (const wchar_t* p = line.wvalue(); *p; ++p)
        if (*p != L'\r' && *p != L'\n') out += *p;
    return stringx(out.c_str());
}

std::vector<stringx> split_fields(const stringx& line, const wchar_t* delimiter) {
    std::vector<stringx> fields;
    utility::string_tokenizer(line.wvalue(), delimiter, fields);
    return fields;
}

void reply_map::read(const std::vector<stringx>& lines, size_t first) {
    for (size_t i = first; i < lines.size(); ++i) {
        stringx line = clean_line(lines[i]);
        int equals = line.indexof(L'=');
        if (equals < 0) continue;
        stringx key = stringx(line.left(equals)).trim();
        if (key.length() == 0) continue;
        stringx value = equals + 1 < line.length() ? stringx(line.mid(equals + 1)).trim() : stringx(L"");
        values_[lower(key.wvalue())] = value;
    }
}

bool reply_map::has(const wchar_t* key) const { return values_.count(lower(key)) > 0; }

stringx reply_map::get(const wchar_t* key) const {
    auto found = values_.find(lower(key));
    return found == values_.end() ? stringx(L"") : found->second;
}

void parse_reply(const std::vector<stringx>& lines, stringx& message, stringx& url) {
    reply_map map;
    map.read(lines, 1);
    message = map.get(L"message").replace(L"\x11", L"\n");
    url = map.get(L"url");
}
