// The own XML playlist format: reading by the attribute table, writing with
// relative paths and reading back, the last playlist.
#include <gtest/gtest.h>
#include <cstdio>
#include <string>
#include "playlist_formats.h"
#include "playlist_test_support.h"

namespace {

list_info full_entry(const std::wstring& path) {
    list_info e = entry_with_path(path);
    e.time = 215.25;
    e.channel = 2;
    e.bitrate = 192;
    e.samplerate = 44100;
    e.track = 0;
    e.track_gain = -6.5;
    e.track_peak = 0.987654;
    e.album_gain = -7.25;
    e.album_peak = 1.0;
    e.subtrack = 1;
    list_info::set_string(e.artist, L"\xAC00\xC218");  // 가수
    list_info::set_string(e.title, L"Title & \"quoted\" <tag>");
    list_info::set_string(e.album, L"Album");
    list_info::set_string(e.genre, L"Jazz");
    list_info::set_string(e.date, L"2001");
    list_info::set_string(e.filename, L"not written");
    list_info::set_string(e.id, L"{not written}");
    return e;
}

}  // namespace

TEST(cpl_format, reads_fields_by_the_attribute_table) {
    playlist_folder folder;
    ASSERT_TRUE(folder.ok());
    const std::wstring file = folder.in_lists(L"attributes.cpl");
    ASSERT_TRUE(copy_fixture("attributes.cpl", file));
    std::vector<list_info> entries;
    ASSERT_TRUE(read_cpl_playlist(file.c_str(), entries));
    // The element without a path, the other element and the empty path give nothing.
    ASSERT_EQ(paths_of(entries), (std::vector<std::wstring>{folder.in_lists(L"a.mp3"), folder.in_root(L"up\\b.mp3"),
                                                             L"D:\\other\\c.mp3"}));
    const list_info& a = entries[0];
    EXPECT_EQ(text_or_empty(a.filename), L"a file");  // names ignore case
    EXPECT_EQ(text_or_empty(a.artist), L"Artist");
    EXPECT_EQ(text_or_empty(a.genre), L"Jazz");  // from "jenre"
    EXPECT_EQ(text_or_empty(a.title), L"T & U");
    EXPECT_EQ(text_or_empty(a.album), L"Al");
    EXPECT_EQ(text_or_empty(a.date), L"2001");
    EXPECT_EQ(a.subtrack, 1);  // "3" reads as the flag
    EXPECT_EQ(a.track, 0);     // empty
    EXPECT_DOUBLE_EQ(a.time, 12.5);
    EXPECT_EQ(a.bitrate, 128);
    EXPECT_EQ(a.channel, 2);
    EXPECT_EQ(a.samplerate, 44100);
    EXPECT_DOUBLE_EQ(a.track_gain, -6.5);
    EXPECT_DOUBLE_EQ(a.track_peak, 0.9);
    EXPECT_DOUBLE_EQ(a.album_gain, -7.0);
    EXPECT_DOUBLE_EQ(a.album_peak, 1.0);
    EXPECT_EQ(a.id, nullptr);

    const list_info& b = entries[1];
    EXPECT_EQ(text_or_empty(b.genre), L"Pop");  // the later of "genre" and "jenre"
    EXPECT_EQ(b.subtrack, 0);
    EXPECT_EQ(b.track, 7);          // leading digits of "7x"
    EXPECT_DOUBLE_EQ(b.time, 0.0);  // "abc"
}

TEST(cpl_format, refuses_other_extensions_missing_and_unreadable_documents) {
    playlist_folder folder;
    ASSERT_TRUE(folder.ok());
    std::vector<list_info> entries;
    EXPECT_FALSE(read_cpl_playlist(nullptr, entries));
    EXPECT_FALSE(read_cpl_playlist(L"", entries));
    const std::wstring renamed = folder.in_lists(L"attributes.xml");
    ASSERT_TRUE(copy_fixture("attributes.cpl", renamed));
    EXPECT_FALSE(read_cpl_playlist(renamed.c_str(), entries));
    EXPECT_FALSE(read_cpl_playlist(folder.in_lists(L"missing.cpl").c_str(), entries));
    const std::wstring broken = folder.in_lists(L"broken.cpl");
    FILE* f = _wfopen(broken.c_str(), L"wb");
    ASSERT_NE(f, nullptr);
    fputs("<playlist><file path=\"a.mp3\"", f);
    fclose(f);
    EXPECT_FALSE(read_cpl_playlist(broken.c_str(), entries));
    EXPECT_TRUE(entries.empty());
    // Upper-case extension, a document whose only element has no path: read, nothing found.
    const std::wstring pathless = folder.in_lists(L"PATHLESS.CPL");
    f = _wfopen(pathless.c_str(), L"wb");
    ASSERT_NE(f, nullptr);
    fputs("<playlist><file title=\"x\"/></playlist>", f);
    fclose(f);
    EXPECT_TRUE(read_cpl_playlist(pathless.c_str(), entries));
    EXPECT_TRUE(entries.empty());
}

TEST(cpl_format, writes_relative_paths_that_read_back_absolute) {
    playlist_folder folder;
    ASSERT_TRUE(folder.ok());
    const std::vector<list_info> entries = {
        full_entry(folder.in_lists(L"a.mp3")),
        entry_with_path(folder.in_lists(L"sub\\b.mp3")),
        entry_with_path(folder.in_root(L"other\\c.mp3")),
        entry_with_path(L"Q:\\music\\d.mp3"),
        entry_with_path(L"http://radio.example/live.mp3"),
        entry_with_path(L"zel://track/1"),
        list_info(),  // no path: an element without attributes
    };
    const std::wstring file = folder.in_lists(L"list.cpl");
    ASSERT_TRUE(save_playlist_file(file.c_str(), entries));

    const std::string xml = wine_host::read_file(file);
    for (const char* written : {"path=\"a.mp3\"", "path=\"sub\\b.mp3\"", "path=\"..\\other\\c.mp3\"",
                                "path=\"Q:\\music\\d.mp3\"", "path=\"http://radio.example/live.mp3\"",
                                "path=\"zel://track/1\"", "<file/>"})
        EXPECT_NE(xml.find(written), std::string::npos) << written << "\n" << xml;
    // The sixteen attributes in their order; filename and id are not written.
    const size_t element = xml.find("<file path=\"a.mp3\"");
    ASSERT_NE(element, std::string::npos) << xml;
    const std::string first = xml.substr(element, xml.find("/>", element) - element);
    size_t previous = 0;
    for (const char* name : {"path", "subtrack", "time", "channel", "bitrate", "samplerate", "artist", "title",
                             "track", "album", "genre", "date", "track_gain", "track_peak", "album_gain",
                             "album_peak"}) {
        const size_t at = first.find(" " + std::string(name) + "=\"");
        ASSERT_NE(at, std::string::npos) << name << "\n" << first;
        EXPECT_GT(at, previous) << name;
        previous = at;
    }
    for (const char* value : {"subtrack=\"1\"", "time=\"215.250000\"", "channel=\"2\"", "bitrate=\"192\"",
                              "samplerate=\"44100\"", "track=\"\"", "album=\"Album\"", "genre=\"Jazz\"",
                              "date=\"2001\"", "track_gain=\"-6.500000\"", "track_peak=\"0.987654\"",
                              "album_gain=\"-7.250000\"", "album_peak=\"1.000000\""})
        EXPECT_NE(first.find(value), std::string::npos) << value << "\n" << first;
    EXPECT_EQ(xml.find("not written"), std::string::npos);

    std::vector<list_info> back;
    ASSERT_TRUE(read_cpl_playlist(file.c_str(), back));
    std::vector<std::wstring> expected;
    for (size_t i = 0; i + 1 < entries.size(); ++i) expected.push_back(entries[i].path);
    EXPECT_EQ(paths_of(back), expected);
    const list_info& a = back[0];
    EXPECT_EQ(text_or_empty(a.title), L"Title & \"quoted\" <tag>");
    EXPECT_EQ(text_or_empty(a.artist), L"\xAC00\xC218");
    EXPECT_EQ(a.track, 0);
    EXPECT_EQ(a.subtrack, 1);
    EXPECT_DOUBLE_EQ(a.time, 215.25);
    EXPECT_DOUBLE_EQ(a.track_peak, 0.987654);
    EXPECT_EQ(a.filename, nullptr);
    // No temporary file is left beside the playlist.
    EXPECT_EQ(folder.list_files(), std::vector<std::wstring>{L"list.cpl"});
}

TEST(cpl_format, long_values_and_characters_xml_cannot_hold) {
    playlist_folder folder;
    ASSERT_TRUE(folder.ok());
    list_info e = entry_with_path(folder.in_lists(L"a.mp3"));
    const std::wstring long_title(1500, L'\xD55C');  // 4500 bytes of UTF-8
    list_info::set_string(e.title, long_title.c_str());
    list_info::set_string(e.artist, L"bell\x0007 and half\xD800 pair");
    list_info::set_string(e.album, std::wstring(5000, L'x').c_str());
    const std::wstring file = folder.in_lists(L"odd.cpl");
    ASSERT_TRUE(save_playlist_file(file.c_str(), {e, entry_with_path(folder.in_lists(L"b.mp3"))}));

    std::vector<list_info> back;
    ASSERT_TRUE(read_cpl_playlist(file.c_str(), back));
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(text_or_empty(back[0].title), long_title);  // read whole
    EXPECT_EQ(text_or_empty(back[0].album), std::wstring(5000, L'x'));
    EXPECT_EQ(text_or_empty(back[0].artist), L"bell\xFFFD and half\xFFFD pair");
    EXPECT_EQ(text_or_empty(back[1].path), folder.in_lists(L"b.mp3"));
}

TEST(cpl_format, last_playlist_keeps_absolute_paths_of_what_can_be_replayed) {
    playlist_folder folder;
    ASSERT_TRUE(folder.ok());
    const std::wstring existing = folder.in_root(L"kept.mp3");
    ASSERT_TRUE(temp_folder::exists(folder.root()));
    FILE* f = _wfopen(existing.c_str(), L"wb");
    ASSERT_NE(f, nullptr);
    fclose(f);
    const std::vector<list_info> entries = {
        entry_with_path(L"http://radio.example/live.mp3"), entry_with_path(L"mms://radio.example/a"),
        entry_with_path(L"MMSH://radio.example/b"),        entry_with_path(L"mmst://radio.example/c"),
        entry_with_path(L"mmsu://radio.example/d"),        entry_with_path(L"zel://track/1"),
        entry_with_path(folder.in_root(L"deleted.mp3")),   entry_with_path(existing),
        entry_with_path(L"rtsp://radio.example/e"),        list_info(),
    };
    const std::wstring file = folder.in_lists(L"playlist.cpl");
    ASSERT_TRUE(save_last_playlist(file.c_str(), entries));
    const std::string xml = wine_host::read_file(file);
    EXPECT_NE(xml.find("<file/>"), std::string::npos) << xml;
    std::vector<list_info> back;
    ASSERT_TRUE(read_cpl_playlist(file.c_str(), back));
    EXPECT_EQ(paths_of(back), (std::vector<std::wstring>{L"zel://track/1", existing, L"rtsp://radio.example/e"}));
    // Written absolute, not relative to the playlist's folder.
    EXPECT_NE(xml.find("path=\"zel://track/1\""), std::string::npos);
    EXPECT_EQ(xml.find("path=\"..\\kept.mp3\""), std::string::npos) << xml;
}
