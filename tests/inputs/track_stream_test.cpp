// The track stream and its play reader against the stand-in server: bytes
// and PCM from the network and from the complete cache file, the start
// fraction, the ID3v2 skip, stalls, silent servers and short replies.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "file_stream.h"
#include "list_info.h"
#include "mpeg_input.h"
#include "track_requests.h"
#include "track_test_support.h"
#include "wine_host.h"
#include "zel_play_reader.h"
#include "zel_save_reader.h"
#include "zel_stream.h"

namespace {
// Everything a reader hands out until it ends (bounded).
template <class Source>
std::string read_all(Source& s) {
    std::string out;
    char buffer[4096];
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 30000 && !s.at_end()) {
        const int n = s.read(buffer, sizeof buffer);
        if (n > 0)
            out.append(buffer, n);
        else if (s.tell() >= s.length())
            break;
    }
    return out;
}

// The PCM that the MPEG input decodes from the stream (bounded).
std::string decode(stream& s) {
    mpeg_input in;
    list_info info;
    list_info::set_string(info.path, L"zel://decoded");
    if (!in.open(&s, &info)) return "open failed";
    std::string pcm;
    char buffer[8192];
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 30000) {
        const int n = in.read(buffer, sizeof buffer);
        if (n < 0) break;
        pcm.append(buffer, n);
    }
    return pcm;
}

const char k_fixture[] = ZEL_MPEG_FIXTURE_DIR "/l3_cbr128_44k_joint.mp3";

class track_stream_test : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(served.start()) << served.error();
        track_net::rate_limit = 0;
        track_net::linger_ms = 0;
    }
    std::wstring cache_file(const std::wstring& url) const { return track_url::cache_file(url.c_str()).wvalue(); }
    // Fills the cache file of url through a save reader.
    void download(const std::wstring& url) {
        zel_save_reader r;
        ASSERT_TRUE(r.open(url.c_str()));
        ASSERT_TRUE(track_test::wait_until([&] { return r.is_finished(); }));
    }

    track_test::environment env;
    track_test::served served;
};
}  // namespace

TEST_F(track_stream_test, a_track_decodes_to_the_same_pcm_from_the_network_and_from_its_cache_file) {
    canned_reply file;
    file.file = k_fixture;
    ASSERT_TRUE(served.server().set_replies({file}));
    file_stream local;
    ASSERT_TRUE(local.open(wine_host::dos_path(k_fixture).c_str()));
    const std::string reference = decode(local);
    ASSERT_GT(reference.size(), 100000u);

    const std::wstring url = served.url(L"l3.mp3");
    std::string from_network, from_cache;
    {
        zel_stream s;
        ASSERT_TRUE(s.open(url.c_str()));
        EXPECT_STREQ(s.content_type, L"zel content type");
        EXPECT_FALSE(s.is_seekable());
        from_network = decode(s);
    }
    download(url);
    {
        zel_play_reader r;
        ASSERT_TRUE(r.open(url.c_str()));
        EXPECT_TRUE(r.plays_from_file());
    }
    {
        zel_stream s;
        ASSERT_TRUE(s.open(url.c_str()));
        from_cache = decode(s);
    }
    EXPECT_TRUE(from_network == reference) << from_network.size() << " " << reference.size();
    EXPECT_TRUE(from_cache == reference) << from_cache.size() << " " << reference.size();
}

TEST_F(track_stream_test, a_stall_in_mid_body_does_not_end_the_track) {
    canned_reply file;
    file.file = k_fixture;
    file.pause_at = 20000;
    file.pause_ms = 400;
    ASSERT_TRUE(served.server().set_replies({file}));
    file_stream local;
    ASSERT_TRUE(local.open(wine_host::dos_path(k_fixture).c_str()));
    const std::string reference = decode(local);
    zel_stream s;
    ASSERT_TRUE(s.open(served.url(L"stall.mp3").c_str()));
    const std::string pcm = decode(s);
    EXPECT_TRUE(pcm == reference) << pcm.size() << " " << reference.size();
    EXPECT_FALSE(track_test::logged_with(L"버퍼링 중:[현재 경로]stall.mp3|0.000000|17").empty());
}

TEST_F(track_stream_test, every_byte_arrives_through_the_stream_and_the_last_block_too) {
    const std::string body = track_test::body(150003);
    ASSERT_TRUE(served.serve(body));
    const std::wstring url = served.url(L"b.mp3");
    zel_stream s;
    ASSERT_TRUE(s.open(url.c_str()));
    EXPECT_EQ(s.length(), 150003);
    EXPECT_EQ(s.buffered(), 150003);
    const std::string got = read_all(s);
    EXPECT_TRUE(got == body) << got.size();
    EXPECT_EQ(s.tell(), 150003);
    EXPECT_TRUE(track_test::wait_until([&] { return s.at_end(); }));
    const std::vector<std::wstring> done = track_test::logged_with(L"평균 ");
    ASSERT_EQ(done.size(), 1u);
    const std::wstring tail = L" KBPS로 패킷 수신 종료 -> URL : b.mp3|0.000000|17";
    EXPECT_EQ(done[0].compare(done[0].size() - tail.size(), tail.size(), tail), 0) << done[0];

    // Seeking moves nothing.
    EXPECT_EQ(s.seek(10, 0), 0);
    EXPECT_EQ(s.tell(), 150003);
}

TEST_F(track_stream_test, a_start_fraction_asks_a_range_and_positions_follow_the_file) {
    const std::string body = track_test::body(200000);
    ASSERT_TRUE(served.serve(body, true));
    const std::wstring url = served.url(L"r.mp3", L"|0.250000|17");
    {
        zel_stream s;
        ASSERT_TRUE(s.open(url.c_str()));
        const std::vector<recorded_request> requests = served.server().requests();
        ASSERT_EQ(requests.size(), 2u);
        EXPECT_FALSE(requests[0].has_header("Range"));
        EXPECT_EQ(requests[1].header("Range"), "bytes=50000-");
        EXPECT_EQ(s.length(), 200000);
        EXPECT_EQ(s.tell(), 50000);
        EXPECT_EQ(s.buffered(), 150000);
        EXPECT_TRUE(read_all(s) == body.substr(50000));
        EXPECT_EQ(s.tell(), 200000);
    }
    // From the complete cache file: from its middle, positions from 0.
    download(served.url(L"r.mp3"));
    zel_play_reader r;
    ASSERT_TRUE(r.open(served.url(L"r.mp3", L"|0.500000|17").c_str()));
    EXPECT_TRUE(r.plays_from_file());
    EXPECT_EQ(r.tell(), 0);
    EXPECT_EQ(r.length(), 200000);
    EXPECT_TRUE(read_all(r) == body.substr(100000));
}

TEST_F(track_stream_test, a_leading_id3v2_tag_is_skipped_from_network_and_file) {
    const std::string audio = track_test::body(100000, 7);
    ASSERT_TRUE(served.serve(track_test::with_tag(5000, audio)));
    const std::wstring url = served.url(L"t.mp3");
    {
        zel_stream s;
        ASSERT_TRUE(s.open(url.c_str()));
        const std::string got = read_all(s);
        EXPECT_TRUE(got == audio) << got.size();
        EXPECT_EQ(s.length(), 100000);
    }
    download(url);
    zel_play_reader r;
    ASSERT_TRUE(r.open(url.c_str()));
    ASSERT_TRUE(r.plays_from_file());
    EXPECT_EQ(r.length(), 100000);
    EXPECT_TRUE(read_all(r) == audio);
}

TEST_F(track_stream_test, a_server_that_falls_silent_is_given_up_and_the_stream_ends) {
    canned_reply cut = canned_reply::cut(track_test::body(60000), 200000);
    cut.hold_ms = 8000;  // silent, connection open
    ASSERT_TRUE(served.server().set_replies({cut}));
    zel_stream s;
    ASSERT_TRUE(s.open(served.url(L"quiet.mp3").c_str()));
    std::string got;
    char buffer[4096];
    // Bounded: the reader gives up after 101 empty polls of 10 ms.
    ASSERT_TRUE(track_test::wait_until([&] {
        const int n = s.read(buffer, sizeof buffer);
        if (n > 0) got.append(buffer, n);
        return s.at_end();
    }, 15000));
    EXPECT_EQ(got.size(), 60000u);
    EXPECT_EQ(s.read(buffer, sizeof buffer), 0);
    EXPECT_EQ(track_test::logged_with(L"패킷 수신 실패로 다음 트랙을 재생하기 위해 루프 탈출:[현재 경로]"),
              (std::vector<std::wstring>{L"패킷 수신 실패로 다음 트랙을 재생하기 위해 루프 탈출:[현재 경로]quiet.mp3|0.000000|17"}));
}

TEST_F(track_stream_test, a_short_reply_opens_but_plays_nothing) {
    ASSERT_TRUE(served.serve(track_test::body(20000)));
    zel_stream s;
    ASSERT_TRUE(s.open(served.url(L"short.mp3").c_str()));  // also when the thread is done before open returns
    EXPECT_EQ(read_all(s), "");
    EXPECT_TRUE(track_test::wait_until([&] { return s.at_end(); }));
}

TEST_F(track_stream_test, which_cache_files_are_played_from_disk) {
    const std::string body = track_test::body(50000);
    ASSERT_TRUE(served.serve(body));
    const std::wstring url = served.url(L"c.mp3");
    download(url);
    const std::wstring path = cache_file(url);
    {  // held open by a writer (a save reader): from the network
        HANDLE held = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        zel_play_reader r;
        ASSERT_TRUE(r.open(url.c_str()));
        EXPECT_FALSE(r.plays_from_file());
        EXPECT_TRUE(read_all(r) == body);
        CloseHandle(held);
    }
    {  // a wrong size: from the network, logged
        ASSERT_TRUE(track_test::write_file(path, "12345"));
        zel_play_reader r;
        ASSERT_TRUE(r.open(url.c_str()));
        EXPECT_FALSE(r.plays_from_file());
        EXPECT_EQ(track_test::logged_with(L"파일 크기가 다름 - > 파일 메모리 재생: "),
                  (std::vector<std::wstring>{L"파일 크기가 다름 - > 파일 메모리 재생: " +
                                             std::wstring(track_url::cache_file_name(url.c_str()).wvalue()) +
                                             L", 50000,5"}));
        // Not the host's file: dropped, so that the cache fetches it again.
        EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
        ASSERT_TRUE(track_test::write_file(path, "12345"));
    }
    {  // a server that reports no length: the file of any size plays
        canned_reply no_length = canned_reply::text(body);
        no_length.omit_length = true;
        ASSERT_TRUE(served.server().set_replies({no_length}));
        zel_play_reader r;
        ASSERT_TRUE(r.open(url.c_str()));
        EXPECT_TRUE(r.plays_from_file());
        EXPECT_EQ(read_all(r), "12345");
    }
}

// An outage of the track hosts: once a request got no reply, a track that is
// not cached is given up within the short bound rather than the full one,
// and the first reply ends that.
TEST_F(track_stream_test, while_the_track_hosts_are_quiet_an_uncached_track_is_given_up_soon) {
    ASSERT_TRUE(served.server().set_replies({canned_reply::silent(60000)}));
    const std::wstring url = served.url(L"quiet.mp3");
    track_url::parts parts;
    ASSERT_TRUE(track_url::parse(url.c_str(), parts));
    EXPECT_FALSE(track_requests::hosts_quiet());
    EXPECT_EQ(track_length_request(parts.address.wvalue(), nullptr), 0);  // a cache file's length check
    EXPECT_TRUE(track_requests::hosts_quiet());
    {
        zel_play_reader r;
        const DWORD before = GetTickCount();
        EXPECT_FALSE(r.open(url.c_str()));
        const DWORD waited = GetTickCount() - before;
        EXPECT_LT(waited, track_requests::quiet_reply_ms + 2000u);
        EXPECT_GE(waited, track_requests::quiet_reply_ms - 200u) << "the quiet bound, not at once";
    }
    ASSERT_TRUE(served.serve(track_test::body(30000)));
    EXPECT_EQ(track_length_request(parts.address.wvalue(), nullptr), 30000);
    EXPECT_FALSE(track_requests::hosts_quiet());
}

// An outage that another request finds while a track waits for its host
// with the full bound: that track gives up too, once it has waited the
// quiet bound, instead of the full one.
TEST_F(track_stream_test, a_track_waiting_when_the_hosts_turn_quiet_gives_up_soon) {
    ASSERT_TRUE(served.server().set_replies({canned_reply::silent(60000)}));
    const std::wstring url = served.url(L"late_quiet.mp3");
    track_url::parts parts;
    ASSERT_TRUE(track_url::parse(url.c_str(), parts));
    ASSERT_FALSE(track_requests::hosts_quiet());
    struct opening {
        std::wstring url;
        DWORD took = 0;
        bool opened = true;
        static DWORD WINAPI run(void* p) {
            opening* o = static_cast<opening*>(p);
            zel_play_reader r;
            const DWORD before = GetTickCount();
            o->opened = r.open(o->url.c_str());
            o->took = GetTickCount() - before;
            return 0;
        }
    } o;
    o.url = url;
    HANDLE thread = CreateThread(nullptr, 0, &opening::run, &o, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    Sleep(300);
    EXPECT_EQ(track_length_request(parts.address.wvalue(), nullptr), 0);  // finds the hosts quiet
    EXPECT_TRUE(track_requests::hosts_quiet());
    EXPECT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
    CloseHandle(thread);
    EXPECT_FALSE(o.opened);
    EXPECT_LT(o.took, 3000u) << "not the full bound";
    ASSERT_TRUE(served.serve(track_test::body(30000)));
    EXPECT_EQ(track_length_request(parts.address.wvalue(), nullptr), 30000);
    EXPECT_FALSE(track_requests::hosts_quiet());
}

TEST_F(track_stream_test, a_stream_without_a_track_url_or_after_close) {
    zel_stream s;
    EXPECT_FALSE(s.open(L"http://127.0.0.1/a.mp3"));
    EXPECT_FALSE(s.open(nullptr));
    EXPECT_TRUE(s.at_end());
    ASSERT_TRUE(served.serve(track_test::body(40000)));
    ASSERT_TRUE(s.open(served.url(L"x.mp3").c_str()));
    s.close();
    char buffer[16];
    EXPECT_TRUE(s.at_end());
    EXPECT_EQ(s.read(buffer, sizeof buffer), 0);
    EXPECT_EQ(s.peek(buffer, sizeof buffer), 0);
    EXPECT_EQ(s.length(), 0);
    EXPECT_EQ(s.tell(), 0);
    EXPECT_EQ(s.buffered(), 0);
    EXPECT_TRUE(served.server().requests().size() == 1u);
}
