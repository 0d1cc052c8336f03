#pragma once
// The width-generic algorithms behind stringx (stringx::ops) and the
// helpers they share; included by the stringx sources only.
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
