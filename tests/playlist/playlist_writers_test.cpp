// Saving playlists as M3U, M3U8 and PLS, and the safe replacement of the
// target: a failed or refused save never loses the file that was there.
#include <gtest/gtest.h>
#include <cstdio>
#include <string>
#include "playlist_formats.h"
#include "playlist_test_support.h"

namespace {

class playlist_writers : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.ok());
        entries_ = {entry_with_path(folder_.in_lists(L"a.mp3")),
                    entry_with_path(folder_.in_lists(L"sub\\\xD55C\xAE00 \x00E9.mp3")),  // 한글 é
                    entry_with_path(folder_.in_root(L"b.mp3")), entry_with_path(L"Q:\\c.mp3"),
                    entry_with_path(L"http://radio.example/live")};
    }
    std::string saved(const wchar_t* name) {
        const std::wstring file = folder_.in_lists(name);
        EXPECT_TRUE(save_playlist_file(file.c_str(), entries_)) << name;
        return wine_host::read_file(file);
    }
    bool write_text(const std::wstring& file, const char* text) {
        FILE* f = _wfopen(file.c_str(), L"wb");
        if (!f) return false;
        fputs(text, f);
        return fclose(f) == 0;
    }

    playlist_folder folder_;
    std::vector<list_info> entries_;
};

}  // namespace

TEST_F(playlist_writers, m3u_and_m3u8_write_relative_lines_without_header) {
    const std::string relative_tail = "..\\b.mp3\r\nQ:\\c.mp3\r\nhttp://radio.example/live\r\n";
    // ANSI: Hangul in code page 949; "é", which it lacks, in the platform's
    // nearest form.
    EXPECT_EQ(saved(L"list.m3u"), "a.mp3\r\nsub\\\xC7\xD1\xB1\xDB e.mp3\r\n" + relative_tail);
    EXPECT_EQ(saved(L"list.M3U8"), "\xEF\xBB\xBF" "a.mp3\r\nsub\\\xED\x95\x9C\xEA\xB8\x80 \xC3\xA9.mp3\r\n" +
                                       relative_tail);
    entries_.clear();
    EXPECT_EQ(saved(L"empty.m3u8"), "");  // no entries, no byte order mark

    // What was written reads back to the same paths.
    entries_ = {entry_with_path(folder_.in_lists(L"sub\\x.mp3")), entry_with_path(folder_.in_root(L"y.mp3"))};
    saved(L"again.m3u8");
    std::vector<list_info> back;
    ASSERT_TRUE(load_playlist(playlist_format::m3u, folder_.in_lists(L"again.m3u8").c_str(), back));
    EXPECT_EQ(paths_of(back), paths_of(entries_));
}

TEST_F(playlist_writers, pls_writes_numbered_keys_and_reads_the_filename_back_as_title) {
    // Private-profile files are ANSI: keep to what code page 949 can hold.
    list_info::set_string(entries_[1].path, folder_.in_lists(L"sub\\\xD55C\xAE00.mp3").c_str());
    list_info::set_string(entries_[0].filename, L"First file");
    list_info::set_string(entries_[0].title, L"not written");
    entries_[0].time = 12.9;
    entries_[2].time = 300.0;
    const std::string text = saved(L"list.pls");
    for (const char* line : {"[playlist]", "NumberOfEntries=5", "File1=a.mp3", "Title1=First file", "Length1=12",
                             "File3=..\\b.mp3", "Length3=300", "File4=Q:\\c.mp3", "File5=http://radio.example/live",
                             "Length5=0", "Version=2"})
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    EXPECT_EQ(text.find("Title2"), std::string::npos);
    EXPECT_EQ(text.find("not written"), std::string::npos);

    std::vector<list_info> back;
    ASSERT_TRUE(load_playlist(playlist_format::pls, folder_.in_lists(L"list.pls").c_str(), back));
    EXPECT_EQ(paths_of(back), paths_of(entries_));
    EXPECT_EQ(text_or_empty(back[0].title), L"First file");

    // A shorter playlist saved over it keeps nothing of the longer one.
    entries_.resize(2);
    const std::string shorter = saved(L"list.pls");
    EXPECT_NE(shorter.find("NumberOfEntries=2"), std::string::npos) << shorter;
    EXPECT_EQ(shorter.find("File3"), std::string::npos) << shorter;
    back.clear();
    ASSERT_TRUE(load_playlist(playlist_format::pls, folder_.in_lists(L"list.pls").c_str(), back));
    EXPECT_EQ(back.size(), 2u);
}

TEST_F(playlist_writers, refused_and_failed_saves_keep_the_old_file) {
    const char* old_text = "old content";
    for (const wchar_t* name : {L"keep.wpl", L"keep.asx", L"keep.txt", L"keep"}) {
        const std::wstring file = folder_.in_lists(name);
        ASSERT_TRUE(write_text(file, old_text));
        EXPECT_FALSE(save_playlist_file(file.c_str(), entries_)) << name;  // formats that are not written
        EXPECT_EQ(wine_host::read_file(file), old_text) << name;
    }
    // A target that cannot be replaced: the save fails, the file stays as it was.
    const std::wstring locked = folder_.in_lists(L"locked.m3u");
    ASSERT_TRUE(write_text(locked, old_text));
    HANDLE hold = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(hold, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(save_playlist_file(locked.c_str(), entries_));
    CloseHandle(hold);
    EXPECT_EQ(wine_host::read_file(locked), old_text);
    // A folder that does not exist.
    EXPECT_FALSE(save_playlist_file(folder_.in_lists(L"missing\\x.m3u").c_str(), entries_));
    EXPECT_FALSE(save_playlist_file(nullptr, entries_));
    EXPECT_FALSE(save_playlist_file(L"", entries_));
    // No temporary file is left behind by any of them.
    for (const std::wstring& name : folder_.list_files()) EXPECT_NE(name.substr(0, 3), L"~zl") << name;
}

TEST_F(playlist_writers, a_save_replaces_the_old_file_whole) {
    const std::wstring file = folder_.in_lists(L"list.cpl");
    ASSERT_TRUE(write_text(file, "<playlist><file path=\"old.mp3\"/></playlist>"));
    ASSERT_TRUE(save_playlist_file(file.c_str(), {entry_with_path(folder_.in_lists(L"new.mp3"))}));
    std::vector<list_info> back;
    ASSERT_TRUE(read_cpl_playlist(file.c_str(), back));
    EXPECT_EQ(paths_of(back), std::vector<std::wstring>{folder_.in_lists(L"new.mp3")});
    EXPECT_EQ(folder_.list_files(), std::vector<std::wstring>{L"list.cpl"});
}
