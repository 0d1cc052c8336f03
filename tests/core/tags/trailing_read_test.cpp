// Reading the trailing tags (ID3v1, APE v1, APE v2) into a tag_item_list.
#include <gtest/gtest.h>

#include <cstring>

#include "tag_genre.h"
#include "tag_item_list.h"
#include "tag_test_support.h"

using tag_test::work_folder;
using tag_test::kTitle;
using tag_test::kArtist;
using tag_test::kAlbum;
using tag_test::kComment;

namespace {

// Opens a fixture and reads its trailing tags into list.
struct read_fixture {
    explicit read_fixture(const char* name) {
        path = folder.copy(name);
        s = tag_test::open_stream(path);
        if (s)
            result = list.open(s.get());
    }
    std::string value(const char* name) const {
        const char* v = list.find(name);
        return v ? std::string(v) : std::string("<none>");
    }

    work_folder folder;
    std::wstring path;
    std::unique_ptr<test_file_stream> s;
    tag_item_list list;
    int result = -2;
};

}  // namespace

TEST(tag_genre, table_has_148_names_found_ignoring_case) {
    EXPECT_STREQ(tag_genre::name(0), "Blues");
    EXPECT_STREQ(tag_genre::name(13), "Pop");
    EXPECT_STREQ(tag_genre::name(17), "Rock");
    EXPECT_STREQ(tag_genre::name(147), "SynthPop");
    EXPECT_EQ(tag_genre::name(148), nullptr);
    EXPECT_EQ(tag_genre::name(-1), nullptr);
    EXPECT_EQ(tag_genre::find("rOcK"), 17);
    EXPECT_EQ(tag_genre::find("Drum & Bass"), 127);
    EXPECT_EQ(tag_genre::find("Polka "), -1);
    EXPECT_EQ(tag_genre::find(nullptr), -1);
    for (int i = 0; i < tag_genre::count; ++i)
        EXPECT_EQ(tag_genre::find(tag_genre::name(i)), i) << tag_genre::name(i);
}

TEST(tag_item_list, reads_every_id3v1_field_with_korean_text_from_the_ansi_code_page) {
    read_fixture f("v1_131072.mp3");
    ASSERT_TRUE(f.s);
    EXPECT_EQ(f.result, 0);
    EXPECT_EQ(f.value("Title"), kTitle);
    EXPECT_EQ(f.value("Artist"), kArtist);
    EXPECT_EQ(f.value("Album"), kAlbum);
    EXPECT_EQ(f.value("Year"), "2016");
    EXPECT_EQ(f.value("Comment"), kComment);
    EXPECT_EQ(f.value("Track"), "7");
    EXPECT_EQ(f.value("Genre"), "Rock");
    EXPECT_EQ(f.list.kind(), tag_item_list::kind_id3v1);
    EXPECT_EQ(f.list.priority_at(0), 10);
    EXPECT_EQ(f.list.audio_end(), 131072 - 128);
    EXPECT_EQ(f.list.file_end(), 131072);
}

// Files shorter than the 128 KiB window keep their trailing tags readable:
// a jingle's tag is found (and so replaced, not appended to, on a save).
TEST(tag_item_list, reads_the_tags_of_files_shorter_than_the_window) {
    for (const char* name : {"v1_131071.mp3", "v1_small.mp3"}) {
        read_fixture f(name);
        ASSERT_TRUE(f.s) << name;
        EXPECT_EQ(f.value("Title"), kTitle) << name;
        EXPECT_EQ(f.list.audio_end(), f.list.file_end() - 128) << name;
    }
    read_fixture tiny("tiny.mp3");
    ASSERT_TRUE(tiny.s);
    EXPECT_EQ(tiny.list.count(), 0);
    EXPECT_EQ(tiny.list.audio_end(), 50);
}

TEST(tag_item_list, id3v1_track_comment_and_genre_bytes) {
    read_fixture f("v1_track200.mp3");
    EXPECT_EQ(f.value("Title"), "Abcd");  // spaces and NUL bytes after it are not text
    EXPECT_EQ(f.value("Track"), "200");
    EXPECT_EQ(f.value("Comment"), std::string(28, 'x'));
    EXPECT_EQ(f.value("Genre"), "<none>");  // 255
    EXPECT_EQ(f.value("Artist"), "<none>");

    read_fixture g("v1_track0.mp3");
    EXPECT_EQ(g.value("Track"), "<none>");
    EXPECT_EQ(g.value("Comment"), std::string(30, 'c'));
    EXPECT_EQ(g.value("Genre"), "Blues");
}

// APE v2 beats APE v1 beats ID3v1 field by field, whatever their order in
// the file.
TEST(tag_item_list, precedence_of_the_trailing_tags) {
    struct row {
        const char* fixture;
        const char* name;
        const char* expected;
    };
    const row rows[] = {
        {"apev2h_v1.mp3", "Title", kTitle},
        {"apev2h_v1.mp3", "Artist", kArtist},
        {"apev2h_v1.mp3", "Year", "1999"},
        {"apev2h_v1.mp3", "Genre", "Jazz"},
        {"apev2h_v1.mp3", "replaygain_track_gain", "-6.20 dB"},
        {"apev2h_v1.mp3", "mood", "calm"},
        {"apev1_v1.mp3", "Artist", kArtist},
        {"apev1_v1.mp3", "Album", kAlbum},
        {"apev1_v1.mp3", "Title", "v1 title"},
        {"three_tags.mp3", "Title", "ape2 title"},
        {"three_tags.mp3", "Artist", "ape1 artist"},
        {"three_tags.mp3", "Comment", "ape1 comment"},
        {"three_tags.mp3", "Album", "v1 album"},
        {"three_tags.mp3", "Year", "2001"},
        {"v1_then_apev2.mp3", "Title", "ape2 title"},
        {"v1_then_apev2.mp3", "Artist", "v1 artist"},
    };
    for (const row& r : rows) {
        read_fixture f(r.fixture);
        ASSERT_TRUE(f.s) << r.fixture;
        EXPECT_EQ(f.value(r.name), r.expected) << r.fixture << " " << r.name;
    }
}

TEST(tag_item_list, every_trailing_tag_is_peeled_down_to_the_audio) {
    for (const char* name : {"apev2h_v1.mp3", "three_tags.mp3", "v1_then_apev2.mp3", "apev1_v1.mp3"}) {
        read_fixture f(name);
        ASSERT_TRUE(f.s) << name;
        EXPECT_EQ(f.list.audio_end(), 140000) << name;
    }
}

TEST(tag_item_list, apev2_nul_separated_values_read_as_semicolon_lists) {
    read_fixture f("apev2_nul.mp3");
    ASSERT_TRUE(f.s);
    EXPECT_EQ(f.value("Artist"), "First; Second");
    EXPECT_EQ(f.value("Title"), kTitle);  // UTF-8 as it stands
    EXPECT_EQ(f.list.kind(), tag_item_list::kind_ape_v2);
    // A binary item keeps its bytes, NUL included.
    const int length = f.list.value_length("Cover Art (Front)");
    ASSERT_EQ(length, 12);
    EXPECT_EQ(std::string(f.list.find("Cover Art (Front)"), length), std::string("pic\0ture; \xff\x00", 12));
    for (int i = 0; i < f.list.count(); ++i) {
        if (std::strcmp(f.list.name_at(i), "Cover Art (Front)") == 0) {
            EXPECT_EQ(f.list.flags_at(i), tag_item_list::flag_binary);
        }
    }
}

// A file that begins with a non-empty ID3v2 tag has its trailing tags
// neither read nor written; an empty ID3v2 header does not stop them.
TEST(tag_item_list, leading_id3v2_tag_stops_the_trailing_tags) {
    read_fixture f("id3v2_and_apev2.mp3");
    EXPECT_EQ(f.result, -1);
    EXPECT_EQ(f.list.count(), 0);

    read_fixture g("id3v2_empty_and_apev2.mp3");
    EXPECT_EQ(g.result, 0);
    EXPECT_EQ(g.value("Title"), "B");
    EXPECT_EQ(g.list.leading_size(), 10);

    for (const char* name : {"id3v22.mp3", "id3v2_oversize.mp3"}) {
        read_fixture h(name);
        EXPECT_EQ(h.result, -1) << name;
    }
}

TEST(tag_item_list, offer_keeps_the_higher_priority_and_put_overrides) {
    tag_item_list list;
    list.offer("Title", "low", 3, 0, 10);
    list.offer("TITLE", "high", 4, 0, 20);
    list.offer("title", "middle", 6, 0, 19);
    list.offer("Title", "equal", 5, 0, 20);
    EXPECT_STREQ(list.find("title"), "high");
    EXPECT_STREQ(list.name_at(0), "Title");  // the first name is kept
    EXPECT_EQ(list.priority_at(0), 20);
    list.put("tItLe", "edited");
    EXPECT_STREQ(list.find("Title"), "edited");
    EXPECT_EQ(list.priority_at(0), 0);
    list.put("Album", nullptr);
    EXPECT_STREQ(list.find("ALBUM"), "");
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.find("Artist"), nullptr);
    EXPECT_EQ(list.value_length("Artist"), -1);
}
