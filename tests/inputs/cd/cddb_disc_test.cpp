// The xmcd record parser as one table: a complete record, and variations of
// it that must be refused, joined, split, bounded or ignored.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "cddb_disc.h"

namespace {

const char* const complete_lines[] = {
    "# xmcd",
    "#",
    "# Track frame offsets:",
    "#\t150",
    "#\t15150",
    "#\t30150",
    "#",
    "# Disc length: 602 seconds",
    "#",
    "# Revision: 3",
    "# Submitted via: zel 1.0 test",
    "#",
    "DISCID=0c025803",
    "DTITLE=Various / Hits",
    "DYEAR=1999",
    "DGENRE=Pop",
    "TTITLE0=One",
    "TTITLE1=Two",
    "TTITLE2=Three",
    "EXTD=",
    "EXTT0=",
    "EXTT1=",
    "EXTT2=",
    "PLAYORDER=",
};

// The complete record's body with the lines that start with `drop` left
// out, `add` appended, in lines ending with `eol`.
std::string body(const std::vector<std::string>& drop = {}, const std::vector<std::string>& add = {},
                 const char* eol = "\r\n") {
    std::string text = std::string("210 rock 0c025803 CD database entry follows") + eol;
    for (const char* line : complete_lines) {
        bool dropped = false;
        for (const std::string& d : drop) dropped = dropped || std::string(line).compare(0, d.size(), d) == 0;
        if (!dropped) text += std::string(line) + eol;
    }
    for (const std::string& line : add) text += line + eol;
    return text;
}

struct parse_case {
    const char* name;
    std::string text;
    bool complete;
    std::function<void(const cddb_disc&)> check;
};

}  // namespace

TEST(cddb_disc, parses_records_by_the_xmcd_rules) {
    const std::string long_title(100000, 'x');
    const parse_case cases[] = {
        {"complete record", body(), true,
         [](const cddb_disc& d) {
             EXPECT_EQ(d.artist, L"Various");
             EXPECT_EQ(d.title, L"Hits");
             EXPECT_EQ(d.track_titles, (std::vector<std::wstring>{L"One", L"Two", L"Three"}));
             EXPECT_EQ(d.frame_offsets, (std::vector<int>{150, 15150, 30150}));
             EXPECT_EQ(d.disc_length, 602);
             EXPECT_EQ(d.revision, 3);
             EXPECT_EQ(d.submitter_name, L"zel");
             EXPECT_EQ(d.submitter_version, L"1.0");
             EXPECT_EQ(d.submitter_comment, L"test");
             EXPECT_EQ(d.year, 1999);
             EXPECT_EQ(d.genre, L"Pop");
             EXPECT_EQ(d.extended_track_data.size(), 3u);
             EXPECT_TRUE(d.play_order.empty());
         }},
        {"lines ending in LF alone", body({}, {}, "\n"), true,
         [](const cddb_disc& d) { EXPECT_EQ(d.track_titles.back(), L"Three"); }},
        {"status 211 is a record too", "211" + body().substr(3), true, nullptr},
        {"no xmcd comment", body({"# xmcd"}), false, nullptr},
        {"no disc length", body({"# Disc length"}), false, nullptr},
        {"no submitter", body({"# Submitted via"}), false, nullptr},
        {"submitter of one word", body({"# Submitted via"}, {"# Submitted via: zel"}), false, nullptr},
        {"submitter without comment", body({"# Submitted via"}, {"# Submitted via: zel 1.0"}), true,
         [](const cddb_disc& d) { EXPECT_EQ(d.submitter_comment, L""); }},
        {"no DISCID", body({"DISCID"}), false, nullptr},
        {"DISCID shorter than 8", body({"DISCID"}, {"DISCID=0c02580"}), false, nullptr},
        {"no DTITLE", body({"DTITLE"}), false, nullptr},
        {"no frame offsets", body({"#\t"}), false, nullptr},
        {"more TTITLE than EXTT", body({"EXTT2"}), false, nullptr},
        {"status 401", "401 rock 0c025803 No such CD entry\r\n", false, nullptr},
        {"status line alone", "210 rock 0c025803 follows\r\n", false, nullptr},
        {"empty body", "", false, nullptr},
        {"continuation lines join", body({}, {"TTITLE2= and two"}), true,
         [](const cddb_disc& d) { EXPECT_EQ(d.track_titles[2], L"Three and two"); }},
        {"a title without separator is artist and title", body({"DTITLE"}, {"DTITLE=Hits"}), true,
         [](const cddb_disc& d) {
             EXPECT_EQ(d.artist, L"Hits");
             EXPECT_EQ(d.title, L"Hits");
         }},
        {"DTITLE split over lines", body({"DTITLE"}, {"DTITLE=Vari", "DTITLE=ous / Hi", "DTITLE=ts"}), true,
         [](const cddb_disc& d) {
             EXPECT_EQ(d.artist, L"Various");
             EXPECT_EQ(d.title, L"Hits");
         }},
        {"an earlier track key drops the later titles", body({"EXTT2"}, {"TTITLE1= again"}), true,
         [](const cddb_disc& d) {
             EXPECT_EQ(d.track_titles, (std::vector<std::wstring>{L"One", L"Two again"}));
         }},
        {"escapes", body({"TTITLE2"}, {"TTITLE2=a\\nb\\tc\\\\d"}), true,
         [](const cddb_disc& d) { EXPECT_EQ(d.track_titles[2], L"a\nb\tc\\d"); }},
        {"play order", body({"PLAYORDER"}, {"PLAYORDER=3,1,2"}), true,
         [](const cddb_disc& d) { EXPECT_EQ(d.play_order, (std::vector<int>{3, 1, 2})); }},
        {"disc length written without a space", body({"# Disc length"}, {"# Disc length:2563"}), true,
         [](const cddb_disc& d) { EXPECT_EQ(d.disc_length, 2563); }},
        {"disc length that ends at its colon", body({"# Disc length"}, {"# Disc length:"}), true,
         [](const cddb_disc& d) { EXPECT_EQ(d.disc_length, 0); }},
        {"track keys outside a CD's tracks are ignored",
         body({}, {"TTITLE-1=minus", "TTITLE2147483647=huge", "TTITLE99999999999=overflow", "TTITLE99=past",
                   "EXTT-5=minus"}),
         true, [](const cddb_disc& d) { EXPECT_EQ(d.track_titles.size(), 3u); }},
        {"track 98 is the last accepted", body({"EXTT"}, {"TTITLE98=last", "EXTT98="}), true,
         [](const cddb_disc& d) {
             ASSERT_EQ(d.track_titles.size(), 99u);
             EXPECT_EQ(d.track_titles[98], L"last");
             EXPECT_EQ(d.track_titles[3], L"");
         }},
        {"an over-long line is taken whole", body({"TTITLE2"}, {"TTITLE2=" + long_title}), true,
         [&](const cddb_disc& d) { EXPECT_EQ(d.track_titles[2].size(), long_title.size()); }},
        {"comments, unknown keys and stray lines are ignored",
         body({}, {"# a comment", "FOO=bar", "a line without equals", "#", "dtitle=lower case key"}), true,
         [](const cddb_disc& d) { EXPECT_EQ(d.artist, L"Various"); }},
        // Code page 949 text (the players' ANSI code page): a character
        // whose two bytes are split over two continuation lines stays whole.
        {"double-byte text split over lines", body({"DTITLE"}, {"DTITLE=\xB0", "DTITLE=\xA1 / \xB3\xAA"}), true,
         [](const cddb_disc& d) {
             EXPECT_EQ(d.artist, L"가");
             EXPECT_EQ(d.title, L"나");
         }},
        {"bytes that are no text", body({"TTITLE2"}, {"TTITLE2=\xFF\xFE\x80\xB0"}), true,
         [](const cddb_disc& d) { EXPECT_FALSE(d.track_titles[2].empty()); }},
    };
    for (const parse_case& c : cases) {
        SCOPED_TRACE(c.name);
        cddb_disc d;
        EXPECT_EQ(d.parse(c.text.c_str()), c.complete);
        if (c.check) c.check(d);
    }
    cddb_disc d;
    EXPECT_FALSE(d.parse(nullptr));
}

TEST(cddb_disc, assignment_copies_texts_and_appends_lists) {
    cddb_disc source;
    ASSERT_TRUE(source.parse(body().c_str()));
    cddb_disc target;
    target.track_titles.push_back(L"kept");
    target = source;
    EXPECT_EQ(target.artist, L"Various");
    EXPECT_EQ(target.track_titles, (std::vector<std::wstring>{L"kept", L"One", L"Two", L"Three"}));
}
