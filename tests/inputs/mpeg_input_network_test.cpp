// The MPEG input on streams that cannot seek: the last block of an ended
// stream, a pause in the data, damage near the end of an ended stream, and
// a fresh parse after damage on a live stream.
#include <gtest/gtest.h>

#include "list_info.h"
#include "mpeg_input.h"
#include "mpeg_media_support.h"

namespace {
list_info network_entry() {
    list_info entry;
    list_info::set_string(entry.path, L"http://example/stream.mp3");
    return entry;
}
}  // namespace

TEST(mpeg_input_network, an_ended_stream_delivers_its_last_block) {
    const bytes data = read_fixture("l3_cbr128_44k_joint.mp3");
    const bytes expected = decode_all(data);
    // Blocks that leave decoded bytes queued when the stream runs dry.
    for (int block : {4000, 4608, 100000}) {
        SCOPED_TRACE(block);
        memory_stream s(data, false);
        list_info entry = network_entry();
        mpeg_input in;
        ASSERT_TRUE(in.open(&s, &entry));
        std::vector<int> counts;
        const bytes pcm = read_input(in, block, &counts, 10000);
        EXPECT_TRUE(pcm == expected) << pcm.size() << " of " << expected.size();
        EXPECT_EQ(counts.back(), -1);
    }
}

TEST(mpeg_input_network, a_pause_in_the_data_is_not_the_end) {
    const bytes data = read_fixture("l3_vbr_44k_xing.mp3");
    memory_stream s(data, false);
    s.set_arrival(40000, 700, 4);  // 700 bytes every fourth call
    list_info entry = network_entry();
    mpeg_input in;
    ASSERT_TRUE(in.open(&s, &entry));
    std::vector<int> counts;
    const bytes pcm = read_input(in, 4608, &counts, 100000);
    EXPECT_TRUE(pcm == decode_all(data));
    EXPECT_EQ(counts.back(), -1);
    EXPECT_NE(std::find(counts.begin(), counts.end(), 0), counts.end()) << "some reads found no data yet";
    EXPECT_EQ(std::count(counts.begin(), counts.end(), -1), 1);
}

TEST(mpeg_input_network, seeking_changes_nothing) {
    memory_stream s(read_fixture("l3_cbr128_44k_joint.mp3"), false);
    list_info entry = network_entry();
    mpeg_input in;
    ASSERT_TRUE(in.open(&s, &entry));
    unsigned char block[4608];
    ASSERT_EQ(in.read(block, 4608), 4608);
    const int64_t at = s.tell();
    const double position = in.position();
    in.seek(1.5);
    EXPECT_EQ(s.tell(), at);
    EXPECT_EQ(in.position(), position);
    EXPECT_EQ(s.seeks, 0);
}

TEST(mpeg_input_network, damage_before_a_cut_off_last_frame_does_not_hang) {
    const std::vector<bytes> frames = split_frames(read_fixture("l3_cbr128_44k_joint.mp3"));
    const size_t n = frames.size();
    const bytes whole = join(std::vector<bytes>(frames.begin(), frames.end() - 2));
    const bytes& last = frames[n - 2];
    for (size_t cut : {size_t(4), size_t(100), last.size() - 1}) {
        SCOPED_TRACE(cut);
        // Everything has arrived; the stream knows its length and ends.
        memory_stream s(join({whole, quiet_junk(1500), bytes(last.begin(), last.begin() + cut)}), false);
        list_info entry = network_entry();
        mpeg_input in;
        ASSERT_TRUE(in.open(&s, &entry));
        std::vector<int> counts;
        const bytes pcm = read_input(in, 4608, &counts, 10000);
        EXPECT_EQ(counts.back(), -1);
        EXPECT_TRUE(pcm == decode_all(whole));
    }
}

TEST(mpeg_input_network, a_live_stream_is_parsed_afresh_after_damage) {
    const std::vector<bytes> frames = split_frames(read_fixture("l3_cbr128_44k_joint.mp3"));
    const size_t k = 6;
    const bytes before = join(std::vector<bytes>(frames.begin(), frames.begin() + k));
    const bytes after = join(std::vector<bytes>(frames.begin() + k, frames.end()));
    ASSERT_LT(before.size() % 1024, 1021u);
    memory_stream s(join({before, quiet_junk(1024), after}), false);
    s.length_known = false;  // a live stream
    list_info entry = network_entry();
    mpeg_input in;
    ASSERT_TRUE(in.open(&s, &entry));
    std::vector<int> counts;
    const bytes pcm = read_input(in, 4608, &counts, 10000);
    EXPECT_EQ(counts.back(), -1);
    EXPECT_TRUE(pcm == join({decode_all(before), decode_all(after)}));
    audio_format format = {};
    in.get_format(&format);
    EXPECT_EQ(format.sample_rate, 44100);
    EXPECT_EQ(format.length, 0.0);
}

TEST(mpeg_input_network, a_stream_of_junk_is_refused) {
    for (bool known : {true, false}) {
        memory_stream s(random_junk(50000, 11), false);
        s.length_known = known;
        list_info entry = network_entry();
        mpeg_input in;
        EXPECT_FALSE(in.open(&s, &entry)) << known;
    }
}
