#include "utility.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "temp_folder.h"

namespace {

using texts = std::vector<std::wstring>;

texts as_texts(const std::vector<stringx>& list) {
    texts out;
    for (const stringx& s : list)
        out.push_back(s.wvalue());
    return out;
}

std::wstring wide(const stringx& s) {
    EXPECT_EQ(s.encoding(), stringx::UNI_CODE);
    return s.wvalue();
}

}  // namespace

TEST(paths, file_name_extension_and_folder_parts) {
    const struct {
        const wchar_t* path;
        const wchar_t* name;
        const wchar_t* extension;
        const wchar_t* folder;
    } cases[] = {
        {L"C:\\a\\b.mp3", L"b.mp3", L"mp3", L"C:\\a"},
        {L"b.mp3", L"b.mp3", L"mp3", L""},
        {L"C:\\a\\", L"C:\\a\\", L"C:\\a\\", L"C:\\a"},  // ends in the separator
        {L"song.MP3", L"song.MP3", L"MP3", L""},
        {L"README", L"README", L"README", L""},
        {L"name.", L"name.", L"name.", L""},              // ends in "."
        {L"C:\\my.dir\\file", L"file", L"dir\\file", L"C:\\my.dir"},
        {L"\\x.tar.gz", L"x.tar.gz", L"gz", L""},
        {L"C:\\음악\\한글.Mp3", L"한글.Mp3", L"Mp3", L"C:\\음악"},
        {L"", L"", L"", L""},
        {nullptr, L"", L"", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        EXPECT_EQ(wide(utility::get_file_name(c.path)), c.name);
        EXPECT_EQ(wide(utility::get_file_extension(c.path)), c.extension);
        EXPECT_EQ(wide(utility::get_folder_name(c.path)), c.folder);
    }
}

TEST(paths, check_filename_removes_forbidden_characters) {
    const struct {
        const wchar_t* path;
        const wchar_t* name;
    } cases[] = {
        {L"C:\\d\\a?b:c.txt", L"abc.txt"},
        {L"x<y>z|w*\"q\"/.mp3", L"xyzwq.mp3"},
        {L"가수 - 제목 (Live).mp3", L"가수 - 제목 (Live).mp3"},
        {L"C:\\d\\", L""},
        {nullptr, L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(wide(utility::check_filename(c.path)), c.name);
}

TEST(paths, find_system_folder_gives_existing_folders) {
    for (auto folder : {utility::folder_appdata, utility::folder_personal}) {
        const std::wstring path = wide(utility::find_system_folder(folder));
        ASSERT_FALSE(path.empty());
        EXPECT_NE(path.back(), L'\\') << std::string(path.begin(), path.end());
        EXPECT_TRUE(temp_folder::is_folder(path)) << std::string(path.begin(), path.end());
    }
    wchar_t appdata[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, appdata, CSIDL_APPDATA, FALSE));
    EXPECT_EQ(wide(utility::find_system_folder(utility::folder_appdata)), appdata);
    EXPECT_EQ(wide(utility::find_system_folder(static_cast<utility::system_folder_t>(0x7F))), L"");
}

TEST(paths, check_directory_makes_missing_parents) {
    temp_folder tmp(L"zel_dirs");
    ASSERT_FALSE(tmp.path().empty());

    EXPECT_TRUE(utility::check_directory((tmp / L"new\\sub").c_str()));
    EXPECT_TRUE(temp_folder::is_folder(tmp / L"new"));
    EXPECT_TRUE(temp_folder::is_folder(tmp / L"new\\sub"));
    EXPECT_TRUE(utility::check_directory((tmp / L"new\\sub").c_str()));  // exists already

    // A trailing backslash: the folders are made, and that is success.
    EXPECT_TRUE(utility::check_directory((tmp / L"음악\\temp\\music\\").c_str()));
    EXPECT_TRUE(temp_folder::is_folder(tmp / L"음악\\temp\\music"));

    // A file in the way.
    ASSERT_TRUE(tmp.write(L"file.txt", "data"));
    EXPECT_FALSE(utility::check_directory((tmp / L"file.txt").c_str()));
    EXPECT_FALSE(utility::check_directory((tmp / L"file.txt\\sub").c_str()));

    // No existing ancestor to start from.
    EXPECT_FALSE(utility::check_directory(L"zel_relative_missing\\sub"));
    EXPECT_FALSE(temp_folder::exists(L"zel_relative_missing"));
    EXPECT_FALSE(utility::check_directory(L""));
    EXPECT_FALSE(utility::check_directory(nullptr));

    // Longer than the platform's path limit: refused, nothing made.
    const std::wstring long_path = tmp / (L"long\\" + std::wstring(MAX_PATH, L'x'));
    EXPECT_FALSE(utility::check_directory(long_path.c_str()));
    EXPECT_FALSE(temp_folder::exists(tmp / L"long"));
}

TEST(paths, make_file_path_inserts_before_the_extension_of_the_name) {
    temp_folder tmp(L"zel_names");
    ASSERT_FALSE(tmp.path().empty());
    ASSERT_TRUE(tmp.make_folder(L"my.dir"));
    const std::wstring a = tmp / L"a.txt";

    EXPECT_EQ(wide(utility::make_file_path(a.c_str())), a);  // free already
    ASSERT_TRUE(tmp.write(L"a.txt"));
    EXPECT_EQ(wide(utility::make_file_path(a.c_str())), tmp / L"a(1).txt");
    ASSERT_TRUE(tmp.write(L"a(1).txt"));
    EXPECT_EQ(wide(utility::make_file_path(a.c_str())), tmp / L"a(1)(1).txt");

    // A dot in a folder name never changes the folder.
    ASSERT_TRUE(tmp.write(L"my.dir\\file"));
    EXPECT_EQ(wide(utility::make_file_path((tmp / L"my.dir\\file").c_str())),
              tmp / L"my.dir\\file(1)");
    ASSERT_TRUE(tmp.write(L"my.dir\\곡.mp3"));
    EXPECT_EQ(wide(utility::make_file_path((tmp / L"my.dir\\곡.mp3").c_str())),
              tmp / L"my.dir\\곡(1).mp3");

    // An existing folder counts as taken too.
    EXPECT_EQ(wide(utility::make_file_path((tmp / L"my.dir").c_str())), tmp / L"my(1).dir");
    EXPECT_EQ(wide(utility::make_file_path(nullptr)), L"");
}

TEST(paths, convert_filename_gives_an_ansi_path_to_the_same_file) {
    temp_folder tmp(L"zel_short");
    ASSERT_FALSE(tmp.path().empty());
    const std::wstring name = L"아주 긴 한글 파일 이름입니다 long name.cpl";
    ASSERT_TRUE(tmp.write(name, "content-42"));

    char* ansi = utility::convert_filename((tmp / name).c_str());
    ASSERT_NE(ansi, nullptr);
    FILE* f = fopen(ansi, "rb");
    ASSERT_NE(f, nullptr) << ansi;
    char read[32] = {};
    EXPECT_EQ(fread(read, 1, sizeof read - 1, f), 10u);
    fclose(f);
    EXPECT_STREQ(read, "content-42");
    free(ansi);

    // A missing file is made for the lookup only.
    const std::wstring missing = tmp / L"새 재생목록.cpl";
    ansi = utility::convert_filename(missing.c_str());
    ASSERT_NE(ansi, nullptr);
    EXPECT_GT(strlen(ansi), 0u);
    EXPECT_FALSE(temp_folder::exists(missing));
    free(ansi);

    ansi = utility::convert_filename(nullptr);
    ASSERT_NE(ansi, nullptr);
    EXPECT_STREQ(ansi, "");
    free(ansi);
}

namespace {

// A tree of files for the search: the wanted ones, and names that look close.
void make_tree(const temp_folder& tmp) {
    for (const wchar_t* folder : {L"sub", L"sub\\deeper", L".hidden_dir", L"folder.mp3"})
        ASSERT_TRUE(tmp.make_folder(folder));
    for (const wchar_t* file : {L"x.MP3", L"y.wav", L"z.mp3.txt", L".hidden.mp3", L"Aa.mp3",
                                L"한글.mp3", L"noext", L"mp3", L"sub\\b.mp3", L"sub\\deeper\\c.Wav",
                                L".hidden_dir\\d.mp3", L"folder.mp3\\e.txt"})
        ASSERT_TRUE(tmp.write(file));
}

}  // namespace

TEST(paths, find_files_returns_the_sorted_matches) {
    temp_folder tmp(L"zel_find");
    ASSERT_FALSE(tmp.path().empty());
    make_tree(tmp);
    const std::wstring r = tmp.path() + L"\\";

    std::vector<stringx> flat;
    utility::find_files(tmp.path().c_str(), L"mp3;wav", flat, false);
    // A file without a dot is compared by its whole name.
    EXPECT_EQ(as_texts(flat), (texts{r + L"Aa.mp3", r + L"mp3", r + L"x.MP3", r + L"y.wav", r + L"한글.mp3"}));

    // The caller's entries are kept and sorted with the found ones.
    std::vector<stringx> deep{stringx(L"zzz"), stringx(L"C:\\first.mp3")};
    utility::find_files(tmp.path().c_str(), L"WAV;Mp3;", deep, true);
    EXPECT_EQ(as_texts(deep),
              (texts{L"C:\\first.mp3", r + L"Aa.mp3", r + L"mp3", r + L"sub\\b.mp3", r + L"sub\\deeper\\c.Wav",
                     r + L"x.MP3", r + L"y.wav", r + L"한글.mp3", L"zzz"}));
}

TEST(paths, find_files_with_nothing_to_find_still_sorts) {
    temp_folder tmp(L"zel_find");
    ASSERT_FALSE(tmp.path().empty());
    make_tree(tmp);
    const struct {
        const wchar_t* folder;
        const wchar_t* extensions;
    } cases[] = {
        {L"C:\\zel_no_such_folder", L"mp3"},
        {tmp.path().c_str(), L""},
        {tmp.path().c_str(), nullptr},
        {tmp.path().c_str(), L"ogg;flac"},
        {nullptr, L"mp3"},
    };
    for (const auto& c : cases) {
        std::vector<stringx> files{stringx(L"b"), stringx(L"a")};
        utility::find_files(c.folder, c.extensions, files, true);
        EXPECT_EQ(as_texts(files), (texts{L"a", L"b"}));
    }
}

namespace {

int g_pumped = 0;

LRESULT CALLBACK counting_proc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_APP)
        ++g_pumped;
    return DefWindowProcW(window, message, w, l);
}

}  // namespace

TEST(paths, find_files_keeps_windows_alive) {
    temp_folder tmp(L"zel_find");
    ASSERT_FALSE(tmp.path().empty());
    WNDCLASSW cls = {};
    cls.lpfnWndProc = counting_proc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"zel_paths_test_window";
    RegisterClassW(&cls);
    HWND window = CreateWindowW(cls.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                cls.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    g_pumped = 0;
    PostMessageW(window, WM_APP, 0, 0);
    std::vector<stringx> files;
    utility::find_files(tmp.path().c_str(), L"mp3", files, false);
    EXPECT_EQ(g_pumped, 1);
    DestroyWindow(window);
}

TEST(paths, create_drop_files_builds_a_wide_drop_block) {
    std::vector<stringx> paths{stringx(L"a"), stringx(L"bc")};
    unsigned size = 99;
    unsigned char* block = utility::create_drop_files(paths, &size);
    ASSERT_NE(block, nullptr);
    ASSERT_EQ(size, 32u);
    DROPFILES header;
    memcpy(&header, block, sizeof header);
    EXPECT_EQ(header.pFiles, 20u);
    EXPECT_EQ(header.pt.x, 0);
    EXPECT_EQ(header.pt.y, 0);
    EXPECT_FALSE(header.fNC);
    EXPECT_TRUE(header.fWide);
    const wchar_t names[] = {L'a', 0, L'b', L'c', 0, 0};
    EXPECT_EQ(memcmp(block + 20, names, sizeof names), 0);
    ::operator delete(block);

    // Korean and ANSI-held paths end up as wide names too.
    std::vector<stringx> korean{stringx(L"C:\\음악\\곡.mp3"), stringx("C:\\x.mp3")};
    block = utility::create_drop_files(korean, &size);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(size, 20u + 2 * (11 + 1) + 2 * (8 + 1) + 2);
    const wchar_t* first = reinterpret_cast<const wchar_t*>(block + 20);
    EXPECT_STREQ(first, L"C:\\음악\\곡.mp3");
    EXPECT_STREQ(first + 12, L"C:\\x.mp3");
    ::operator delete(block);

    std::vector<stringx> none;
    size = 99;
    EXPECT_EQ(utility::create_drop_files(none, &size), nullptr);
    EXPECT_EQ(size, 0u);
}
