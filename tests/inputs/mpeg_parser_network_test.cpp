// The MPEG parser on streams that cannot seek: it peeks up to 32,767 bytes
// while they arrive, for at most 22 attempts 100 ms apart, and gives up at
// once when the stream has ended, the owner aborts, or a stream of known
// length holds fewer bytes than that.
#include <gtest/gtest.h>

#include <atomic>

#include "mpeg_media_support.h"
#include "mpeg_parser.h"

TEST(mpeg_parser_network, waits_for_32767_bytes_within_22_attempts) {
    const bytes data = read_fixture("l3_cbr128_44k_joint.mp3");
    ASSERT_GT(data.size(), 32767u);
    struct row {
        const char* what;
        bytes data;
        size_t first;      // bytes there at the start
        size_t arrive;     // more bytes per peek
        bool length_known;
        bool ends;
        bool ok;
        int peeks;
        uint32_t data_start;
    } rows[] = {
        {"all there", data, data.size(), 0, false, true, true, 1, 0},
        {"junk before the first frame", join({quiet_junk(100), data}), 100000, 0, true, true, true, 1, 100},
        {"arriving 10,000 bytes a peek", data, 0, 10000, false, false, true, 4, 0},
        {"never enough", data, 1000, 0, false, false, false, 22, 0},
        {"fewer than 32,767 bytes in a stream of known length", bytes(data.begin(), data.begin() + 20000), 20000,
         0, true, true, false, 1, 0},
        {"ended before anything arrived", bytes(), 0, 0, false, true, false, 0, 0},
        {"junk", random_junk(40000, 5), 40000, 0, true, true, false, 1, 0},
    };
    for (row& r : rows) {
        SCOPED_TRACE(r.what);
        memory_stream s(r.data, false, L"http://example/stream");
        s.set_arrival(r.first, r.arrive, 1);
        s.length_known = r.length_known;
        s.ends = r.ends;
        mpeg_parser p;
        EXPECT_EQ(p.open(&s), r.ok);
        EXPECT_EQ(s.peeks, r.peeks);
        EXPECT_EQ(s.reads, 0) << "the parser only peeks";
        EXPECT_EQ(s.tell(), 0);
        EXPECT_EQ(p.id3v2_size(), 0);
        if (r.ok) {
            EXPECT_EQ(p.data_start(), r.data_start);
            EXPECT_EQ(p.sample_rate(), 44100);
            EXPECT_EQ(p.stream_length(), r.length_known ? int64_t(r.data.size()) : 0);
        }
    }
}

TEST(mpeg_parser_network, stops_waiting_once_the_owner_aborts) {
    std::atomic<bool> abort{true};
    memory_stream s(read_fixture("l3_cbr128_44k_joint.mp3"), false);
    s.length_known = false;
    mpeg_parser p(&abort);
    EXPECT_FALSE(p.open(&s));
    EXPECT_EQ(s.peeks, 0);
}

TEST(mpeg_parser_network, a_stream_of_unknown_length_without_a_known_end_has_length_zero) {
    memory_stream s(read_fixture("l3_cbr128_44k_joint.mp3"), false);
    s.length_known = false;
    mpeg_parser p;
    ASSERT_TRUE(p.open(&s));
    EXPECT_EQ(p.length(), 0.0);
    EXPECT_EQ(p.average_bitrate(), 128);
    EXPECT_EQ(p.frame_length(), 417);
}
