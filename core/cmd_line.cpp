#include "cmd_line.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {

// The white space of the C library's isspace, and nothing beyond it.
bool is_space(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

}  // namespace

cmd_line::cmd_line() { assign(GetCommandLineW()); }

cmd_line::cmd_line(const wchar_t* text) { assign(text); }

cmd_line::cmd_line(const cmd_line& other) : cmd_line(static_cast<const wchar_t*>(nullptr)) {
    *this = other;
}

// The copy gets its own buffer with the same content (terminators included)
// and arguments pointing into it at the same offsets.
cmd_line& cmd_line::operator=(const cmd_line& other) {
    if (this == &other)
        return *this;
    free(buffer);
    buffer = nullptr;
    arguments.clear();
    if (!other.buffer)
        return *this;
    // The parsed buffer holds terminators; its size is known from the last
    // argument, which ends at the original text's end or at a terminator.
    size_t size = 1;
    if (!other.arguments.empty()) {
        const wchar_t* last = other.arguments.back();
        size = static_cast<size_t>(last - other.buffer) + wcslen(last) + 1;
    }
    buffer = static_cast<wchar_t*>(malloc(size * sizeof(wchar_t)));
    if (!buffer)
        return *this;
    memcpy(buffer, other.buffer, size * sizeof(wchar_t));
    for (wchar_t* a : other.arguments)
        arguments.push_back(buffer + (a - other.buffer));
    return *this;
}

cmd_line::~cmd_line() { free(buffer); }

void cmd_line::assign(const wchar_t* text) {
    buffer = _wcsdup(text ? text : L"");
    if (buffer)
        parse_cmd_line();
}

void cmd_line::parse_cmd_line() {
    wchar_t* p = buffer;
    while (*p) {
        while (is_space(*p))
            ++p;
        const bool quoted = *p == L'"';
        if (quoted)
            ++p;
        arguments.push_back(p);  // also at the end: an empty last argument
        wchar_t* end = p;
        if (quoted) {
            while (*end && !(*end == L'"' && (end[1] == 0 || is_space(end[1]))))
                ++end;
            if (!*end) {
                p = end;
            } else {
                // Past the closing quote and the one white-space character
                // after it.
                const bool at_end = end[1] == 0;
                *end = 0;
                p = at_end ? end + 1 : end + 2;
            }
        } else {
            while (*end && !is_space(*end))
                ++end;
            if (*end) {
                *end = 0;
                p = end + 1;
            } else {
                p = end;
            }
        }
    }
}
