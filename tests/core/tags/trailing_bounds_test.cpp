// Damaged trailing tags: item and tag sizes that point past the tag or the
// file are refused without reading outside the tag.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "tag_item_list.h"
#include "tag_test_support.h"

using tag_test::work_folder;

namespace {

struct read_result {
    int result = -2;
    long long audio_end = -1;
    long long file_end = -1;
    std::string title = "<none>";
    std::string other = "<none>";
    int count = 0;
    int longest = 0;
};

read_result read_file(const std::wstring& path, const char* other = "Artist") {
    read_result r;
    auto s = tag_test::open_stream(path);
    if (!s)
        return r;
    tag_item_list list;
    r.result = list.open(s.get());
    r.audio_end = list.audio_end();
    r.file_end = list.file_end();
    if (const char* v = list.find("Title"))
        r.title = v;
    if (const char* v = list.find(other))
        r.other = v;
    r.count = list.count();
    for (int i = 0; i < list.count(); ++i)
        r.longest = std::max(r.longest, static_cast<int>(strlen(list.value_at(i))));
    return r;
}

}  // namespace

// The items before a damaged one are kept, the damaged one and what follows
// it are dropped, and the tag still counts as a tag (a later write replaces
// it instead of appending another).
TEST(tag_item_list_bounds, item_lengths_past_the_tag_end_the_walk) {
    const struct {
        const char* fixture;
        const char* other;
    } rows[] = {
        {"apev2_value_past_end.mp3", "Artist"},
        {"apev2_value_huge.mp3", "Artist"},
        {"apev2_name_unterminated.mp3", "Artist"},
        {"apev2_name_unterminated.mp3", "ArtistBad"},
        {"apev1_value_past_end.mp3", "Album"},
        {"apev2_count_huge.mp3", "Artist"},
    };
    for (const auto& row : rows) {
        work_folder folder;
        const read_result r = read_file(folder.copy(row.fixture), row.other);
        EXPECT_EQ(r.result, 0) << row.fixture;
        EXPECT_EQ(r.title, "Good") << row.fixture;
        EXPECT_EQ(r.other, "<none>") << row.fixture;
        EXPECT_EQ(r.count, 1) << row.fixture;
        EXPECT_EQ(r.audio_end, 140000) << row.fixture;
    }
}

TEST(tag_item_list_bounds, tag_size_past_the_file_leaves_the_tag_unread) {
    work_folder folder;
    const std::wstring path = folder.copy("apev2_size_past_file.mp3");
    const read_result r = read_file(path);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.count, 0);
    EXPECT_EQ(r.audio_end, r.file_end);
    EXPECT_EQ(r.file_end, static_cast<long long>(tag_test::fixture("apev2_size_past_file.mp3").size()));
}

// A footer that claims a header which is not there: the 32 bytes in front of
// the items are audio and stay out of the tag.
TEST(tag_item_list_bounds, missing_apev2_header_is_not_taken_from_the_audio) {
    work_folder folder;
    const read_result r = read_file(folder.copy("apev2_header_missing.mp3"));
    EXPECT_EQ(r.title, "Good");
    EXPECT_EQ(r.audio_end, 140000);
}

// Every 32-bit number of a valid APE v2 tag and ID3v1 tag replaced by
// extreme values: reading never crashes, and what it reports stays inside
// the file.
TEST(tag_item_list_bounds, corrupted_numbers_never_lead_outside_the_file) {
    // 1000 bytes of audio, an APE v2 tag with a header, an ID3v1 tag.
    const std::string original =
        tag_test::fixture("apev2_nul.mp3").substr(139000) + tag_test::fixture("v1_131072.mp3").substr(131072 - 128);
    ASSERT_GT(original.size(), 1000u + 128u);
    const unsigned values[] = {0u, 1u, 8u, 31u, 32u, 33u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 0xFFFFFFF8u, 1100u};
    work_folder folder;
    int cases = 0;
    for (size_t at = 1000; at + 4 <= original.size(); at += 2) {
        for (unsigned value : values) {
            std::string data = original;
            for (int k = 0; k < 4; ++k)
                data[at + k] = static_cast<char>(value >> (8 * k));
            const std::wstring path = folder.make("fuzz.mp3", data);
            ASSERT_FALSE(path.empty());
            const read_result r = read_file(path);
            ASSERT_EQ(r.result, 0) << at << " " << value;
            ASSERT_GE(r.audio_end, 0) << at << " " << value;
            ASSERT_LE(r.audio_end, r.file_end) << at << " " << value;
            // (a NUL byte inside an APE v2 value reads as two characters)
            ASSERT_LE(r.longest, 2 * (static_cast<int>(data.size()) - 1000)) << at << " " << value;
            ++cases;
        }
    }
    EXPECT_GT(cases, 1000);
}
