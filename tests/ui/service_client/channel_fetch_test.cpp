// The pieces that keep a channel playing while the service does not answer:
// a request sent on a worker (the calling thread goes on at once and learns
// of the reply by a message) and the last channel's track lines kept in a
// file between runs.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "channel_refill.h"
#include "kept_track_lines.h"
#include "request_worker.h"
#include "service_client.h"
#include "quiet_client_services.h"
#include "service_requests.h"
#include "service_test_identity.h"
#include "stand_in_server.h"
#include "temp_folder.h"

namespace {

const UINT reply_there = WM_APP + 7;

// Waits (bounded) for the worker's message to the window.
bool wait_for_message(HWND window, DWORD timeout_ms) {
    const DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < timeout_ms) {
        if (PeekMessageW(&msg, window, reply_there, reply_there, PM_REMOVE)) return true;
        Sleep(5);
    }
    return false;
}

struct request_worker_test : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(server.start_scenario(R"({"categories": {"음악방송": [1052]},
            "channels": [{"id": 1052, "title": "t", "tracks": [
            {"number": 1, "length": "60", "title": "one", "file": "1.mp3"}]}]})"))
            << server.error();
        SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", server.host().c_str());
        window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", nullptr);
        if (window) DestroyWindow(window);
    }
    service_request request() const {
        return track_request(test_identity(), track_request_kind::select_checked, 1052, L"t");
    }
    stand_in_server server;
    HWND window = nullptr;
};

}  // namespace

// The refill of the playing channel holds its caller for the bound at most;
// a reply that comes later serves the next refill without a new request.
TEST_F(request_worker_test, a_refill_waits_a_bounded_time_and_keeps_a_late_reply) {
    quiet_client_services services;
    service_client client(services);
    std::vector<channel_record> list;
    ASSERT_TRUE(client.get_channel_list(L"음악방송", list));
    client.select_channel_by_key(1052);
    channel_refill refill(client, 500);
    std::vector<track_record> out;
    EXPECT_TRUE(refill.select(1052, out)) << "a prompt reply within the bound";
    EXPECT_EQ(out.size(), 1u);

    stand_in_fault slow = stand_in_fault::of("rux_song_check.php", "slow");
    slow.wait_ms = 2500;
    slow.times = 1;
    ASSERT_TRUE(server.set_faults({slow}));
    out.clear();
    DWORD before = GetTickCount();
    EXPECT_FALSE(refill.select(1052, out));
    EXPECT_LT(GetTickCount() - before, 1200u);
    Sleep(3000);
    const size_t asked = server.requests().size();
    EXPECT_TRUE(refill.select(1052, out)) << "the late reply";
    EXPECT_EQ(out.size(), 1u);
    EXPECT_EQ(server.requests().size(), asked);

    // A service that never answers: each refill is back within the bound.
    stand_in_fault silent = stand_in_fault::of("rux_song_check.php", "silent");
    silent.hold_ms = 4000;
    ASSERT_TRUE(server.set_faults({silent}));
    for (int i = 0; i < 2; ++i) {
        before = GetTickCount();
        out.clear();
        EXPECT_FALSE(refill.select(1052, out));
        EXPECT_LT(GetTickCount() - before, 1200u) << i;
    }
    EXPECT_FALSE(refill.select(4242, out)) << "not in the list: nothing asked";
}

// A service that holds the request without a word: the caller is back at
// once, and the reply (no connection) comes by message when the service
// lets go.
TEST_F(request_worker_test, an_unanswered_request_never_holds_the_caller) {
    stand_in_fault silent = stand_in_fault::of("rux_song_check.php", "silent");
    silent.hold_ms = 3000;
    silent.times = 1;
    ASSERT_TRUE(server.set_faults({silent}));
    request_worker worker;
    const DWORD before = GetTickCount();
    ASSERT_TRUE(worker.start(request(), window, reply_there));
    EXPECT_LT(GetTickCount() - before, 250u);
    EXPECT_TRUE(worker.busy());
    EXPECT_FALSE(worker.start(request(), window, reply_there)) << "one request at a time";
    service_reply reply;
    EXPECT_FALSE(worker.take(reply));
    ASSERT_TRUE(wait_for_message(window, 40000));
    ASSERT_TRUE(worker.take(reply));
    EXPECT_NE(reply.status(), reply_status::success);
    EXPECT_FALSE(worker.busy());

    // The next request gets the service's tracks.
    ASSERT_TRUE(worker.start(request(), window, reply_there));
    ASSERT_TRUE(wait_for_message(window, 20000));
    ASSERT_TRUE(worker.take(reply));
    EXPECT_EQ(reply.status(), reply_status::success);
    ASSERT_GE(reply.data_lines().size(), 1u);
    EXPECT_NE(std::wstring(reply.data_lines()[0].wvalue()).find(L"^one^"), std::wstring::npos);
}

// A worker dropped while its request runs: its thread ends by itself and
// posts nothing.
TEST_F(request_worker_test, a_dropped_worker_posts_nothing) {
    stand_in_fault silent = stand_in_fault::of("rux_song_check.php", "silent");
    silent.hold_ms = 500;
    ASSERT_TRUE(server.set_faults({silent}));
    {
        request_worker worker;
        ASSERT_TRUE(worker.start(request(), window, reply_there));
    }
    EXPECT_FALSE(wait_for_message(window, 2500));
}

namespace {
struct tick_watch {
    static void CALLBACK on_timer(HWND, UINT, UINT_PTR, DWORD now) {
        if (last && now - last > longest) longest = now - last;
        last = now;
        ++count;
    }
    static DWORD last, longest;
    static int count;
};
DWORD tick_watch::last = 0;
DWORD tick_watch::longest = 0;
int tick_watch::count = 0;
}  // namespace

// A request of the user-interface thread sent while that thread's messages
// go on: a window of the thread answers within a tick while the service
// holds the reply, and the reply comes back as a plain send would give it.
TEST_F(request_worker_test, a_request_sent_answering_leaves_the_window_answering) {
    stand_in_fault slow = stand_in_fault::of("rux_song_check.php", "slow");
    slow.wait_ms = 2000;
    slow.times = 1;
    ASSERT_TRUE(server.set_faults({slow}));
    // A timer of this thread runs every 50 ms; how long the thread went
    // without running it is noted.
    tick_watch::last = 0;
    tick_watch::longest = 0;
    tick_watch::count = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, &tick_watch::on_timer);
    ASSERT_NE(timer, 0u);
    const DWORD before = GetTickCount();
    const service_reply reply = send_answering(request());
    KillTimer(nullptr, timer);
    EXPECT_GE(GetTickCount() - before, 1800u) << "the reply waited for";
    EXPECT_EQ(reply.status(), reply_status::success);
    ASSERT_GE(reply.data_lines().size(), 1u);
    EXPECT_GT(tick_watch::count, 20) << "the thread's timer ran meanwhile";
    EXPECT_LT(tick_watch::longest, 400u);

    // A quit asked for meanwhile is left for the thread's own loop.
    ASSERT_TRUE(server.set_faults({slow}));
    PostQuitMessage(3);
    send_answering(request());
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
}

// The refill that does not wait: its reply comes by message to the window,
// and late() hands out its tracks then, once, without a new request.
TEST_F(request_worker_test, a_refill_that_does_not_wait_tells_its_reply_by_message) {
    quiet_client_services services;
    service_client client(services);
    std::vector<channel_record> list;
    ASSERT_TRUE(client.get_channel_list(L"음악방송", list));
    client.select_channel_by_key(1052);
    channel_refill refill(client, 0);
    stand_in_fault slow = stand_in_fault::of("rux_song_check.php", "slow");
    slow.wait_ms = 800;
    slow.times = 1;
    ASSERT_TRUE(server.set_faults({slow}));
    std::vector<track_record> out;
    const DWORD before = GetTickCount();
    EXPECT_FALSE(refill.select(1052, out, window, reply_there));
    EXPECT_LT(GetTickCount() - before, 250u);
    EXPECT_FALSE(refill.late(1052, out)) << "not there yet";
    ASSERT_TRUE(wait_for_message(window, 20000));
    EXPECT_FALSE(refill.late(4242, out)) << "another channel's";
    const size_t asked = server.requests().size();
    ASSERT_TRUE(refill.late(1052, out));
    EXPECT_EQ(out.size(), 1u);
    EXPECT_FALSE(refill.late(1052, out)) << "taken once";
    EXPECT_EQ(server.requests().size(), asked);
}

// A service that holds a refill's connection without a word: after the
// bound, the next refill sends a request of its own instead of waiting on.
TEST_F(request_worker_test, a_refill_gives_up_a_request_the_service_holds) {
    quiet_client_services services;
    service_client client(services);
    std::vector<channel_record> list;
    ASSERT_TRUE(client.get_channel_list(L"음악방송", list));
    client.select_channel_by_key(1052);
    channel_refill refill(client, 0, 1000);
    stand_in_fault silent = stand_in_fault::of("rux_song_check.php", "silent");
    silent.hold_ms = 8000;
    silent.times = 1;
    ASSERT_TRUE(server.set_faults({silent}));
    std::vector<track_record> out;
    EXPECT_FALSE(refill.select(1052, out, window, reply_there));
    Sleep(300);  // the request reaches the service
    const size_t asked = server.requests().size();
    EXPECT_FALSE(refill.select(1052, out, window, reply_there)) << "still within the bound";
    EXPECT_EQ(server.requests().size(), asked) << "no second request within the bound";
    Sleep(1100);
    EXPECT_FALSE(refill.select(1052, out, window, reply_there));
    ASSERT_TRUE(wait_for_message(window, 10000)) << "the new request's reply";
    EXPECT_EQ(server.requests().size(), asked + 1);
    ASSERT_TRUE(refill.late(1052, out));
    EXPECT_EQ(out.size(), 1u);
}

TEST(kept_track_lines, keep_one_channels_lines_between_runs) {
    temp_folder folder(L"zel_kept");
    const std::wstring path = folder / L"channel_tracks.txt";
    EXPECT_TRUE(read_kept_track_lines(path.c_str(), 1052).empty()) << "no file";
    const std::vector<stringx> lines = {L"1^x^^60^0^곡 하나^가수^http://h/1.mp3^앨범^1.mp3\r", L"",
                                        L"2^x^^60^0^two^a^http://h/2.mp3^b^2.mp3"};
    ASSERT_TRUE(write_kept_track_lines(path.c_str(), 1052, lines));
    std::vector<std::wstring> read;
    for (const stringx& line : read_kept_track_lines(path.c_str(), 1052)) read.push_back(line.wvalue());
    EXPECT_EQ(read, (std::vector<std::wstring>{L"1^x^^60^0^곡 하나^가수^http://h/1.mp3^앨범^1.mp3",
                                               L"2^x^^60^0^two^a^http://h/2.mp3^b^2.mp3"}));
    EXPECT_TRUE(read_kept_track_lines(path.c_str(), 1053).empty()) << "another channel's";
    EXPECT_TRUE(read_kept_track_lines(path.c_str(), 105).empty()) << "a prefix of the id";

    // A later channel replaces it; a write that fails keeps the earlier file.
    ASSERT_TRUE(write_kept_track_lines(path.c_str(), 1053, {L"3^x"}));
    EXPECT_TRUE(read_kept_track_lines(path.c_str(), 1052).empty());
    EXPECT_EQ(read_kept_track_lines(path.c_str(), 1053).size(), 1u);
    EXPECT_FALSE(write_kept_track_lines((folder / L"absent\\channel_tracks.txt").c_str(), 1052, lines));
    EXPECT_FALSE(write_kept_track_lines(path.c_str(), 0, lines));
    EXPECT_EQ(read_kept_track_lines(path.c_str(), 1053).size(), 1u);
}
