// utility::open_url and utility::get_url_length against the stand-in server
// (tools/service_stand_in.py) on a free loopback port.
#include <gtest/gtest.h>
#include <cstdlib>
#include <string>
#include "stand_in_server.h"
#include "utility.h"

namespace {

class url_fetch : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server_.start()) << server_.error(); }
    std::wstring url(const wchar_t* rest) const { return L"http://" + server_.host() + rest; }

    stand_in_server server_;
};

std::string bytes_of_length(size_t n) {
    std::string bytes(n, '\0');
    unsigned v = 12345;
    for (size_t i = 0; i < n; ++i) {
        v = v * 1103515245u + 12345u;
        bytes[i] = static_cast<char>(v >> 16);
    }
    return bytes;
}

}  // namespace

TEST_F(url_fetch, text_download_is_terminated_and_sends_the_extra_headers) {
    ASSERT_TRUE(server_.set_replies({canned_reply::text("abc")}));
    char* text = nullptr;
    ASSERT_TRUE(utility::open_url(url(L"/a.txt").c_str(), L"X-Test: 1\r\nX-Other: two", text));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::string(text, 4), std::string("abc\0", 4));
    free(text);
    auto requests = server_.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].header("X-Test"), "1");
    EXPECT_EQ(requests[0].header("X-Other"), "two");
}

TEST_F(url_fetch, byte_download_keeps_every_byte) {
    const std::string bytes = bytes_of_length(3000);
    ASSERT_TRUE(server_.set_replies({canned_reply::text(bytes)}));
    unsigned char* data = nullptr;
    int size = 0;
    ASSERT_TRUE(utility::open_url(url(L"/b.bin").c_str(), data, size));
    ASSERT_EQ(size, 3000);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), size), bytes);
    free(data);
}

TEST_F(url_fetch, a_body_sent_slowly_in_pieces_arrives_whole) {
    const std::string bytes = bytes_of_length(1 << 20);
    ASSERT_TRUE(server_.set_replies({canned_reply::slow(bytes, 16384, 10)}));
    unsigned char* data = nullptr;
    int size = 0;
    ASSERT_TRUE(utility::open_url(url(L"/slow.bin").c_str(), data, size));
    ASSERT_EQ(size, 1 << 20);
    EXPECT_TRUE(std::string(reinterpret_cast<char*>(data), size) == bytes);
    free(data);

    char* text = nullptr;
    ASSERT_TRUE(utility::open_url(url(L"/slow.txt").c_str(), L"", text));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text[1 << 20], 0);
    EXPECT_TRUE(std::string(text, 1 << 20) == bytes);
    free(text);
}

TEST_F(url_fetch, an_empty_body_succeeds_and_leaves_the_pointers_alone) {
    ASSERT_TRUE(server_.set_replies({canned_reply::empty()}));
    char* text = nullptr;
    EXPECT_TRUE(utility::open_url(url(L"/empty").c_str(), nullptr, text));
    EXPECT_EQ(text, nullptr);
    unsigned char* data = nullptr;
    int size = -7;
    EXPECT_TRUE(utility::open_url(url(L"/empty").c_str(), data, size));
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(size, -7);
}

TEST_F(url_fetch, an_error_page_is_a_body) {
    ASSERT_TRUE(server_.set_replies({canned_reply::text("not here", 404)}));
    char* text = nullptr;
    ASSERT_TRUE(utility::open_url(url(L"/missing").c_str(), nullptr, text));
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "not here");
    free(text);
}

TEST_F(url_fetch, a_body_cut_short_is_a_failure) {
    ASSERT_TRUE(server_.set_replies({canned_reply::cut(std::string(500, 'c'), 5000)}));
    char* text = reinterpret_cast<char*>(1);
    EXPECT_FALSE(utility::open_url(url(L"/cut").c_str(), nullptr, text));
    EXPECT_EQ(text, nullptr);
    unsigned char* data = reinterpret_cast<unsigned char*>(1);
    int size = 9;
    EXPECT_FALSE(utility::open_url(url(L"/cut").c_str(), data, size));
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(size, 0);
}

TEST(url_fetch_connect, gives_up_on_a_host_that_does_not_answer) {
    // The listener outlives the test's time limit: a client that waited for
    // it would fail the test instead of ending with the listener.
    stand_in_server deaf;
    ASSERT_TRUE(deaf.start_unaccepting(150)) << deaf.error();
    const std::wstring target = L"http://" + deaf.host() + L"/x";
    char* text = reinterpret_cast<char*>(1);
    EXPECT_FALSE(utility::open_url(target.c_str(), nullptr, text));
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(utility::get_url_length(target.c_str()), 0);
}

TEST(url_fetch_connect, fails_on_a_refused_connection) {
    const std::wstring target = L"http://127.0.0.1:" + std::to_wstring(stand_in_server::unused_port()) + L"/x";
    unsigned char* data = reinterpret_cast<unsigned char*>(1);
    int size = 5;
    EXPECT_FALSE(utility::open_url(target.c_str(), data, size));
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(size, 0);
    EXPECT_EQ(utility::get_url_length(target.c_str()), 0);
}

TEST_F(url_fetch, length_query_returns_the_announced_content_length) {
    canned_reply without_length = canned_reply::text("some body");
    without_length.omit_length = true;
    ASSERT_TRUE(server_.set_replies({canned_reply::cut("x", 1234), without_length,
                                     canned_reply::text("gone", 404),
                                     canned_reply::redirect(302, "/final"), canned_reply::text("12345")}));
    EXPECT_EQ(utility::get_url_length(url(L"/image.png").c_str()), 1234);
    EXPECT_EQ(utility::get_url_length(url(L"/no-length").c_str()), 0);
    EXPECT_EQ(utility::get_url_length(url(L"/gone").c_str()), 0);
    EXPECT_EQ(utility::get_url_length(url(L"/moved").c_str()), 5);

    auto requests = server_.requests();
    ASSERT_EQ(requests.size(), 5u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].target, "/image.png");
    EXPECT_EQ(requests[0].header("User-Agent"), "ZELPlayer");
    EXPECT_EQ(requests[0].header("Accept"), "*/*");
    EXPECT_EQ(requests[4].target, "/final");
}
