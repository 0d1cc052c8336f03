// Parsers of the playlist formats that zel_playlist reads besides its own:
// WPL, M3U and M3U8, ASX (line by line) and PLS (through the private-profile
// functions).
#include <windows.h>
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <map>
#include <utility>
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

// Calls on_line with every line of the file as fgets in text mode gives it
// (with a buffer of line_buffer bytes), without its line end; on_line
// returns false to stop. False when the file cannot be opened.
//
// The file is read in large blocks and cut into lines here: fgets takes the
// file's lock and handles one character at a time, which made it most of the
// cost of loading a long list. What text mode does is done here too: "\r\n"
// reads as "\n", the file ends at the first Ctrl-Z; a line longer than
// line_buffer - 1 bytes comes in pieces of that many, and a line ends at a
// zero byte as the text fgets returned did.
template <class Fn>
bool for_each_line(const wchar_t* file, Fn on_line) {
    FILE* f = _wfopen(file, L"rb");
    if (!f) return false;
    // Blocks of 1 MB: the heap takes a block this large from the system on
    // its own, so that it leaves no gap among the small blocks of the
    // entries read (which later small blocks would fill, keeping the
    // entries' memory from going back to the system when they are freed).
    const size_t block_bytes = 1 << 20;
    std::vector<char> block(block_bytes);
    std::string line;  // one buffer for every line: a long list is read without an allocation per line
    bool going = true;
    // The piece in `line`, as fgets returned it.
    auto deliver = [&] {
        const size_t zero = line.find('\0');
        if (zero != std::string::npos) line.resize(zero);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        going = on_line(line);
        line.clear();
        return going;
    };
    // Adds text to the pieces, handing on every one that is complete.
    auto take = [&](const char* p, const char* end) {
        while (p < end) {
            const size_t room = static_cast<size_t>(line_buffer - 1) - line.size();
            const char* limit = p + std::min(room, static_cast<size_t>(end - p));
            const char* newline = static_cast<const char*>(memchr(p, '\n', static_cast<size_t>(limit - p)));
            const char* stop = newline ? newline + 1 : limit;
            line.append(p, stop);
            p = stop;
            if ((newline || line.size() == static_cast<size_t>(line_buffer - 1)) && !deliver()) return false;
        }
        return true;
    };
    bool held_cr = false;  // a carriage return not yet known to start "\r\n"
    bool at_end = false;
    const char cr = '\r';
    while (going && !at_end) {
        const size_t n = fread(block.data(), 1, block_bytes, f);
        if (n == 0) break;
        if (held_cr) {
            held_cr = false;
            if (block[0] != '\n' && !take(&cr, &cr + 1)) break;
        }
        // Converted in place: the text is never longer than the bytes.
        char* out = block.data();
        for (size_t i = 0; i < n; ++i) {
            const char c = block[i];
            if (held_cr) {
                held_cr = false;
                if (c != '\n') *out++ = '\r';
            }
            if (c == '\x1a') {
                at_end = true;
                break;
            }
            if (c == '\r') {
                held_cr = true;
                continue;
            }
            *out++ = c;
        }
        take(block.data(), out);
    }
    if (going && held_cr) take(&cr, &cr + 1);
    if (going && !line.empty()) deliver();
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

void add_found(const parsed_sink& found, const std::wstring& path, const std::wstring& title = std::wstring()) {
    if (!path.empty()) found(path, title);
}

// Widens bytes that are all ASCII (every ANSI code page and UTF-8 give them
// the same characters) into out; false, out untouched, when one is not.
bool ascii_into(const std::string& bytes, std::wstring& out) {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    out.assign(bytes.begin(), bytes.end());
    return true;
}

// ANSI bytes as UTF-16 into a buffer kept from line to line (the conversion
// of utf::ansi_to_utf16, without its allocations per call); empty when the
// platform cannot convert them.
void ansi_into(const std::string& bytes, std::wstring& out) {
    out.clear();
    if (bytes.empty() || bytes.size() > INT_MAX / 4) return;
    if (ascii_into(bytes, out)) return;
    const int length = static_cast<int>(bytes.size());
    const int count = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
    if (count <= 0) return;
    out.resize(static_cast<size_t>(count));
    if (MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, &out[0], count) != count) out.clear();
}

// The numbered keys of a PLS file's "playlist" section: "File<n>" and
// "Title<n>" (any case) by n, the first of each number as a lookup of the
// key would find it, values as such a lookup gives them.
struct pls_section {
    std::map<int, std::wstring> files;
    std::map<int, std::wstring> titles;
};

// n of "<name><n>", where n is written as the entry number is (decimal,
// from 1, no leading zero); 0 otherwise.
int key_number(const std::wstring& key, const wchar_t* name) {
    const size_t length = wcslen(name);
    if (key.size() <= length || key.size() > length + 9 || _wcsnicmp(key.c_str(), name, length) != 0) return 0;
    if (key[length] == L'0') return 0;
    int n = 0;
    for (size_t i = length; i < key.size(); ++i) {
        if (key[i] < L'0' || key[i] > L'9') return 0;
        n = n * 10 + (key[i] - L'0');
    }
    return n;
}

// A value as a private-profile lookup gives it: blanks around it dropped,
// one pair of enclosing quotes taken off, at most line_buffer - 1
// characters.
std::wstring profile_value(std::wstring value) {
    value = trim_blanks(value);
    if (value.size() >= 2 && (value[0] == L'"' || value[0] == L'\'') && value.back() == value[0])
        value = value.substr(1, value.size() - 2);
    if (value.size() > static_cast<size_t>(line_buffer - 1)) value.resize(line_buffer - 1);
    return trim_blanks(value);
}

// Reads the section in one call (the buffer grows until it holds it all).
void read_pls_section(const wchar_t* file, pls_section& keys) {
    std::vector<wchar_t> buffer(1 << 16);
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD n = GetPrivateProfileSectionW(L"playlist", buffer.data(), size, file);
        if (n + 2 < size) break;
        if (buffer.size() >= (1u << 28)) return;  // past any playlist a store keeps
        buffer.resize(buffer.size() * 2);
    }
    for (const wchar_t* line = buffer.data(); *line; line += wcslen(line) + 1) {
        const wchar_t* equals = wcschr(line, L'=');
        if (!equals) continue;
        const std::wstring key = trim_blanks(std::wstring(line, equals));
        const std::wstring value = profile_value(equals + 1);
        if (int n = key_number(key, L"file")) {
            keys.files.emplace(n, value);
        } else if (int t = key_number(key, L"title")) {
            keys.titles.emplace(t, value);
        }
    }
}

}  // namespace

bool parse_wpl(const wchar_t* file, const parsed_sink& found) {
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

bool parse_m3u(const wchar_t* file, const parsed_sink& found) {
    const std::wstring folder = folder_of(file);
    bool decided = false;
    bool utf8 = false;
    std::wstring line;
    return for_each_line(file, [&](std::string& bytes) {
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
        // A comment is known by its first byte in either encoding ("#" is
        // never part of a multi-byte character): not worth converting.
        if (bytes.empty() || bytes[0] == '#') return true;
        if (!utf8)
            ansi_into(bytes, line);
        else if (!ascii_into(bytes, line))
            line = utf::utf8_to_utf16(bytes.c_str()).wvalue();
        if (line.empty() || line[0] == L'#') return true;
        // An absolute path or an address is kept as it is: trimmed in the
        // line's own buffer rather than copied.
        if (!is_absolute_playlist_path(line)) line = resolve_relative_path(folder, line);
        line.erase(0, std::min(line.size(), line.find_first_not_of(L" \t")));
        line.erase(line.find_last_not_of(L" \t") + 1);
        add_found(found, line);
        return true;
    });
}

bool parse_asx(const wchar_t* file, const parsed_sink& found) {
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

bool parse_pls(const wchar_t* file, const parsed_sink& found) {
    const stringx path(file);
    const stringx section(L"playlist");
    int count = utility::get_profile_string(path, section, L"numberofentries", L"0", line_buffer).toint();
    bool ok = count > 0;
    if (count > max_pls_entries) count = max_pls_entries;
    // The announced count bounds the numbers looked for, not the work: the
    // section is read once, and only the numbered keys it holds are looked
    // at (a file of a few bytes may announce any count).
    pls_section keys;
    if (ok) read_pls_section(file, keys);
    const std::wstring folder = folder_of(file);
    for (const auto& numbered : keys.files) {
        if (numbered.first > count) break;
        if (numbered.second.empty()) continue;
        auto title = keys.titles.find(numbered.first);
        add_found(found, resolve_relative_path(folder, numbered.second),
                  title == keys.titles.end() ? std::wstring() : title->second);
    }
    // Drop the platform's cached copy of the file, so that a later file of
    // the same name is read afresh.
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, file);
    return ok;
}
