// The byte sources of image decoding.
#include "image_source.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

TEST(memory_source, reads_within_its_bytes) {
    unsigned char bytes[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    memory_source source(bytes, sizeof bytes);
    unsigned char out[8] = {};
    EXPECT_EQ(source.read(out, 4, 2), 2u);  // whole items only
    EXPECT_EQ(out[7], 7);
    EXPECT_EQ(source.read(out, 4, 2), 0u);  // 2 bytes left: no whole item
    EXPECT_TRUE(source.eof());
    EXPECT_EQ(source.get_char(), -1);
    EXPECT_TRUE(source.seek(-3, SEEK_END));
    EXPECT_EQ(source.tell(), 7);
    EXPECT_EQ(source.get_char(), 7);
    EXPECT_TRUE(source.seek(-100, SEEK_CUR));  // before the start: the start
    EXPECT_EQ(source.tell(), 0);
    EXPECT_FALSE(source.seek(0, 9));
    EXPECT_EQ(source.size(), 10);
    EXPECT_EQ(source.error(), 0);
    EXPECT_EQ(source.read(out, 1, 0), 0u);
}

TEST(memory_source, writing_past_a_given_buffer_moves_into_its_own) {
    unsigned char bytes[4] = {'a', 'b', 'c', 'd'};
    memory_source source(bytes, sizeof bytes);
    EXPECT_TRUE(source.seek(2, SEEK_SET));
    EXPECT_EQ(source.write("XYZ", 1, 3), 3u);
    EXPECT_EQ(memcmp(bytes, "abcd", 4), 0);  // the caller's buffer is left alone
    EXPECT_EQ(source.size(), 5);
    EXPECT_EQ(memcmp(source.data(), "abXYZ", 5), 0);
    EXPECT_TRUE(source.put_char('!'));
    EXPECT_EQ(source.size(), 6);
    EXPECT_TRUE(source.close());
    EXPECT_EQ(source.size(), -1);
    EXPECT_EQ(source.get_char(), -1);

    memory_source none;
    EXPECT_EQ(none.write("x", 1, 1), 0u);
    EXPECT_FALSE(none.put_char('x'));
    EXPECT_TRUE(none.eof());
    EXPECT_EQ(none.error(), -1);
    EXPECT_EQ(none.tell(), -1);
}

TEST(file_source, over_a_stream_it_does_not_own) {
    FILE* f = tmpfile();
    ASSERT_NE(f, nullptr);
    {
        file_source source(f);
        EXPECT_EQ(source.write("hello", 1, 5), 5u);
        EXPECT_TRUE(source.flush());
        EXPECT_EQ(source.size(), 5);
        EXPECT_EQ(source.tell(), 5);
        EXPECT_TRUE(source.seek(1, SEEK_SET));
        EXPECT_EQ(source.get_char(), 'e');
        EXPECT_TRUE(source.close());  // not owned: nothing closed
    }
    EXPECT_EQ(fseek(f, 0, SEEK_SET), 0);  // still open
    fclose(f);

    file_source none(nullptr);
    unsigned char b;
    EXPECT_EQ(none.read(&b, 1, 1), 0u);
    EXPECT_EQ(none.size(), -1);
    EXPECT_TRUE(none.eof());
    EXPECT_EQ(none.error(), -1);
    EXPECT_EQ(none.get_char(), -1);
}
