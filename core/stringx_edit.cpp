// stringx: the editing operations that return a new string, and the
// in-place changes (append, format, the caller-filled buffer).
#include "stringx_ops.h"

// Editing ---------------------------------------------------------------------

// insert and the positional replace clamp a position outside 0..length to
// the nearest end: callers are expected to pass a valid one, and clamping
// keeps every copy inside the buffers when they do not.
stringx stringx::insert(const stringx& text, int pos) const {
    if (m_encoding == ASCII)
        return ops::insert(*this, text.m_value, pos);
    return ops::insert(*this, text.m_wvalue, pos);
}

stringx stringx::replace(const stringx& text, int pos) const {
    if (m_encoding == ASCII)
        return ops::overwrite(*this, text.m_value, pos);
    return ops::overwrite(*this, text.m_wvalue, pos);
}

// The two-text forms work on the buffer of their own width and say so in the
// result's encoding; "this string is empty" means that buffer is empty.
stringx stringx::replace(const char* from, const char* to) const {
    return ops::replace_all(*this, from, to, ASCII);
}

stringx stringx::replace(const wchar_t* from, const wchar_t* to) const {
    return ops::replace_all(*this, from, to, UNI_CODE);
}

stringx stringx::remove(int start, int end) const {
    if (m_encoding == ASCII)
        return ops::remove<char>(*this, start, end);
    return ops::remove<wchar_t>(*this, start, end);
}

stringx stringx::reverse() const {
    if (m_encoding == ASCII) {
        const int n = text_len(m_value);
        return ops::map<char>(*this, [this, n](char, char, int i) { return m_value[n - 1 - i]; });
    }
    const int n = text_len(m_wvalue);
    return ops::map<wchar_t>(*this, [this, n](wchar_t, wchar_t, int i) { return m_wvalue[n - 1 - i]; });
}

stringx stringx::ltrim() const {
    return m_encoding == ASCII ? ops::trim<char>(*this, true, false) : ops::trim<wchar_t>(*this, true, false);
}

stringx stringx::rtrim() const {
    return m_encoding == ASCII ? ops::trim<char>(*this, false, true) : ops::trim<wchar_t>(*this, false, true);
}

// rtrim followed by ltrim, in one copy.
stringx stringx::trim() const {
    return m_encoding == ASCII ? ops::trim<char>(*this, true, true) : ops::trim<wchar_t>(*this, true, true);
}

stringx stringx::upper() const {
    const auto f = [](auto c, auto, int) { return to_upper(c); };
    return m_encoding == ASCII ? ops::map<char>(*this, f) : ops::map<wchar_t>(*this, f);
}

stringx stringx::lower() const {
    const auto f = [](auto c, auto, int) { return to_lower(c); };
    return m_encoding == ASCII ? ops::map<char>(*this, f) : ops::map<wchar_t>(*this, f);
}

// The predecessor is taken from the unconverted text, so "a..b" gives "A..B".
stringx stringx::capitalize() const {
    const auto f = [](auto c, auto prev, int i) {
        return i == 0 || prev == ' ' || prev == '.' ? to_upper(c) : to_lower(c);
    };
    return m_encoding == ASCII ? ops::map<char>(*this, f) : ops::map<wchar_t>(*this, f);
}

stringx stringx::invert() const {
    const auto f = [](auto c, auto, int) { return is_lower(c) ? to_upper(c) : to_lower(c); };
    return m_encoding == ASCII ? ops::map<char>(*this, f) : ops::map<wchar_t>(*this, f);
}

// In-place changes ------------------------------------------------------------

void stringx::concat(const stringx& other) {
    if (m_encoding == ASCII)
        ops::append(*this, other.m_value);
    else
        ops::append(*this, other.m_wvalue);
}

stringx stringx::operator+=(const stringx& other) {
    concat(other);
    return *this;
}

stringx stringx::operator+(const stringx& other) const {
    stringx r(*this);
    r.concat(other);
    return r;
}

// msvcrt's _vsnprintf/_vsnwprintf are used directly: MinGW's C++ headers
// route the standard names to MinGW's own printf, in which a wide %s takes a
// narrow string. They get the buffer size minus one and the buffer is
// terminated here, because on truncation they return -1 without a
// terminator. The buffer starts zeroed so that an output that stops early
// on a conversion error is still terminated where it stopped.
void stringx::format(const char* fmt, ...) {
    char out[kFormatLimit + 1] = {};
    if (fmt) {
        va_list args;
        va_start(args, fmt);
        _vsnprintf(out, kFormatLimit, fmt, args);
        va_end(args);
    }
    out[kFormatLimit] = 0;
    set_text(m_value, out);
    m_encoding = ASCII;
}

void stringx::format(const wchar_t* fmt, ...) {
    wchar_t out[kFormatLimit + 1] = {};
    if (fmt) {
        va_list args;
        va_start(args, fmt);
        _vsnwprintf(out, kFormatLimit, fmt, args);
        va_end(args);
    }
    out[kFormatLimit] = 0;
    set_text(m_wvalue, out);
    m_encoding = UNI_CODE;
}

void* stringx::get_buffer(int size) {
    if (m_encoding == ASCII)
        return ops::get_buffer<char>(*this, size);
    if (m_encoding == UNI_CODE)
        return ops::get_buffer<wchar_t>(*this, size);
    return nullptr;
}

void stringx::release_buffer(int length) {
    if (m_encoding == ASCII)
        ops::release_buffer<char>(*this, length);
    else if (m_encoding == UNI_CODE)
        ops::release_buffer<wchar_t>(*this, length);
}
