#include "utf.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Bytes from a hex text such as "c7 d1 41".
std::string bytes(const char* hex) {
    std::string out;
    for (const char* p = hex; *p;) {
        if (*p == ' ') {
            ++p;
            continue;
        }
        char pair[3] = {p[0], p[1], 0};
        out += static_cast<char>(strtoul(pair, nullptr, 16));
        p += 2;
    }
    return out;
}

std::string hex(const std::string& s) {
    std::string out;
    char b[4];
    for (unsigned char c : s) {
        std::snprintf(b, sizeof b, "%s%02x", out.empty() ? "" : " ", c);
        out += b;
    }
    return out;
}

std::string hex(const std::wstring& s) {
    std::string out;
    char b[8];
    for (wchar_t c : s) {
        std::snprintf(b, sizeof b, "%s%04x", out.empty() ? "" : " ", static_cast<unsigned>(c));
        out += b;
    }
    return out;
}

// The value of a narrow result, checked to be an ASCII string.
std::string narrow(const stringx& s) {
    EXPECT_EQ(s.encoding(), stringx::ASCII);
    return s.value();
}

// The value of a wide result, checked to be a UNI_CODE string.
std::wstring wide(const stringx& s) {
    EXPECT_EQ(s.encoding(), stringx::UNI_CODE);
    return s.wvalue();
}

// Text that every form represents exactly: each conversion maps each form to
// the other (the ANSI code page is 949).
struct round_trip {
    const char* name;
    const wchar_t* utf16;
    const char* utf8;  // hex
    const char* ansi;  // hex
};

const round_trip kRoundTrips[] = {
    {"ascii", L"Hello, ZEL 123 ~!", "48 65 6c 6c 6f 2c 20 5a 45 4c 20 31 32 33 20 7e 21",
     "48 65 6c 6c 6f 2c 20 5a 45 4c 20 31 32 33 20 7e 21"},
    {"korean", L"한글 플레이어", "ed 95 9c ea b8 80 20 ed 94 8c eb a0 88 ec 9d b4 ec 96 b4",
     "c7 d1 b1 db 20 c7 c3 b7 b9 c0 cc be ee"},
    {"reference mark", L"※", "e2 80 bb", "a1 d8"},
    {"mixed", L"A※지원 €1", "41 e2 80 bb ec a7 80 ec 9b 90 20 e2 82 ac 31",
     "41 a1 d8 c1 f6 bf f8 20 a2 e6 31"},
};

}  // namespace

TEST(utf, round_trips_between_utf16_utf8_and_ansi) {
    for (const round_trip& c : kRoundTrips) {
        SCOPED_TRACE(c.name);
        const std::wstring w = c.utf16;
        const std::string u8 = bytes(c.utf8);
        const std::string ansi = bytes(c.ansi);
        EXPECT_EQ(hex(narrow(utf::utf16_to_utf8(w.c_str()))), hex(u8));
        EXPECT_EQ(hex(wide(utf::utf8_to_utf16(u8.c_str()))), hex(w));
        EXPECT_EQ(hex(narrow(utf::utf16_to_ansi(w.c_str()))), hex(ansi));
        EXPECT_EQ(hex(wide(utf::ansi_to_utf16(ansi.c_str()))), hex(w));
        EXPECT_EQ(hex(narrow(utf::ansi_to_utf8(ansi.c_str()))), hex(u8));
        EXPECT_EQ(hex(narrow(utf::utf8_to_ansi(u8.c_str()))), hex(ansi));
    }
}

TEST(utf, utf8_encoder_and_decoder_table) {
    struct {
        const char* name;
        std::wstring utf16;
        const char* utf8;  // hex
    } cases[] = {
        {"two-byte", L"\x00E9", "c3 a9"},
        {"three-byte", L"\xD55C", "ed 95 9c"},
        {"last of the two-byte range", L"\x07FF\x0800", "df bf e0 a0 80"},
        {"highest BMP unit", L"\xFFFF", "ef bf bf"},
        {"surrogate pair", L"\xD83D\xDE00", "f0 9f 98 80"},
        {"pair among text", L"a\xD834\xDD1E" L"b", "61 f0 9d 84 9e 62"},
        {"highest code point", L"\xDBFF\xDFFF", "f4 8f bf bf"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(hex(narrow(utf::utf16_to_utf8(c.utf16.c_str()))), c.utf8);
        EXPECT_EQ(hex(wide(utf::utf8_to_utf16(bytes(c.utf8).c_str()))), hex(c.utf16));
    }
}

TEST(utf, invalid_utf16_encodes_to_valid_utf8) {
    // A lone surrogate half is not text; it becomes U+FFFD (ef bf bd).
    struct {
        const char* name;
        std::wstring utf16;
        const char* utf8;
    } cases[] = {
        {"lone high half", L"\xD83D" L"A", "ef bf bd 41"},
        {"lone low half", L"A\xDE00", "41 ef bf bd"},
        {"high half at the end", L"A\xD83D", "41 ef bf bd"},
        {"two high halves", L"\xD83D\xD83D\xDE00", "ef bf bd f0 9f 98 80"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(hex(narrow(utf::utf16_to_utf8(c.utf16.c_str()))), c.utf8);
    }
}

TEST(utf, invalid_utf8_decodes_without_validation) {
    struct {
        const char* name;
        const char* utf8;
        std::wstring utf16;
    } cases[] = {
        // 0x80 is taken as a two-byte lead and swallows the 'B'.
        {"stray continuation byte", "41 80 42", std::wstring(L"A\x0002")},
        // Pairs stored as two three-byte sequences by older versions.
        {"pair as two three-byte sequences", "ed a0 bd ed b8 80", L"\xD83D\xDE00"},
        {"sequence cut off by the end", "41 e2 80", L"A"},
        {"four-byte sequence cut off", "41 f0 9f 98", L"A"},
        {"beyond U+10FFFF", "f4 90 80 80 41", L"\xFFFD" L"A"},
        {"0xF8 taken as a three-byte lead", "f8 81 82 43", L"\x8042" L"C"},
        {"korean in ANSI bytes", "c7 d1 b1 db", L"\x01D1\x0C5B"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(hex(wide(utf::utf8_to_utf16(bytes(c.utf8).c_str()))), hex(c.utf16));
    }
}

TEST(utf, ansi_conversions_of_text_outside_the_code_page) {
    // Characters code page 949 lacks come back as some replacement, never as
    // their own code, and never as an empty result.
    const std::string thai = narrow(utf::utf16_to_ansi(L"x\x0E01y"));
    ASSERT_GE(thai.size(), 3u);
    EXPECT_EQ(thai.front(), 'x');
    EXPECT_EQ(thai.back(), 'y');
    EXPECT_EQ(narrow(utf::utf8_to_ansi(bytes("78 e0 b8 81 79").c_str())), thai);

    // Invalid UTF-8 reaches the code page as the units the decoder made.
    EXPECT_EQ(hex(narrow(utf::utf8_to_ansi(bytes("41 80 42").c_str()))), "41 02");

    // A lead byte of 949 cut off by the end of the text.
    const std::wstring cut = wide(utf::ansi_to_utf16(bytes("41 c7").c_str()));
    ASSERT_FALSE(cut.empty());
    EXPECT_EQ(cut[0], L'A');
    EXPECT_EQ(narrow(utf::ansi_to_utf8(bytes("41 c7").c_str())),
              narrow(utf::utf16_to_utf8(cut.c_str())));
}

TEST(utf, null_and_empty_give_an_empty_string_of_the_target_encoding) {
    for (const char* in : {static_cast<const char*>(nullptr), ""}) {
        SCOPED_TRACE(in ? "empty" : "null");
        const stringx results_wide[] = {utf::ansi_to_utf16(in), utf::utf8_to_utf16(in)};
        for (const stringx& r : results_wide) {
            EXPECT_EQ(r.encoding(), stringx::UNI_CODE);
            EXPECT_EQ(r.length(), 0);
        }
        const stringx results_narrow[] = {utf::ansi_to_utf8(in), utf::utf8_to_ansi(in)};
        for (const stringx& r : results_narrow) {
            EXPECT_EQ(r.encoding(), stringx::ASCII);
            EXPECT_EQ(r.length(), 0);
        }
    }
    for (const wchar_t* in : {static_cast<const wchar_t*>(nullptr), L""}) {
        SCOPED_TRACE(in ? "empty" : "null");
        const stringx results[] = {utf::utf16_to_ansi(in), utf::utf16_to_utf8(in)};
        for (const stringx& r : results) {
            EXPECT_EQ(r.encoding(), stringx::ASCII);
            EXPECT_EQ(r.length(), 0);
        }
    }
}

TEST(utf, long_text_round_trips) {
    // Every Hangul syllable is in code page 949.
    std::wstring text;
    for (int i = 0; i < 20000; ++i)
        text += static_cast<wchar_t>(i % 3 == 0 ? L'a' + i % 26 : 0xAC00 + i % 11172);
    EXPECT_EQ(wide(utf::ansi_to_utf16(utf::utf8_to_ansi(utf::utf16_to_utf8(text.c_str())))),
              text);
    text += L"\xD83D\xDE00";
    EXPECT_EQ(wide(utf::utf8_to_utf16(utf::utf16_to_utf8(text.c_str()))), text);
}
