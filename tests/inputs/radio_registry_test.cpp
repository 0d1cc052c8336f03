// The radio sources as zel_in_std.dll registers them: core::create_stream
// picks the HTTP stream for a station's URL and core::create_input the MPEG
// input by the station's content type; the music comes out as from a plain
// file.
#include <gtest/gtest.h>
#include "core.h"
#include "input.h"
#include "list_info.h"
#include "radio_test_support.h"
#include "stand_in_server.h"

namespace {

std::string play_all(const wchar_t* url) {
    std::string pcm;
    stream* s = core::create_stream(url);
    if (!s) return pcm;
    list_info entry;
    list_info::set_string(entry.path, url);
    input* in = core::create_input(s, &entry);
    if (in) {
        char buffer[4608];
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < 90000) {
            int n = in->read(buffer, sizeof(buffer));
            if (n < 0) break;
            if (n > 0) pcm.append(buffer, n);
            else Sleep(1);
        }
        in->release();
    }
    s->release();
    return pcm;
}

}  // namespace

TEST(radio_registry, a_station_plays_like_the_plain_file) {
    ASSERT_NE(recorder(), nullptr);
    recorder()->clear();
    stand_in_server server;
    ASSERT_TRUE(server.start(0, 150)) << server.error();
    const std::string audio = radio_audio(200000);
    ASSERT_FALSE(audio.empty());
    const canned_reply plain = canned_reply::raw("HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\nContent-Length: " +
                                                 std::to_string(audio.size()) + "\r\n\r\n" + audio);
    ASSERT_TRUE(server.set_replies(
        {plain, canned_reply::raw(icy_reply({"content-type:audio/mpeg", "icy-name:Store", "icy-metaint:16000"}, audio,
                                            16000, {"StreamTitle='Now Playing';"}),
                                  8192, 2)}));
    const std::wstring base = L"http://" + server.host();

    const std::string expected = play_all((base + L"/file").c_str());
    ASSERT_GT(expected.size(), 1000000u);
    const std::string got = play_all((base + L"/live").c_str());
    EXPECT_EQ(got.size(), expected.size());
    EXPECT_TRUE(got == expected);

    std::vector<title_event> heard = titles(0);
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[0].text, L"Store");
    EXPECT_EQ(heard[1].text, L"Now Playing");
    EXPECT_EQ(heard[1].position, 16000);
}
