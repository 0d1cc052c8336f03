// zel_core's own ID3v2 reader on generated tags.
#include <gtest/gtest.h>

#include "id3v2_tag.h"
#include "tag_test_support.h"
#include "utf.h"

using tag_test::work_folder;

namespace {

struct read_fixture {
    explicit read_fixture(const char* name) {
        auto s = tag_test::open_stream(folder.copy(name));
        if (s)
            found = id3v2_read(s.get(), &fields);
    }
    // The text as UTF-8.
    std::string operator[](id3v2_fields::index i) const { return utf::utf16_to_utf8(fields.text[i].wvalue()).value(); }

    work_folder folder;
    id3v2_fields fields;
    bool found = false;
};

}  // namespace

TEST(id3v2_read, maps_every_frame_of_a_korean_v23_tag) {
    read_fixture f("id3v23_korean.mp3");
    ASSERT_TRUE(f.found);
    const struct {
        id3v2_fields::index field;
        const char* expected;
    } rows[] = {
        {id3v2_fields::title, "봄날의 노래"},      // encoding 0, code page 949
        {id3v2_fields::artist, "김민수"},          // UTF-16, little-endian mark
        {id3v2_fields::album, "사계절"},           // UTF-16, big-endian mark
        {id3v2_fields::composer, "작곡가"},
        {id3v2_fields::original_artist, "원곡 가수"},
        {id3v2_fields::copyright, "(c) 2016 ZEL"},
        {id3v2_fields::encoded_by, "인코더"},
        {id3v2_fields::comment, "매장 음악"},
        {id3v2_fields::lyrics, "가사 첫 줄"},
        {id3v2_fields::year, "2016"},
        {id3v2_fields::track, "3"},                // "3/12"
        {id3v2_fields::genre, "Pop"},              // "(13)"
        {id3v2_fields::track_gain, "-7.50 dB"},    // description in capitals
        {id3v2_fields::track_peak, "0.912345"},
        {id3v2_fields::album_gain, "-6.25 dB"},    // UTF-16 description and value
        {id3v2_fields::album_peak, "0.998000"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(f[row.field], row.expected) << row.field;
}

TEST(id3v2_read, v24_tag_with_utf8_tdrc_frame_unsync_and_data_length) {
    read_fixture f("id3v24.mp3");
    ASSERT_TRUE(f.found);
    EXPECT_EQ(f[id3v2_fields::title], "봄날의 노래");
    EXPECT_EQ(f[id3v2_fields::year], "2020");  // TDRC; a TYER frame is not read in v2.4
    EXPECT_EQ(f[id3v2_fields::artist], "ÿÿ김민수");
    EXPECT_EQ(f[id3v2_fields::album], "사계절");
    EXPECT_EQ(f[id3v2_fields::composer], "작곡가");  // UTF-16BE
}

TEST(id3v2_read, tag_layouts) {
    const struct {
        const char* fixture;
        bool found;
        id3v2_fields::index field;
        const char* expected;
    } rows[] = {
        {"id3v24_footer.mp3", true, id3v2_fields::title, "봄날의 노래"},
        {"id3v23_unsync.mp3", true, id3v2_fields::artist, "ÿÿ김민수"},
        {"id3v23_unsync.mp3", true, id3v2_fields::title, "after"},
        {"id3v23_ext.mp3", true, id3v2_fields::title, "Ext3"},
        {"id3v24_ext.mp3", true, id3v2_fields::title, "Ext4"},
        {"id3v22.mp3", false, id3v2_fields::title, ""},
        {"id3v2_oversize.mp3", false, id3v2_fields::title, ""},
        {"plain.mp3", false, id3v2_fields::title, ""},
        {"tiny.mp3", false, id3v2_fields::title, ""},
    };
    for (const auto& row : rows) {
        read_fixture f(row.fixture);
        EXPECT_EQ(f.found, row.found) << row.fixture;
        EXPECT_EQ(f[row.field], row.expected) << row.fixture;
    }
}

TEST(id3v2_read, first_usable_frame_of_each_kind_counts) {
    read_fixture f("id3v2_frame_order.mp3");
    ASSERT_TRUE(f.found);
    EXPECT_EQ(f[id3v2_fields::title], "First");  // after a compressed one, before a second
    EXPECT_EQ(f[id3v2_fields::artist], "Open");  // after an encrypted one
    EXPECT_EQ(f[id3v2_fields::album], "Good");   // after one of an unknown encoding
}

TEST(id3v2_read, comment_without_text_is_its_description) {
    read_fixture f("id3v2_comm_empty.mp3");
    ASSERT_TRUE(f.found);
    EXPECT_EQ(f[id3v2_fields::comment], "Desc");
    EXPECT_EQ(f[id3v2_fields::lyrics], "가사");
}

TEST(id3v2_read, genre_references) {
    const char* const expected[] = {"Pop", "Text", "", "Rock", "Blues", "Pop", "", "Blues"};
    for (int i = 0; i < 8; ++i) {
        const std::string name = "tcon_" + std::to_string(i) + ".mp3";
        read_fixture f(name.c_str());
        ASSERT_TRUE(f.found) << name;
        EXPECT_EQ(f[id3v2_fields::genre], expected[i]) << name;
    }
}

TEST(id3v2_read, keeps_the_stream_position_and_refuses_null) {
    work_folder folder;
    auto s = tag_test::open_stream(folder.copy("id3v23_korean.mp3"));
    ASSERT_TRUE(s);
    ASSERT_EQ(s->seek(1234, 0), 0);
    id3v2_fields fields;
    EXPECT_TRUE(id3v2_read(s.get(), &fields));
    EXPECT_EQ(s->tell(), 1234);
    EXPECT_FALSE(id3v2_read(nullptr, &fields));
    EXPECT_FALSE(id3v2_read(s.get(), nullptr));
}

// Frame, extended-header and padding sizes that reach past the tag end the
// reading of frames there; the frames before them count.
TEST(id3v2_read, sizes_past_the_tag_are_refused) {
    const struct {
        const char* fixture;
        const char* title;
    } rows[] = {
        {"id3v2_frame_past_end.mp3", "Good"},  {"id3v24_frame_past_end.mp3", "Good"},
        {"id3v2_cut_header.mp3", "Good"},      {"id3v23_padding_huge.mp3", "Pad"},
        {"id3v23_ext_huge.mp3", ""},           {"id3v24_ext_huge.mp3", ""},
    };
    for (const auto& row : rows) {
        read_fixture f(row.fixture);
        EXPECT_TRUE(f.found) << row.fixture;
        EXPECT_EQ(f[id3v2_fields::title], row.title) << row.fixture;
        EXPECT_EQ(f[id3v2_fields::album], "") << row.fixture;
    }
}

// Every size field of a full tag replaced by extreme values: no crash, and
// no text longer than the tag.
TEST(id3v2_read, corrupted_sizes_never_lead_outside_the_tag) {
    const std::string fixture = tag_test::fixture("id3v23_korean.mp3");
    ASSERT_GT(fixture.size(), 2000u);
    const std::string original = fixture.substr(0, 1059 + 500);  // the tag and some audio
    const unsigned values[] = {0u, 1u, 10u, 0x7Fu, 0x7F7F7F7Fu, 0x7FFFFFFFu, 0xFFFFFFFFu, 0x00000400u};
    work_folder folder;
    int cases = 0;
    for (size_t at = 3; at + 4 <= 1059; at += 3) {
        for (unsigned value : values) {
            std::string data = original;
            for (int k = 0; k < 4; ++k)
                data[at + k] = static_cast<char>(value >> (24 - 8 * k));
            auto s = tag_test::open_stream(folder.make("fuzz.mp3", data));
            ASSERT_TRUE(s);
            id3v2_fields fields;
            id3v2_read(s.get(), &fields);
            for (int i = 0; i < id3v2_fields::count; ++i)
                ASSERT_LE(fields.text[i].length(), 1059) << at << " " << value;
            ++cases;
        }
    }
    EXPECT_GT(cases, 2000);
}
