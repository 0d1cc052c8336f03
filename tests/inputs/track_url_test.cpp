// Track URLs: recognition, the HTTP address and start fraction, cache file
// names and folders, and the ID3v2 header test.
#include <gtest/gtest.h>
#include <cwchar>
#include <string>
#include "track_test_support.h"
#include "track_url.h"

TEST(track_url, recognises_music_and_announcement_urls) {
    struct row {
        const wchar_t* url;
        bool track, info;
    } rows[] = {
        {L"zel://h/a.mp3", true, false},      {L"ZEL://h/a.mp3", true, false},
        {L"zel2://h/a.mp3", true, true},      {L"Zel2://h/a.mp3|0.0|1", true, true},
        {L"http://h/a.mp3", false, false},    {L"zel:/h/a.mp3", false, false},
        {L"zel3://h/a.mp3", false, false},    {L"", false, false},
        {nullptr, false, false},
    };
    for (const row& r : rows) {
        EXPECT_EQ(track_url::is_track_url(r.url), r.track) << (r.url ? r.url : L"(null)");
        EXPECT_EQ(track_url::is_info_url(r.url), r.info) << (r.url ? r.url : L"(null)");
    }
}

TEST(track_url, parses_address_start_fraction_and_id) {
    struct row {
        const wchar_t* url;
        const wchar_t* address;
        double start;
        size_t pieces;
    } rows[] = {
        {L"zel://h/p/a1b2.mp3|0.250000|17", L"http://h/p/a1b2.mp3", 0.25, 3},
        {L"zel://h/a.mp3|-1.0|5", L"http://h/a.mp3", 0.0, 3},
        {L"zel2://h/a.mp3", L"http://h/a.mp3", 0.0, 1},
        {L"zel2://h:8080/x/b.mp3|0.500000|9", L"http://h:8080/x/b.mp3", 0.5, 3},
        {L"zel://h/a.mp3|1.000000|3", L"http://h/a.mp3", 1.0, 3},
        // Upper-case prefixes are track URLs, but only the exact prefix is replaced.
        {L"ZEL://h/a.mp3", L"ZEL://h/a.mp3", 0.0, 1},
    };
    for (const row& r : rows) {
        track_url::parts p;
        ASSERT_TRUE(track_url::parse(r.url, p)) << r.url;
        EXPECT_STREQ(p.address.wvalue(), r.address) << r.url;
        EXPECT_DOUBLE_EQ(p.start, r.start) << r.url;
        EXPECT_EQ(p.pieces.size(), r.pieces) << r.url;
    }
    track_url::parts p;
    EXPECT_FALSE(track_url::parse(L"http://h/a.mp3", p));
    EXPECT_FALSE(track_url::parse(nullptr, p));
}

TEST(track_url, cache_names_keep_the_base_name_and_never_share_a_file_between_addresses) {
    const std::wstring a = track_url::cache_file_name(L"zel://h/p/a1b2.mp3|0.000000|17").wvalue();
    ASSERT_EQ(a.size(), 4 + 1 + 16 + 4u) << a;
    EXPECT_EQ(a.compare(0, 5, L"a1b2_"), 0) << a;
    EXPECT_EQ(a.compare(a.size() - 4, 4, L".tmp"), 0) << a;
    // One address keeps one file, whatever its start fraction or id.
    EXPECT_EQ(a, std::wstring(track_url::cache_file_name(L"zel://h/p/a1b2.mp3|0.500000|99").wvalue()));
    EXPECT_EQ(a, std::wstring(track_url::cache_file_name(L"zel://h/p/a1b2.mp3").wvalue()));
    // The same base name in another folder or on another host is another file.
    EXPECT_NE(a, std::wstring(track_url::cache_file_name(L"zel://h/q/a1b2.mp3|0.000000|17").wvalue()));
    EXPECT_NE(a, std::wstring(track_url::cache_file_name(L"zel://g/p/a1b2.mp3|0.000000|17").wvalue()));
    // Names without "." no longer all map to ".tmp".
    const std::wstring x = track_url::cache_file_name(L"zel://h/p/track|0.000000|1").wvalue();
    const std::wstring y = track_url::cache_file_name(L"zel://h/p/other|0.000000|2").wvalue();
    EXPECT_EQ(x.size(), 16 + 4u) << x;
    EXPECT_NE(x, y);
    EXPECT_STREQ(track_url::cache_file_name(L"http://h/p/a.mp3").wvalue(), L"");
}

TEST(track_url, cache_files_lie_in_the_music_or_info_folder) {
    track_test::environment env;
    const std::wstring music = track_url::cache_file(L"zel://h/p/a1b2.mp3|0.000000|17").wvalue();
    const std::wstring info = track_url::cache_file(L"zel2://h/p/a1b2.mp3|0.000000|17").wvalue();
    EXPECT_EQ(music, env.root.path() + L"\\temp\\music\\" + track_url::cache_file_name(L"zel://h/p/a1b2.mp3").wvalue());
    EXPECT_EQ(info, env.root.path() + L"\\temp\\info\\" + track_url::cache_file_name(L"zel2://h/p/a1b2.mp3").wvalue());
}

TEST(track_url, id3v2_header_sizes) {
    struct row {
        unsigned char h[10];
        int size;
    } rows[] = {
        {{'I', 'D', '3', 3, 0, 0x00, 0, 0, 0x26, 0x7E}, 5000},         // 4990 + 10
        {{'I', 'D', '3', 4, 0, 0x10, 0, 0, 0x00, 0x10}, 16 + 20},      // footer
        {{'I', 'D', '3', 4, 0, 0x80, 0x7F, 0x7F, 0x7F, 0x7F}, 0x0FFFFFFF + 10},
        {{'I', 'D', '3', 3, 0, 0x01, 0, 0, 0, 10}, 0},                 // low flag bits set
        {{'I', 'D', '3', 3, 0, 0x00, 0, 0x80, 0, 10}, 0},              // size byte with its top bit
        {{'I', 'D', '2', 3, 0, 0x00, 0, 0, 0, 10}, 0},
        {{0xFF, 0xFB, 0x90, 0x64, 0, 0, 0, 0, 0, 0}, 0},
    };
    for (const row& r : rows) EXPECT_EQ(track_url::id3v2_size(r.h), r.size);
}
