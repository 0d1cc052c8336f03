// The two path rules of the playlist files: relative on writing, resolved
// on reading.
#include <gtest/gtest.h>
#include <string>
#include "playlist_paths.h"

namespace {
struct path_case {
    const wchar_t* folder;
    const wchar_t* path;
    const wchar_t* expected;
};
}  // namespace

TEST(playlist_paths, make_entry_paths_relative_to_the_playlist_folder) {
    const path_case cases[] = {
        {L"C:\\music\\pop", L"C:\\music\\rock\\a.mp3", L"..\\rock\\a.mp3"},
        {L"C:\\music\\rock", L"C:\\music\\rock\\a.mp3", L"a.mp3"},
        {L"C:\\music\\rock", L"c:\\MUSIC\\Rock\\sub\\a.mp3", L"sub\\a.mp3"},
        {L"C:\\a\\b\\c", L"C:\\a.mp3", L"..\\..\\..\\a.mp3"},
        {L"C:\\", L"C:\\a.mp3", L"a.mp3"},
        {L"D:\\lists", L"C:\\music\\rock\\a.mp3", L"C:\\music\\rock\\a.mp3"},
        {L"C:\\lists", L"http://radio.example/a.mp3", L"http://radio.example/a.mp3"},
        {L"C:\\lists", L"zel://track/1", L"zel://track/1"},
        {L"\\\\server\\share\\lists", L"\\\\server\\share\\music\\a.mp3", L"..\\music\\a.mp3"},
        {L"\\\\server\\share\\lists", L"C:\\a.mp3", L"C:\\a.mp3"},
        {L"\\\\server\\share\\lists", L"\\server\\share\\a.mp3", L"\\server\\share\\a.mp3"},
        {L"", L"C:\\a.mp3", L"C:\\a.mp3"},
        {L"C:\\lists", L"", L""},
    };
    for (const path_case& c : cases)
        EXPECT_EQ(make_relative_path(c.folder, c.path), c.expected) << c.folder << L" | " << c.path;
}

TEST(playlist_paths, resolve_entry_paths_against_the_playlist_folder) {
    const path_case cases[] = {
        {L"C:\\music\\pop", L"..\\rock\\a.mp3", L"C:\\music\\rock\\a.mp3"},
        {L"C:\\music\\pop", L"a.mp3", L"C:\\music\\pop\\a.mp3"},
        {L"C:\\music\\pop", L".\\sub\\a.mp3", L"C:\\music\\pop\\sub\\a.mp3"},
        {L"C:\\music\\pop", L"sub\\..\\a.mp3", L"C:\\music\\pop\\a.mp3"},
        {L"C:\\music\\pop\\", L"a.mp3", L"C:\\music\\pop\\a.mp3"},
        // Absolute texts stay as they are.
        {L"C:\\music\\pop", L"D:\\x\\a.mp3", L"D:\\x\\a.mp3"},
        {L"C:\\music\\pop", L"\\\\server\\share\\a.mp3", L"\\\\server\\share\\a.mp3"},
        {L"C:\\music\\pop", L"\\rooted\\a.mp3", L"\\rooted\\a.mp3"},
        {L"C:\\music\\pop", L"http://radio.example/a.mp3", L"http://radio.example/a.mp3"},
        {L"C:\\music\\pop", L"x|C:\\a.mp3", L"x|C:\\a.mp3"},
        // A blank before a drive hides it: the text is relative.
        {L"C:\\music\\pop", L" C:\\x.mp3", L"C:\\music\\pop\\ C:\\x.mp3"},
        // ".." never climbs above the drive, or above server and share.
        {L"C:\\music\\pop", L"..\\..\\..\\..\\a.mp3", L"C:\\a.mp3"},
        {L"\\\\server\\share\\lists", L"..\\music\\a.mp3", L"\\\\server\\share\\music\\a.mp3"},
        {L"\\\\server\\share\\lists", L"..\\..\\..\\a.mp3", L"\\\\server\\share\\a.mp3"},
        {L"C:\\music\\pop", L"", L""},
    };
    for (const path_case& c : cases)
        EXPECT_EQ(resolve_relative_path(c.folder, c.path), c.expected) << c.folder << L" | " << c.path;
}

TEST(playlist_paths, relative_paths_resolve_back_to_the_original) {
    const wchar_t* folders[] = {L"C:\\music\\lists", L"C:\\", L"\\\\server\\share\\lists"};
    const wchar_t* paths[] = {L"C:\\music\\lists\\a.mp3", L"C:\\music\\lists\\sub\\b.mp3", L"C:\\music\\c.mp3",
                              L"C:\\d.mp3", L"D:\\e.mp3", L"\\\\server\\share\\f.mp3",
                              L"\\\\server\\share\\lists\\g\\h.mp3", L"http://radio.example/i.mp3"};
    for (const wchar_t* folder : folders)
        for (const wchar_t* path : paths)
            EXPECT_EQ(resolve_relative_path(folder, make_relative_path(folder, path)), path)
                << folder << L" | " << path;
}
