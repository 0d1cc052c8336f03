// Writing the trailing tags through zel_tag::update, checked byte for byte by
// the independent checker (tag_check.py).
#include <gtest/gtest.h>

#include <windows.h>

#include "tag_item_list.h"
#include "tag_test_support.h"
#include "zel_tag.h"

using tag_test::item;
using tag_test::work_folder;
using tag_test::kTitle;
using tag_test::kArtist;
using tag_test::kAlbum;
using tag_test::kComment;

namespace {

struct edit {
    explicit edit(const char* fixture) {
        path = folder.copy(fixture);
        original = tag_test::read_bytes(path);
        s = tag_test::open_stream(path);
        if (s)
            tag.set_stream(s.get());
    }
    std::string bytes() const { return tag_test::read_bytes(path); }
    // The file still begins with the audio of the fixture.
    bool audio_intact(size_t audio) const { return bytes().compare(0, audio, original, 0, audio) == 0; }

    work_folder folder;
    std::wstring path;
    std::string original;
    std::unique_ptr<test_file_stream> s;
    zel_tag tag;
};

void set_korean_fields(zel_tag& tag) {
    tag.set_field("Title", kTitle);
    tag.set_field("Artist", kArtist);
    tag.set_field("Album", kAlbum);
    tag.set_field("Year", "2016");
    tag.set_field("Comment", kComment);
    tag.set_field("Track", "12");
    tag.set_field("Genre", "rock");
}

}  // namespace

TEST(tag_write, id3v1_is_byte_exact_with_korean_text_in_the_ansi_code_page) {
    edit e("plain.mp3");
    ASSERT_TRUE(e.s);
    set_korean_fields(e.tag);
    ASSERT_TRUE(e.tag.update(zel_tag::kind_id3v1));
    EXPECT_EQ(e.bytes().size(), 140000u + 128u);
    EXPECT_TRUE(e.audio_intact(140000));
    EXPECT_EQ(tag_test::check_trailing(e.path, 140000, "id3v1",
                                       {{"Title", kTitle}, {"Artist", kArtist}, {"Album", kAlbum},
                                        {"Year", "2016"}, {"Comment", kComment}, {"Track", "12"},
                                        {"Genre", "rock"}}),
              "ok\n");
    const std::string tag = e.bytes().substr(140000);
    EXPECT_EQ(static_cast<unsigned char>(tag[125]), 0);
    EXPECT_EQ(static_cast<unsigned char>(tag[126]), 12);
    EXPECT_EQ(static_cast<unsigned char>(tag[127]), 17);  // "rock" in any case
}

TEST(tag_write, id3v1_field_widths_track_and_genre) {
    const std::string thirty = "123456789012345678901234567890";
    const struct {
        const char* title;
        const char* comment;
        const char* track;
        const char* genre;
    } rows[] = {
        {"Short", thirty.c_str(), "12", "Pop"},             // the comment keeps 28 characters
        {"Short", thirty.c_str(), "", "Pop"},               // no track: 30 characters
        {"A title that is longer than thirty", "", "", "Not a genre"},
        {"Track 300", "", "300", ""},                       // the low 8 bits
        {"Track text", "", "7/12", "(kein)"},               // "(kein)" means no genre
    };
    for (const auto& row : rows) {
        edit e("plain.mp3");
        ASSERT_TRUE(e.s);
        e.tag.set_field("Title", row.title);
        e.tag.set_field("Comment", row.comment);
        e.tag.set_field("Track", row.track);
        e.tag.set_field("Genre", row.genre);
        ASSERT_TRUE(e.tag.update(zel_tag::kind_id3v1)) << row.title;
        const std::string genre = std::string(row.genre) == "(kein)" ? "" : row.genre;
        EXPECT_EQ(tag_test::check_trailing(e.path, 140000, "id3v1",
                                           {{"Title", row.title}, {"Comment", row.comment},
                                            {"Track", row.track}, {"Genre", genre}}),
                  "ok\n")
            << row.title;
    }
}

TEST(tag_write, ape_v1_is_byte_exact_in_the_ansi_code_page) {
    edit e("plain.mp3");
    ASSERT_TRUE(e.s);
    set_korean_fields(e.tag);
    e.tag.set_field("replaygain_track_gain", "-3.10 dB");
    e.tag.set_field("Mood", "not written");  // not a standard field
    ASSERT_TRUE(e.tag.update(zel_tag::kind_ape_v1));
    EXPECT_TRUE(e.audio_intact(140000));
    EXPECT_EQ(tag_test::check_trailing(e.path, 140000, "apev1",
                                       {{"Title", kTitle}, {"Artist", kArtist}, {"Album", kAlbum},
                                        {"Year", "2016"}, {"Comment", kComment}, {"Track", "12"},
                                        {"Genre", "rock"}, {"replaygain_track_gain", "-3.10 dB"}}),
              "ok\n");
}

// Items of the file that are not standard fields stay, in their place.
TEST(tag_write, ape_v2_is_byte_exact_in_utf8_and_keeps_other_items) {
    edit e("apev2h_v1.mp3");
    ASSERT_TRUE(e.s);
    e.tag.set_field("Comment", "새 설명");
    ASSERT_TRUE(e.tag.update(zel_tag::kind_ape_v2));
    EXPECT_TRUE(e.audio_intact(140000));
    EXPECT_EQ(tag_test::check_trailing(e.path, 140000, "apev2",
                                       {{"Title", kTitle}, {"Artist", kArtist}, {"Year", "1999"},
                                        {"Genre", "Jazz"}, {"replaygain_track_gain", "-6.20 dB"},
                                        {"Mood", "calm"}, {"Comment", "새 설명"}}),
              "ok\n");
}

TEST(tag_write, apev2_semicolon_lists_are_written_back_as_nul_separated_values) {
    edit e("apev2_nul.mp3");
    ASSERT_TRUE(e.s);
    ASSERT_STREQ(e.tag.get_field("Artist"), "First; Second");
    ASSERT_TRUE(e.tag.update(zel_tag::kind_ape_v2));
    EXPECT_TRUE(e.bytes() == e.original);  // the same tag, byte for byte
    EXPECT_NE(e.bytes().find(std::string("First\0Second", 12)), std::string::npos);
    EXPECT_EQ(tag_test::check_trailing(e.path, 140000, "apev2",
                                       {{"Title", kTitle}, {"Artist", "First; Second"},
                                        {"Cover Art (Front)", std::string("pic\0ture; \xff\x00", 12), 2}}),
              "ok\n");
}

// A new tag takes the place of all the trailing tags.
TEST(tag_write, new_tag_replaces_every_trailing_tag) {
    edit e("apev2h_v1.mp3");
    ASSERT_TRUE(e.s);
    ASSERT_TRUE(e.tag.update(zel_tag::kind_id3v1));
    EXPECT_EQ(e.bytes().size(), 140000u + 128u);
    EXPECT_TRUE(e.audio_intact(140000));
    EXPECT_EQ(tag_test::check_trailing(e.path, 140000, "id3v1",
                                       {{"Title", kTitle}, {"Artist", kArtist}, {"Year", "1999"},
                                        {"Genre", "Jazz"}}),
              "ok\n");
}

// Saving a short file again and again replaces its tag each time; it never
// appends another one after the old.
TEST(tag_write, short_file_does_not_grow_at_every_save) {
    for (int kind : {zel_tag::kind_id3v1, zel_tag::kind_ape_v1, zel_tag::kind_ape_v2}) {
        edit e("v1_small.mp3");
        ASSERT_TRUE(e.s);
        ASSERT_STREQ(e.tag.get_field("Title"), kTitle);
        e.tag.set_field("Comment", "first save");
        ASSERT_TRUE(e.tag.update(kind)) << kind;
        const size_t after_first = e.bytes().size();
        for (int i = 0; i < 3; ++i) {
            e.tag.set_field("Comment", i % 2 ? "again" : "other");
            ASSERT_TRUE(e.tag.update(kind)) << kind;
            ASSERT_TRUE(e.tag.set_stream(e.s.get()));
        }
        e.tag.set_field("Comment", "first save");
        ASSERT_TRUE(e.tag.update(kind));
        EXPECT_EQ(e.bytes().size(), after_first) << kind;
        EXPECT_TRUE(e.audio_intact(4000)) << kind;
        EXPECT_STREQ(e.tag.get_field("Title"), kTitle) << kind;
    }
}

TEST(tag_write, leading_id3v2_tag_refuses_trailing_writes_and_keeps_the_file) {
    for (int kind : {zel_tag::kind_ape_v1, zel_tag::kind_ape_v2, zel_tag::kind_id3v1}) {
        edit e("id3v2_and_apev2.mp3");
        ASSERT_TRUE(e.s);
        e.tag.set_field("Title", "new");
        EXPECT_FALSE(e.tag.update(kind)) << kind;
        EXPECT_TRUE(e.bytes() == e.original) << kind;
    }
}

TEST(tag_write, failures_are_reported) {
    {
        edit e("plain.mp3");
        ASSERT_TRUE(e.s);
        EXPECT_FALSE(e.tag.update(-1));
        zel_tag unbound;
        EXPECT_FALSE(unbound.update(zel_tag::kind_id3v1));
        EXPECT_TRUE(e.bytes() == e.original);
    }
    for (int kind : {zel_tag::kind_ape_v1, zel_tag::kind_ape_v2, zel_tag::kind_id3v1}) {
        edit e("plain.mp3");
        ASSERT_TRUE(e.s);
        e.tag.set_field("Title", "x");
        e.s->write_budget = 10;  // the disk fills after 10 bytes
        EXPECT_FALSE(e.tag.update(kind)) << kind;
    }
    for (int kind : {zel_tag::kind_ape_v1, zel_tag::kind_ape_v2, zel_tag::kind_id3v1}) {
        edit e("apev2h_v1.mp3");
        ASSERT_TRUE(e.s);
        // Another program reads the file and lets nobody write it.
        HANDLE other = CreateFileW(e.path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(other, INVALID_HANDLE_VALUE);
        e.tag.set_field("Title", "x");
        EXPECT_FALSE(e.tag.update(kind)) << kind;
        CloseHandle(other);
        EXPECT_TRUE(e.bytes() == e.original) << kind;
        // The stream reads again afterwards.
        char head[4] = {};
        ASSERT_EQ(e.s->seek(0, 0), 0);
        EXPECT_EQ(e.s->read(head, 4), 4);
    }
}

// Writing keeps the stream where it was, read-only.
TEST(tag_write, stream_position_and_mode_are_restored) {
    edit e("apev2h_v1.mp3");
    ASSERT_TRUE(e.s);
    ASSERT_EQ(e.s->seek(777, 0), 0);
    ASSERT_TRUE(e.tag.update(zel_tag::kind_ape_v2));
    EXPECT_EQ(e.s->tell(), 777);
    EXPECT_FALSE(e.s->is_writable());
}

TEST(tag_item_list_write, strip_and_write_need_the_file_to_end_where_it_was_read) {
    edit e("apev2h_v1.mp3");
    ASSERT_TRUE(e.s);
    e.s->reopen(L"r+b");
    ASSERT_EQ(e.s->seek(0, 0), 0);
    tag_item_list list;
    ASSERT_EQ(list.open(e.s.get()), 0);
    // Another writer appends to the file in between.
    ASSERT_EQ(e.s->seek(0, 2), 0);
    ASSERT_EQ(e.s->write("more", 4), 4);
    list.set_kind(tag_item_list::kind_id3v1);
    EXPECT_EQ(list.write(), tag_item_list::write_error);
    EXPECT_EQ(list.strip(), tag_item_list::write_error);
    list.set_kind(tag_item_list::kind_none);
    EXPECT_EQ(list.write(), tag_item_list::write_error);
    e.s->reopen(L"rb");
    EXPECT_TRUE(e.bytes() == e.original + "more");
}
