// The tag editor: fields in memory, and the fields it reads from files that
// carry several tags.
#include <gtest/gtest.h>

#include "tag_test_support.h"
#include "zel_tag.h"

using tag_test::work_folder;
using tag_test::kTitle;
using tag_test::kArtist;
using tag_test::kAlbum;

namespace {

struct bound_tag {
    explicit bound_tag(const char* fixture) {
        path = folder.copy(fixture);
        s = tag_test::open_stream(path);
        if (s)
            bound = tag.set_stream(s.get());
    }
    work_folder folder;
    std::wstring path;
    std::unique_ptr<test_file_stream> s;
    zel_tag tag;
    bool bound = false;
};

}  // namespace

TEST(zel_tag, fields_are_found_ignoring_case_and_removed_by_empty_values) {
    zel_tag unbound;
    unbound.set_field("Title", "x");
    EXPECT_STREQ(unbound.get_field("Title"), "");
    EXPECT_EQ(unbound.field_count(), 0);

    bound_tag b("plain.mp3");
    ASSERT_TRUE(b.bound);
    zel_tag& t = b.tag;
    EXPECT_EQ(t.field_count(), 0);
    t.set_field("Title", "Song");
    EXPECT_STREQ(t.get_field("title"), "Song");
    EXPECT_STREQ(t.get_field(""), "");
    EXPECT_STREQ(t.get_field(nullptr), "");
    t.set_field("", "ignored");
    t.set_field(nullptr, "ignored");
    EXPECT_EQ(t.field_count(), 1);

    t.set_field("Album", "");  // absent: appended, empty
    EXPECT_EQ(t.field_count(), 2);
    EXPECT_STREQ(t.field_name(1), "Album");
    EXPECT_STREQ(t.field_value(1), "");
    t.set_field("Mood", nullptr);
    EXPECT_EQ(t.field_count(), 3);
    t.set_field("ALBUM", "");  // present: removed, the later ones move up
    EXPECT_EQ(t.field_count(), 2);
    EXPECT_STREQ(t.field_name(1), "Mood");
    t.set_field("TITLE", "Other");  // replaces, keeping the name
    EXPECT_STREQ(t.field_name(0), "Title");
    EXPECT_STREQ(t.get_field("Title"), "Other");
    EXPECT_EQ(t.field_name(5), nullptr);

    zel_tag copy(t);
    EXPECT_STREQ(copy.get_field("title"), "Other");
    copy.set_field("Title", "Copy");
    EXPECT_STREQ(t.get_field("title"), "Other");
    zel_tag assigned;
    assigned = copy;
    EXPECT_STREQ(assigned.get_field("title"), "Copy");
}

TEST(zel_tag, set_stream_refuses_null_and_keeps_the_position) {
    bound_tag b("v1_131072.mp3");
    ASSERT_TRUE(b.bound);
    EXPECT_FALSE(b.tag.set_stream(nullptr));
    EXPECT_STREQ(b.tag.get_field("Title"), kTitle);
    ASSERT_EQ(b.s->seek(4321, 0), 0);
    EXPECT_TRUE(b.tag.set_stream(b.s.get()));
    EXPECT_EQ(b.s->tell(), 4321);
    EXPECT_STREQ(b.tag.get_field("Title"), kTitle);
}

// The twelve standard fields from each kind of tag, Korean text included,
// and the precedence ID3v2, APE v2, APE v1, ID3v1.
TEST(zel_tag, reads_the_standard_fields_by_precedence) {
    const struct {
        const char* fixture;
        const char* name;
        const char* expected;
    } rows[] = {
        // ID3v2 (and its trailing ID3v1, which is not read)
        {"id3v23_korean.mp3", "Title", kTitle},
        {"id3v23_korean.mp3", "Artist", kArtist},
        {"id3v23_korean.mp3", "Album", kAlbum},
        {"id3v23_korean.mp3", "Year", "2016"},
        {"id3v23_korean.mp3", "Comment", "매장 음악"},
        {"id3v23_korean.mp3", "Lyrics", "가사 첫 줄"},
        {"id3v23_korean.mp3", "Track", "3"},
        {"id3v23_korean.mp3", "Genre", "Pop"},
        {"id3v23_korean.mp3", "replaygain_track_gain", "-7.50 dB"},
        {"id3v23_korean.mp3", "replaygain_track_peak", "0.912345"},
        {"id3v23_korean.mp3", "replaygain_album_gain", "-6.25 dB"},
        {"id3v23_korean.mp3", "replaygain_album_peak", "0.998000"},
        {"id3v24.mp3", "Year", "2020"},
        // ID3v2 beats APE v2; an empty ID3v2 tag leaves the APE v2 value
        {"id3v2_and_apev2.mp3", "Title", "A"},
        {"id3v2_and_apev2.mp3", "Artist", ""},
        {"id3v2_empty_and_apev2.mp3", "Title", "B"},
        // APE v2 beats APE v1 beats ID3v1
        {"three_tags.mp3", "Title", "ape2 title"},
        {"three_tags.mp3", "Artist", "ape1 artist"},
        {"three_tags.mp3", "Album", "v1 album"},
        {"apev1_v1.mp3", "Artist", kArtist},
        {"apev1_v1.mp3", "Title", "v1 title"},
        {"apev2h_v1.mp3", "Title", kTitle},
        {"apev2h_v1.mp3", "Genre", "Jazz"},
        {"apev2h_v1.mp3", "replaygain_track_gain", "-6.20 dB"},
        {"apev2h_v1.mp3", "Mood", ""},  // not a standard field
        {"v1_131072.mp3", "Comment", "매장 음악"},
        {"v1_131072.mp3", "Track", "7"},
        {"v1_131072.mp3", "Genre", "Rock"},
    };
    for (const auto& row : rows) {
        bound_tag b(row.fixture);
        ASSERT_TRUE(b.bound) << row.fixture;
        EXPECT_STREQ(b.tag.get_field(row.name), row.expected) << row.fixture << " " << row.name;
    }
}

TEST(zel_tag, standard_fields_are_read_in_their_order) {
    bound_tag b("id3v23_korean.mp3");
    ASSERT_TRUE(b.bound);
    const char* const order[] = {"Album", "Artist", "Comment", "Genre", "Lyrics", "Title", "Track", "Year",
                                 "replaygain_album_gain", "replaygain_album_peak", "replaygain_track_gain",
                                 "replaygain_track_peak"};
    ASSERT_EQ(b.tag.field_count(), 12);
    for (int i = 0; i < 12; ++i)
        EXPECT_STREQ(b.tag.field_name(i), order[i]);
}
