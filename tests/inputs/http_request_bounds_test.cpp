// http_request against servers that misbehave: each case must end in a
// failure by the client's own bounds (or in a correct reply), never in a
// wait without end or a read past a buffer.
#include <gtest/gtest.h>
#include <string>
#include "http_test_support.h"
#include "stand_in_server.h"

namespace {

class http_request_bounds : public with_stand_in_server {};

}  // namespace

TEST_F(http_request_bounds, fails_when_the_server_closes_before_or_inside_the_headers) {
    struct {
        const char* what;
        canned_reply reply;
    } cases[] = {
        {"no reply at all", canned_reply::close()},
        {"status line only", canned_reply::raw("HTTP/1.0 200 OK\r\n")},
        {"status line without its end", canned_reply::raw("HTTP/1.0 200 OK")},
        {"inside a header line", canned_reply::raw("HTTP/1.0 200 OK\r\nContent-Le")},
        {"redirect without its header end", canned_reply::raw("HTTP/1.0 302 Found\r\nServer: x\r\n")},
    };
    for (auto& c : cases) {
        ASSERT_TRUE(server_.set_replies({c.reply}));
        http_request request(net_connection::automatic_resolver, 4096, nullptr);
        request.connect(url("/x").c_str(), 0, "GET");
        EXPECT_EQ(drive_to_body(request), drive_end::failed) << c.what;
        EXPECT_STREQ(request.get_error(), "connection closed before the end of the reply header") << c.what;
        EXPECT_EQ(request.get_status(), -1) << c.what;
    }
}

TEST_F(http_request_bounds, gives_up_on_a_server_that_accepts_and_stays_silent) {
    ASSERT_TRUE(server_.set_replies({canned_reply::silent(20000)}));
    http_request request(net_connection::automatic_resolver, 4096, nullptr);
    request.set_reply_timeout(300);
    request.connect(url("/quiet").c_str(), 0, "GET");
    EXPECT_EQ(drive_to_body(request), drive_end::failed);
    EXPECT_STREQ(request.get_error(), "timed out waiting for the reply");
}

TEST_F(http_request_bounds, gives_up_on_a_header_block_that_never_ends) {
    // The status line comes, then nothing more while the connection stays open.
    ASSERT_TRUE(server_.set_replies({canned_reply::raw("HTTP/1.0 200 OK\r\nServer: slow\r\n", 0, 0, 20000)}));
    http_request request(net_connection::automatic_resolver, 4096, nullptr);
    request.set_reply_timeout(300);
    request.connect(url("/half").c_str(), 0, "GET");
    EXPECT_EQ(drive_to_body(request), drive_end::failed);
    EXPECT_STREQ(request.get_error(), "timed out waiting for the reply");
}

TEST_F(http_request_bounds, gives_up_on_a_listener_that_never_accepts) {
    stand_in_server deaf;
    ASSERT_TRUE(deaf.start_unaccepting()) << deaf.error();
    http_request request(net_connection::automatic_resolver, 4096, nullptr);
    request.set_reply_timeout(500);
    request.connect(local_url(deaf.port(), "/").c_str(), 0, "GET");
    EXPECT_EQ(drive_to_body(request), drive_end::failed);
    EXPECT_STREQ(request.get_error(), "timed out waiting for the reply");
}

TEST_F(http_request_bounds, stops_following_a_redirect_loop) {
    ASSERT_TRUE(server_.set_replies({canned_reply::redirect(302, url("/loop"))}));
    http_request request(net_connection::automatic_resolver, 4096, nullptr);
    request.connect(url("/loop").c_str(), 0, "GET");
    EXPECT_EQ(drive_to_body(request), drive_end::failed);
    EXPECT_STREQ(request.get_error(), "too many redirects");
    // The first request and max_redirects redirects, then no more.
    EXPECT_EQ(server_.requests().size(), static_cast<size_t>(1 + http_request::max_redirects));
}

TEST_F(http_request_bounds, cuts_over_long_header_lines_and_reads_on) {
    // "X-Long: " and a value: whole lines of these lengths (without line end).
    for (size_t line_length : {4095u, 4096u, 4097u, 5000u, 20000u}) {
        const std::string value(line_length - 8, 'v');
        const std::string reply = "HTTP/1.0 200 OK\r\nX-Long: " + value + "\r\nContent-Length: 3\r\n\r\nabc";
        ASSERT_TRUE(server_.set_replies({canned_reply::raw(reply)}));
        http_request request(net_connection::automatic_resolver, 4096, nullptr);
        request.connect(url("/long").c_str(), 0, "GET");
        ASSERT_EQ(drive_to_body(request), drive_end::body) << line_length << ": " << request.get_error();
        const char* kept = request.get_header("x-long");
        ASSERT_NE(kept, nullptr) << line_length;
        const size_t expected = (line_length < 4096 ? line_length : 4096) - 8;
        EXPECT_EQ(std::string(kept), std::string(expected, 'v')) << line_length;
        EXPECT_STREQ(request.get_header("content-length"), "3") << line_length;
        EXPECT_EQ(read_body(request), "abc") << line_length;
    }
}

TEST_F(http_request_bounds, cuts_an_over_long_status_line) {
    const std::string reply = "HTTP/1.0 200 " + std::string(6000, 'k') + "\r\nX-A: 1\r\n\r\nbody";
    ASSERT_TRUE(server_.set_replies({canned_reply::raw(reply)}));
    http_request request(net_connection::automatic_resolver, 4096, nullptr);
    request.connect(url("/status").c_str(), 0, "GET");
    ASSERT_EQ(drive_to_body(request), drive_end::body) << request.get_error();
    EXPECT_EQ(std::string(request.get_status_line()).size(), 4095u);
    EXPECT_STREQ(request.get_header("x-a"), "1");
    EXPECT_EQ(read_body(request), "body");
}

TEST_F(http_request_bounds, joins_a_line_end_split_between_cr_and_lf) {
    // One byte per packet: every CR arrives before its LF.
    const std::string reply = "HTTP/1.0 200 OK\r\nX-A: 1\r\n\r\n\nz";
    ASSERT_TRUE(server_.set_replies({canned_reply::raw(reply, 1, 25)}));
    http_request request(net_connection::automatic_resolver, 4096, nullptr);
    request.connect(url("/split").c_str(), 0, "GET");
    ASSERT_EQ(drive_to_body(request), drive_end::body) << request.get_error();
    EXPECT_STREQ(request.get_header("x-a"), "1");
    EXPECT_EQ(read_body(request), "\nz");  // a body that itself begins with LF keeps it
}
