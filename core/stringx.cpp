#include "stringx.h"

#include <ctype.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>
#include <wctype.h>

#include <type_traits>

// Implementation notes
//
// Every buffer comes from malloc and goes back with free: the buffers are
// handed across module boundaries and all modules share msvcrt's heap.
//
// The algorithms are written once for both widths (ops<char>, ops<wchar_t>)
// and the members pick the width from the encoding flag: ASCII selects the
// narrow buffer, every other flag the wide one. Only length() reports 0 for
// an unknown flag, and get_buffer/release_buffer do nothing for one. Inside
// the algorithms lengths are measured on the buffer being worked on, so no
// operation reads past a terminator whatever the flag says.
//
// Results are built first and the old buffer freed afterwards, which makes
// self-assignment, self-append and a string's own buffer as argument safe.

const int stringx::ASCII;
const int stringx::UNI_CODE;

namespace {

// Formatted text is cut to this many characters.
const int kFormatLimit = 8096;

inline int text_len(const char* s) { return static_cast<int>(strlen(s)); }
inline int text_len(const wchar_t* s) { return static_cast<int>(wcslen(s)); }

template <typename C>
C* dup_text(const C* s, int n) {
    C* r = static_cast<C*>(malloc((n + 1) * sizeof(C)));
    if (n > 0)
        memcpy(r, s, n * sizeof(C));
    r[n] = 0;
    return r;
}

template <typename C>
C* dup_text(const C* s) {
    return dup_text(s, s ? text_len(s) : 0);
}

// Replaces an owned buffer by a copy of text; text may point into it.
template <typename C>
void set_text(C*& buffer, const C* text, int n) {
    C* copy = dup_text(text, n);
    free(buffer);
    buffer = copy;
}

template <typename C>
void set_text(C*& buffer, const C* text) {
    set_text(buffer, text, text ? text_len(text) : 0);
}

// msvcrt's toupper/tolower take an unsigned char value (or EOF): bytes of
// 0x80 and above must not be passed sign-extended.
inline char to_upper(char c) { return static_cast<char>(toupper(static_cast<unsigned char>(c))); }
inline char to_lower(char c) { return static_cast<char>(tolower(static_cast<unsigned char>(c))); }
inline bool is_lower(char c) { return islower(static_cast<unsigned char>(c)) != 0; }
inline wchar_t to_upper(wchar_t c) { return static_cast<wchar_t>(towupper(c)); }
inline wchar_t to_lower(wchar_t c) { return static_cast<wchar_t>(towlower(c)); }
inline bool is_lower(wchar_t c) { return iswlower(c) != 0; }

template <typename C>
bool is_blank(C c) {
    return c == ' ' || c == '\t';
}

template <typename C>
bool same_units(const C* a, const C* b, int n) {
    return memcmp(a, b, n * sizeof(C)) == 0;
}

}  // namespace

struct stringx::ops {
    template <typename C>
    static C*& buf(stringx& s) {
        if constexpr (std::is_same_v<C, char>)
            return s.m_value;
        else
            return s.m_wvalue;
    }

    template <typename C>
    static const C* buf(const stringx& s) {
        if constexpr (std::is_same_v<C, char>)
            return s.m_value;
        else
            return s.m_wvalue;
    }

    // A new string of the given encoding whose buffer of width C holds a
    // copy of n characters of text; the other buffer is empty.
    template <typename C>
    static stringx make(int encoding, const C* text, int n) {
        stringx r;
        set_text(buf<C>(r), text, n);
        r.m_encoding = encoding;
        return r;
    }

    // A new string that takes over an already built buffer.
    template <typename C>
    static stringx adopt(int encoding, C* owned) {
        stringx r;
        free(buf<C>(r));
        buf<C>(r) = owned;
        r.m_encoding = encoding;
        return r;
    }

    // Range rule of the range constructors; s is freshly built.
    template <typename C>
    static void init_range(stringx& s, const C* text, int start, int end) {
        if (!text)
            return;
        const int n = text_len(text);
        if (end >= n)
            end = n;
        if (start > end)
            start = 0;
        if (start < 0)  // not covered by the rule above; keep the read inside
            start = 0;
        const int count = end == n ? end - start : end - start + 1;
        if (count > 0)
            set_text(buf<C>(s), text + start, count);
    }

    template <typename C>
    static int index_of(const C* b, C c, int from) {
        const int n = text_len(b);
        if (from < 0 || from >= n)
            return -1;
        for (int i = from; i < n; ++i)
            if (b[i] == c)
                return i;
        return -1;
    }

    template <typename C>
    static int last_index_of(const C* b, C c, int stop) {
        const int n = text_len(b);
        if (stop < 0 || stop > n)
            return -1;
        for (int i = n - 1; i >= stop; --i)
            if (b[i] == c)
                return i;
        return -1;
    }

    template <typename C>
    static int index_of(const C* b, const C* t, int from) {
        const int n = text_len(b);
        const int m = text_len(t);
        if (from < 0 || from >= n || m > n || m == 0)
            return -1;
        for (int i = from; i < n; ++i)
            if (b[i] == t[0] && n - i >= m && same_units(b + i, t, m))
                return i;
        return -1;
    }

    template <typename C>
    static int last_index_of(const C* b, const C* t, int stop) {
        const int n = text_len(b);
        const int m = text_len(t);
        if (stop < 0 || stop >= n || m > n || m == 0)
            return -1;
        for (int i = n - 1; i >= stop; --i)
            if (n - i >= m && same_units(b + i, t, m))
                return i;
        return -1;
    }

    // Narrow and wide strings disagree on an empty or reversed range: the
    // narrow form gives the whole string for start >= end, the wide form only
    // for start >= length and an empty text otherwise. Callers rely on both
    // (left(0), mid(i, 0)), so the difference stays.
    template <typename C>
    static stringx substring(const stringx& s, int start, int end) {
        const C* b = buf<C>(s);
        const int n = text_len(b);
        if (end > n || start < 0)
            return s;
        if constexpr (std::is_same_v<C, char>) {
            if (start >= end)
                return s;
        } else {
            if (start >= n)
                return s;
            if (end <= start)
                return make<C>(s.m_encoding, b, 0);
        }
        return make<C>(s.m_encoding, b + start, end - start);
    }

    template <typename C>
    static stringx insert(const stringx& s, const C* t, int pos) {
        const C* b = buf<C>(s);
        const int n = text_len(b);
        const int m = text_len(t);
        pos = pos < 0 ? 0 : pos > n ? n : pos;
        C* r = static_cast<C*>(malloc((n + m + 1) * sizeof(C)));
        memcpy(r, b, pos * sizeof(C));
        memcpy(r + pos, t, m * sizeof(C));
        memcpy(r + pos + m, b + pos, (n - pos) * sizeof(C));
        r[n + m] = 0;
        return adopt(s.m_encoding, r);
    }

    template <typename C>
    static stringx overwrite(const stringx& s, const C* t, int pos) {
        const C* b = buf<C>(s);
        const int n = text_len(b);
        const int m = text_len(t);
        pos = pos < 0 ? 0 : pos > n ? n : pos;
        const int total = pos + m > n ? pos + m : n;
        C* r = static_cast<C*>(malloc((total + 1) * sizeof(C)));
        memcpy(r, b, n * sizeof(C));
        memcpy(r + pos, t, m * sizeof(C));
        r[total] = 0;
        return adopt(s.m_encoding, r);
    }

    template <typename C>
    static stringx replace_all(const stringx& s, const C* from, const C* to, int encoding) {
        const C* b = buf<C>(s);
        if (!from || !to || !*from || !*b)
            return s;
        const int n = text_len(b);
        const int fn = text_len(from);
        const int tn = text_len(to);
        int hits = 0;
        for (int i = 0; i + fn <= n;) {
            if (same_units(b + i, from, fn)) {
                ++hits;
                i += fn;
            } else {
                ++i;
            }
        }
        const int total = n + hits * (tn - fn);
        C* r = static_cast<C*>(malloc((total + 1) * sizeof(C)));
        int o = 0;
        for (int i = 0; i < n;) {
            if (i + fn <= n && same_units(b + i, from, fn)) {
                memcpy(r + o, to, tn * sizeof(C));
                o += tn;
                i += fn;
            } else {
                r[o++] = b[i++];
            }
        }
        r[o] = 0;
        return adopt(encoding, r);
    }

    template <typename C>
    static stringx remove(const stringx& s, int start, int end) {
        const C* b = buf<C>(s);
        const int n = text_len(b);
        if (start < 0 || end >= n || end < start)
            return s;
        C* r = static_cast<C*>(malloc((n - (end - start + 1) + 1) * sizeof(C)));
        memcpy(r, b, start * sizeof(C));
        memcpy(r + start, b + end + 1, (n - end - 1) * sizeof(C));
        r[n - (end - start + 1)] = 0;
        return adopt(s.m_encoding, r);
    }

    // Applies f(character, predecessor in the source or 0) to every character.
    template <typename C, typename F>
    static stringx map(const stringx& s, F f) {
        const C* b = buf<C>(s);
        const int n = text_len(b);
        C* r = static_cast<C*>(malloc((n + 1) * sizeof(C)));
        for (int i = 0; i < n; ++i)
            r[i] = f(b[i], i > 0 ? b[i - 1] : C(0), i);
        r[n] = 0;
        return adopt(s.m_encoding, r);
    }

    template <typename C>
    static stringx trim(const stringx& s, bool left, bool right) {
        const C* b = buf<C>(s);
        int first = 0;
        int last = text_len(b);
        if (right)
            while (last > 0 && is_blank(b[last - 1]))
                --last;
        if (left)
            while (first < last && is_blank(b[first]))
                ++first;
        return make<C>(s.m_encoding, b + first, last - first);
    }

    template <typename C>
    static void append(stringx& s, const C* t) {
        C*& b = buf<C>(s);
        const int n = text_len(b);
        const int m = text_len(t);
        C* r = static_cast<C*>(malloc((n + m + 1) * sizeof(C)));
        memcpy(r, b, n * sizeof(C));
        memcpy(r + n, t, m * sizeof(C));
        r[n + m] = 0;
        free(b);
        b = r;
    }

    template <typename C>
    static C* get_buffer(stringx& s, int size) {
        C*& b = buf<C>(s);
        const int n = text_len(b);
        if (size == 0)
            size = n;
        if (size < n)
            return nullptr;
        C* r = static_cast<C*>(calloc(size + 1, sizeof(C)));
        memcpy(r, b, n * sizeof(C));
        free(b);
        b = r;
        return r;
    }

    template <typename C>
    static void release_buffer(stringx& s, int length) {
        C*& b = buf<C>(s);
        const int n = text_len(b);
        if (length == -1)
            length = n;
        if (length < 0 || length > n)
            return;
        C* r = static_cast<C*>(realloc(b, (length + 1) * sizeof(C)));
        r[length] = 0;
        b = r;
    }

    template <typename C>
    static bool equal(const C* a, const C* b, bool ignore_case) {
        const int n = text_len(a);
        if (n != text_len(b))
            return false;
        for (int i = 0; i < n; ++i) {
            if (ignore_case ? to_lower(a[i]) != to_lower(b[i]) : a[i] != b[i])
                return false;
        }
        return true;
    }

    // Ordinal comparison on unsigned units; a proper prefix sorts first.
    template <typename C>
    static int compare(const C* a, const C* b) {
        using U = std::make_unsigned_t<C>;
        for (;; ++a, ++b) {
            const U x = static_cast<U>(*a);
            const U y = static_cast<U>(*b);
            if (x != y)
                return x < y ? -1 : 1;
            if (x == 0)
                return 0;
        }
    }

    template <typename C>
    static bool affix(const stringx& s, const stringx& a, bool at_end, bool ignore_case) {
        const int n = text_len(buf<C>(s));
        const int m = text_len(buf<C>(a));
        if (m > n)
            return false;
        // The comparison goes through substring on purpose: its whole-string
        // fallback is what an empty affix meets.
        const stringx part = at_end ? s.substring(n - m, n) : s.substring(0, m);
        return ignore_case ? part.equals_ignore_case(a) : part.equals(a);
    }
};

// Construction and assignment -------------------------------------------------

stringx::stringx()
    : m_value(dup_text<char>(nullptr)), m_wvalue(dup_text<wchar_t>(nullptr)), m_encoding(UNI_CODE) {}

stringx::stringx(const char* text) : stringx() {
    set_text(m_value, text);
    m_encoding = ASCII;
}

stringx::stringx(const wchar_t* text) : stringx() {
    set_text(m_wvalue, text);
}

stringx::stringx(const stringx& other) : stringx() {
    m_encoding = other.m_encoding;
    if (m_encoding == ASCII)
        set_text(m_value, other.m_value);
    else
        set_text(m_wvalue, other.m_wvalue);
}

stringx::stringx(const stringx& source, int start, int end) : stringx() {
    m_encoding = source.m_encoding;
    if (m_encoding == ASCII)
        ops::init_range(*this, source.m_value, start, end);
    else
        ops::init_range(*this, source.m_wvalue, start, end);
}

stringx::stringx(const char* text, int start, int end) : stringx() {
    m_encoding = ASCII;
    ops::init_range(*this, text, start, end);
}

stringx::stringx(const wchar_t* text, int start, int end) : stringx() {
    ops::init_range(*this, text, start, end);
}

stringx::~stringx() {
    free(m_value);
    free(m_wvalue);
}

stringx& stringx::operator=(const stringx& other) {
    if (other.m_encoding == ASCII)
        set_text(m_value, other.m_value);
    else
        set_text(m_wvalue, other.m_wvalue);
    m_encoding = other.m_encoding;
    return *this;
}

stringx& stringx::operator=(const char* text) {
    set_text(m_value, text);
    m_encoding = ASCII;
    return *this;
}

stringx& stringx::operator=(const wchar_t* text) {
    set_text(m_wvalue, text);
    m_encoding = UNI_CODE;
    return *this;
}

void stringx::empty() {
    *this = stringx();
}

// Access ----------------------------------------------------------------------

const char* stringx::value() const { return m_value; }
const wchar_t* stringx::wvalue() const { return m_wvalue; }
stringx::operator const char*() const { return m_value; }
stringx::operator char*() { return m_value; }
stringx::operator const wchar_t*() const { return m_wvalue; }
stringx::operator wchar_t*() { return m_wvalue; }

int stringx::encoding() const { return m_encoding; }
void stringx::set_encoding(int encoding) { m_encoding = encoding; }

int stringx::length() const {
    if (m_encoding == ASCII)
        return text_len(m_value);
    if (m_encoding == UNI_CODE)
        return text_len(m_wvalue);
    return 0;
}

char stringx::char_at(int index) const { return m_value[index]; }
wchar_t stringx::wchar_at(int index) const { return m_wvalue[index]; }

// Search ----------------------------------------------------------------------

int stringx::indexof(char c) const { return indexof(c, 0); }
int stringx::indexof(char c, int from) const { return ops::index_of(m_value, c, from); }
int stringx::indexof(wchar_t c) const { return indexof(c, 0); }
int stringx::indexof(wchar_t c, int from) const { return ops::index_of(m_wvalue, c, from); }
int stringx::indexof(const stringx& text) const { return indexof(text, 0); }

int stringx::indexof(const stringx& text, int from) const {
    if (m_encoding == ASCII)
        return ops::index_of(m_value, text.m_value, from);
    return ops::index_of(m_wvalue, text.m_wvalue, from);
}

int stringx::last_indexof(char c) const { return last_indexof(c, 0); }
int stringx::last_indexof(char c, int stop) const { return ops::last_index_of(m_value, c, stop); }
int stringx::last_indexof(wchar_t c) const { return last_indexof(c, 0); }
int stringx::last_indexof(wchar_t c, int stop) const { return ops::last_index_of(m_wvalue, c, stop); }
int stringx::last_indexof(const stringx& text) const { return last_indexof(text, 0); }

int stringx::last_indexof(const stringx& text, int stop) const {
    if (m_encoding == ASCII)
        return ops::last_index_of(m_value, text.m_value, stop);
    return ops::last_index_of(m_wvalue, text.m_wvalue, stop);
}

// Substrings ------------------------------------------------------------------

stringx stringx::substring(int start, int end) const {
    if (m_encoding == ASCII)
        return ops::substring<char>(*this, start, end);
    return ops::substring<wchar_t>(*this, start, end);
}

stringx stringx::substring(int start) const { return substring(start, length()); }
stringx stringx::left(int n) const { return substring(0, n); }

stringx stringx::right(int n) const {
    const int len = length();
    return substring(len - n, len);
}

stringx stringx::mid(int start, int count) const { return substring(start, start + count); }
stringx stringx::mid(int start) const { return mid(start, length() - start); }

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

// Numbers ---------------------------------------------------------------------

int stringx::toint() const {
    return m_encoding == ASCII ? atoi(m_value) : _wtoi(m_wvalue);
}

long stringx::tolong() const {
    return m_encoding == ASCII ? atol(m_value) : _wtol(m_wvalue);
}

float stringx::tofloat() const {
    return static_cast<float>(m_encoding == ASCII ? atof(m_value) : wcstod(m_wvalue, nullptr));
}

double stringx::todouble() const {
    return m_encoding == ASCII ? strtod(m_value, nullptr) : wcstod(m_wvalue, nullptr);
}

// Comparison ------------------------------------------------------------------

bool stringx::equals(const stringx& other) const {
    if (m_encoding == ASCII)
        return ops::equal(m_value, other.m_value, false);
    return ops::equal(m_wvalue, other.m_wvalue, false);
}

bool stringx::equals_ignore_case(const stringx& other) const {
    if (m_encoding == ASCII)
        return ops::equal(m_value, other.m_value, true);
    return ops::equal(m_wvalue, other.m_wvalue, true);
}

// An empty affix is compared with substring's whole-string result, so it
// only matches an empty string, except a prefix of a UNI_CODE string, whose
// substring(0, 0) is empty.
bool stringx::starts_with(const stringx& prefix, bool ignore_case) const {
    if (m_encoding == ASCII)
        return ops::affix<char>(*this, prefix, false, ignore_case);
    return ops::affix<wchar_t>(*this, prefix, false, ignore_case);
}

bool stringx::ends_with(const stringx& suffix, bool ignore_case) const {
    if (m_encoding == ASCII)
        return ops::affix<char>(*this, suffix, true, ignore_case);
    return ops::affix<wchar_t>(*this, suffix, true, ignore_case);
}

bool stringx::operator==(const stringx& other) const { return equals(other); }

bool stringx::operator==(const char* text) const {
    return m_encoding == ASCII && text && strcmp(m_value, text) == 0;
}

bool stringx::operator==(const wchar_t* text) const {
    return m_encoding == UNI_CODE && text && wcscmp(m_wvalue, text) == 0;
}

bool stringx::operator<(const stringx& other) const {
    if (m_encoding == ASCII)
        return ops::compare(m_value, other.m_value) < 0;
    return ops::compare(m_wvalue, other.m_wvalue) < 0;
}

bool stringx::operator>(const stringx& other) const {
    if (m_encoding == ASCII)
        return ops::compare(m_value, other.m_value) > 0;
    return ops::compare(m_wvalue, other.m_wvalue) > 0;
}
