// A live station (no content length): open prebuffers, the stream rebuffers
// on a thread of its own when its buffer runs low, and gives up on a station
// that stays silent.
#include <gtest/gtest.h>
#include <memory>
#include "http_stream.h"
#include "radio_test_support.h"
#include "stand_in_server.h"

namespace {

class http_stream_live : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server_.start(0, 150)) << server_.error();
        ASSERT_NE(recorder(), nullptr);
        recorder()->clear();
    }
    std::wstring url() const { return L"http://" + server_.host() + L"/live"; }

    stand_in_server server_;
};

const std::string live_head = "ICY 200 OK\r\nicy-name:Live\r\ncontent-type:audio/mpeg\r\n\r\n";

// The buffering events of listener 0 from the first "begins" to the first
// "ended" after it; empty when there is no complete episode.
std::vector<title_event> first_episode() {
    std::vector<title_event> all = buffering_events(0);
    std::vector<title_event> episode;
    for (const title_event& e : all) {
        if (episode.empty() && e.state != 0) continue;
        episode.push_back(e);
        if (e.state == 2) return episode;
    }
    return {};
}

void expect_well_formed(const std::vector<title_event>& episode) {
    ASSERT_GE(episode.size(), 2u);
    EXPECT_EQ(episode.front().percent, 0);
    EXPECT_EQ(episode.back().percent, 0);
    int last = 0;
    for (size_t i = 1; i + 1 < episode.size(); ++i) {
        EXPECT_EQ(episode[i].state, 1) << "one buffering at a time";
        EXPECT_GE(episode[i].percent, last);
        EXPECT_LE(episode[i].percent, 100);
        last = episode[i].percent;
    }
}

}  // namespace

TEST_F(http_stream_live, open_blocks_until_the_prebuffer_is_full) {
    const std::string audio(400000, 'p');
    ASSERT_TRUE(server_.set_replies({canned_reply::raw(live_head + audio, 10000, 25, 5000)}));
    std::unique_ptr<http_stream> s(new http_stream());
    ASSERT_TRUE(s->open(url().c_str()));
    EXPECT_GE(s->buffered(), http_stream::prebuffer_bytes);
    EXPECT_FALSE(s->busy);

    std::vector<title_event> episode = first_episode();
    expect_well_formed(episode);
    EXPECT_GE(episode.size(), 3u) << "progress while prebuffering";
    for (const title_event& e : episode) EXPECT_EQ(e.thread_id, GetCurrentThreadId()) << "on the opening thread";
    EXPECT_EQ(drain(*s, audio.size()), audio);
}

TEST_F(http_stream_live, rebuffers_below_the_low_mark) {
    // 140,000 bytes, a pause, then 140,000 more.
    const std::string first(140000 - live_head.size(), 'f');
    const std::string second(140000, 's');
    ASSERT_TRUE(server_.set_replies({canned_reply::raw(live_head + first + second, 140000, 1500, 5000)}));
    std::unique_ptr<http_stream> s(new http_stream());
    ASSERT_TRUE(s->open(url().c_str()));
    recorder()->clear();

    ASSERT_EQ(drain(*s, first.size() - 1000), std::string(first.size() - 1000, 'f'));
    ASSERT_TRUE(wait_until([&] { return s->busy; }, 20000)) << "rebuffering did not start";
    ASSERT_TRUE(wait_until([&] { return !s->busy; }, 60000));
    EXPECT_GT(s->buffered(), http_stream::prebuffer_bytes);

    std::vector<title_event> episode = first_episode();
    expect_well_formed(episode);
    EXPECT_LE(episode.size(), 2u + 100u);
    for (const title_event& e : episode) {
        EXPECT_NE(e.thread_id, GetCurrentThreadId());
        EXPECT_EQ(e.priority, THREAD_PRIORITY_IDLE);
    }
    EXPECT_EQ(drain(*s, 1000 + second.size()), std::string(1000, 'f') + second);
}

TEST_F(http_stream_live, rebuffering_gives_up_on_a_silent_station) {
    // A burst, then a trickle of one byte every 400 ms: the connection stays
    // alive but brings far less than 1,024 bytes in 10 s.
    const std::string audio(150000, 'g');
    canned_reply reply = canned_reply::raw(live_head + audio, 0, 0, 30000);
    reply.then_bytes = std::string(40, 'h');
    reply.then_chunk = 1;
    reply.then_delay_ms = 400;
    ASSERT_TRUE(server_.set_replies({reply}));
    std::unique_ptr<http_stream> s(new http_stream());
    ASSERT_TRUE(s->open(url().c_str()));
    recorder()->clear();

    ASSERT_EQ(drain(*s, audio.size() - 100).size(), audio.size() - 100);
    ASSERT_TRUE(wait_until([&] { return s->busy; }, 20000));
    ASSERT_TRUE(wait_until([&] { return !first_episode().empty(); }, 60000)) << "rebuffering never gave up";

    std::vector<title_event> episode = first_episode();
    expect_well_formed(episode);
    EXPECT_EQ(episode.size(), 2u + 101u) << "more than 100 passes without 1,024 new bytes";
    char rest[100];
    EXPECT_EQ(s->read(rest, sizeof(rest)), 100) << "play goes on with what is there";
    EXPECT_FALSE(s->at_end());
    s->close();
    EXPECT_TRUE(s->at_end());
}
