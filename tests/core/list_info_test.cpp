#include "list_info.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <utility>
#include <vector>

namespace {

wchar_t* list_info::*const kStrings[] = {
    &list_info::path,  &list_info::filename, &list_info::artist, &list_info::title,
    &list_info::album, &list_info::date,     &list_info::genre,  &list_info::id};

// A record with every field set to a distinct value.
void fill(list_info& e) {
    e.time = 181.5;
    e.channel = 2;
    e.samplerate = 44100;
    e.bitrate = 320;
    e.track = 7;
    e.track_gain = -6.5;
    e.track_peak = 0.98;
    e.album_gain = -7.25;
    e.album_peak = 1.02;
    e.subtrack = 1;
    list_info::set_string(e.path, L"C:\\음악\\곡.mp3");
    list_info::set_string(e.filename, L"곡.mp3");
    list_info::set_string(e.artist, L"가수");
    list_info::set_string(e.title, L"제목");
    list_info::set_string(e.album, L"앨범");
    list_info::set_string(e.date, L"2016");
    list_info::set_string(e.genre, L"Pop");
    list_info::set_string(e.id, L"{0F1E2D3C-0000-0000-0000-000000000001}");
}

void expect_numbers_equal(const list_info& a, const list_info& b) {
    EXPECT_EQ(a.time, b.time);
    EXPECT_EQ(a.channel, b.channel);
    EXPECT_EQ(a.samplerate, b.samplerate);
    EXPECT_EQ(a.bitrate, b.bitrate);
    EXPECT_EQ(a.track, b.track);
    EXPECT_EQ(a.track_gain, b.track_gain);
    EXPECT_EQ(a.track_peak, b.track_peak);
    EXPECT_EQ(a.album_gain, b.album_gain);
    EXPECT_EQ(a.album_peak, b.album_peak);
    EXPECT_EQ(a.subtrack, b.subtrack);
}

// Equal text in separate buffers.
void expect_strings_duplicated(const list_info& copy, const list_info& source) {
    for (auto field : kStrings) {
        ASSERT_NE(copy.*field, nullptr);
        EXPECT_NE(copy.*field, source.*field);
        EXPECT_STREQ(copy.*field, source.*field);
    }
}

}  // namespace

TEST(list_info, layout_is_numbers_then_eight_strings) {
    // Every module compiles this class, so these offsets of the 32-bit build
    // are the contract between them: the table pointer, the numbers (doubles
    // on 8-byte boundaries), the flag, then the eight string pointers.
#ifdef _WIN64
    GTEST_SKIP() << "the offsets are the 32-bit program's contract; pointers are 8 bytes here";
#endif
    list_info e;
    auto at = [&e](const void* field) {
        return static_cast<int>(static_cast<const char*>(field) - reinterpret_cast<const char*>(&e));
    };
    const struct {
        const char* name;
        int offset;
        int expected;
    } fields[] = {
        {"time", at(&e.time), 8},        {"channel", at(&e.channel), 16},
        {"samplerate", at(&e.samplerate), 20}, {"bitrate", at(&e.bitrate), 24},
        {"track", at(&e.track), 28},     {"track_gain", at(&e.track_gain), 32},
        {"track_peak", at(&e.track_peak), 40}, {"album_gain", at(&e.album_gain), 48},
        {"album_peak", at(&e.album_peak), 56}, {"subtrack", at(&e.subtrack), 64},
        {"path", at(&e.path), 68},       {"filename", at(&e.filename), 72},
        {"artist", at(&e.artist), 76},   {"title", at(&e.title), 80},
        {"album", at(&e.album), 84},     {"date", at(&e.date), 88},
        {"genre", at(&e.genre), 92},     {"id", at(&e.id), 96},
    };
    for (const auto& f : fields)
        EXPECT_EQ(f.offset, f.expected) << f.name;
    EXPECT_EQ(sizeof(list_info), 104u);
}

TEST(list_info, default_record_is_zero_and_null) {
    list_info e;
    expect_numbers_equal(e, list_info());
    EXPECT_EQ(e.time, 0.0);
    EXPECT_EQ(e.samplerate, 0);
    EXPECT_EQ(e.subtrack, 0);
    for (auto field : kStrings)
        EXPECT_EQ(e.*field, nullptr);
}

TEST(list_info, copies_duplicate_strings_and_numbers) {
    list_info source;
    fill(source);

    list_info constructed(source);
    expect_numbers_equal(constructed, source);
    expect_strings_duplicated(constructed, source);

    list_info assigned;
    list_info::set_string(assigned.title, L"old title");
    assigned.track = 99;
    assigned = source;
    expect_numbers_equal(assigned, source);
    expect_strings_duplicated(assigned, source);
}

TEST(list_info, null_strings_stay_null_in_copies) {
    list_info source;
    source.time = 3.0;
    list_info::set_string(source.title, L"");  // empty stays empty, not null
    list_info constructed(source);
    list_info assigned;
    fill(assigned);
    assigned = source;
    for (const list_info* copy : {&constructed, &assigned}) {
        EXPECT_EQ(copy->time, 3.0);
        for (auto field : kStrings) {
            if (field == &list_info::title) {
                ASSERT_NE(copy->title, nullptr);
                EXPECT_STREQ(copy->title, L"");
            } else {
                EXPECT_EQ(copy->*field, nullptr);
            }
        }
    }
}

TEST(list_info, self_assignment_keeps_everything) {
    list_info e;
    fill(e);
    list_info before(e);
    wchar_t* title = e.title;
    list_info& alias = e;
    e = alias;
    expect_numbers_equal(e, before);
    EXPECT_EQ(e.title, title);  // nothing freed and reallocated
    for (auto field : kStrings)
        EXPECT_STREQ(e.*field, before.*field);
}

TEST(list_info, free_strings_keeps_the_numbers) {
    list_info e;
    fill(e);
    list_info before(e);
    e.free_strings();
    expect_numbers_equal(e, before);
    for (auto field : kStrings)
        EXPECT_EQ(e.*field, nullptr);
    e.free_strings();  // twice is harmless
    list_info::set_string(e.artist, L"refilled");
    EXPECT_STREQ(e.artist, L"refilled");
}

TEST(list_info, set_string_replaces_and_accepts_its_own_value) {
    list_info e;
    list_info::set_string(e.title, L"first");
    list_info::set_string(e.title, e.title);
    EXPECT_STREQ(e.title, L"first");
    list_info::set_string(e.title, L"second");
    EXPECT_STREQ(e.title, L"second");
    list_info::set_string(e.title, nullptr);
    EXPECT_EQ(e.title, nullptr);
}

TEST(list_info, vector_copies_own_their_strings) {
    list_info source;
    fill(source);
    {
        std::vector<list_info> entries;
        entries.push_back(source);
        entries.push_back(source);  // reallocation copies and destroys elements
        entries.insert(entries.begin(), source);
        entries.erase(entries.begin() + 1);
        ASSERT_EQ(entries.size(), 2u);
        expect_strings_duplicated(entries[0], source);
        list_info* by_pointer = new list_info(source);
        std::vector<list_info*> pointers{by_pointer};
        delete pointers[0];
    }
    // The source still holds valid strings of its own.
    EXPECT_STREQ(source.path, L"C:\\음악\\곡.mp3");
    EXPECT_STREQ(source.id, L"{0F1E2D3C-0000-0000-0000-000000000001}");
}

TEST(list_info, moves_hand_the_strings_over_and_a_growing_vector_copies_no_text) {
    // Without move operations every reallocation of a vector of entries
    // duplicated and freed all their strings (a large playlist's load spent
    // most of its time there).
    list_info source;
    fill(source);
    const wchar_t* path = source.path;
    list_info moved(std::move(source));
    EXPECT_EQ(moved.path, path);
    EXPECT_EQ(source.path, nullptr);
    EXPECT_EQ(source.id, nullptr);
    EXPECT_DOUBLE_EQ(moved.time, source.time);  // numbers are copied
    list_info target;
    fill(target);
    target = std::move(moved);  // the target's own strings are freed
    EXPECT_EQ(target.path, path);
    EXPECT_EQ(moved.path, nullptr);
    list_info* self = &target;
    target = std::move(*self);  // a move onto itself keeps everything
    EXPECT_EQ(target.path, path);

    std::vector<list_info> entries(1);
    list_info::set_string(entries[0].path, L"first");
    const wchar_t* first = entries[0].path;
    for (int i = 0; i < 100; ++i) entries.emplace_back();
    EXPECT_EQ(entries[0].path, first);  // the same text, not a copy
}
