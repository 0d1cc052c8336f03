// Byte-level access to private-profile files (see ini_file.h).
#include "ini_file.h"
#include <windows.h>
#include <cstdio>
#include <vector>
#include "file_lock.h"
#include "utf.h"

namespace {
bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string trim(const std::string& s, size_t begin, size_t end) {
    while (begin < end && is_blank(s[begin])) ++begin;
    while (end > begin && is_blank(s[end - 1])) --end;
    return s.substr(begin, end - begin);
}

bool same_name(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

bool read_bytes(const std::wstring& path, std::string& bytes) {
    bytes.clear();
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return false;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    fclose(f);
    return true;
}

bool is_unicode_file(const std::string& bytes) {
    return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
           static_cast<unsigned char>(bytes[1]) == 0xFE;
}

// One line of the file: [begin, end) without its terminator; next is where
// the following line starts.
struct line {
    size_t begin, end, next;
};

std::vector<line> split_lines(const std::string& s) {
    std::vector<line> lines;
    size_t pos = 0;
    while (pos < s.size()) {
        size_t nl = s.find('\n', pos);
        size_t next = nl == std::string::npos ? s.size() : nl + 1;
        size_t end = nl == std::string::npos ? s.size() : nl;
        if (end > pos && s[end - 1] == '\r') --end;
        lines.push_back({pos, end, next});
        pos = next;
    }
    return lines;
}

// The name of a "[section]" line, or false when the line is no section line.
bool section_name(const std::string& s, const line& l, std::string& name) {
    std::string text = trim(s, l.begin, l.end);
    if (text.empty() || text[0] != '[') return false;
    size_t close = text.find(']');
    name = trim(text, 1, close == std::string::npos ? text.size() : close);
    return true;
}

// Where a key sits in the file.
struct location {
    bool section_found = false;
    size_t insert_at = 0;   // after the section's last non-blank line
    bool key_found = false;
    line key_line{0, 0, 0};
    size_t equals = 0;      // position of "=" in the key's line
};

location find_key(const std::string& s, const std::string& section, const std::string& key) {
    location where;
    bool inside = false;
    for (const line& l : split_lines(s)) {
        std::string name;
        if (section_name(s, l, name)) {
            if (inside) break;  // the section ended
            inside = same_name(name, section);
            if (inside) {
                where.section_found = true;
                where.insert_at = l.next;
            }
            continue;
        }
        if (!inside) continue;
        if (!trim(s, l.begin, l.end).empty()) where.insert_at = l.next;
        size_t eq = s.find('=', l.begin);
        if (eq == std::string::npos || eq >= l.end) continue;
        if (same_name(trim(s, l.begin, eq), key)) {
            where.key_found = true;
            where.key_line = l;
            where.equals = eq;
            break;
        }
    }
    return where;
}

std::string unquote(const std::string& v) {
    if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) return v.substr(1, v.size() - 2);
    return v;
}

// The value as stored: line breaks become blanks, and a value that a reader
// would unquote gets one more pair of quotes so that it reads back whole.
std::string stored_value(const std::string& value) {
    std::string v = value;
    for (char& c : v)
        if (c == '\r' || c == '\n') c = ' ';
    std::string core = trim(v, 0, v.size());
    if (core.size() >= 2 && (core[0] == '"' || core[0] == '\'') && core.back() == core[0]) v = '"' + v + '"';
    return v;
}

bool valid_name(const std::string& name, char forbidden) {
    return !name.empty() && name.find_first_of(std::string("\r\n") + forbidden) == std::string::npos;
}

bool save_bytes(const std::wstring& path, const std::string& bytes) {
    size_t slash = path.rfind(L'\\');
    if (slash != std::wstring::npos && slash > 0) CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
    const std::wstring temp = path + L".tmp";
    FILE* f = _wfopen(temp.c_str(), L"wb");
    if (!f) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = fclose(f) == 0 && ok;
    if (ok && MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    DeleteFileW(temp.c_str());
    return false;
}

std::string ansi(const std::wstring& text) { return utf::utf16_to_ansi(text.c_str()).value(); }
}  // namespace

bool ini_file::read(const std::wstring& path, const std::wstring& section, const std::wstring& key,
                    std::string& value) {
    value.clear();
    std::string bytes;
    {
        file_lock guard(path.c_str());
        if (!read_bytes(path, bytes)) return false;
    }
    if (is_unicode_file(bytes)) {
        std::vector<wchar_t> buffer(65536);
        const wchar_t marker[] = L"\x01zel-missing\x01";
        GetPrivateProfileStringW(section.c_str(), key.c_str(), marker, buffer.data(),
                                 static_cast<DWORD>(buffer.size()), path.c_str());
        if (wcscmp(buffer.data(), marker) == 0) return false;
        value = utf::utf16_to_utf8(buffer.data()).value();
        return true;
    }
    location where = find_key(bytes, ansi(section), ansi(key));
    if (!where.key_found) return false;
    value = unquote(trim(bytes, where.equals + 1, where.key_line.end));
    return true;
}

bool ini_file::write(const std::wstring& path, const std::wstring& section, const std::wstring& key,
                     const std::string& value) {
    const std::string section_a = trim(ansi(section), 0, ansi(section).size());
    const std::string key_a = trim(ansi(key), 0, ansi(key).size());
    if (!valid_name(section_a, ']') || !valid_name(key_a, '=') || key_a[0] == '[') return false;

    file_lock guard(path.c_str());
    std::string bytes;
    read_bytes(path, bytes);
    if (is_unicode_file(bytes)) {
        std::string v = stored_value(value);
        return WritePrivateProfileStringW(section.c_str(), key.c_str(), utf::utf8_to_utf16(v.c_str()).wvalue(),
                                          path.c_str()) != FALSE;
    }
    location where = find_key(bytes, section_a, key_a);
    const std::string v = stored_value(value);
    if (where.key_found) {
        std::string key_text = trim(bytes, where.key_line.begin, where.equals);
        bytes.replace(where.key_line.begin, where.key_line.end - where.key_line.begin, key_text + "=" + v);
    } else {
        std::string added = key_a + "=" + v + "\r\n";
        size_t at = where.section_found ? where.insert_at : bytes.size();
        if (!where.section_found) added = "[" + section_a + "]\r\n" + added;
        // A last line without its line break gets one before anything follows it.
        if (at > 0 && bytes[at - 1] != '\n') added = "\r\n" + added;
        bytes.insert(at, added);
    }
    return save_bytes(path, bytes);
}
