// The seek table counts the frames of a local MPEG file as it reads ahead;
// its offsets must equal the frame index that the fixture tools make. The
// cache keeps the tables of the eight files opened last.
#include <gtest/gtest.h>

#include <algorithm>

#include "mpeg_media_support.h"
#include "seek_table.h"

namespace {
std::vector<int64_t> scanned_in_blocks(const bytes& data, size_t block) {
    seek_table t;
    t.reset(0);
    for (size_t at = 0; at < data.size(); at += block)
        EXPECT_TRUE(t.scan(data.data() + at, int(std::min(block, data.size() - at))));
    return t.entries();
}
}  // namespace

TEST(seek_table, offsets_equal_the_frame_index_of_every_fixture) {
    for (size_t i = 0; i < media_fixture_count; ++i) {
        const media_fixture& f = media_fixtures[i];
        SCOPED_TRACE(f.name);
        const bytes data = read_fixture(f.name);
        const std::vector<int64_t> index = read_index(f.name);
        ASSERT_FALSE(data.empty());
        ASSERT_GT(index.size(), 20u);
        // Behind a 1,000-byte tag: offsets count from the data start.
        const bytes tagged = join({id3v2_tag(990, 0), data});
        for (int64_t start : {int64_t(0), int64_t(1000)}) {
            memory_stream s(start ? tagged : data, true);
            s.seek(77, 0);
            seek_table t;
            t.reset(start);
            t.find(&s, 1e9);  // scans to the end
            EXPECT_EQ(s.tell(), 77);
            EXPECT_EQ(t.entries(), index);
            EXPECT_EQ(t.frame_count(), index.size() - 1);
            EXPECT_NEAR(t.scanned_duration(), double(index.size() - 1) * f.samples_per_frame / f.sample_rate,
                        1e-9);
        }
    }
}

TEST(seek_table, a_header_split_between_two_blocks_is_counted_once) {
    const bytes data = read_fixture("l3_cbr128_44k_joint.mp3");
    const std::vector<int64_t> index = read_index("l3_cbr128_44k_joint.mp3");
    ASSERT_EQ(scanned_in_blocks(data, data.size()), index);
    // Every split point over the first few frames, headers included.
    for (size_t split = 1; split < 2100; ++split) {
        seek_table t;
        t.reset(0);
        t.scan(data.data(), int(split));
        t.scan(data.data() + split, int(data.size() - split));
        ASSERT_EQ(t.entries(), index) << "split at " << split;
    }
    for (size_t block : {1, 2, 3, 5, 417, 418, 2048}) EXPECT_EQ(scanned_in_blocks(data, block), index) << block;
}

TEST(seek_table, find_answers_ten_frames_before_and_reads_only_as_far_as_asked) {
    const bytes data = read_fixture("l3_cbr128_44k_joint.mp3");
    const std::vector<int64_t> index = read_index("l3_cbr128_44k_joint.mp3");
    const int64_t start = 300;
    memory_stream s(join({id3v2_tag(290, 0), data}), true);
    const double frame = 1152.0 / 44100.0;
    const int frames = int(index.size()) - 1;
    seek_table t;
    t.reset(start);

    EXPECT_EQ(t.find(&s, 0.0), start);
    EXPECT_EQ(t.find(&s, 9.4 * frame), start);  // within the first ten frames
    EXPECT_EQ(t.find(&s, -3.0), start);

    s.seek(5, 0);
    EXPECT_EQ(t.find(&s, 1.0), start + index[int(1.0 / frame + 0.5) - 10]);
    EXPECT_EQ(s.tell(), 5);
    EXPECT_LT(int(t.frame_count()), frames);  // only as far as 1 s and one block more
    EXPECT_GE(t.scanned_duration(), 1.0);
    EXPECT_LT(t.scanned_duration(), 1.0 + 2048.0 / 417 * frame + frame);

    const int reads = s.reads;
    EXPECT_EQ(t.find(&s, 0.5), start + index[int(0.5 / frame + 0.5) - 10]);
    EXPECT_EQ(s.reads, reads);  // an earlier time comes from the entries

    // Beyond the end: ten frames before the last counted one.
    EXPECT_EQ(t.find(&s, 100.0), start + index[frames - 10]);
    EXPECT_EQ(int(t.frame_count()), frames);
    EXPECT_EQ(t.find(&s, 1.0), start + index[int(1.0 / frame + 0.5) - 10]);
}

TEST(seek_table, bytes_between_frames_are_skipped_and_counted) {
    std::vector<bytes> frames = split_frames(read_fixture("l3_cbr128_44k_joint.mp3"));
    ASSERT_GT(frames.size(), 40u);
    const size_t k = 30;
    std::vector<bytes> parts(frames.begin(), frames.begin() + k);
    parts.push_back(quiet_junk(1000));
    parts.insert(parts.end(), frames.begin() + k, frames.end());
    const bytes damaged = join(parts);
    const std::vector<int64_t> index = read_index("l3_cbr128_44k_joint.mp3");
    const std::vector<int64_t> entries = scanned_in_blocks(damaged, 2048);
    ASSERT_EQ(entries.size(), index.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        // Frame k's entry is where the junk begins: the resynchronisation of
        // a seek that lands there skips the junk.
        EXPECT_EQ(entries[i], index[i] + (i > k ? 1000 : 0)) << i;
    }
}

TEST(seek_table_cache, the_ninth_file_evicts_the_oldest) {
    seek_table_cache& cache = seek_table_cache::instance();
    cache.clear();
    const bytes data = read_fixture("l3_cbr128_44k_joint.mp3");
    std::vector<std::unique_ptr<memory_stream>> streams;
    for (int i = 0; i < 10; ++i) {
        const std::wstring name = L"C:\\music\\file" + std::to_wstring(i) + L".mp3";
        streams.emplace_back(new memory_stream(data, true, name.c_str()));
    }
    for (int i = 0; i < 8; ++i) cache.add(streams[i].get(), 0, int64_t(data.size()));
    EXPECT_EQ(cache.count(), 8);
    cache.add(streams[1].get(), 0, int64_t(data.size()));  // held already: serves unchanged
    EXPECT_EQ(cache.count(), 8);
    cache.add(streams[8].get(), 0, int64_t(data.size()));
    EXPECT_EQ(cache.count(), 8);
    EXPECT_FALSE(cache.holds(L"C:\\music\\file0.mp3"));
    EXPECT_LT(cache.lookup(streams[0].get(), 1.0), 0);
    for (int i = 1; i <= 8; ++i) EXPECT_GE(cache.lookup(streams[i].get(), 1.0), 0) << i;
    // The oldest is the first added, whatever was used since.
    cache.add(streams[9].get(), 0, int64_t(data.size()));
    EXPECT_FALSE(cache.holds(L"C:\\music\\file1.mp3"));
    EXPECT_TRUE(cache.holds(L"C:\\music\\file2.mp3"));
    cache.clear();
    EXPECT_EQ(cache.count(), 0);
}

TEST(seek_table_cache, a_file_is_known_by_its_last_path_piece_ignoring_case) {
    seek_table_cache& cache = seek_table_cache::instance();
    cache.clear();
    const bytes data = read_fixture("l3_cbr128_44k_joint.mp3");
    const std::vector<int64_t> index = read_index("l3_cbr128_44k_joint.mp3");
    memory_stream a(data, true, L"prefix|C:\\Music\\A.mp3");
    memory_stream b(data, true, L"c:\\music\\a.MP3");
    cache.add(&a, 0, int64_t(data.size()));
    cache.add(&b, 0, int64_t(data.size()));
    EXPECT_EQ(cache.count(), 1);
    EXPECT_TRUE(cache.holds(L"C:\\MUSIC\\A.MP3"));
    EXPECT_EQ(cache.lookup(&b, 2.0), index[int(2.0 * 44100 / 1152 + 0.5) - 10]);
    memory_stream other(data, true, L"C:\\Music\\B.mp3");
    EXPECT_LT(cache.lookup(&other, 2.0), 0);
    cache.clear();
}

TEST(seek_table_cache, a_file_rewritten_with_another_data_start_gets_a_new_table) {
    seek_table_cache& cache = seek_table_cache::instance();
    cache.clear();
    const bytes data = read_fixture("l3_cbr128_44k_joint.mp3");
    const std::vector<int64_t> index = read_index("l3_cbr128_44k_joint.mp3");
    memory_stream plain(data, true, L"C:\\a.mp3");
    cache.add(&plain, 0, int64_t(data.size()));
    EXPECT_EQ(cache.lookup(&plain, 1.0), index[28]);
    // A tag written in front moves every frame.
    memory_stream tagged(join({id3v2_tag(490, 0), data}), true, L"C:\\a.mp3");
    cache.add(&tagged, 500, int64_t(data.size()) + 500);
    EXPECT_EQ(cache.count(), 1);
    EXPECT_EQ(cache.lookup(&tagged, 1.0), 500 + index[28]);
    cache.clear();
}
