// http_post against the service stand-in (tools/service_stand_in.py), which
// each test starts on a free loopback port of its own and stops at its end.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include "http_post.h"
#include "stand_in_server.h"

namespace {

typedef std::vector<std::pair<std::string, std::string>> field_list;

std::string text_of(const char* reply, unsigned size) {
    return reply && size > 0 ? std::string(reply, size - 1) : std::string("<null>");
}

}  // namespace

TEST(http_post, form_encodes_values_with_two_hex_digits) {
    struct {
        const char* ansi;
        const char* encoded;
    } cases[] = {
        {"abcXYZ019", "abcXYZ019"},
        {"a b&c=d", "a+b%26c%3dd"},
        {"\n", "%0a"},
        {"line1\r\nline2", "line1%0d%0aline2"},
        {"\t1", "%091"},
        {"/", "%2f"},
        {"\xea", "%ea"},
        {"\xc7\xd1\xb1\xdb", "%c7%d1%b1%db"},  // "한글" in code page 949
        {"-_.~*", "%2d%5f%2e%7e%2a"},
        {"", ""},
    };
    for (const auto& c : cases) {
        stringx encoded = http_post::form_encode(c.ansi);
        EXPECT_EQ(encoded.encoding(), stringx::ASCII);
        EXPECT_STREQ(encoded.value(), c.encoded) << c.ansi;
    }
    EXPECT_STREQ(http_post::form_encode(nullptr).value(), "");
}

TEST(http_post, sends_the_prescribed_request) {
    stand_in_server server;
    ASSERT_TRUE(server.start()) << server.error();
    ASSERT_TRUE(server.set_replies({canned_reply::text("0123456789")}));

    http_post post;
    post.add_field(L"id", L"x");
    post.add_field(L"pw", L"y");
    unsigned size = 99;
    char* reply = post.submit(server.host().c_str(), L"rux/rux_login_check.php", size);
    ASSERT_NE(reply, nullptr);
    EXPECT_EQ(size, 11u);
    EXPECT_EQ(std::string(reply, 11), std::string("0123456789\0", 11));

    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    const recorded_request& r = requests[0];
    EXPECT_EQ(r.method, "POST");
    EXPECT_EQ(r.path(), "/rux/rux_login_check.php");
    EXPECT_EQ(r.body, "id=x&pw=y");
    EXPECT_EQ(r.header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(r.header("Content-Length"), "9");
    EXPECT_EQ(r.header("User-Agent"), "ZEL Player");
    EXPECT_EQ(r.header("Accept"), "*/*");
    EXPECT_EQ(r.header("Pragma"), "no-cache");
    EXPECT_EQ(r.header("Host"), "127.0.0.1:" + std::to_string(server.port()));
}

TEST(http_post, sends_ansi_korean_and_special_values_exactly) {
    stand_in_server server;
    ASSERT_TRUE(server.start()) << server.error();

    http_post post;
    post.add_field(L"q", L"a b&c=d");
    post.add_field(L"name", L"\xD55C\xAE00");  // 한글
    post.add_field(L"log", L"line1\r\nline2\n1");
    post.add_field(L"a&b", L"1");  // names go out as they are
    post.add_field(L"q", L"");     // repeated name, empty value
    post.add_field(nullptr, nullptr);
    unsigned size = 0;
    ASSERT_NE(post.submit(server.host().c_str(), L"rux/rux_player_state.php", size), nullptr);

    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].body,
              "q=a+b%26c%3dd&name=%c7%d1%b1%db&log=line1%0d%0aline2%0a1&a&b=1&q=&=");
    // A standard decoder gets the original bytes back, line breaks included.
    auto decoded = requests[0].decoded_fields();
    ASSERT_GE(decoded.size(), 3u);
    EXPECT_EQ(decoded[0], std::make_pair(std::string("q"), std::string("a b&c=d")));
    EXPECT_EQ(decoded[1].second, "\xc7\xd1\xb1\xdb");
    EXPECT_EQ(decoded[2].second, "line1\r\nline2\n1");
}

TEST(http_post, sends_an_empty_body_without_fields_and_after_reset) {
    stand_in_server server;
    ASSERT_TRUE(server.start()) << server.error();
    ASSERT_TRUE(server.set_replies({canned_reply::text("ok")}));

    http_post post;
    unsigned size = 0;
    EXPECT_STREQ(post.submit(server.host().c_str(), L"rux/a.php", size), "ok");
    post.add_field(L"x", L"1");
    post.reset_field();
    post.add_field(L"y", L"2");
    EXPECT_STREQ(post.submit(server.host().c_str(), L"rux/b.php", size), "ok");
    post.reset_field();
    EXPECT_STREQ(post.submit(server.host().c_str(), L"rux/c.php", size), "ok");

    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].body, "");
    EXPECT_EQ(requests[0].header("Content-Length"), "0");
    EXPECT_EQ(requests[1].body, "y=2");
    EXPECT_EQ(requests[2].body, "");
}

TEST(http_post, gives_null_when_nothing_answers) {
    int port = stand_in_server::unused_port();
    ASSERT_GT(port, 0);
    std::wstring host = L"127.0.0.1:" + std::to_wstring(port);
    http_post post;
    post.add_field(L"id", L"x");
    unsigned size = 5;
    EXPECT_EQ(post.submit(host.c_str(), L"rux/a.php", size), nullptr);
    EXPECT_EQ(size, 0u);
    size = 5;
    EXPECT_EQ(post.submit(nullptr, L"rux/a.php", size), nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(post.submit(host.c_str(), nullptr, size), nullptr);
}

TEST(http_post, gives_empty_or_partial_text_for_short_replies) {
    stand_in_server server;
    ASSERT_TRUE(server.start()) << server.error();
    ASSERT_TRUE(server.set_replies({canned_reply::empty(), canned_reply::cut("Result=Su", 200),
                                    canned_reply::close(), canned_reply::silent(300),
                                    canned_reply::text("<html>error</html>", 500)}));
    http_post post;
    post.add_field(L"id", L"x");
    // Only the reply that announced more than it sent is known to be cut.
    struct {
        const char* what;
        std::string text;
        bool cut;
    } expected[] = {
        {"empty reply", "", false},
        {"reply cut short", "Result=Su", true},
        {"closed without a reply", "", false},
        {"silent, then closed", "", false},
        {"error page", "<html>error</html>", false},
    };
    for (const auto& e : expected) {
        unsigned size = 0;
        char* reply = post.submit(server.host().c_str(), L"rux/a.php", size);
        ASSERT_NE(reply, nullptr) << e.what;
        EXPECT_EQ(text_of(reply, size), e.text) << e.what;
        EXPECT_EQ(size, e.text.size() + 1) << e.what;
        EXPECT_EQ(reply[size - 1], 0) << e.what;
        EXPECT_EQ(post.reply_cut(), e.cut) << e.what;
    }
}

TEST(http_post, reads_long_and_slow_replies_whole) {
    std::string big;
    for (int i = 0; big.size() < 100000; ++i) big += "line " + std::to_string(i) + "^field|sub\r\n";
    std::string slow = "Result=Success\r\n" + std::string(10000, 'z');
    stand_in_server server;
    ASSERT_TRUE(server.start()) << server.error();
    ASSERT_TRUE(server.set_replies({canned_reply::text(big), canned_reply::slow(slow, 3000, 150)}));

    http_post post;
    unsigned size = 0;
    char* reply = post.submit(server.host().c_str(), L"rux/a.php", size);
    EXPECT_EQ(text_of(reply, size), big);
    EXPECT_FALSE(post.reply_cut());
    reply = post.submit(server.host().c_str(), L"rux/a.php", size);
    EXPECT_EQ(text_of(reply, size), slow);
    EXPECT_FALSE(post.reply_cut());
}

TEST(http_post, keeps_the_reply_until_the_next_submit) {
    stand_in_server server;
    ASSERT_TRUE(server.start()) << server.error();
    ASSERT_TRUE(server.set_replies({canned_reply::text("first reply"), canned_reply::text("other"),
                                    canned_reply::text("second")}));
    http_post post;
    unsigned size = 0;
    char* first = post.submit(server.host().c_str(), L"rux/a.php", size);
    ASSERT_STREQ(first, "first reply");

    // Other objects, fields and copies leave it alone.
    http_post other;
    unsigned other_size = 0;
    EXPECT_STREQ(other.submit(server.host().c_str(), L"rux/b.php", other_size), "other");
    post.add_field(L"k", L"v");
    http_post copy(post);
    EXPECT_STREQ(first, "first reply");

    // The next submit reuses the buffer (no larger reply, no reallocation).
    char* second = post.submit(server.host().c_str(), L"rux/a.php", size);
    EXPECT_EQ(second, first);
    EXPECT_STREQ(first, "second");
    EXPECT_EQ(size, 7u);
    EXPECT_EQ(server.requests().back().body, "k=v");
}

TEST(http_post, copies_fields_and_reply) {
    stand_in_server server;
    ASSERT_TRUE(server.start()) << server.error();
    ASSERT_TRUE(server.set_replies({canned_reply::text("r1"), canned_reply::text("r2"), canned_reply::text("r3")}));
    http_post post;
    post.add_field(L"a", L"1");
    unsigned size = 0;
    post.submit(server.host().c_str(), L"rux/a.php", size);
    http_post copy(post);
    post.add_field(L"b", L"2");
    http_post assigned;
    assigned = post;
    post.reset_field();
    copy.submit(server.host().c_str(), L"rux/a.php", size);
    assigned.submit(server.host().c_str(), L"rux/a.php", size);

    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[1].body, "a=1");
    EXPECT_EQ(requests[2].body, "a=1&b=2");
}
