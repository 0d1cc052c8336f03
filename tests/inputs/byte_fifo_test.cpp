// The byte queue: order, partial takes, and a capacity that starts at 1,
// doubles and never shrinks.
#include <gtest/gtest.h>

#include "byte_fifo.h"

TEST(byte_fifo, takes_bytes_in_the_order_they_were_appended) {
    byte_fifo q;
    unsigned char out[16] = {};
    const unsigned char a[] = {1, 2, 3, 4, 5}, b[] = {6, 7, 8};
    q.append(a, 5);
    EXPECT_EQ(q.take(out, 2), 2);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[1], 2);
    q.append(b, 3);
    EXPECT_EQ(q.size(), 6);
    EXPECT_EQ(q.take(out, 16), 6);  // more than queued: what there is, and the queue is empty
    const unsigned char expected[] = {3, 4, 5, 6, 7, 8};
    EXPECT_EQ(memcmp(out, expected, 6), 0);
    EXPECT_EQ(q.size(), 0);
    EXPECT_EQ(q.take(out, 4), 0);
}

TEST(byte_fifo, counts_of_zero_or_less_do_nothing) {
    byte_fifo q;
    unsigned char out[4];
    const unsigned char a[] = {9, 9};
    q.append(a, 0);
    q.append(a, -3);
    EXPECT_EQ(q.size(), 0);
    EXPECT_EQ(q.capacity, 0);
    q.append(a, 2);
    EXPECT_EQ(q.take(out, 0), 0);
    EXPECT_EQ(q.take(out, -1), 0);
    EXPECT_EQ(q.size(), 2);
}

TEST(byte_fifo, capacity_starts_at_one_doubles_and_never_shrinks) {
    byte_fifo q;
    unsigned char data[100] = {};
    q.append(data, 1);
    EXPECT_EQ(q.capacity, 1);
    q.append(data, 5);
    EXPECT_EQ(q.capacity, 8);
    q.append(data, 3);
    EXPECT_EQ(q.capacity, 16);
    q.append(data, 100);
    EXPECT_EQ(q.capacity, 128);
    unsigned char out[200];
    EXPECT_EQ(q.take(out, 200), 109);
    EXPECT_EQ(q.capacity, 128);
    q.append(data, 100);
    q.clear();
    EXPECT_EQ(q.size(), 0);
    EXPECT_EQ(q.capacity, 128);
}
