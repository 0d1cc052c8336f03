#include "utf.h"

#include <windows.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwchar>

// Conversions build their result in a scratch buffer from calloc (a failed
// allocation gives the empty result) and hand it to a stringx.

namespace {

const wchar_t kReplacement = 0xFFFD;

bool is_high_surrogate(unsigned u) { return u >= 0xD800 && u <= 0xDBFF; }
bool is_low_surrogate(unsigned u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Bytes of the UTF-8 form of the unit at w[i]; *units is set to the number of
// UTF-16 units it consumes (2 for a surrogate pair).
int utf8_width(const wchar_t* w, size_t i, size_t n, int* units) {
    const unsigned u = w[i];
    *units = 1;
    if (u < 0x80)
        return 1;
    if (u < 0x800)
        return 2;
    if (is_high_surrogate(u) && i + 1 < n && is_low_surrogate(w[i + 1])) {
        *units = 2;
        return 4;
    }
    return 3;  // other units, and lone surrogate halves as U+FFFD
}

// UTF-8 of the first n units of w, NUL-terminated, from calloc; null when the
// allocation fails.
char* encode_utf8(const wchar_t* w, size_t n) {
    size_t bytes = 0;
    int units = 0;
    for (size_t i = 0; i < n; i += units)
        bytes += utf8_width(w, i, n, &units);
    unsigned char* out = static_cast<unsigned char*>(calloc(bytes + 1, 1));
    if (!out)
        return nullptr;
    unsigned char* p = out;
    for (size_t i = 0; i < n; i += units) {
        unsigned u = w[i];
        switch (utf8_width(w, i, n, &units)) {
        case 1:
            *p++ = static_cast<unsigned char>(u);
            break;
        case 2:
            *p++ = static_cast<unsigned char>(0xC0 | (u >> 6));
            *p++ = static_cast<unsigned char>(0x80 | (u & 0x3F));
            break;
        case 3:
            if (u >= 0xD800 && u <= 0xDFFF)
                u = kReplacement;
            *p++ = static_cast<unsigned char>(0xE0 | (u >> 12));
            *p++ = static_cast<unsigned char>(0x80 | ((u >> 6) & 0x3F));
            *p++ = static_cast<unsigned char>(0x80 | (u & 0x3F));
            break;
        default: {
            const unsigned cp = 0x10000 + (((u - 0xD800) << 10) | (w[i + 1] - 0xDC00));
            *p++ = static_cast<unsigned char>(0xF0 | (cp >> 18));
            *p++ = static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F));
            *p++ = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
            *p++ = static_cast<unsigned char>(0x80 | (cp & 0x3F));
            break;
        }
        }
    }
    *p = 0;
    return reinterpret_cast<char*>(out);
}

// Decodes the sequence at p into out (0 to 2 units, the count is returned)
// and advances p past it. A sequence cut off by the terminator yields nothing
// and leaves p on the terminator.
int decode_one(const unsigned char*& p, wchar_t out[2]) {
    const unsigned lead = *p;
    if (lead < 0x80) {
        out[0] = static_cast<wchar_t>(lead);
        ++p;
        return 1;
    }
    // Stray continuation bytes count as two-byte leads, 0xF8-0xFF as
    // three-byte leads.
    const int trail = lead <= 0xDF ? 1 : lead <= 0xEF ? 2 : lead <= 0xF7 ? 3 : 2;
    unsigned c[3] = {0, 0, 0};
    for (int k = 0; k < trail; ++k) {
        if (p[1 + k] == 0) {
            p += 1 + k;
            return 0;
        }
        c[k] = p[1 + k] & 0x3F;
    }
    p += 1 + trail;
    if (trail == 1) {
        out[0] = static_cast<wchar_t>(((lead & 0x3F) << 6) | c[0]);
        return 1;
    }
    if (trail == 2) {
        out[0] = static_cast<wchar_t>(((lead & 0x0F) << 12) | (c[0] << 6) | c[1]);
        return 1;
    }
    const unsigned cp = ((lead & 0x07) << 18) | (c[0] << 12) | (c[1] << 6) | c[2];
    if (cp < 0x10000) {
        out[0] = static_cast<wchar_t>(cp);  // over-long form, taken as it is
        return 1;
    }
    if (cp > 0x10FFFF) {
        out[0] = kReplacement;
        return 1;
    }
    out[0] = static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
    out[1] = static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    return 2;
}

// UTF-16 of the UTF-8 text s, NUL-terminated, from calloc; null when the
// allocation fails.
wchar_t* decode_utf8(const char* s) {
    wchar_t units[2];
    size_t count = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(s); *p;)
        count += decode_one(p, units);
    wchar_t* out = static_cast<wchar_t*>(calloc(count + 1, sizeof(wchar_t)));
    if (!out)
        return nullptr;
    wchar_t* q = out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(s); *p;)
        q += decode_one(p, q);
    *q = 0;
    return out;
}

stringx empty_narrow() { return stringx(""); }
stringx empty_wide() { return stringx(L""); }

// Takes ownership of a scratch buffer; null gives the empty string.
stringx adopt(char* text) {
    if (!text)
        return empty_narrow();
    stringx r(text);
    free(text);
    return r;
}

stringx adopt(wchar_t* text) {
    if (!text)
        return empty_wide();
    stringx r(text);
    free(text);
    return r;
}

// Length of a text for the platform's int counts; -1 when empty or too long.
int text_length(const char* s) {
    const size_t n = s ? strlen(s) : 0;
    return n == 0 || n > INT_MAX / 4 ? -1 : static_cast<int>(n);
}

int text_length(const wchar_t* s) {
    const size_t n = s ? wcslen(s) : 0;
    return n == 0 || n > INT_MAX / 4 ? -1 : static_cast<int>(n);
}

// ANSI bytes to UTF-16 with the given flags; null when the platform cannot
// convert them or the two calls disagree.
wchar_t* ansi_to_wide(const char* text, int length, DWORD flags) {
    const int count = MultiByteToWideChar(CP_ACP, flags, text, length, nullptr, 0);
    if (count <= 0)
        return nullptr;
    wchar_t* out = static_cast<wchar_t*>(calloc(count + 1, sizeof(wchar_t)));
    if (!out)
        return nullptr;
    if (MultiByteToWideChar(CP_ACP, flags, text, length, out, count) != count) {
        free(out);
        return nullptr;
    }
    return out;
}

// UTF-16 to ANSI bytes; length -1 means up to the terminator. Null when the
// platform cannot convert or the two calls disagree.
char* wide_to_ansi(const wchar_t* text, int length, DWORD flags) {
    int count = WideCharToMultiByte(CP_ACP, flags, text, length, nullptr, 0, nullptr, nullptr);
    if (count <= 0 && flags != 0 && GetLastError() == ERROR_INVALID_FLAGS) {
        // Code pages such as UTF-8 refuse the composition flag.
        flags = 0;
        count = WideCharToMultiByte(CP_ACP, flags, text, length, nullptr, 0, nullptr, nullptr);
    }
    if (count <= 0)
        return nullptr;
    char* out = static_cast<char*>(calloc(count + 1, 1));
    if (!out)
        return nullptr;
    if (WideCharToMultiByte(CP_ACP, flags, text, length, out, count, nullptr, nullptr) != count) {
        free(out);
        return nullptr;
    }
    return out;
}

}  // namespace

stringx utf::ansi_to_utf16(const char* text) {
    const int length = text_length(text);
    return length < 0 ? empty_wide() : adopt(ansi_to_wide(text, length, 0));
}

stringx utf::utf16_to_ansi(const wchar_t* text) {
    const int length = text_length(text);
    return length < 0 ? empty_narrow() : adopt(wide_to_ansi(text, length, 0));
}

stringx utf::utf16_to_utf8(const wchar_t* text) {
    const int length = text_length(text);
    return length < 0 ? empty_narrow() : adopt(encode_utf8(text, length));
}

stringx utf::utf8_to_utf16(const char* text) {
    return text_length(text) < 0 ? empty_wide() : adopt(decode_utf8(text));
}

stringx utf::ansi_to_utf8(const char* text) {
    const int length = text_length(text);
    if (length < 0)
        return empty_narrow();
    wchar_t* wide = ansi_to_wide(text, length, MB_PRECOMPOSED);
    if (!wide)
        return empty_narrow();
    char* out = encode_utf8(wide, wcslen(wide));
    free(wide);
    return adopt(out);
}

// The ANSI code page, like every other conversion here: the console's code
// page may differ from it (or be UTF-8), which would give wrong or empty text.
stringx utf::utf8_to_ansi(const char* text) {
    if (text_length(text) < 0)
        return empty_narrow();
    wchar_t* wide = decode_utf8(text);
    if (!wide || !*wide) {
        free(wide);
        return empty_narrow();
    }
    char* out = wide_to_ansi(wide, -1, WC_COMPOSITECHECK);
    free(wide);
    return adopt(out);
}
