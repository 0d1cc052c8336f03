// Writing the ID3v2 tag through id3lib, and removing tags, checked with the
// independent dump of tag_check.py.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "id3v2_tag.h"
#include "tag_test_support.h"
#include "temp_folder.h"
#include "zel_tag.h"

using tag_test::hex;
using tag_test::lines_with;
using tag_test::work_folder;
using tag_test::kTitle;
using tag_test::kArtist;
using tag_test::kAlbum;

namespace {

struct edit {
    explicit edit(const char* fixture) {
        path = folder.copy(fixture);
        original = tag_test::read_bytes(path);
        before = tag_test::dump_id3v2(path);
        s = tag_test::open_stream(path);
        if (s)
            tag.set_stream(s.get());
    }
    std::vector<std::string> after() const { return tag_test::dump_id3v2(path); }

    work_folder folder;
    std::wstring path;
    std::string original;
    std::vector<std::string> before;
    std::unique_ptr<test_file_stream> s;
    zel_tag tag;
};

std::string text_line(const char* id, int encoding, const std::string& text) {
    return std::string("text ") + id + " " + std::to_string(encoding) + " " + hex(text);
}

std::vector<std::string> frame_ids(const std::vector<std::string>& dump) {
    std::vector<std::string> ids;
    for (const std::string& line : lines_with(dump, "frame "))
        ids.push_back(line.substr(6, 4));
    std::sort(ids.begin(), ids.end());
    return ids;
}

bool contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

}  // namespace

TEST(id3v2_write, writes_every_field_in_the_ansi_code_page_and_keeps_other_frames) {
    edit e("id3v23_korean.mp3");
    ASSERT_TRUE(e.s);
    e.tag.set_field("Title", "새 제목");
    ASSERT_TRUE(e.tag.update(zel_tag::kind_id3v2));
    EXPECT_FALSE(e.s->is_open());  // closed before the file was rewritten

    const std::vector<std::string> after = e.after();
    ASSERT_FALSE(after.empty());
    EXPECT_EQ(after[0].substr(0, 9), "version 3");
    EXPECT_TRUE(contains(after, text_line("TIT2", 0, "새 제목")));
    EXPECT_TRUE(contains(after, text_line("TPE1", 0, kArtist)));
    EXPECT_TRUE(contains(after, text_line("TALB", 0, kAlbum)));
    EXPECT_TRUE(contains(after, text_line("TCON", 0, "Pop")));
    EXPECT_TRUE(contains(after, text_line("TRCK", 0, "3")));
    EXPECT_TRUE(contains(after, text_line("TYER", 0, "2016")));
    EXPECT_TRUE(contains(after, "described COMM 0 eng - " + hex("매장 음악")));
    EXPECT_TRUE(contains(after, "described USLT 0 eng - " + hex("가사 첫 줄")));
    EXPECT_TRUE(contains(after, "user 0 " + hex("replaygain_track_gain") + " " + hex("-7.50 dB")));
    EXPECT_TRUE(contains(after, "user 0 " + hex("replaygain_album_gain") + " " + hex("-6.25 dB")));
    EXPECT_EQ(lines_with(after, "user ").size(), 5u);  // four replay-gain texts and the other one

    // Frames that the editor does not handle stay as they were.
    for (const char* id : {"frame APIC", "frame TPE2", "frame TCOM", "frame TOPE", "frame TCOP"})
        EXPECT_EQ(lines_with(after, id), lines_with(e.before, id)) << id;
    EXPECT_TRUE(contains(after, "user 0 " + hex("MusicBrainz Album Id") + " " + hex("kept-value")));
    // The audio and the ID3v1 tag after the ID3v2 tag are unchanged.
    EXPECT_EQ(lines_with(after, "rest "), lines_with(e.before, "rest "));

    // Read back through a new stream.
    auto again = tag_test::open_stream(e.path);
    ASSERT_TRUE(again);
    zel_tag check;
    ASSERT_TRUE(check.set_stream(again.get()));
    EXPECT_STREQ(check.get_field("Title"), "새 제목");
    EXPECT_STREQ(check.get_field("Artist"), kArtist);
    EXPECT_STREQ(check.get_field("Lyrics"), "가사 첫 줄");
    EXPECT_STREQ(check.get_field("replaygain_album_peak"), "0.998000");
}

// Writing one field: the frames of the other fields go, unrelated frames stay.
TEST(id3v2_write, writing_only_a_title_keeps_unrelated_frames) {
    edit e("id3v23_korean.mp3");
    ASSERT_TRUE(e.s);
    while (e.tag.field_count() > 0)
        e.tag.set_field(e.tag.field_name(0), "");
    e.tag.set_field("Title", kTitle);
    ASSERT_TRUE(e.tag.update(zel_tag::kind_id3v2));
    const std::vector<std::string> after = e.after();
    const std::vector<std::string> expected = {"APIC", "TCOM", "TCOP", "TENC", "TIT2", "TOPE", "TPE2", "TXXX"};
    EXPECT_EQ(frame_ids(after), expected);
    EXPECT_TRUE(contains(after, "user 0 " + hex("MusicBrainz Album Id") + " " + hex("kept-value")));
    EXPECT_EQ(lines_with(after, "frame APIC"), lines_with(e.before, "frame APIC"));
    EXPECT_EQ(lines_with(after, "rest "), lines_with(e.before, "rest "));
}

// Clearing every field keeps a tag that still holds other frames (the cover
// picture); a tag left without frames is removed.
TEST(id3v2_write, clearing_every_field_removes_the_tag_only_when_nothing_is_left) {
    {
        edit e("id3v23_korean.mp3");
        ASSERT_TRUE(e.s);
        id3v2_fields empty;
        ASSERT_TRUE(id3v2_write(e.s.get(), &empty));
        const std::vector<std::string> after = e.after();
        EXPECT_EQ(lines_with(after, "frame APIC"), lines_with(e.before, "frame APIC"));
        EXPECT_TRUE(lines_with(after, "frame TIT2").empty());
        EXPECT_EQ(lines_with(after, "rest "), lines_with(e.before, "rest "));
    }
    {
        edit e("tcon_3.mp3");
        ASSERT_TRUE(e.s);
        e.tag.set_field("Genre", "");
        ASSERT_TRUE(e.tag.update(zel_tag::kind_id3v2));
        EXPECT_EQ(e.after(), std::vector<std::string>{"none"});
        EXPECT_TRUE(tag_test::read_bytes(e.path) == e.original.substr(e.original.size() - 2000));
    }
}

TEST(id3v2_write, adds_a_tag_in_front_of_the_audio) {
    edit e("plain.mp3");
    ASSERT_TRUE(e.s);
    e.tag.set_field("Title", kTitle);
    e.tag.set_field("Track", "9");
    e.tag.set_field("replaygain_track_peak", "0.5");
    ASSERT_TRUE(e.tag.update(7));  // any kind above 3 writes ID3v2 too
    const std::vector<std::string> after = e.after();
    const std::vector<std::string> expected = {"TIT2", "TRCK", "TXXX"};
    EXPECT_EQ(frame_ids(after), expected);
    const std::string bytes = tag_test::read_bytes(e.path);
    ASSERT_GE(bytes.size(), e.original.size());
    EXPECT_TRUE(bytes.substr(bytes.size() - e.original.size()) == e.original);
}

// Text that the ANSI code page cannot hold is written as UTF-16 instead of
// being lost to "?".
TEST(id3v2_write, text_outside_the_ansi_code_page_is_written_as_utf16) {
    edit e("plain.mp3");
    ASSERT_TRUE(e.s);
    const std::string thai = "กขค 😀";
    e.tag.set_field("Title", thai.c_str());
    e.tag.set_field("Artist", kArtist);
    e.tag.set_field("Comment", thai.c_str());
    ASSERT_TRUE(e.tag.update(zel_tag::kind_id3v2));
    const std::vector<std::string> after = e.after();
    EXPECT_TRUE(contains(after, text_line("TIT2", 1, thai)));
    EXPECT_TRUE(contains(after, text_line("TPE1", 0, kArtist)));
    EXPECT_TRUE(contains(after, "described COMM 1 eng - " + hex(thai)));

    auto again = tag_test::open_stream(e.path);
    ASSERT_TRUE(again);
    zel_tag check;
    ASSERT_TRUE(check.set_stream(again.get()));
    EXPECT_STREQ(check.get_field("Title"), thai.c_str());
    EXPECT_STREQ(check.get_field("Comment"), thai.c_str());
}

TEST(id3v2_write, a_file_that_cannot_be_written_is_reported_and_kept) {
    {
        // Another program holds the file open without sharing it.
        edit e("id3v23_korean.mp3");
        ASSERT_TRUE(e.s);
        e.tag.set_field("Title", "a much longer title than before, so that the tag grows");
        HANDLE other = CreateFileW(e.path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(other, INVALID_HANDLE_VALUE);
        EXPECT_FALSE(e.tag.update(zel_tag::kind_id3v2));
        CloseHandle(other);
        EXPECT_TRUE(tag_test::read_bytes(e.path) == e.original);
        EXPECT_FALSE(temp_folder::exists(e.path + L".XXXXXX"));
    }
    EXPECT_FALSE(id3v2_write(nullptr, nullptr));
}

TEST(zel_tag_remove, removes_trailing_and_id3v2_tags_and_keeps_the_fields) {
    {
        edit e("id3v23_korean.mp3");  // ID3v2, audio, ID3v1
        ASSERT_TRUE(e.s);
        e.tag.remove();
        const std::string audio = tag_test::fixture("plain.mp3");
        EXPECT_TRUE(tag_test::read_bytes(e.path) == audio);
        EXPECT_STREQ(e.tag.get_field("Title"), kTitle);
    }
    {
        edit e("three_tags.mp3");
        ASSERT_TRUE(e.s);
        e.tag.remove();
        EXPECT_TRUE(tag_test::read_bytes(e.path) == tag_test::fixture("plain.mp3"));
        EXPECT_STREQ(e.tag.get_field("Title"), "ape2 title");
    }
}

// id3lib writes every tag as ID3v2.3: the fields of a v2.4 tag come back
// from the new tag (the year from TDRC as TYER), the audio stays.
TEST(id3v2_write, fields_of_a_v24_tag_read_back_after_the_rewrite) {
    edit e("id3v24.mp3");
    ASSERT_TRUE(e.s);
    e.tag.set_field("Genre", "Jazz");
    ASSERT_TRUE(e.tag.update(zel_tag::kind_id3v2));
    const std::vector<std::string> after = e.after();
    ASSERT_FALSE(after.empty());
    EXPECT_EQ(after[0].substr(0, 9), "version 3");
    EXPECT_EQ(lines_with(after, "rest "), lines_with(e.before, "rest "));
    auto again = tag_test::open_stream(e.path);
    ASSERT_TRUE(again);
    zel_tag check;
    ASSERT_TRUE(check.set_stream(again.get()));
    EXPECT_STREQ(check.get_field("Title"), kTitle);
    EXPECT_STREQ(check.get_field("Artist"), "ÿÿ김민수");
    EXPECT_STREQ(check.get_field("Album"), kAlbum);
    EXPECT_STREQ(check.get_field("Year"), "2020");
    EXPECT_STREQ(check.get_field("Genre"), "Jazz");
}
