// The pieces of an ICY reply taken apart without a network: metadata items,
// the server text and the size of a leading ID3v2 tag.
#include <gtest/gtest.h>
#include <cstdlib>
#include <cstring>
#include <string>
#include "icy_metadata.h"

TEST(icy_metadata, takes_the_title_else_the_stream_url) {
    struct {
        std::string block;
        bool has_title;
        const char* title;
        bool has_url;
        const char* url;
    } cases[] = {
        {"StreamTitle='Artist - Song';StreamUrl='http://x/';", true, "Artist - Song", false, ""},
        {"streamtitle='lower';", true, "lower", false, ""},
        {"StreamUrl='http://shop.example/ad';", false, "", true, "http://shop.example/ad"},
        {"StreamTitle='';", true, "", false, ""},
        {"StreamTitle='no end", false, "", false, ""},
        {"StreamTitle=", false, "", false, ""},
        {"StreamTitle='", false, "", false, ""},
        {"StreamUrl=", false, "", false, ""},
        {"StreamUrl='", false, "", false, ""},
        {std::string("StreamTitle='a'\0StreamUrl='b';", 30), true, "a", false, ""},
        {std::string("x\0StreamTitle='hidden';", 23), false, "", false, ""},
        {"", false, "", false, ""},
        {"Other='x';", false, "", false, ""},
    };
    for (const auto& c : cases) {
        icy::block_items items = icy::parse_block(c.block.data(), static_cast<int>(c.block.size()));
        EXPECT_EQ(items.has_title, c.has_title) << c.block;
        EXPECT_EQ(items.title, c.title) << c.block;
        EXPECT_EQ(items.has_url, c.has_url) << c.block;
        EXPECT_EQ(items.url, c.url) << c.block;
    }
}

TEST(icy_metadata, never_reads_past_the_block) {
    // Blocks that end right after the name or inside the value, copied into
    // heap buffers of exactly their size, without a terminator.
    for (const char* text : {"StreamTitle=", "StreamUrl=", "StreamTitle='abc", "xxStreamTitle='"}) {
        const size_t n = strlen(text);
        char* exact = static_cast<char*>(malloc(n));
        memcpy(exact, text, n);
        icy::block_items items = icy::parse_block(exact, static_cast<int>(n));
        EXPECT_FALSE(items.has_title) << text;
        EXPECT_FALSE(items.has_url) << text;
        free(exact);
    }
    // The closing quote just past the given length is not seen.
    const char text[] = "StreamTitle='abc'";
    icy::block_items items = icy::parse_block(text, static_cast<int>(sizeof(text) - 2));
    EXPECT_FALSE(items.has_title);
}

TEST(icy_metadata, cuts_long_values_to_256_bytes) {
    std::string title(300, 'T');
    std::string block = "StreamTitle='" + title + "';";
    icy::block_items items = icy::parse_block(block.data(), static_cast<int>(block.size()));
    ASSERT_TRUE(items.has_title);
    EXPECT_EQ(items.title, std::string(256, 'T'));

    std::string url = "StreamUrl='" + std::string(400, 'u') + "';";
    items = icy::parse_block(url.data(), static_cast<int>(url.size()));
    ASSERT_TRUE(items.has_url);
    EXPECT_EQ(items.url.size(), 256u);
}

TEST(icy_metadata, server_text_drops_the_line_break_tag) {
    struct {
        const char* server;
        const char* notice2;
        const char* expected;
    } cases[] = {
        {"Radio Relay Distributed Audio Server/Linux v1.9.8<BR>", "x", "Radio Relay Distributed Audio Server/Linux v1.9.8"},
        {"Stream Host 2.4.4", nullptr, "Stream Host 2.4.4"},
        {"a<br>b", nullptr, "a"},
        {"<BR>leading", nullptr, "<BR>leading"},
        {"", "Radio Relay/Linux v1.9<BR>", "Radio Relay/Linux v1.9"},
        {nullptr, "notice", "notice"},
        {nullptr, nullptr, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(icy::server_text(c.server, c.notice2), c.expected) << (c.server ? c.server : "(null)");
}

TEST(icy_metadata, measures_a_leading_id3v2_tag) {
    struct {
        unsigned char head[10];
        long long bytes;
    } cases[] = {
        {{'I', 'D', '3', 3, 0, 0x00, 0, 0, 0x20, 0x00}, 4096 + 10},
        {{'I', 'D', '3', 4, 0, 0x10, 0, 0, 0x20, 0x00}, 4096 + 20},  // footer
        {{'I', 'D', '3', 4, 0, 0x80, 0, 0, 0, 0x7F}, 127 + 10},        // unsynchronised: flags above 0x0F allowed
        {{'I', 'D', '3', 4, 0, 0x01, 0, 0, 0x20, 0x00}, 0},            // low flag bits set
        {{'I', 'D', '3', 4, 0, 0x00, 0, 0x80, 0, 0x00}, 0},            // size byte with high bit
        {{'I', 'D', '2', 4, 0, 0x00, 0, 0, 1, 0}, 0},
        {{0xFF, 0xFB, 0x90, 0x64, 0, 0, 0, 0, 0, 0}, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(icy::id3_tag_bytes(c.head, 10), c.bytes);
    const unsigned char short_head[] = {'I', 'D', '3', 3, 0, 0, 0, 0, 1};
    EXPECT_EQ(icy::id3_tag_bytes(short_head, 9), 0);
}
