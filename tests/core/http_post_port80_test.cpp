// http_post's default port. The stand-in binds 127.0.0.1:80, which needs
// root; ctest runs this program under the RESOURCE_LOCK "zel_port_80" so no
// other test holds the port meanwhile.
#include <gtest/gtest.h>
#include <string>
#include "http_post.h"
#include "stand_in_server.h"

TEST(http_post, connects_to_port_80_when_the_host_names_no_port) {
    stand_in_server server;
    if (!server.start(80)) GTEST_SKIP() << "port 80 is not available here: " << server.error();
    ASSERT_TRUE(server.set_replies({canned_reply::text("Result=Success\r\n")}));

    http_post post;
    post.add_field(L"storecode", L"7");
    unsigned size = 0;
    char* reply = post.submit(L"127.0.0.1", L"rux/rux_noticelist.php", size);
    ASSERT_NE(reply, nullptr);
    EXPECT_STREQ(reply, "Result=Success\r\n");
    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].path(), "/rux/rux_noticelist.php");
    EXPECT_EQ(requests[0].header("Host"), "127.0.0.1");
    EXPECT_EQ(requests[0].body, "storecode=7");
}
