// The data lines of the channel, radio and track replies, each format as a
// table: every field count, the length forms, the start fraction written
// into the "zel://" path, stray line breaks, and malformed lines that must
// neither crash nor move the other fields.
#include <gtest/gtest.h>
#include <cmath>
#include <string>
#include "channel_lines.h"

namespace {
std::wstring w(const stringx& s) { return s.wvalue(); }
std::wstring w(const wchar_t* s) { return s ? s : L"<null>"; }
}  // namespace

TEST(channel_lines, channel_lines_of_seven_fields_only) {
    struct row {
        const wchar_t* line;
        bool read;
        int id = 0;
        const wchar_t* extra = L"";
        const wchar_t* tempo = L"";
        const wchar_t* title = L"";
        const wchar_t* description = L"";
        const wchar_t* genre = L"";
        const wchar_t* purpose = L"";
    } rows[] = {
        {L"1052^x^nomal^테스트 채널^설명^가요^매장", true, 1052, L"x", L"nomal", L"테스트 채널", L"설명", L"가요", L"매장"},
        // The split at "\r\n" leaves nothing before field 1, but a stray line
        // feed there is skipped by the number; blanks and tabs are trimmed.
        {L"\n77^ e ^\tfast\t^  아침 ^ d^g ^ p", true, 77, L"e", L"fast", L"아침", L"d", L"g", L"p"},
        {L"5^^^^^^", true, 5, L"", L"", L"", L"", L"", L""},
        {L"abc^a^b^c^d^e^f", true, 0, L"a", L"b", L"c", L"d", L"e", L"f"},
        {L"1052^x^nomal^제목^설명^가요", false},             // six fields
        {L"1052^x^nomal^제목^설명^가요^매장^더", false},     // eight
        {L"1052", false},
        {L"", false},
    };
    for (const row& r : rows) {
        channel_record record;
        record.id = -7;
        record.title = L"untouched";
        const bool read = read_channel_line(r.line, record);
        SCOPED_TRACE(testing::Message() << "line " << testing::PrintToString(std::wstring(r.line)));
        ASSERT_EQ(read, r.read);
        if (!read) {
            EXPECT_EQ(record.id, -7);
            EXPECT_EQ(w(record.title), L"untouched");
            continue;
        }
        EXPECT_EQ(record.id, r.id);
        EXPECT_EQ(w(record.extra_text), r.extra);
        EXPECT_EQ(w(record.tempo), r.tempo);
        EXPECT_EQ(w(record.title), r.title);
        EXPECT_EQ(w(record.description), r.description);
        EXPECT_EQ(w(record.genre), r.genre);
        EXPECT_EQ(w(record.purpose), r.purpose);
    }
}

TEST(channel_lines, radio_lines_close_up_empty_fields_then_go_by_their_count) {
    struct row {
        const wchar_t* line;
        bool read;
        // name, address, time, genre, quality, comment, homepage, extra
        const wchar_t* fields[8];
    } rows[] = {
        {L"라디오^http://h/live", true, {L"라디오", L"http://h/live", L"", L"", L"", L"", L"", L""}},
        {L"라디오^http://h/live^etc", true, {L"라디오", L"http://h/live", L"", L"", L"", L"", L"", L"etc"}},
        // The empty second field is dropped: the third becomes the address.
        {L"라디오^^http://h/live", true, {L"라디오", L"http://h/live", L"", L"", L"", L"", L"", L""}},
        {L"r^a^24h^128k^1^http://home", true, {L"r", L"a", L"24h", L"", L"128k", L"1", L"http://home", L""}},
        {L"r^a^24h^가요^128k^0^http://home", true, {L"r", L"a", L"24h", L"가요", L"128k", L"0", L"http://home", L""}},
        {L" r ^ \t ^a^24h^가요^128k^0^http://home", true,
         {L"r", L"a", L"24h", L"가요", L"128k", L"0", L"http://home", L""}},
        // Counts the lists do not know give an empty record.
        {L"r^a^b^c", false, {L"", L"", L"", L"", L"", L"", L"", L""}},
        {L"r", false, {L"", L"", L"", L"", L"", L"", L"", L""}},
        {L"r^a^b^c^d^e^f^g", false, {L"", L"", L"", L"", L"", L"", L"", L""}},
        {L"^^^", false, {L"", L"", L"", L"", L"", L"", L"", L""}},
    };
    for (const row& r : rows) {
        radio_record record;
        record.name = L"old";
        SCOPED_TRACE(testing::Message() << "line " << testing::PrintToString(std::wstring(r.line)));
        EXPECT_EQ(read_radio_line(r.line, record), r.read);
        const stringx* got[8] = {&record.name,    &record.address, &record.time,     &record.genre,
                                 &record.quality, &record.comment, &record.homepage, &record.extra_text};
        for (int i = 0; i < 8; ++i) EXPECT_EQ(w(*got[i]), r.fields[i]) << "field " << i;
    }
}

TEST(channel_lines, track_length_forms) {
    struct row {
        const wchar_t* field;
        double seconds;
    } rows[] = {
        {L"200", 200.0}, {L"200.5", 200.5}, {L"3'20", 200.0}, {L"0'05", 5.0}, {L"3'", 180.0},
        {L"'20", 20.0},  {L"", 0.0},        {L"abc", 0.0},    {L"inf", 0.0},  {L"nan", 0.0},
    };
    for (const row& r : rows) EXPECT_EQ(track_length_seconds(r.field), r.seconds) << w(r.field);
}

TEST(channel_lines, track_lines_give_the_entry_and_its_zel_path) {
    struct row {
        const wchar_t* line;
        const wchar_t* path;
        double length;
        long offset;
        int bitrate;
        const wchar_t* title;
        const wchar_t* artist;
        const wchar_t* album;
        const wchar_t* file;
        const wchar_t* extra;
    } rows[] = {
        {L"101^x^e^200^0^곡1^가수1^http://127.0.0.1:81/music/101.mp3^앨범1^101.mp3",
         L"zel://127.0.0.1:81/music/101.mp3|-1.0|101", 200.0, 0, 101, L"곡1", L"가수1", L"앨범1", L"101.mp3", L"e"},
        // A start a quarter into the track, the length in minutes and seconds.
        {L"102^x^^3'20^50^곡2^가수2^http://h/music/102.mp3^앨범^102.mp3", L"zel://h/music/102.mp3|0.250000|102",
         200.0, 50, 102, L"곡2", L"가수2", L"앨범", L"102.mp3", L""},
        // The offset is rounded to whole seconds before the fraction is taken.
        {L"7^x^^200^49.6^t^a^http://h/7.mp3^b^f", L"zel://h/7.mp3|0.250000|7", 200.0, 50, 7, L"t", L"a", L"b", L"f",
         L""},
        {L"8^x^^200.5^0^t^a^http://h/8.mp3^b^f", L"zel://h/8.mp3|-1.0|8", 200.5, 0, 8, L"t", L"a", L"b", L"f", L""},
        // Texts trimmed; a carriage return and a line feed inside the address
        // removed.
        {L" 9 ^x^ e ^60^0^ t ^\ta\t^ http://h/a\rb\nc.mp3 ^ b ^ f ", L"zel://h/abc.mp3|-1.0|9", 60.0, 0, 9, L"t",
         L"a", L"b", L"f", L"e"},
        // A fractional track number: its whole part in both places.
        {L"101.9^x^^60^0^t^a^http://h/n.mp3^b^f", L"zel://h/n.mp3|-1.0|101", 60.0, 0, 101, L"t", L"a", L"b", L"f",
         L""},
        // A zero, missing or too short length with an offset: from the start,
        // never "inf" or "nan" in the path.
        {L"10^x^^0^50^t^a^http://h/z.mp3^b^f", L"zel://h/z.mp3|-1.0|10", 0.0, 50, 10, L"t", L"a", L"b", L"f", L""},
        {L"11^x^^^50^t^a^http://h/e.mp3^b^f", L"zel://h/e.mp3|-1.0|11", 0.0, 50, 11, L"t", L"a", L"b", L"f", L""},
        {L"12^x^^40^50^t^a^http://h/s.mp3^b^f", L"zel://h/s.mp3|-1.0|12", 40.0, 50, 12, L"t", L"a", L"b", L"f", L""},
        // A track number no int holds.
        {L"1e30^x^^60^0^t^a^http://h/big.mp3^b^f", L"zel://h/big.mp3|-1.0|1", 60.0, 0, 0, L"t", L"a", L"b", L"f",
         L""},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(testing::Message() << "line " << testing::PrintToString(std::wstring(r.line)));
        track_record record;
        ASSERT_TRUE(read_track_line(r.line, record));
        EXPECT_EQ(w(record.path), r.path);
        EXPECT_EQ(record.time, r.length);
        EXPECT_EQ(record.start_offset.total_seconds(), r.offset);
        EXPECT_EQ(record.bitrate, r.bitrate);
        EXPECT_EQ(w(record.title), r.title);
        EXPECT_EQ(w(record.artist), r.artist);
        EXPECT_EQ(w(record.album), r.album);
        EXPECT_EQ(w(record.filename), r.file);
        EXPECT_EQ(w(record.extra_text), r.extra);
    }
}

TEST(channel_lines, track_lines_of_another_field_count_leave_the_record_alone) {
    const wchar_t* lines[] = {
        L"101^x^e^200^0^곡1^가수1^http://h/101.mp3^앨범1",              // nine
        L"101^x^e^200^0^곡1^가수1^http://h/101.mp3^앨범1^101.mp3^more",  // eleven
        L"",
        L"101",
    };
    for (const wchar_t* line : lines) {
        track_record record;
        record.title = _wcsdup(L"kept");
        EXPECT_FALSE(read_track_line(line, record)) << w(line);
        EXPECT_EQ(w(record.title), L"kept");
        EXPECT_EQ(record.path, nullptr);
    }
}

TEST(channel_lines, the_start_fraction_is_always_a_finite_number_below_one) {
    for (double length : {0.0, -5.0, 0.5, 1.0, 199.0, 200.0, 1e300, double(NAN), double(INFINITY)}) {
        for (long offset : {0L, 1L, 50L, 199L, 200L, 250L, -3L}) {
            const stringx path = track_path(L"zel://h/x.mp3", timex_span(offset), length, 3);
            const std::wstring p = w(path);
            const size_t bar = p.find(L'|');
            ASSERT_NE(bar, std::wstring::npos);
            const double fraction = wcstod(p.c_str() + bar + 1, nullptr);
            EXPECT_TRUE(std::isfinite(fraction)) << p;
            EXPECT_LT(fraction, 1.0) << p;
            EXPECT_TRUE(fraction == -1.0 || fraction >= 0.0) << p;
            EXPECT_EQ(p.substr(p.rfind(L'|')), L"|3") << p;
        }
    }
}
