#include "stringx.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

namespace {

const int kEncodings[] = {stringx::ASCII, stringx::UNI_CODE};

const char* encoding_name(int encoding) {
    return encoding == stringx::ASCII ? "ASCII" : "UNI_CODE";
}

std::wstring widen(const char* ascii) {
    std::wstring w;
    for (const char* p = ascii; *p; ++p)
        w += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return w;
}

// A string of the given encoding holding the (ASCII) text.
stringx make(int encoding, const char* text) {
    if (encoding == stringx::ASCII)
        return stringx(text);
    return stringx(widen(text).c_str());
}

std::string narrow(const wchar_t* w) {
    std::string s;
    for (; *w; ++w) {
        if (*w < 0x80) {
            s += static_cast<char>(*w);
        } else {
            char hex[16];
            std::snprintf(hex, sizeof hex, "\\u%04X", static_cast<unsigned>(*w));
            s += hex;
        }
    }
    return s;
}

// The value of the buffer selected by the encoding, as ASCII for messages.
std::string text(const stringx& s) {
    return s.encoding() == stringx::ASCII ? std::string(s.value()) : narrow(s.wvalue());
}

// Checks encoding and value of a result.
void expect_string(const stringx& s, int encoding, const std::string& expected) {
    EXPECT_EQ(encoding, s.encoding());
    EXPECT_EQ(expected, text(s));
    EXPECT_EQ(static_cast<int>(expected.size()), s.length());
}

}  // namespace

// Construction, assignment and the two buffers --------------------------------

TEST(stringx, constructors_set_encoding_and_keep_both_buffers) {
    struct Case {
        const char* name;
        std::function<stringx()> build;
        int encoding;
        const char* expected;
    };
    const Case cases[] = {
        {"default", [] { return stringx(); }, stringx::UNI_CODE, ""},
        {"narrow", [] { return stringx("abc"); }, stringx::ASCII, "abc"},
        {"wide", [] { return stringx(L"abc"); }, stringx::UNI_CODE, "abc"},
        {"null narrow", [] { return stringx(static_cast<const char*>(nullptr)); }, stringx::ASCII, ""},
        {"null wide", [] { return stringx(static_cast<const wchar_t*>(nullptr)); }, stringx::UNI_CODE, ""},
        {"copy of narrow", [] { stringx s("abc"); return stringx(s); }, stringx::ASCII, "abc"},
        {"copy of wide", [] { stringx s(L"abc"); return stringx(s); }, stringx::UNI_CODE, "abc"},
        {"null narrow range", [] { return stringx(static_cast<const char*>(nullptr), 0, 3); }, stringx::ASCII, ""},
        {"null wide range", [] { return stringx(static_cast<const wchar_t*>(nullptr), 0, 3); }, stringx::UNI_CODE, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const stringx s = c.build();
        expect_string(s, c.encoding, c.expected);
        // Both buffers exist; a freshly built string's other buffer is empty.
        ASSERT_NE(nullptr, s.value());
        ASSERT_NE(nullptr, s.wvalue());
        if (c.encoding == stringx::ASCII)
            EXPECT_STREQ(L"", s.wvalue());
        else
            EXPECT_STREQ("", s.value());
    }
}

TEST(stringx, range_constructors_limit_end_then_reset_start) {
    struct Case {
        const char* text;
        int start, end;
        const char* expected;
    };
    const Case cases[] = {
        {"abcdef", 1, 3, "bcd"},   // inclusive end
        {"abcdef", 2, 4, "cde"},
        {"abcdef", 2, 5, "cdef"},  // last character, end below the length
        {"abcdef", 2, 6, "cdef"},  // end at the length stops at the terminator
        {"abc", 1, 10, "bc"},      // end limited to the length
        {"abc", 2, 1, "ab"},       // start beyond end becomes 0
        {"abc", 0, 0, "a"},
        {"abc", 3, 3, ""},
        {"abc", 0, -1, ""},
        {"abc", -2, 1, "ab"},      // negative start read from 0
        {"", 0, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " " + std::to_string(c.start) + ".." + std::to_string(c.end));
        expect_string(stringx(c.text, c.start, c.end), stringx::ASCII, c.expected);
        expect_string(stringx(widen(c.text).c_str(), c.start, c.end), stringx::UNI_CODE, c.expected);
        for (int enc : kEncodings) {
            SCOPED_TRACE(encoding_name(enc));
            const stringx source = make(enc, c.text);
            expect_string(stringx(source, c.start, c.end), enc, c.expected);
            expect_string(source, enc, c.text);
        }
    }
}

TEST(stringx, assignment_copies_selected_buffer_and_leaves_the_other_stale) {
    // Wide text over a narrow string: the narrow buffer still holds the old text.
    stringx s("xyz");
    s = L"abc";
    EXPECT_EQ(stringx::UNI_CODE, s.encoding());
    EXPECT_EQ(3, s.length());
    EXPECT_STREQ(L"abc", s.wvalue());
    EXPECT_STREQ("xyz", s.value());

    // set_encoding only flips the flag, so the stale text becomes the value.
    s.set_encoding(stringx::ASCII);
    EXPECT_STREQ("xyz", s.value());
    EXPECT_EQ(3, s.length());
    s.set_encoding(7);
    EXPECT_EQ(0, s.length());
    EXPECT_EQ(7, s.encoding());

    // Assigning a stringx copies only the source's selected buffer.
    stringx t(L"old");
    t = stringx("new");
    EXPECT_EQ(stringx::ASCII, t.encoding());
    EXPECT_STREQ("new", t.value());
    EXPECT_STREQ(L"old", t.wvalue());

    // A copy constructed from a string with a stale buffer does not take it.
    const stringx copy(s = L"abc");
    EXPECT_STREQ(L"abc", copy.wvalue());
    EXPECT_STREQ("", copy.value());

    // Null pointers assign an empty text of the pointer's width.
    stringx n("abc");
    n = static_cast<const wchar_t*>(nullptr);
    expect_string(n, stringx::UNI_CODE, "");
    n = static_cast<const char*>(nullptr);
    expect_string(n, stringx::ASCII, "");

    // empty() assigns a default string: UNI_CODE, empty, narrow text stale.
    stringx e("xyz");
    e.empty();
    expect_string(e, stringx::UNI_CODE, "");
    EXPECT_STREQ("xyz", e.value());
}

TEST(stringx, copies_are_deep) {
    for (int enc : kEncodings) {
        SCOPED_TRACE(encoding_name(enc));
        stringx original = make(enc, "abc");
        const stringx constructed(original);
        stringx assigned;
        assigned = original;
        // Write through the original's buffer; the copies must not see it.
        void* buffer = original.get_buffer(0);
        ASSERT_NE(nullptr, buffer);
        if (enc == stringx::ASCII)
            static_cast<char*>(buffer)[0] = 'X';
        else
            static_cast<wchar_t*>(buffer)[0] = L'X';
        expect_string(original, enc, "Xbc");
        expect_string(constructed, enc, "abc");
        expect_string(assigned, enc, "abc");
    }
}

TEST(stringx, self_assignment_own_buffer_and_self_append) {
    for (int enc : kEncodings) {
        SCOPED_TRACE(encoding_name(enc));
        stringx s = make(enc, "abc");
        stringx& alias = s;
        s = alias;
        expect_string(s, enc, "abc");

        s.concat(alias);
        expect_string(s, enc, "abcabc");

        const stringx returned = (s += alias);
        expect_string(s, enc, "abcabcabcabc");
        expect_string(returned, enc, "abcabcabcabc");

        s = s + s;
        EXPECT_EQ(24, s.length());
    }

    // Given its own buffer, or a tail of it, as text.
    stringx n("abcdef");
    n = n.value();
    expect_string(n, stringx::ASCII, "abcdef");
    n = n.value() + 2;
    expect_string(n, stringx::ASCII, "cdef");
    stringx w(L"abcdef");
    w = w.wvalue() + 3;
    expect_string(w, stringx::UNI_CODE, "def");

    n.format("%s|%s", n.value(), n.value());
    expect_string(n, stringx::ASCII, "cdef|cdef");
    w.format(L"%s%s", w.wvalue(), w.wvalue());
    expect_string(w, stringx::UNI_CODE, "defdef");
}

TEST(stringx, access_returns_the_buffers) {
    stringx s("ab");
    s = L"cd";  // narrow "ab" stays behind
    const stringx& cs = s;
    EXPECT_EQ(s.value(), static_cast<const char*>(cs));
    EXPECT_EQ(s.value(), static_cast<char*>(s));
    EXPECT_EQ(s.wvalue(), static_cast<const wchar_t*>(cs));
    EXPECT_EQ(s.wvalue(), static_cast<wchar_t*>(s));
    // char_at and wchar_at read their own buffer whatever the flag.
    EXPECT_EQ('b', s.char_at(1));
    EXPECT_EQ(L'd', s.wchar_at(1));
    EXPECT_EQ(L'\0', s.wchar_at(2));
}

// Search ----------------------------------------------------------------------

TEST(stringx, character_search) {
    struct Case {
        const char* text;
        char c;
        int from;
        int expected;
    };
    const Case forward[] = {
        {"abcabc", 'b', 0, 1}, {"abcabc", 'b', 1, 1}, {"abcabc", 'b', 2, 4},
        {"abcabc", 'b', 5, -1}, {"abcabc", 'a', -1, -1}, {"abcabc", 'a', 6, -1},
        {"abcabc", 'z', 0, -1}, {"", 'a', 0, -1},
    };
    const Case backward[] = {
        {"a.b", '.', 0, 1}, {".ab", '.', 0, 0}, {"abcabc", 'b', 0, 4},
        {"abcabc", 'b', 4, 4}, {"abcabc", 'b', 5, -1}, {"abcabc", 'a', 1, 3},
        {"abcabc", 'a', 4, -1}, {"abcabc", 'a', -1, -1}, {"abcabc", 'c', 6, -1},
        {"abcabc", 'c', 7, -1}, {"abcabc", 'z', 0, -1}, {"", 'a', 0, -1},
    };
    for (const Case& c : forward) {
        SCOPED_TRACE(std::string("indexof ") + c.text + " " + c.c + " " + std::to_string(c.from));
        const wchar_t wc = static_cast<wchar_t>(c.c);
        EXPECT_EQ(c.expected, stringx(c.text).indexof(c.c, c.from));
        EXPECT_EQ(c.expected, stringx(widen(c.text).c_str()).indexof(wc, c.from));
        if (c.from == 0) {
            EXPECT_EQ(c.expected, stringx(c.text).indexof(c.c));
            EXPECT_EQ(c.expected, stringx(widen(c.text).c_str()).indexof(wc));
        }
    }
    for (const Case& c : backward) {
        SCOPED_TRACE(std::string("last_indexof ") + c.text + " " + c.c + " " + std::to_string(c.from));
        const wchar_t wc = static_cast<wchar_t>(c.c);
        EXPECT_EQ(c.expected, stringx(c.text).last_indexof(c.c, c.from));
        EXPECT_EQ(c.expected, stringx(widen(c.text).c_str()).last_indexof(wc, c.from));
        if (c.from == 0) {
            EXPECT_EQ(c.expected, stringx(c.text).last_indexof(c.c));
            EXPECT_EQ(c.expected, stringx(widen(c.text).c_str()).last_indexof(wc));
        }
    }
}

TEST(stringx, character_search_uses_the_buffer_of_its_own_width) {
    stringx s(L"wide");
    s = "narrow";  // wide buffer keeps "wide"
    EXPECT_EQ(2, s.indexof(L'd'));
    EXPECT_EQ(-1, s.indexof('d'));
    EXPECT_EQ(1, s.indexof('a'));
    EXPECT_EQ(3, s.last_indexof(L'e'));
    EXPECT_EQ(-1, s.last_indexof('e'));
}

TEST(stringx, text_search) {
    struct Case {
        const char* text;
        const char* needle;
        int from;
        int expected;
    };
    const Case forward[] = {
        {"hello world", "o", 0, 4},
        {"hello world", "o", 5, 7},
        {"hello world", "world", 0, 6},
        {"hello world", "world", 7, -1},
        {"abc", "abc", 0, 0},
        {"abc", "c", 2, 2},
        {"aab", "ab", 0, 1},    // first-character hit that fails, then a match
        {"abcab", "ab", 1, 3},
        {"abca", "ab", 1, -1},  // candidate at the end with too few characters
        {"abc", "abcd", 0, -1}, // longer than the string
        {"abc", "", 0, -1},     // empty text
        {"", "", 0, -1},
        {"", "a", 0, -1},
        {"abc", "a", -1, -1},
        {"abc", "a", 3, -1},
        {"abc", "x", 0, -1},
    };
    const Case backward[] = {
        {"a.b", ".", 0, 1},
        {".ab", ".", 0, 0},
        {"abcabc", "bc", 0, 4},
        {"abcabc", "bc", 2, 4},
        {"abcabc", "bc", 5, -1},
        {"abcabc", "abc", 0, 3},
        {"abcabc", "abc", 4, -1},
        {"abca", "ab", 0, 0},  // the last 'a' does not leave room for "ab"
        {"abc", "abc", 0, 0},
        {"abc", "", 0, -1},
        {"", "", 0, -1},
        {"abc", "c", 3, -1},   // stop at the length
        {"abc", "a", -1, -1},
        {"ab", "abc", 0, -1},
        {"abc", "x", 0, -1},
    };
    for (int enc : kEncodings) {
        SCOPED_TRACE(encoding_name(enc));
        for (const Case& c : forward) {
            SCOPED_TRACE(std::string("indexof ") + c.text + " / " + c.needle + " " + std::to_string(c.from));
            const stringx s = make(enc, c.text);
            EXPECT_EQ(c.expected, s.indexof(make(enc, c.needle), c.from));
            if (c.from == 0) {
                EXPECT_EQ(c.expected, s.indexof(make(enc, c.needle)));
            }
        }
        for (const Case& c : backward) {
            SCOPED_TRACE(std::string("last_indexof ") + c.text + " / " + c.needle + " " + std::to_string(c.from));
            const stringx s = make(enc, c.text);
            EXPECT_EQ(c.expected, s.last_indexof(make(enc, c.needle), c.from));
            if (c.from == 0) {
                EXPECT_EQ(c.expected, s.last_indexof(make(enc, c.needle)));
            }
        }
    }
}

// Substrings ------------------------------------------------------------------

TEST(stringx, substrings_differ_between_encodings_for_empty_ranges) {
    struct Case {
        const char* name;
        std::function<stringx(const stringx&)> op;
        const char* ascii;
        const char* uni;
    };
    const Case cases[] = {
        {"substring(1, 3)", [](const stringx& s) { return s.substring(1, 3); }, "bc", "bc"},
        {"substring(0, 6)", [](const stringx& s) { return s.substring(0, 6); }, "abcdef", "abcdef"},
        {"substring(1, 99)", [](const stringx& s) { return s.substring(1, 99); }, "abcdef", "abcdef"},
        {"substring(-1, 2)", [](const stringx& s) { return s.substring(-1, 2); }, "abcdef", "abcdef"},
        {"substring(2, 2)", [](const stringx& s) { return s.substring(2, 2); }, "abcdef", ""},
        {"substring(4, 1)", [](const stringx& s) { return s.substring(4, 1); }, "abcdef", ""},
        {"substring(2, -1)", [](const stringx& s) { return s.substring(2, -1); }, "abcdef", ""},
        {"substring(6, 6)", [](const stringx& s) { return s.substring(6, 6); }, "abcdef", "abcdef"},
        {"substring(2)", [](const stringx& s) { return s.substring(2); }, "cdef", "cdef"},
        {"substring(5)", [](const stringx& s) { return s.substring(5); }, "f", "f"},
        {"substring(6)", [](const stringx& s) { return s.substring(6); }, "abcdef", "abcdef"},
        {"left(0)", [](const stringx& s) { return s.left(0); }, "abcdef", ""},
        {"left(2)", [](const stringx& s) { return s.left(2); }, "ab", "ab"},
        {"left(6)", [](const stringx& s) { return s.left(6); }, "abcdef", "abcdef"},
        {"left(7)", [](const stringx& s) { return s.left(7); }, "abcdef", "abcdef"},
        {"right(0)", [](const stringx& s) { return s.right(0); }, "abcdef", "abcdef"},
        {"right(2)", [](const stringx& s) { return s.right(2); }, "ef", "ef"},
        {"right(6)", [](const stringx& s) { return s.right(6); }, "abcdef", "abcdef"},
        {"right(7)", [](const stringx& s) { return s.right(7); }, "abcdef", "abcdef"},
        {"mid(2, 0)", [](const stringx& s) { return s.mid(2, 0); }, "abcdef", ""},
        {"mid(2, 3)", [](const stringx& s) { return s.mid(2, 3); }, "cde", "cde"},
        {"mid(2, 9)", [](const stringx& s) { return s.mid(2, 9); }, "abcdef", "abcdef"},
        {"mid(2)", [](const stringx& s) { return s.mid(2); }, "cdef", "cdef"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int enc : kEncodings) {
            SCOPED_TRACE(encoding_name(enc));
            const stringx s = make(enc, "abcdef");
            expect_string(c.op(s), enc, enc == stringx::ASCII ? c.ascii : c.uni);
            expect_string(s, enc, "abcdef");
        }
    }
    for (int enc : kEncodings) {
        SCOPED_TRACE(encoding_name(enc));
        expect_string(make(enc, "").left(0), enc, "");
        expect_string(make(enc, "").substring(0), enc, "");
    }
}

// Editing ---------------------------------------------------------------------

TEST(stringx, insert_and_overwrite_at_a_position) {
    struct Case {
        bool overwrite;
        const char* text;
        const char* added;
        int pos;
        const char* expected;
    };
    const Case cases[] = {
        {false, "abc", "XY", 1, "aXYbc"},
        {false, "abc", "XY", 3, "abcXY"},
        {false, "abc", "XY", 0, "XYabc"},
        {false, "abc", "", 1, "abc"},
        {false, "", "XY", 0, "XY"},
        {false, "abc", "XY", -2, "XYabc"},   // clamped to 0
        {false, "abc", "XY", 10, "abcXY"},   // clamped to the length
        {true, "abcd", "XY", 2, "abXY"},
        {true, "abc", "XY", 2, "abXY"},      // grows past the end
        {true, "abc", "XY", 3, "abcXY"},
        {true, "abcdef", "XY", 1, "aXYdef"},
        {true, "abc", "", 1, "abc"},
        {true, "abc", "XY", -1, "XYc"},      // clamped to 0
        {true, "abc", "XY", 10, "abcXY"},    // clamped to the length
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.overwrite ? "replace " : "insert ") + c.text + " " + c.added + " " +
                     std::to_string(c.pos));
        for (int enc : kEncodings) {
            SCOPED_TRACE(encoding_name(enc));
            const stringx s = make(enc, c.text);
            const stringx added = make(enc, c.added);
            expect_string(c.overwrite ? s.replace(added, c.pos) : s.insert(added, c.pos), enc, c.expected);
            expect_string(s, enc, c.text);
        }
    }
    // Inserting a string into itself.
    const stringx self("ab");
    expect_string(self.insert(self, 1), stringx::ASCII, "aabb");
}

TEST(stringx, replace_every_occurrence) {
    struct Case {
        const char* text;
        const char* from;  // nullptr: null pointer
        const char* to;
        const char* expected;
    };
    const Case cases[] = {
        {"aaa", "aa", "b", "ba"},  // left to right, no overlap
        {"a.b.c", ".", "::", "a::b::c"},
        {"abcabc", "bc", "", "aa"},
        {"abc", "abc", "", ""},
        {"abc", "x", "y", "abc"},
        {"abcab", "ab", "xyz", "xyzcxyz"},
        {"abc", "abcd", "x", "abc"},
        {"abc", "", "x", "abc"},
        {"abc", nullptr, "x", "abc"},
        {"abc", "a", nullptr, "abc"},
        {"", "a", "b", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " " + (c.from ? c.from : "(null)") + " -> " + (c.to ? c.to : "(null)"));
        const stringx n(c.text);
        expect_string(n.replace(c.from, c.to), stringx::ASCII, c.expected);
        const std::wstring wfrom = c.from ? widen(c.from) : std::wstring();
        const std::wstring wto = c.to ? widen(c.to) : std::wstring();
        const stringx w(widen(c.text).c_str());
        expect_string(w.replace(c.from ? wfrom.c_str() : nullptr, c.to ? wto.c_str() : nullptr), stringx::UNI_CODE,
                      c.expected);
        expect_string(n, stringx::ASCII, c.text);
    }

    // The narrow form reads the narrow buffer and gives an ASCII result even on
    // a UNI_CODE string; with nothing to read it returns an unchanged copy.
    stringx s("xyz");
    s = L"abc";
    expect_string(s.replace("y", "Y"), stringx::ASCII, "xYz");
    expect_string(stringx(L"abc").replace("a", "b"), stringx::UNI_CODE, "abc");
    expect_string(stringx("abc").replace(L"a", L"b"), stringx::ASCII, "abc");
}

TEST(stringx, remove_and_reverse) {
    struct Case {
        const char* text;
        int start, end;
        const char* expected;
    };
    const Case removals[] = {
        {"abcde", 1, 2, "ade"},
        {"abcde", 1, 5, "abcde"},  // end at the length
        {"abcde", 0, 4, ""},
        {"abcde", 2, 2, "abde"},
        {"abcde", 4, 4, "abcd"},
        {"abcde", -1, 2, "abcde"},
        {"abcde", 3, 2, "abcde"},
        {"", 0, 0, ""},
    };
    const std::pair<const char*, const char*> reversals[] = {
        {"abc", "cba"}, {"ab", "ba"}, {"a", "a"}, {"", ""},
    };
    for (int enc : kEncodings) {
        SCOPED_TRACE(encoding_name(enc));
        for (const Case& c : removals) {
            SCOPED_TRACE(std::string(c.text) + " " + std::to_string(c.start) + ".." + std::to_string(c.end));
            expect_string(make(enc, c.text).remove(c.start, c.end), enc, c.expected);
        }
        for (const auto& r : reversals) {
            SCOPED_TRACE(r.first);
            expect_string(make(enc, r.first).reverse(), enc, r.second);
        }
    }
}

TEST(stringx, trim_case_capitalize_invert) {
    struct Case {
        const char* name;
        stringx (stringx::*op)() const;
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"trim", &stringx::trim, " \t a b \t", "a b"},
        {"trim", &stringx::trim, "\r\nab \t", "\r\nab"},  // line breaks are not blanks
        {"trim", &stringx::trim, "ab\n", "ab\n"},
        {"trim", &stringx::trim, " \t \t", ""},
        {"trim", &stringx::trim, "", ""},
        {"trim", &stringx::trim, "x", "x"},
        {"ltrim", &stringx::ltrim, " \tab \t", "ab \t"},
        {"ltrim", &stringx::ltrim, " \t ", ""},
        {"rtrim", &stringx::rtrim, " \tab \t", " \tab"},
        {"rtrim", &stringx::rtrim, "\t \t", ""},
        {"upper", &stringx::upper, "aBc1.z", "ABC1.Z"},
        {"lower", &stringx::lower, "AbC1.Z", "abc1.z"},
        {"capitalize", &stringx::capitalize, "hello wORLD.x", "Hello World.X"},
        {"capitalize", &stringx::capitalize, "ab..cd  ef", "Ab..Cd  Ef"},
        {"capitalize", &stringx::capitalize, " a", " A"},
        {"capitalize", &stringx::capitalize, "a\tb-c", "A\tb-c"},  // only blank and '.'
        {"capitalize", &stringx::capitalize, "", ""},
        {"invert", &stringx::invert, "aBc1 Z.", "AbC1 z."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " \"" + c.text + "\"");
        for (int enc : kEncodings) {
            SCOPED_TRACE(encoding_name(enc));
            const stringx s = make(enc, c.text);
            expect_string((s.*c.op)(), enc, c.expected);
            expect_string(s, enc, c.text);
        }
    }
}

TEST(stringx, case_mapping_passes_high_bytes_unsigned) {
    // Bytes of 0x80 and above reach toupper/tolower as unsigned values; in the
    // C locale they come back unchanged.
    const char high[] = "\x80\xA1\xE9\xFF";
    EXPECT_STREQ(high, stringx(high).upper().value());
    EXPECT_STREQ(high, stringx(high).lower().value());
    EXPECT_STREQ(high, stringx(high).capitalize().value());
    EXPECT_STREQ(high, stringx(high).invert().value());
}

// Appending -------------------------------------------------------------------

TEST(stringx, concat_and_plus) {
    const std::pair<const char*, const char*> cases[] = {
        {"ab", "cd"}, {"", "x"}, {"x", ""}, {"", ""},
    };
    for (int enc : kEncodings) {
        SCOPED_TRACE(encoding_name(enc));
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.first) + "+" + c.second);
            const std::string joined = std::string(c.first) + c.second;
            const stringx a = make(enc, c.first);
            const stringx b = make(enc, c.second);

            const stringx sum = a + b;
            expect_string(sum, enc, joined);
            expect_string(a, enc, c.first);

            stringx appended = a;
            const stringx returned = (appended += b);
            expect_string(appended, enc, joined);
            expect_string(returned, enc, joined);

            stringx concatenated = a;
            concatenated.concat(b);
            expect_string(concatenated, enc, joined);
        }
    }
    // The other string's buffer of this string's encoding is appended.
    stringx other("cd");
    other = L"zz";  // narrow buffer keeps "cd"
    stringx n("ab");
    n.concat(other);
    expect_string(n, stringx::ASCII, "abcd");
}

// Formatting ------------------------------------------------------------------

TEST(stringx, format_follows_msvcrt_conventions) {
    struct Case {
        const char* name;
        std::function<void(stringx&)> run;
        int encoding;
        const char* expected;
    };
    const Case cases[] = {
        {"narrow %d-%s", [](stringx& s) { s.format("%d-%s", 5, "ab"); }, stringx::ASCII, "5-ab"},
        {"narrow %c", [](stringx& s) { s.format("[%c]", 'x'); }, stringx::ASCII, "[x]"},
        {"narrow %5.2f", [](stringx& s) { s.format("%5.2f", 3.14159); }, stringx::ASCII, " 3.14"},
        {"narrow %x %%", [](stringx& s) { s.format("%x %%", 255); }, stringx::ASCII, "ff %"},
        {"narrow %ls", [](stringx& s) { s.format("%ls", L"wide"); }, stringx::ASCII, "wide"},
        {"narrow empty", [](stringx& s) { s.format("%s", ""); }, stringx::ASCII, ""},
        {"wide %s takes wide", [](stringx& s) { s.format(L"%s|%d", L"wide", 7); }, stringx::UNI_CODE, "wide|7"},
        {"wide %c", [](stringx& s) { s.format(L"[%c]", L'x'); }, stringx::UNI_CODE, "[x]"},
        {"wide %hs takes narrow", [](stringx& s) { s.format(L"%hs", "narrow"); }, stringx::UNI_CODE, "narrow"},
        {"wide %-4s|", [](stringx& s) { s.format(L"%-4s|", L"ab"); }, stringx::UNI_CODE, "ab  |"},
        {"wide %.3f", [](stringx& s) { s.format(L"%.3f", 0.5); }, stringx::UNI_CODE, "0.500"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int enc : kEncodings) {
            SCOPED_TRACE(encoding_name(enc));
            stringx s = make(enc, "before");
            c.run(s);
            expect_string(s, c.encoding, c.expected);
            // The buffer of the other width is left alone.
            if (enc != c.encoding) {
                if (enc == stringx::ASCII)
                    EXPECT_STREQ("before", s.value());
                else
                    EXPECT_STREQ(L"before", s.wvalue());
            }
        }
    }
}

TEST(stringx, wide_format_keeps_code_units_above_the_byte_range) {
    // A narrow %c would keep only the low byte (0x00 here) and end the text.
    stringx s;
    s.format(L"[%c|%s]", L'\xAC00', L"\xD55C\xAE00");
    EXPECT_EQ(stringx::UNI_CODE, s.encoding());
    EXPECT_STREQ(L"[\xAC00|\xD55C\xAE00]", s.wvalue());
}

TEST(stringx, format_cuts_at_8096_characters) {
    struct Case {
        int produced;
        int kept;
    };
    const Case cases[] = {{9000, 8096}, {8097, 8096}, {8096, 8096}, {8095, 8095}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.produced);
        std::string source;
        for (int i = 0; i < c.produced; ++i)
            source += static_cast<char>('a' + i % 26);
        const std::wstring wsource = widen(source.c_str());

        stringx n;
        n.format("%s", source.c_str());
        expect_string(n, stringx::ASCII, source.substr(0, c.kept));

        stringx w;
        w.format(L"%s", wsource.c_str());
        ASSERT_EQ(c.kept, w.length());
        EXPECT_TRUE(wsource.compare(0, c.kept, w.wvalue()) == 0);

        // Text around the conversion counts towards the limit.
        stringx p;
        p.format(L"<<%s", wsource.c_str());
        ASSERT_EQ(std::min(c.produced + 2, 8096), p.length());
        EXPECT_EQ(L'<', p.wchar_at(1));
        EXPECT_EQ(wsource[p.length() - 3], p.wchar_at(p.length() - 1));
    }
}

// Direct buffer access --------------------------------------------------------

TEST(stringx, get_buffer_and_release_buffer) {
    for (int enc : kEncodings) {
        SCOPED_TRACE(encoding_name(enc));
        const bool narrow_text = enc == stringx::ASCII;
        auto unit = [&](void* buffer, int i) -> int {
            return narrow_text ? static_cast<char*>(buffer)[i] : static_cast<wchar_t*>(buffer)[i];
        };
        auto put = [&](void* buffer, int i, char c) {
            if (narrow_text)
                static_cast<char*>(buffer)[i] = c;
            else
                static_cast<wchar_t*>(buffer)[i] = static_cast<wchar_t>(c);
        };

        stringx s = make(enc, "abc");
        EXPECT_EQ(nullptr, s.get_buffer(2));   // below the length
        EXPECT_EQ(nullptr, s.get_buffer(-1));
        expect_string(s, enc, "abc");

        void* same = s.get_buffer(0);  // current length
        ASSERT_NE(nullptr, same);
        EXPECT_EQ('c', unit(same, 2));
        EXPECT_EQ(0, unit(same, 3));

        void* big = s.get_buffer(10);
        ASSERT_NE(nullptr, big);
        EXPECT_EQ(narrow_text ? static_cast<const void*>(s.value()) : static_cast<const void*>(s.wvalue()), big);
        EXPECT_EQ('a', unit(big, 0));
        EXPECT_EQ('c', unit(big, 2));
        for (int i = 3; i <= 10; ++i)
            EXPECT_EQ(0, unit(big, i)) << i;

        for (int i = 3; i < 10; ++i)
            put(big, i, static_cast<char>('d' + i - 3));  // "abcdefghij"
        s.release_buffer(-1);
        expect_string(s, enc, "abcdefghij");

        s.release_buffer(20);  // beyond the length: nothing changes
        expect_string(s, enc, "abcdefghij");
        s.release_buffer(-5);
        expect_string(s, enc, "abcdefghij");
        s.release_buffer(4);
        expect_string(s, enc, "abcd");
        s.release_buffer(0);
        expect_string(s, enc, "");

        // Written text shorter than the buffer, released to its terminator.
        stringx e = make(enc, "");
        void* fresh = e.get_buffer(5);
        ASSERT_NE(nullptr, fresh);
        for (int i = 0; i <= 5; ++i)
            EXPECT_EQ(0, unit(fresh, i));
        put(fresh, 0, 'x');
        put(fresh, 1, 'y');
        e.release_buffer(-1);
        expect_string(e, enc, "xy");
    }

    // An unknown encoding flag selects no buffer.
    stringx odd("abc");
    odd.set_encoding(5);
    EXPECT_EQ(nullptr, odd.get_buffer(10));
    odd.release_buffer(1);
    odd.set_encoding(stringx::ASCII);
    EXPECT_STREQ("abc", odd.value());
}

// Numbers ---------------------------------------------------------------------

TEST(stringx, number_conversions) {
    static_assert(std::is_same<decltype(stringx().tofloat()), float>::value, "tofloat is single precision");
    struct Case {
        const char* text;
        int as_int;
        long as_long;
        double as_double;
    };
    const Case cases[] = {
        {"42", 42, 42, 42.0},
        {"  -17xyz", -17, -17, -17.0},
        {"+8", 8, 8, 8.0},
        {"3.75", 3, 3, 3.75},
        {"1e3", 1, 1, 1000.0},
        {"2147483647", 2147483647, 2147483647L, 2147483647.0},
        {"-0.5", 0, 0, -0.5},
        {"abc", 0, 0, 0.0},
        {"", 0, 0, 0.0},
    };
    for (int enc : kEncodings) {
        SCOPED_TRACE(encoding_name(enc));
        for (const Case& c : cases) {
            SCOPED_TRACE(c.text);
            const stringx s = make(enc, c.text);
            EXPECT_EQ(c.as_int, s.toint());
            EXPECT_EQ(c.as_long, s.tolong());
            EXPECT_EQ(c.as_double, s.todouble());
            EXPECT_EQ(static_cast<float>(c.as_double), s.tofloat());
        }
        // Single precision: the float nearest 0.1, not the double.
        const stringx tenth = make(enc, "0.1");
        EXPECT_EQ(0.1f, tenth.tofloat());
        EXPECT_EQ(0.1, tenth.todouble());
    }
}

// Comparison ------------------------------------------------------------------

TEST(stringx, equality) {
    struct Case {
        const char* a;
        const char* b;
        bool equal;
        bool equal_ignoring_case;
    };
    const Case cases[] = {
        {"abc", "abc", true, true},
        {"abc", "ABC", false, true},
        {"aBc", "AbC", false, true},
        {"abc", "abd", false, false},
        {"abc", "abcd", false, false},
        {"abcd", "abc", false, false},
        {"", "", true, true},
        {"", "a", false, false},
    };
    for (int enc : kEncodings) {
        SCOPED_TRACE(encoding_name(enc));
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.a) + " / " + c.b);
            const stringx a = make(enc, c.a);
            const stringx b = make(enc, c.b);
            EXPECT_EQ(c.equal, a.equals(b));
            EXPECT_EQ(c.equal, a == b);
            EXPECT_EQ(c.equal_ignoring_case, a.equals_ignore_case(b));
        }
    }

    // Raw texts compare only against the matching encoding.
    const stringx n("abc");
    const stringx w(L"abc");
    EXPECT_TRUE(n == "abc");
    EXPECT_FALSE(n == "abcd");
    EXPECT_FALSE(n == "ABC");
    EXPECT_FALSE(n == L"abc");
    EXPECT_FALSE(n == static_cast<const char*>(nullptr));
    EXPECT_TRUE(w == L"abc");
    EXPECT_FALSE(w == L"ab");
    EXPECT_FALSE(w == "abc");
    EXPECT_FALSE(w == static_cast<const wchar_t*>(nullptr));
    EXPECT_TRUE(stringx() == L"");
    EXPECT_FALSE(stringx() == "");
}

TEST(stringx, starts_with_and_ends_with) {
    struct Case {
        const char* text;
        const char* affix;
        bool ignore_case;
        bool starts;
        bool ends;
    };
    const Case cases[] = {
        {"abcdef", "abc", false, true, false},
        {"abcdef", "ABC", false, false, false},
        {"abcdef", "ABC", true, true, false},
        {"abcdef", "def", false, false, true},
        {"abcdef", "DeF", true, false, true},
        {"abcdef", "abcdef", false, true, true},
        {"abc", "abcd", false, false, false},
        {"abc", "abcd", true, false, false},
        {"abcabc", "abc", false, true, true},
        {"", "", false, true, true},
        {"abc", "x", false, false, false},
    };
    for (int enc : kEncodings) {
        SCOPED_TRACE(encoding_name(enc));
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.text) + " / " + c.affix + (c.ignore_case ? " ignoring case" : ""));
            const stringx s = make(enc, c.text);
            EXPECT_EQ(c.starts, s.starts_with(make(enc, c.affix), c.ignore_case));
            EXPECT_EQ(c.ends, s.ends_with(make(enc, c.affix), c.ignore_case));
        }
    }
    // An empty affix is compared with substring's result: the whole string,
    // except substring(0, 0) of a UNI_CODE string, which is empty.
    EXPECT_FALSE(stringx("abc").starts_with(stringx(""), false));
    EXPECT_TRUE(stringx(L"abc").starts_with(stringx(L""), false));
    EXPECT_FALSE(stringx("abc").ends_with(stringx(""), false));
    EXPECT_FALSE(stringx(L"abc").ends_with(stringx(L""), false));
}

TEST(stringx, ordinal_order) {
    struct Case {
        std::string a;
        std::string b;  // a sorts before b
    };
    const Case cases[] = {
        {"abc", "abd"},
        {"ab", "abc"},  // a prefix first
        {"", "a"},
        {"B", "a"},     // ordinal, not case-insensitive
        {"Z", "a"},
        {"a b", "ab"},
        {"\x7f", "\x80"},  // bytes compare unsigned
        {"z", "\xe9"},
        {"\x80", "\xff"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.a + " < " + c.b);
        const stringx a(c.a.c_str());
        const stringx b(c.b.c_str());
        EXPECT_TRUE(a < b);
        EXPECT_FALSE(b < a);
        EXPECT_TRUE(b > a);
        EXPECT_FALSE(a > b);
        // The same order over UTF-16 code units.
        const stringx wa(widen(c.a.c_str()).c_str());
        const stringx wb(widen(c.b.c_str()).c_str());
        EXPECT_TRUE(wa < wb);
        EXPECT_FALSE(wb < wa);
        EXPECT_TRUE(wb > wa);
        EXPECT_FALSE(wa > wb);
    }
    for (int enc : kEncodings) {
        SCOPED_TRACE(encoding_name(enc));
        const stringx s = make(enc, "same");
        EXPECT_FALSE(s < make(enc, "same"));
        EXPECT_FALSE(s > make(enc, "same"));
    }
    // Wide code units above the byte range.
    EXPECT_TRUE(stringx(L"\x00ff") < stringx(L"\xac00"));
    EXPECT_TRUE(stringx(L"\xac00") < stringx(L"\xd55c"));
    EXPECT_TRUE(stringx(L"\xd7a3") < stringx(L"\xffff"));

    // Sorting uses operator<.
    std::vector<stringx> list = {stringx("b"), stringx("\xc0"), stringx("B"), stringx("ab"), stringx("a")};
    std::sort(list.begin(), list.end());
    std::vector<std::string> sorted;
    for (const stringx& s : list)
        sorted.push_back(s.value());
    EXPECT_EQ((std::vector<std::string>{"B", "a", "ab", "b", "\xc0"}), sorted);
}

TEST(stringx, unknown_encoding_flag) {
    stringx s("abc");
    s.set_encoding(3);
    EXPECT_EQ(0, s.length());
    EXPECT_EQ(3, s.encoding());
    // Copies keep the flag.
    const stringx copy(s);
    EXPECT_EQ(3, copy.encoding());
}
