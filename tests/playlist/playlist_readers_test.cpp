// The readers of M3U, M3U8, PLS, WPL and ASX, each on a fixture of its edge
// cases (tests/playlist/fixtures), copied into T\lists.
#include <gtest/gtest.h>
#include <cctype>
#include <cstdio>
#include <string>
#include "playlist_formats.h"
#include "playlist_test_support.h"

namespace {

const std::wstring korean = L"\xD55C\xAE00";  // 한글
const std::wstring song = L"\xB178\xB798";    // 노래

class playlist_readers : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder_.ok()); }

    // Loads the fixture, copied under the name given, with the loader of format.
    std::vector<list_info> load(playlist_format format, const char* fixture, const wchar_t* name, bool* ok = nullptr) {
        const std::wstring file = folder_.in_lists(name);
        EXPECT_TRUE(copy_fixture(fixture, file)) << fixture;
        std::vector<list_info> entries;
        const bool loaded = load_playlist(format, file.c_str(), entries);
        if (ok)
            *ok = loaded;
        else
            EXPECT_TRUE(loaded) << fixture;
        return entries;
    }
    std::wstring in_lists(const std::wstring& name) const { return folder_.in_lists(name); }
    std::wstring in_root(const std::wstring& name) const { return folder_.in_root(name); }
    static bool write_bytes(const std::wstring& file, const std::string& bytes) {
        FILE* f = _wfopen(file.c_str(), L"wb");
        if (!f) return false;
        const bool written = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        return fclose(f) == 0 && written;
    }

    playlist_folder folder_;
};

}  // namespace

TEST_F(playlist_readers, m3u_resolves_lines_and_skips_comments) {
    auto entries = load(playlist_format::m3u, "edge_cases.m3u", L"edge_cases.m3u");
    EXPECT_EQ(paths_of(entries), (std::vector<std::wstring>{
                                     in_lists(L"a.mp3"),
                                     in_lists(L"sub\\b.mp3"),
                                     in_root(L"up\\c.mp3"),
                                     L"C:\\music\\d.mp3",
                                     in_lists(L" C:\\music\\e.mp3"),  // the blank hides the drive
                                     L"http://radio.example/live.mp3",
                                     L"\\\\server\\share\\f.mp3",
                                     in_lists(korean + L".mp3"),  // code page 949
                                     in_lists(L"g.mp3"),
                                 }));
    for (const list_info& e : entries) EXPECT_EQ(e.title, nullptr);
}

TEST_F(playlist_readers, m3u_encoding_is_decided_by_the_first_line_over_three_bytes) {
    // "a" is read before the decision; the byte order mark on the next line
    // makes the rest UTF-8, whatever the extension.
    auto entries = load(playlist_format::m3u, "late_bom.m3u", L"late_bom.m3u");
    EXPECT_EQ(paths_of(entries), (std::vector<std::wstring>{in_lists(L"a"), in_lists(song + L" \x00E9.mp3"),
                                                             in_lists(L"\xACE1.mp3")}));
    // An .m3u8 without the mark is read in the ANSI code page.
    entries = load(playlist_format::m3u, "no_bom.m3u8", L"no_bom.M3U8");
    EXPECT_EQ(paths_of(entries), std::vector<std::wstring>{in_lists(song + L".mp3")});
}

TEST_F(playlist_readers, pls_reads_numbered_entries_with_titles) {
    auto entries = load(playlist_format::pls, "edge_cases.pls", L"edge_cases.pls");
    // Entry 2 is missing: skipped; entry 3's key is in capitals.
    ASSERT_EQ(paths_of(entries), (std::vector<std::wstring>{in_lists(L"a.mp3"), in_root(L"c.mp3"),
                                                             L"http://radio.example:8000/"}));
    EXPECT_EQ(text_or_empty(entries[0].title), L"First");
    EXPECT_EQ(entries[1].title, nullptr);
    EXPECT_EQ(text_or_empty(entries[2].title), L"Radio");
    EXPECT_DOUBLE_EQ(entries[0].time, 0.0);  // lengths are not read

    bool ok = true;
    entries = load(playlist_format::pls, "empty.pls", L"empty.pls", &ok);
    EXPECT_FALSE(ok);  // an entry count of 0
    EXPECT_TRUE(entries.empty());
}

TEST_F(playlist_readers, pls_work_follows_what_the_file_holds_not_the_count_it_announces) {
    // Regression: one profile lookup per announced number; a file of a few
    // bytes announcing 100,000 entries held its reader for about 19 s per
    // read (titles included, twice that).
    const std::wstring file = in_lists(L"announces_much.pls");
    ASSERT_TRUE(write_bytes(file, "[playlist]\r\nNumberOfEntries=100000\r\nFile99999=far.mp3\r\n"));
    const DWORD begin = GetTickCount();
    std::vector<list_info> entries;
    ASSERT_TRUE(load_playlist(playlist_format::pls, file.c_str(), entries));
    const DWORD took = GetTickCount() - begin;
    RecordProperty("read_ms", int(took));
    EXPECT_EQ(paths_of(entries), std::vector<std::wstring>{in_lists(L"far.mp3")});
    EXPECT_LT(took, 2000u) << "the read stalls";
}

TEST_F(playlist_readers, pls_entries_are_those_a_lookup_of_each_number_finds) {
    // Keys read once from the section must give what a private-profile
    // lookup of "File<n>" and "Title<n>" gives: blanks and one pair of
    // quotes taken off, the first of a repeated key, no leading zeros, no
    // number beyond the count, nothing from another section.
    const std::wstring file = in_lists(L"tricky.pls");
    ASSERT_TRUE(write_bytes(file,
                            "[other]\r\nFile1=elsewhere.mp3\r\n"
                            "[Playlist]\r\nnumberofentries = 6\r\n"
                            "  file1  =   spaced.mp3  \r\ntitle1=\"Quoted title\"\r\n"
                            "File2='single.mp3'\r\nFile2=second_of_two.mp3\r\nTitle2='half\r\n"
                            "File03=zero.mp3\r\n;File4=comment.mp3\r\nFile4=\r\n"
                            "FILE5=\"\"\r\nFile6=x.mp3\r\nTitle6=t6\r\nFile7=beyond.mp3\r\n"));
    std::vector<list_info> entries;
    ASSERT_TRUE(load_playlist(playlist_format::pls, file.c_str(), entries));
    std::vector<std::wstring> expected_paths, expected_titles;
    for (int i = 1; i <= 6; ++i) {
        wchar_t value[4096];
        const std::wstring number = std::to_wstring(i);
        GetPrivateProfileStringW(L"playlist", (L"file" + number).c_str(), L"", value, 4096, file.c_str());
        std::wstring path = value;
        GetPrivateProfileStringW(L"playlist", (L"title" + number).c_str(), L"", value, 4096, file.c_str());
        if (path.empty()) continue;
        expected_paths.push_back(in_lists(path));
        expected_titles.push_back(value);
    }
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str());
    EXPECT_EQ(paths_of(entries), expected_paths);
    ASSERT_EQ(entries.size(), expected_titles.size());
    for (size_t i = 0; i < entries.size(); ++i) EXPECT_EQ(text_or_empty(entries[i].title), expected_titles[i]) << i;
    EXPECT_GE(entries.size(), 3u);
}

TEST_F(playlist_readers, wpl_reads_media_sources_in_either_quote) {
    auto entries = load(playlist_format::wpl, "edge_cases.wpl", L"edge_cases.wpl");
    EXPECT_EQ(paths_of(entries), (std::vector<std::wstring>{
                                     in_lists(L"a.mp3"),
                                     in_lists(L"Tom's song.mp3"),  // double quotes win over the apostrophe
                                     in_lists(L"sub\\Quoted.mp3"),
                                     in_root(song + L" \x00E9.mp3"),  // UTF-8
                                     in_lists(L"spaced.mp3"),
                                     L"http://radio.example/x.mp3",
                                 }));
}

TEST_F(playlist_readers, asx_reads_references_until_one_without_href) {
    auto entries = load(playlist_format::asx, "edge_cases.asx", L"edge_cases.asx");
    EXPECT_EQ(paths_of(entries), (std::vector<std::wstring>{
                                     L"http://radio.example/a.asf",
                                     in_lists(L"local.wma"),
                                     in_lists(L"'single.wma'"),  // single quotes stay
                                     in_lists(L"sub\\" + korean + L".wma"),
                                 }));
}

TEST_F(playlist_readers, loaders_take_only_their_own_extensions) {
    struct {
        playlist_format format;
        const char* fixture;
        const wchar_t* name;
        bool accepted;
    } cases[] = {
        {playlist_format::m3u, "edge_cases.m3u", L"x.M3U", true},
        {playlist_format::m3u, "edge_cases.m3u", L"x.m3u8", true},
        {playlist_format::m3u, "edge_cases.m3u", L"x.pls", false},
        {playlist_format::pls, "edge_cases.pls", L"y.PLS", true},
        {playlist_format::pls, "edge_cases.pls", L"y.m3u", false},
        {playlist_format::wpl, "edge_cases.wpl", L"z.Wpl", true},
        {playlist_format::wpl, "edge_cases.wpl", L"z.asx", false},
        {playlist_format::asx, "edge_cases.asx", L"w.ASX", true},
        {playlist_format::asx, "edge_cases.asx", L"w.wpl", false},
        {playlist_format::asx, "edge_cases.asx", L"asx", false},
        // The extension is the text after the last dot, compared whole.
        {playlist_format::m3u, "edge_cases.m3u", L"x.m3u.mp3", false},
        {playlist_format::m3u, "edge_cases.m3u", L"x.mp3.M3u8", true},
        {playlist_format::m3u, "edge_cases.m3u", L"x.m3", false},
        {playlist_format::m3u, "edge_cases.m3u", L"x.m3u8x", false},
    };
    for (const auto& c : cases) {
        bool ok = false;
        auto entries = load(c.format, c.fixture, c.name, &ok);
        EXPECT_EQ(ok, c.accepted) << c.name;
        EXPECT_EQ(entries.empty(), !c.accepted) << c.name;
    }
    std::vector<list_info> entries;
    EXPECT_FALSE(load_playlist(playlist_format::m3u, nullptr, entries));
    EXPECT_FALSE(load_playlist(playlist_format::m3u, L"", entries));
    EXPECT_FALSE(load_playlist(playlist_format::m3u, in_lists(L"missing.m3u").c_str(), entries));
    EXPECT_FALSE(load_playlist(playlist_format::pls, in_lists(L"missing.pls").c_str(), entries));
}

// The readers cut a file into lines as fgets does in text mode: the lines of
// a file with every kind of line end and byte that matters are compared with
// what fgets gives for it (lines of addresses, which are kept as they are).
TEST_F(playlist_readers, lines_are_read_as_fgets_reads_them_in_text_mode) {
    std::string bytes = "http://a/crlf\r\nhttp://a/lf\nhttp://a/lone\rcr\r\n";
    // Longer than a line buffer (4095 bytes): read in two pieces, each an address.
    bytes += "http://a/" + std::string(4086, 'x') + "http://b/" + std::string(900, 'x') + "\r\n";
    bytes += "http://a/" + std::string(4085, 'y') + "\r\n";   // the line end just fits
    bytes += "http://a/" + std::string(4086, 'w') + "\r\n";   // the line end comes alone
    bytes += std::string("http://a/zero\0tail\r\n", 20);      // the line ends at the zero byte
    bytes += "#comment\r\n\r\n   \r\n";
    // A "\r\n" across the reader's 1 MB blocks, then more lines.
    int n = 0;
    while (bytes.size() < (1u << 20) - 40) bytes += "http://p/" + std::to_string(n++) + "\r\n";
    bytes += "http://a/boundary";
    bytes += std::string((1u << 20) - 1 - bytes.size(), 'z');
    bytes += "\r\nhttp://a/after\r\nhttp://a/cr_at_end_of_block\r";
    bytes += "http://a/last\x1ahttp://a/after_the_end\r\n";
    const std::wstring file = in_lists(L"text_mode.m3u");
    ASSERT_TRUE(write_bytes(file, bytes));

    std::vector<std::wstring> expected;
    FILE* f = _wfopen(file.c_str(), L"r");
    ASSERT_NE(f, nullptr);
    char buffer[4096];
    while (fgets(buffer, sizeof buffer, f)) {
        std::string line(buffer);
        while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        expected.push_back(std::wstring(line.begin(), line.end()));
    }
    fclose(f);
    ASSERT_GT(expected.size(), 1000u);
    std::vector<list_info> entries;
    ASSERT_TRUE(load_playlist(playlist_format::m3u, file.c_str(), entries));
    const std::vector<std::wstring> paths = paths_of(entries);
    ASSERT_EQ(paths.size(), expected.size());
    for (size_t i = 0; i < paths.size(); ++i) EXPECT_EQ(paths[i], expected[i]) << "line " << i;
}
