// Parsers of the playlist formats that zel_playlist reads besides its own:
// WPL, M3U and M3U8, ASX (line by line) and PLS (through the private-profile
// functions).
#include <cstdio>
#include <cwctype>
#include "playlist_formats.h"
#include "playlist_paths.h"
#include "utf.h"
#include "utility.h"

namespace {

// Lines are read in pieces of at most this many bytes (terminator included):
// a longer line arrives as several lines.
const int line_buffer = 4096;
// PLS files announce their entry count; more than this is not believed.
const int max_pls_entries = 100000;

// Calls on_line with every line of the file as fgets gives it, without its
// line end; on_line returns false to stop. False when the file cannot be
// opened.
template <class Fn>
bool for_each_line(const wchar_t* file, Fn on_line) {
    FILE* f = _wfopen(file, L"r");
    if (!f) return false;
    char buffer[line_buffer];
    while (fgets(buffer, sizeof(buffer), f)) {
        std::string line = buffer;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        if (!on_line(line)) break;
    }
    fclose(f);
    return true;
}

std::wstring lower(const std::wstring& text) {
    std::wstring out = text;
    for (wchar_t& c : out) c = static_cast<wchar_t>(towlower(c));
    return out;
}

std::wstring trim_blanks(const std::wstring& text) {
    size_t start = text.find_first_not_of(L" \t");
    if (start == std::wstring::npos) return std::wstring();
    return text.substr(start, text.find_last_not_of(L" \t") - start + 1);
}

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

void add_found(std::vector<parsed_entry>& found, const std::wstring& path, const std::wstring& title = L"") {
    if (!path.empty()) found.push_back({path, title});
}

}  // namespace

bool parse_wpl(const wchar_t* file, std::vector<parsed_entry>& found) {
    const std::wstring folder = folder_of(file);
    return for_each_line(file, [&](const std::string& raw) {
        const std::wstring line = utf::utf8_to_utf16(raw.c_str()).wvalue();
        const std::wstring copy = lower(line);
        if (copy.find(L"<media src") == std::wstring::npos) return true;
        wchar_t quote;
        if (copy.find(L"src=\"") != std::wstring::npos)
            quote = L'"';
        else if (copy.find(L"src='") != std::wstring::npos)
            quote = L'\'';
        else
            return true;
        const size_t start = copy.find(L"src=") + 5;
        if (start > line.size()) return true;
        const size_t end = line.find(quote, start);
        if (end == std::wstring::npos) return true;  // no closing quote: no entry
        add_found(found, resolve_relative_path(folder, trim_blanks(line.substr(start, end - start))));
        return true;
    });
}

bool parse_m3u(const wchar_t* file, std::vector<parsed_entry>& found) {
    const std::wstring folder = folder_of(file);
    bool decided = false;
    bool utf8 = false;
    return for_each_line(file, [&](const std::string& raw) {
        std::string bytes = raw;
        while (!bytes.empty() && is_space(bytes.back())) bytes.pop_back();
        if (bytes.empty()) return true;
        // The first line longer than three bytes decides the encoding of the
        // rest: UTF-8 when it starts with a byte order mark.
        if (!decided && bytes.size() > 3) {
            decided = true;
            if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
                utf8 = true;
                bytes.erase(0, 3);
            }
        }
        const std::wstring line = utf8 ? utf::utf8_to_utf16(bytes.c_str()).wvalue()
                                       : utf::ansi_to_utf16(bytes.c_str()).wvalue();
        if (line.empty() || line[0] == L'#') return true;
        add_found(found, trim_blanks(resolve_relative_path(folder, line)));
        return true;
    });
}

bool parse_asx(const wchar_t* file, std::vector<parsed_entry>& found) {
    const std::wstring folder = folder_of(file);
    return for_each_line(file, [&](const std::string& raw) {
        const std::wstring line = utf::ansi_to_utf16(raw.c_str()).wvalue();
        const std::wstring copy = lower(line);
        if (copy.find(L"<ref") == std::wstring::npos) return true;
        size_t start;
        size_t at = copy.find(L"href=");
        if (at != std::wstring::npos) {
            start = at + 5;
        } else if ((at = copy.find(L"href =")) != std::wstring::npos) {
            start = at + 6;
        } else {
            return false;  // a reference without "href" ends the reading
        }
        std::wstring value = trim_blanks(line.substr(start < line.size() ? start : line.size()));
        size_t quote = value.find(L'"');
        if (quote != std::wstring::npos) value.erase(0, quote + 1);
        size_t close = value.find(L"/>");
        if (close != std::wstring::npos) value.erase(close);
        quote = value.find(L'"');
        if (quote != std::wstring::npos) value.erase(quote);
        add_found(found, resolve_relative_path(folder, trim_blanks(value)));
        return true;
    });
}

bool parse_pls(const wchar_t* file, std::vector<parsed_entry>& found) {
    const stringx path(file);
    const stringx section(L"playlist");
    int count = utility::get_profile_string(path, section, L"numberofentries", L"0", line_buffer).toint();
    bool ok = count > 0;
    if (count > max_pls_entries) count = max_pls_entries;
    const std::wstring folder = folder_of(file);
    for (int i = 1; i <= count; ++i) {
        const std::wstring n = std::to_wstring(i);
        const stringx key_file((L"file" + n).c_str());
        const stringx key_title((L"title" + n).c_str());
        std::wstring entry = utility::get_profile_string(path, section, key_file, L"", line_buffer).wvalue();
        if (entry.empty()) continue;
        std::wstring title = utility::get_profile_string(path, section, key_title, L"", line_buffer).wvalue();
        add_found(found, resolve_relative_path(folder, entry), title);
    }
    // Drop the platform's cached copy of the file, so that a later file of
    // the same name is read afresh.
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, file);
    return ok;
}
