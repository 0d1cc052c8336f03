// Encoding of settings names into element names that every XML engine
// accepts and loads back (see xml_name.h).
#include "xml_name.h"
#include <cwchar>

namespace {
bool in(wchar_t c, wchar_t lo, wchar_t hi) { return c >= lo && c <= hi; }

bool is_letter(wchar_t c) {
    return in(c, L'A', L'Z') || in(c, L'a', L'z') || c == L'_' || in(c, 0xC0, 0xD6) || in(c, 0xD8, 0xF6) ||
           in(c, 0xF8, 0xFF) || in(c, 0xAC00, 0xD7A3) || in(c, 0x4E00, 0x9FA5) || in(c, 0x3041, 0x3094) ||
           in(c, 0x30A1, 0x30FA);
}

bool is_name_char(wchar_t c) { return is_letter(c) || in(c, L'0', L'9') || c == L'-' || c == L'.'; }

bool is_hex(wchar_t c) { return in(c, L'0', L'9') || in(c, L'A', L'F') || in(c, L'a', L'f'); }

// "_x" (either case) with four hex digits and "_" at position i.
bool looks_like_escape(const std::wstring& s, size_t i) {
    if (i + 7 > s.size() || s[i] != L'_' || (s[i + 1] != L'x' && s[i + 1] != L'X') || s[i + 6] != L'_')
        return false;
    for (size_t k = i + 2; k < i + 6; ++k)
        if (!is_hex(s[k])) return false;
    return true;
}

void append_escape(std::wstring& out, wchar_t c) {
    wchar_t buffer[8];
    _snwprintf(buffer, 7, L"_x%04X_", static_cast<unsigned>(c));
    buffer[7] = L'\0';
    out += buffer;
}
}  // namespace

std::wstring encode_xml_name(const std::wstring& name) {
    std::wstring out;
    out.reserve(name.size());
    for (size_t i = 0; i < name.size(); ++i) {
        const wchar_t c = name[i];
        const bool allowed = i == 0 ? is_letter(c) : is_name_char(c);
        if (!allowed || looks_like_escape(name, i))
            append_escape(out, c);
        else
            out += c;
    }
    return out;
}
