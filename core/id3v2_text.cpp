#include "id3v2_text.h"

#include <windows.h>

#include <climits>

#include "tag_genre.h"
#include "utf.h"

namespace id3v2_text {

namespace {

// ANSI text up to its first NUL byte; a lead byte of a double-byte character
// whose second byte is missing is dropped.
std::wstring decode_ansi(const unsigned char* p, size_t n) {
    size_t length = 0;
    while (length < n && p[length] != 0)
        ++length;
    size_t i = 0;
    while (i < length) {
        if (IsDBCSLeadByte(p[i])) {
            if (i + 1 >= length) {
                length = i;
                break;
            }
            i += 2;
        } else {
            ++i;
        }
    }
    if (length == 0)
        return std::wstring();
    const std::string bytes(reinterpret_cast<const char*>(p), length);
    return std::wstring(utf::ansi_to_utf16(bytes.c_str()).wvalue());
}

std::wstring decode_utf16(const unsigned char* p, size_t n, bool big_endian) {
    std::wstring out;
    for (size_t i = 0; i + 1 < n; i += 2) {
        const wchar_t unit = big_endian ? static_cast<wchar_t>(p[i] << 8 | p[i + 1])
                                        : static_cast<wchar_t>(p[i + 1] << 8 | p[i]);
        if (unit == 0)
            break;
        out += unit;
    }
    return out;
}

std::wstring decode_utf8(const unsigned char* p, size_t n) {
    size_t length = 0;
    while (length < n && p[length] != 0)
        ++length;
    if (length == 0)
        return std::wstring();
    const std::string bytes(reinterpret_cast<const char*>(p), length);
    return std::wstring(utf::utf8_to_utf16(bytes.c_str()).wvalue());
}

// The number at the start of text as atoi reads it; 0 when there is none.
long leading_number(const std::wstring& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || (text[i] >= L'\t' && text[i] <= L'\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+'))
        negative = text[i++] == L'-';
    long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        const long digit = text[i] - L'0';
        value = value > (INT_MAX - digit) / 10 ? INT_MAX : value * 10 + digit;
    }
    return negative ? -value : value;
}

}  // namespace

bool decode(int encoding, const unsigned char* p, size_t n, std::wstring& out) {
    switch (encoding) {
    case 0:
        out = decode_ansi(p, n);
        return true;
    case 1:
        // The byte-order mark says the order; text without one is taken as
        // little-endian.
        if (n >= 2 && p[0] == 0xFE && p[1] == 0xFF)
            out = decode_utf16(p + 2, n - 2, true);
        else if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE)
            out = decode_utf16(p + 2, n - 2, false);
        else
            out = decode_utf16(p, n, false);
        return true;
    case 2:
        out = decode_utf16(p, n, true);
        return true;
    case 3:
        out = decode_utf8(p, n);
        return true;
    default:
        return false;
    }
}

void split_description(int encoding, const unsigned char* p, size_t n, size_t& length, size_t& rest) {
    length = n;
    rest = n;
    if (encoding == 1 || encoding == 2) {
        for (size_t i = 0; i + 1 < n; i += 2) {
            if (p[i] == 0 && p[i + 1] == 0) {
                length = i;
                rest = i + 2;
                return;
            }
        }
        return;
    }
    for (size_t i = 0; i < n; ++i) {
        if (p[i] == 0) {
            length = i;
            rest = i + 1;
            return;
        }
    }
}

std::wstring genre(const std::wstring& tcon) {
    if (tcon.empty() || tcon[0] != L'(')
        return tcon;
    const size_t close = tcon.find(L')');
    if (close != std::wstring::npos && close + 1 < tcon.size())
        return tcon.substr(close + 1);
    const std::wstring number = close == std::wstring::npos ? tcon.substr(1) : tcon.substr(1, close - 1);
    const char* name = tag_genre::name(static_cast<int>(leading_number(number)));
    return name ? std::wstring(name, name + std::char_traits<char>::length(name)) : std::wstring();
}

std::wstring track(const std::wstring& trck) {
    const size_t slash = trck.find(L'/');
    return slash == std::wstring::npos ? trck : trck.substr(0, slash);
}

}  // namespace id3v2_text
