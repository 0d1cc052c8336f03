// The save reader and the track cache's downloads against the stand-in
// server: complete downloads, complete files skipped, wrong sizes fetched
// again, short replies deleted, lingering, and clear in mid-download.
#include <gtest/gtest.h>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>
#include "track_cache_impl.h"
#include "track_test_support.h"
#include "zel_play_reader.h"
#include "zel_save_reader.h"

namespace {
class track_save : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(served.start()) << served.error();
        track_net::rate_limit = 0;
        track_net::linger_ms = 0;
    }
    std::wstring cache_file(const std::wstring& url) const { return track_url::cache_file(url.c_str()).wvalue(); }
    std::wstring part_file(const std::wstring& url) const { return track_url::download_file(url.c_str()).wvalue(); }
    std::wstring name_of(const std::wstring& url) const { return track_url::cache_file_name(url.c_str()).wvalue(); }
    static bool finish(zel_save_reader& r) { return track_test::wait_until([&] { return r.is_finished(); }); }

    track_test::environment env;
    track_test::served served;
};

list_info entry(const std::wstring& path) {
    list_info e;
    list_info::set_string(e.path, path.c_str());
    return e;
}
}  // namespace

TEST_F(track_save, downloads_once_and_fetches_a_wrong_sized_file_again) {
    const std::string body = track_test::body(100000);
    ASSERT_TRUE(served.serve(body));
    const std::wstring url = served.url(L"a1b2.mp3");
    {
        zel_save_reader r;
        ASSERT_TRUE(r.open(url.c_str()));
        EXPECT_EQ(std::wstring(r.path()), cache_file(url));
        EXPECT_FALSE(r.is_info());
        ASSERT_TRUE(finish(r));
    }
    EXPECT_EQ(track_test::read_file(cache_file(url)), body);
    const std::vector<std::wstring> done = track_test::logged_with(L"평균 ");
    ASSERT_EQ(done.size(), 1u);
    const std::wstring tail = L" KBPS로 저장 종료 -> 파일 : " + name_of(url);
    EXPECT_EQ(done[0].compare(done[0].size() - tail.size(), tail.size(), tail), 0) << done[0];
    const size_t requests = served.server().requests().size();

    // Complete: only the length is asked, nothing is downloaded or logged.
    {
        zel_save_reader r;
        EXPECT_FALSE(r.open(url.c_str()));
    }
    ASSERT_EQ(served.server().requests().size(), requests + 1);
    // The length is asked without the file's bytes.
    EXPECT_EQ(served.server().requests().back().method, "HEAD");
    EXPECT_EQ(track_test::logged().size(), 1u);

    // Wrong size: deleted, logged, downloaded again from byte 0.
    ASSERT_TRUE(track_test::write_file(cache_file(url), "short"));
    {
        zel_save_reader r;
        ASSERT_TRUE(r.open(url.c_str()));
        ASSERT_TRUE(finish(r));
    }
    EXPECT_EQ(track_test::logged_with(L"파일 크기가 다름 - > 파일 삭제 : "),
              (std::vector<std::wstring>{L"파일 크기가 다름 - > 파일 삭제 : " + name_of(url)}));
    EXPECT_EQ(track_test::read_file(cache_file(url)), body);
    const std::vector<recorded_request> all = served.server().requests();
    EXPECT_FALSE(all.back().has_header("Range"));
    EXPECT_EQ(all.back().header("User-Agent"), "ZELPlayer");
    EXPECT_EQ(all.back().header("Accept"), "*/*");
}

TEST_F(track_save, refuses_what_is_not_to_be_downloaded) {
    ASSERT_TRUE(served.serve(track_test::body(50000)));
    const std::wstring urls[] = {served.url(L"a.mp3", L"|1.000000|3"), served.url(L"a.mp3", L"|2.5|3"),
                                 L"http://127.0.0.1/a.mp3", L""};
    for (const std::wstring& url : urls) {
        zel_save_reader r;
        EXPECT_FALSE(r.open(url.c_str())) << url;
    }
    EXPECT_TRUE(served.server().requests().empty());
}

TEST_F(track_save, a_reply_cut_short_leaves_no_file) {
    canned_reply cut = canned_reply::cut(track_test::body(40000), 100000);
    ASSERT_TRUE(served.server().set_replies({cut}));
    const std::wstring url = served.url(L"cut.mp3");
    zel_save_reader r;
    ASSERT_TRUE(r.open(url.c_str()));
    ASSERT_TRUE(finish(r));
    EXPECT_EQ(GetFileAttributesW(cache_file(url).c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW(part_file(url).c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(track_test::logged_with(L"패킷 수신 실패로 다음 트랙을 저장하기 위해 루프 탈출:[현재 경로]"),
              (std::vector<std::wstring>{L"패킷 수신 실패로 다음 트랙을 저장하기 위해 루프 탈출:[현재 경로]cut.mp3|0.000000|17"}));
    EXPECT_TRUE(track_test::logged_with(L"평균 ").empty());
}

// A download in progress never stands under the cache file's name: a kill in
// the middle leaves a download file, which nothing plays, and the cache file
// appears only whole.
TEST_F(track_save, a_download_gets_the_cache_name_only_when_complete) {
    const std::string body = track_test::body(120000);
    canned_reply slow = canned_reply::slow(body, 4096, 20);
    ASSERT_TRUE(served.server().set_replies({slow}));
    const std::wstring url = served.url(L"whole.mp3");
    {
        zel_save_reader r;
        ASSERT_TRUE(r.open(url.c_str()));
        ASSERT_TRUE(track_test::wait_until([&] { return track_test::read_file(part_file(url)).size() > 8192; }));
        EXPECT_EQ(GetFileAttributesW(cache_file(url).c_str()), INVALID_FILE_ATTRIBUTES);
        ASSERT_TRUE(finish(r));
    }
    EXPECT_EQ(track_test::read_file(cache_file(url)), body);
    EXPECT_EQ(GetFileAttributesW(part_file(url).c_str()), INVALID_FILE_ATTRIBUTES);

    // The download file a killed player left behind: the track is not
    // cached, and is downloaded again over it.
    ASSERT_TRUE(DeleteFileW(cache_file(url).c_str()));
    ASSERT_TRUE(track_test::write_file(part_file(url), body.substr(0, 32768)));
    ASSERT_TRUE(served.serve(body));
    {
        zel_save_reader r;
        ASSERT_TRUE(r.open(url.c_str()));
        ASSERT_TRUE(finish(r));
    }
    EXPECT_EQ(track_test::read_file(cache_file(url)), body);
    EXPECT_EQ(GetFileAttributesW(part_file(url).c_str()), INVALID_FILE_ATTRIBUTES);
}

// Only a download of exactly the length the host told is kept.
TEST_F(track_save, a_download_without_the_hosts_length_is_not_kept) {
    const std::string body = track_test::body(50000);
    canned_reply no_length = canned_reply::text(body);
    no_length.omit_length = true;
    ASSERT_TRUE(served.server().set_replies({no_length}));
    const std::wstring url = served.url(L"nolength.mp3");
    zel_save_reader r;
    if (r.open(url.c_str())) {
        ASSERT_TRUE(finish(r));
    }
    EXPECT_EQ(GetFileAttributesW(cache_file(url).c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW(part_file(url).c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(track_save, a_music_download_lingers_and_an_announcement_does_not) {
    ASSERT_TRUE(served.serve(track_test::body(40000)));
    track_net::linger_ms = 600000;
    const std::wstring music = served.url(L"m.mp3");
    const std::wstring anne = served.url(L"n.mp3", L"|0.000000|17", true);
    {
        zel_save_reader r;
        ASSERT_TRUE(r.open(music.c_str()));
        ASSERT_TRUE(track_test::wait_until([&] { return !track_test::logged_with(L"평균 ").empty(); }));
        Sleep(50);
        EXPECT_FALSE(r.is_finished());  // lingering
    }  // deletion ends the linger and keeps the complete file
    EXPECT_EQ(track_test::read_file(cache_file(music)).size(), 40000u);

    zel_save_reader r;
    ASSERT_TRUE(r.open(anne.c_str()));
    EXPECT_TRUE(r.is_info());
    ASSERT_TRUE(finish(r));
    EXPECT_EQ(track_test::logged_with(L"평균 ", true).size(), 1u);
    EXPECT_EQ(track_test::read_file(cache_file(anne)).size(), 40000u);
}

TEST_F(track_save, the_cache_downloads_its_queue_and_logs_start_and_end) {
    const std::string body = track_test::body(60000);
    ASSERT_TRUE(served.serve(body));
    track_cache_impl cache;
    cache.prepare();
    const std::wstring url = served.url(L"q.mp3");
    const std::vector<list_info> list = {entry(L"zel://h/skipped.mp3"), entry(url), entry(L"zel://h/later.mp3")};
    cache.enqueue(0, &list);
    for (int i = 0; i < 5; ++i) cache.tick_now();
    ASSERT_NE(cache.current_download(), nullptr);
    EXPECT_EQ(track_test::logged_with(L"파일 수신 시작 : "), (std::vector<std::wstring>{L"파일 수신 시작 : " + name_of(url)}));
    ASSERT_TRUE(track_test::wait_until([&] { return cache.current_download()->is_finished(); }));
    cache.tick_now();  // logs the end, then tries the next entry (no server: dropped)
    EXPECT_EQ(track_test::logged_with(L"파일 수신 완료 : "), (std::vector<std::wstring>{L"파일 수신 완료 : " + name_of(url)}));
    EXPECT_EQ(track_test::read_file(cache_file(url)), body);

    // Queued again: the equal-size file is not downloaded again.
    cache.enqueue(0, &list);
    for (int i = 0; i < 5; ++i) cache.tick_now();
    EXPECT_EQ(cache.current_download(), nullptr);
    EXPECT_EQ(track_test::logged_with(L"파일 수신 시작 : ").size(), 1u);
}

// The downloads an outage stopped start again once the host answers: both
// one that could not start and one cut short in the middle.
TEST_F(track_save, downloads_stopped_by_an_outage_start_again_after_it) {
    const std::string body = track_test::body(60000);
    track_cache_impl cache;
    cache.prepare();
    cache.retry_ticks = 3;
    const std::wstring url = served.url(L"outage.mp3");
    const std::vector<list_info> list = {entry(L"zel://h/playing.mp3"), entry(url)};
    for (const canned_reply& outage : {canned_reply::close(), canned_reply::cut(body.substr(0, 20000), 60000)}) {
        ASSERT_TRUE(served.server().set_replies({outage}));
        cache.enqueue(0, &list);
        ASSERT_TRUE(track_test::wait_until([&] {
            cache.tick_now();
            return cache.queued_paths().empty() && !cache.current_download() && !cache.put_aside_paths().empty();
        }));
        EXPECT_EQ(cache.put_aside_paths(), (std::vector<std::wstring>{url}));
        EXPECT_EQ(GetFileAttributesW(cache_file(url).c_str()), INVALID_FILE_ATTRIBUTES);

        // The host is back: within retry_ticks the download runs again.
        ASSERT_TRUE(served.serve(body));
        for (int i = 0; i < 3 + 5 && !cache.current_download(); ++i) cache.tick_now();
        ASSERT_NE(cache.current_download(), nullptr);
        ASSERT_TRUE(track_test::wait_until([&] { return cache.current_download()->is_finished(); }));
        cache.tick_now();
        EXPECT_EQ(track_test::read_file(cache_file(url)), body);
        EXPECT_TRUE(cache.put_aside_paths().empty());
        ASSERT_TRUE(DeleteFileW(cache_file(url).c_str()));
    }
    // A new queue or clear forgets what was put aside.
    ASSERT_TRUE(served.server().set_replies({canned_reply::close()}));
    cache.enqueue(0, &list);
    ASSERT_TRUE(track_test::wait_until([&] {
        cache.tick_now();
        return !cache.put_aside_paths().empty();
    }));
    cache.clear();
    EXPECT_TRUE(cache.put_aside_paths().empty());
}

TEST_F(track_save, clear_during_a_download_deletes_the_partial_file) {
    canned_reply slow = canned_reply::slow(track_test::body(300000), 2048, 20);
    ASSERT_TRUE(served.server().set_replies({slow}));
    track_cache_impl cache;
    cache.prepare();
    const std::wstring url = served.url(L"slow.mp3");
    const std::vector<list_info> list = {entry(L"zel://h/x.mp3"), entry(url)};
    cache.enqueue(0, &list);
    for (int i = 0; i < 5; ++i) cache.tick_now();
    ASSERT_NE(cache.current_download(), nullptr);
    ASSERT_TRUE(track_test::wait_until([&] { return track_test::read_file(part_file(url)).size() > 4096; }));
    cache.clear();
    EXPECT_EQ(cache.current_download(), nullptr);
    EXPECT_TRUE(cache.queued_paths().empty());
    EXPECT_EQ(GetFileAttributesW(cache_file(url).c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW(part_file(url).c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(track_test::logged_with(L"평균 ").empty());
}

TEST_F(track_save, closing_the_window_keeps_announcements_queued_and_stops_the_download) {
    canned_reply slow = canned_reply::slow(track_test::body(300000), 2048, 20);
    ASSERT_TRUE(served.server().set_replies({slow}));
    track_cache_impl cache;
    cache.prepare();
    const std::wstring url = served.url(L"closing.mp3");
    const std::vector<list_info> list = {entry(L"zel://h/x.mp3"), entry(url), entry(L"zel://h/y.mp3")};
    cache.enqueue(0, &list);
    for (int i = 0; i < 5; ++i) cache.tick_now();
    ASSERT_NE(cache.current_download(), nullptr);
    const list_info anne = entry(L"zel2://h/anne.mp3");
    cache.enqueue_info(&anne);
    ASSERT_TRUE(track_test::wait_until([&] { return track_test::read_file(part_file(url)).size() > 0; }));
    cache.on_ui_closing();
    EXPECT_EQ(cache.current_download(), nullptr);
    EXPECT_EQ(cache.queued_paths(), (std::vector<std::wstring>{L"zel2://h/anne.mp3"}));
    EXPECT_EQ(GetFileAttributesW(cache_file(url).c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW(part_file(url).c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(track_save, a_track_host_that_stops_answering_holds_each_cache_tick_briefly) {
    // Regression: the save reader's requests ran on the user-interface
    // thread inside the tick, and each waited the request's reply bound for
    // a host that accepts connections and never answers. Now a download's
    // start runs on a thread of its own; a tick waits for it a moment at
    // most, and a later tick takes its outcome.
    ASSERT_TRUE(served.server().set_replies({canned_reply::silent(60000)}));
    track_cache_impl cache;
    cache.prepare();
    const std::wstring fresh = served.url(L"outage_new.mp3");
    const std::wstring cached = served.url(L"outage_old.mp3");
    const std::string kept = track_test::body(50000);
    ASSERT_TRUE(track_test::write_file(cache_file(cached), kept));
    const std::vector<list_info> list = {entry(L"zel://h/skipped.mp3"), entry(fresh), entry(cached)};
    cache.enqueue(0, &list);
    for (int i = 0; i < 4; ++i) cache.tick_now();  // the ticks that wait after an enqueue
    DWORD longest = 0;
    int ticks = 0;
    ASSERT_TRUE(track_test::wait_until([&] {
        const DWORD begin = GetTickCount();
        cache.tick_now();
        const DWORD blocked = GetTickCount() - begin;
        if (blocked > longest) longest = blocked;
        ++ticks;
        EXPECT_EQ(cache.current_download(), nullptr) << "no download started while the host is silent";
        return cache.queued_paths().empty() && !cache.download_starting();
    }));
    RecordProperty("blocked_ms", int(longest));
    std::printf("cache ticks during the outage: %d, the longest %lu ms\n", ticks, static_cast<unsigned long>(longest));
    EXPECT_LT(longest, track_cache_impl::start_wait_ms + 200u);
    // Nothing half-written stays behind, and the cached file is kept.
    EXPECT_EQ(GetFileAttributesW(cache_file(fresh).c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(track_test::read_file(cache_file(cached)), kept);
}

TEST(track_net, options_and_the_empty_poll_limit) {
    track_net::packet_retry = false;
    EXPECT_EQ(track_net::empty_poll_limit(), 100);
    track_net::packet_retry = true;
    EXPECT_EQ(track_net::empty_poll_limit(), 500);
    track_net::packet_retry = false;
    // Less than a millisecond tells no rate (and divides by nothing).
    EXPECT_EQ(track_net::rate(1000000, 0), 0);
    EXPECT_EQ(track_net::rate(60000, 1000), 60000);
    EXPECT_EQ(track_net::rate(3, 2), 1500);
}

// A track that plays from the server now is not downloaded a second time
// beside it: the cache takes the next track and comes back to it after.
TEST_F(track_save, the_cache_leaves_a_track_that_plays_from_the_server_for_later) {
    const std::string body = track_test::body(100000);
    ASSERT_TRUE(served.serve(body));
    const std::wstring playing = served.url(L"p1.mp3"), next = served.url(L"n1.mp3");
    track_cache_impl cache;
    cache.prepare();
    {
        zel_play_reader reader;
        ASSERT_TRUE(reader.open(playing.c_str()));
        EXPECT_FALSE(reader.plays_from_file());
        std::vector<list_info> list = {entry(served.url(L"first.mp3")), entry(playing), entry(next)};
        cache.enqueue(0, &list);
        for (int i = 0; i < 5 && !cache.current_download(); ++i) cache.tick_now();
        ASSERT_NE(cache.current_download(), nullptr);
        EXPECT_EQ(std::wstring(cache.current_download()->path()), cache_file(next));
        EXPECT_EQ(cache.queued_paths(), (std::vector<std::wstring>{playing}));
        ASSERT_TRUE(finish(*cache.current_download()));
        cache.tick_now();  // the next one is done; the playing one still waits
        EXPECT_EQ(cache.current_download(), nullptr);
        EXPECT_EQ(cache.queued_paths(), (std::vector<std::wstring>{playing}));
    }
    // It has finished playing: now it is downloaded.
    cache.tick_now();
    ASSERT_NE(cache.current_download(), nullptr);
    EXPECT_EQ(std::wstring(cache.current_download()->path()), cache_file(playing));
    ASSERT_TRUE(finish(*cache.current_download()));
    cache.clear();
}
