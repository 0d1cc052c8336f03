// Playlists given as an "http://" address: fetched from the stand-in server
// (tools/service_stand_in.py) into the format's temporary file in the
// application-data folder, parsed, and the temporary file deleted again.
#include <gtest/gtest.h>
#include <cstdlib>
#include <string>
#include "core.h"
#include "playlist_formats.h"
#include "playlist_test_support.h"
#include "stand_in_server.h"

namespace {

std::wstring appdata_file(const wchar_t* name) {
    wchar_t* folder = core::get_appdata_path();
    std::wstring path = std::wstring(folder ? folder : L"") + name;
    free(folder);
    return path;
}

class playlist_remote : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server_.start()) << server_.error(); }
    std::wstring url(const wchar_t* rest) const { return L"http://" + server_.host() + rest; }

    stand_in_server server_;
};

}  // namespace

TEST_F(playlist_remote, fetched_playlists_are_parsed_and_leave_no_temporary_file) {
    struct {
        playlist_format format;
        const wchar_t* path;
        const char* body;
        const wchar_t* temporary;
        std::vector<std::wstring> expected;
    } cases[] = {
        {playlist_format::m3u, L"/lists/radio.m3u",
         "#EXTM3U\r\n#EXTINF:-1,Radio\r\nhttp://radio.example:8000/live\r\nQ:\\music\\a.mp3\r\n", L"\\temp.m3u",
         {L"http://radio.example:8000/live", L"Q:\\music\\a.mp3"}},
        {playlist_format::m3u, L"/lists/radio.m3u8", "\xEF\xBB\xBFhttp://radio.example/\xC3\xA9\r\n", L"\\temp.m3u",
         {L"http://radio.example/\x00E9"}},
        {playlist_format::pls, L"/lists/radio.pls",
         "[playlist]\r\nNumberOfEntries=2\r\nFile1=http://one.example/\r\nFile2=http://two.example/\r\n",
         L"\\temp.pls", {L"http://one.example/", L"http://two.example/"}},
        // The same temporary name again with other content: read afresh.
        {playlist_format::pls, L"/lists/other.pls", "[playlist]\r\nNumberOfEntries=1\r\nFile1=http://three.example/\r\n",
         L"\\temp.pls", {L"http://three.example/"}},
        {playlist_format::wpl, L"/lists/radio.wpl", "<smil><body><seq>\r\n<media src=\"http://w.example/a\"/>\r\n",
         L"\\temp.wpl", {L"http://w.example/a"}},
        {playlist_format::asx, L"/lists/radio.asx", "<asx>\r\n<entry><ref href=\"mms://a.example/x\"/></entry>\r\n",
         L"\\temp.asx", {L"mms://a.example/x"}},
    };
    for (auto& c : cases) {
        ASSERT_TRUE(server_.set_replies({canned_reply::text(c.body)}));
        std::vector<list_info> entries;
        EXPECT_TRUE(load_playlist(c.format, url(c.path).c_str(), entries)) << c.path;
        EXPECT_EQ(paths_of(entries), c.expected) << c.path;
        EXPECT_FALSE(temp_folder::exists(appdata_file(c.temporary))) << c.path;
    }
    EXPECT_EQ(server_.requests().size(), sizeof(cases) / sizeof(cases[0]));
}

TEST_F(playlist_remote, a_fetch_that_fails_gives_false_and_leaves_nothing) {
    ASSERT_TRUE(server_.set_replies({canned_reply::empty(), canned_reply::cut("#EXTM3U\r\nhttp://x/", 500)}));
    std::vector<list_info> entries;
    EXPECT_FALSE(load_playlist(playlist_format::m3u, url(L"/empty.m3u").c_str(), entries));
    EXPECT_FALSE(load_playlist(playlist_format::m3u, url(L"/cut.m3u").c_str(), entries));
    const std::wstring refused = L"http://127.0.0.1:" + std::to_wstring(stand_in_server::unused_port()) + L"/a.m3u";
    EXPECT_FALSE(load_playlist(playlist_format::m3u, refused.c_str(), entries));
    EXPECT_TRUE(entries.empty());
    EXPECT_FALSE(temp_folder::exists(appdata_file(L"\\temp.m3u")));
}
