// The MPEG input on local files: the format it reports, the PCM it delivers
// (the decoder's, to the last short block), damage in the middle, a cut-off
// last frame, and where seeks land.
#include <gtest/gtest.h>

#include <algorithm>

#include "file_stream.h"
#include "list_info.h"
#include "mpeg_input.h"
#include "mpeg_media_support.h"
#include "seek_table.h"
#include "temp_folder.h"

namespace {
// A file of the folder opened through a file stream and an MPEG input.
struct played_file {
    played_file(const temp_folder& dir, const bytes& data, const std::wstring& name = L"a.mp3") {
        EXPECT_TRUE(write_file(dir / name, data));
        EXPECT_TRUE(stream.open((dir / name).c_str()));
        list_info::set_string(entry.path, (dir / name).c_str());
        ok = in.open(&stream, &entry);
    }
    file_stream stream;
    list_info entry;
    mpeg_input in;
    bool ok = false;
};

bytes frames_from(const std::vector<bytes>& frames, size_t first, size_t end = size_t(-1)) {
    if (end > frames.size()) end = frames.size();
    return join(std::vector<bytes>(frames.begin() + first, frames.begin() + end));
}

const media_fixture& fixture_named(const char* name) {
    for (size_t i = 0; i < media_fixture_count; ++i)
        if (std::string(media_fixtures[i].name) == name) return media_fixtures[i];
    return media_fixtures[0];
}

// The frame index at or after offset.
int64_t next_frame(const std::vector<int64_t>& index, int64_t offset) {
    for (int64_t at : index)
        if (at >= offset) return at;
    return index.back();
}
}  // namespace

TEST(mpeg_input, reports_the_format_that_the_parser_found) {
    temp_folder dir;
    for (size_t i = 0; i < media_fixture_count; ++i) {
        const media_fixture& f = media_fixtures[i];
        SCOPED_TRACE(f.name);
        played_file p(dir, read_fixture(f.name));
        ASSERT_TRUE(p.ok);
        mpeg_parser parser;
        ASSERT_TRUE(parser.open(&p.stream));
        audio_format format = {};
        EXPECT_EQ(p.in.get_format(&format), &format);
        EXPECT_EQ(format.format_tag, 1);
        EXPECT_EQ(format.bits_per_sample, 16);
        EXPECT_EQ(format.channel_mask, 0);
        EXPECT_EQ(format.channels, f.channels);
        EXPECT_EQ(format.sample_rate, f.sample_rate);
        EXPECT_EQ(format.bitrate, double(parser.average_bitrate()));
        EXPECT_EQ(format.length, parser.length());
        EXPECT_GT(format.length, 0.0);
        EXPECT_EQ(p.in.position(), 0.0);
        EXPECT_FALSE(p.in.busy());
        EXPECT_TRUE(p.in.slot9());
        EXPECT_EQ(p.stream.tell(), 0);  // at the data start
    }
}

TEST(mpeg_input, plays_every_fixture_to_the_decoders_pcm) {
    temp_folder dir;
    for (size_t i = 0; i < media_fixture_count; ++i) {
        const media_fixture& f = media_fixtures[i];
        SCOPED_TRACE(f.name);
        const bytes data = read_fixture(f.name);
        const bytes expected = decode_all(data);
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(expected, reference_pcm(f.name));
        for (int block : {4608, 1000}) {
            SCOPED_TRACE(block);
            played_file p(dir, data);
            ASSERT_TRUE(p.ok);
            const bytes pcm = read_input(p.in, block);
            EXPECT_TRUE(pcm == expected) << pcm.size() << " bytes for " << expected.size();
            const double bytes_per_second = 2.0 * f.channels * f.sample_rate;
            EXPECT_NEAR(p.in.position(), expected.size() / bytes_per_second, 1e-9);
        }
    }
}

TEST(mpeg_input, the_last_short_block_is_delivered_then_the_end) {
    temp_folder dir;
    const bytes data = read_fixture("l3_cbr128_44k_joint.mp3");
    const bytes expected = decode_all(data);
    const int block = 10000;
    ASSERT_NE(expected.size() % block, 0u);
    played_file p(dir, data);
    ASSERT_TRUE(p.ok);
    unsigned char none[4];
    EXPECT_EQ(p.in.read(none, 0), -1);
    std::vector<int> counts;
    const bytes pcm = read_input(p.in, block, &counts);
    EXPECT_TRUE(pcm == expected);
    ASSERT_GE(counts.size(), 2u);
    EXPECT_EQ(counts[counts.size() - 2], int(expected.size() % block));
    EXPECT_EQ(counts.back(), -1);
    for (size_t i = 0; i + 2 < counts.size(); ++i) EXPECT_EQ(counts[i], block);
    unsigned char more[16];
    EXPECT_EQ(p.in.read(more, 16), -1);
}

TEST(mpeg_input, a_file_cut_inside_its_last_frame_ends_after_the_whole_frames) {
    temp_folder dir;
    const std::vector<bytes> frames = split_frames(read_fixture("l3_cbr128_44k_joint.mp3"));
    const bytes whole = frames_from(frames, 0, frames.size() - 1);
    const bytes& last = frames.back();
    played_file p(dir, join({whole, bytes(last.begin(), last.begin() + 200)}));
    ASSERT_TRUE(p.ok);
    std::vector<int> counts;
    const bytes pcm = read_input(p.in, 4608, &counts, 1000);
    EXPECT_TRUE(pcm == decode_all(whole));
    EXPECT_EQ(counts.back(), -1);
}

TEST(mpeg_input, a_kilobyte_of_junk_in_the_middle_is_skipped_and_play_goes_on) {
    temp_folder dir;
    const std::vector<bytes> frames = split_frames(read_fixture("l3_cbr128_44k_joint.mp3"));
    // A frame whose header is not split between two 1,024-byte reads: the
    // decoder meets the junk in the read that holds its first bytes, and the
    // resynchronisation starts inside the junk.
    size_t k = 30;
    while (frames_from(frames, 0, k).size() % 1024 > 1020) ++k;
    const bytes before = frames_from(frames, 0, k), after = frames_from(frames, k);
    played_file p(dir, join({before, quiet_junk(1024), after}));
    ASSERT_TRUE(p.ok);
    const bytes pcm = read_input(p.in, 4608);
    // The frames before are decoded as they came; after the junk the decoder
    // starts afresh (frames whose bit reservoir reaches back give nothing).
    EXPECT_TRUE(pcm == join({decode_all(before), decode_all(after)}));
    const double seconds = pcm.size() / (4.0 * 44100);
    // The position counts the junk's time at the average bit rate.
    // The resynchronisation started where the read that met the junk ended.
    EXPECT_NEAR(p.in.position(), seconds + double(before.size() % 1024) / 16000, 1e-6);
}

TEST(mpeg_input, random_damage_never_stops_play_before_the_last_frames) {
    temp_folder dir;
    const std::vector<bytes> frames = split_frames(read_fixture("l3_vbr_44k_xing.mp3"));
    for (unsigned seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE(seed);
        const size_t resume = 20 + seed;
        std::vector<bytes> parts(frames.begin(), frames.begin() + 20);
        parts.push_back(random_junk(1024, seed));
        parts.insert(parts.end(), frames.begin() + resume, frames.end());
        played_file p(dir, join(parts));
        ASSERT_TRUE(p.ok);
        std::vector<int> counts;
        const bytes pcm = read_input(p.in, 4608, &counts, 10000);
        ASSERT_EQ(counts.back(), -1);
        // Whatever the junk made of the decoder, it starts afresh on one of
        // the first frames after it and plays every frame from there.
        bool found = false;
        for (size_t m = resume; m < resume + 10 && !found; ++m) {
            const bytes rest = decode_all(frames_from(frames, m));
            found = pcm.size() >= rest.size() && std::equal(rest.begin(), rest.end(), pcm.end() - rest.size());
        }
        EXPECT_TRUE(found);
    }
}

TEST(mpeg_input, seeks_decode_from_ten_frames_early_and_deliver_from_the_time_asked) {
    // Regression: the input went back ten frames (for the decoder's bit
    // reservoir) but reported the time asked for and delivered those frames
    // too: after a seek to the middle of a 1.076 s file it delivered 0.705 s
    // and ended at 1.243 s, and a seek far past the end still played 0.18 s.
    // The stream still lands ten frames early; audio and position start at
    // the time asked for (the end of the file at most), within one frame.
    temp_folder dir;
    for (const char* name : {"l3_cbr128_44k_joint.mp3", "l3_vbr_44k_xing.mp3", "l2_mpeg2_22k_stereo.mp2",
                             "l1_384_44k_stereo.mp1"}) {
        const media_fixture& f = fixture_named(name);
        SCOPED_TRACE(name);
        seek_table_cache::instance().clear();
        const bytes data = join({id3v2_tag(490, 0), read_fixture(name)});
        const std::vector<int64_t> index = read_index(name);
        const std::vector<bytes> frames = split_frames(read_fixture(name));
        const int count = int(frames.size());
        played_file p(dir, data);
        ASSERT_TRUE(p.ok);
        const double frame = double(f.samples_per_frame) / f.sample_rate;
        const double total = count * frame;
        const int frame_bytes = 2 * f.channels;
        const struct {
            const char* what;
            double seconds;
            int frame;  // where the stream lands
        } rows[] = {
            {"middle", 1.0, int(1.0 / frame + 0.5) - 10},
            {"earlier, from the entries counted", 0.5, int(0.5 / frame + 0.5) - 10},
            {"later", 1.7, int(1.7 / frame + 0.5) - 10},
            {"within the first ten frames", 5.5 * frame, 0},
            {"before the start", -4.0, 0},
            {"the start", 0.0, 0},
            {"inside the last frame", (count - 0.75) * frame, count - 11},
            {"far past the end", 100.0, count - 10},
        };
        for (const auto& r : rows) {
            SCOPED_TRACE(r.what);
            const double target = r.seconds < 0.0 ? 0.0 : r.seconds > total ? total : r.seconds;
            p.in.seek(r.seconds);
            EXPECT_EQ(p.stream.tell(), 500 + index[r.frame]);
            EXPECT_NEAR(p.in.position(), target, 1e-9);
            const bytes pcm = read_input(p.in, 4608);
            // What comes is the end of what the decoder makes from the
            // landing frame on, as long as the file after the time asked.
            const bytes from_landing = decode_all(frames_from(frames, r.frame));
            ASSERT_LE(pcm.size(), from_landing.size());
            EXPECT_TRUE(std::equal(pcm.begin(), pcm.end(), from_landing.end() - pcm.size()));
            const double delivered = double(pcm.size()) / frame_bytes / f.sample_rate;
            EXPECT_NEAR(delivered, total - target, frame);
            EXPECT_NEAR(p.in.position(), total, frame);
        }
    }
}

TEST(mpeg_input, without_its_seek_table_a_seek_uses_the_xing_toc_or_the_bit_rate) {
    temp_folder dir;
    seek_table_cache::instance().clear();
    played_file cbr(dir, read_fixture("l3_cbr128_44k_joint.mp3"), L"cbr.mp3");
    played_file vbr(dir, read_fixture("l3_vbr_44k_xing.mp3"), L"vbr.mp3");
    ASSERT_TRUE(cbr.ok && vbr.ok);
    // Eight newer files push both tables out of the cache.
    for (int i = 0; i < 8; ++i) {
        played_file other(dir, read_fixture("l3_mpeg2_22k_stereo.mp3"), L"other" + std::to_wstring(i) + L".mp3");
        ASSERT_TRUE(other.ok);
    }
    EXPECT_FALSE(seek_table_cache::instance().holds(cbr.entry.path));
    EXPECT_FALSE(seek_table_cache::instance().holds(vbr.entry.path));

    for (double seconds : {0.3, 1.0, 2.0}) {
        SCOPED_TRACE(seconds);
        // Constant rate: 128 kbit/s × seconds from the data start.
        const int64_t estimate = int64_t(128 * seconds * 125);
        cbr.in.seek(seconds);
        const int64_t cbr_at = next_frame(read_index("l3_cbr128_44k_joint.mp3"), estimate);
        EXPECT_EQ(cbr.stream.tell(), cbr_at);
        EXPECT_NEAR(cbr.in.position(), seconds + (cbr_at - estimate) / 16000.0, 1e-9);

        // Xing: the table of contents, in 1/255 of the file.
        const bytes vbr_data = read_fixture("l3_vbr_44k_xing.mp3");
        const int percent = int(seconds / vbr.in.parser().length() * 100);
        const int64_t toc_at = int64_t(double(vbr.in.parser().xing_toc()[percent]) * vbr_data.size() / 255);
        vbr.in.seek(seconds);
        EXPECT_EQ(vbr.stream.tell(), next_frame(read_index("l3_vbr_44k_xing.mp3"), toc_at));
        EXPECT_GT(read_input(vbr.in, 4608).size(), 0u);
    }
}

TEST(mpeg_input, vbri_files_seek_through_their_table_and_have_no_seek_table) {
    temp_folder dir;
    seek_table_cache::instance().clear();
    const bytes data = with_vbri(read_fixture("l3_vbr_44k_xing.mp3"), 10, 2);
    std::vector<int64_t> index;
    int64_t at = 0;
    for (const bytes& frame : split_frames(data)) index.push_back(at), at += int64_t(frame.size());
    played_file p(dir, data);
    ASSERT_TRUE(p.ok);
    ASSERT_TRUE(p.in.parser().has_vbri());
    EXPECT_EQ(seek_table_cache::instance().count(), 0);
    for (double seconds : {0.4, 1.2, 2.0}) {
        const int64_t offset = p.in.parser().vbri_seek(float(seconds * 1000));
        p.in.seek(seconds);
        EXPECT_EQ(p.stream.tell(), next_frame(index, offset)) << seconds;
    }
}

// The header claims fewer frames than the file holds: a seek past the
// header's length finds no place in the table, so it ends the track rather
// than playing the audio at the table's end under the time asked for.
TEST(mpeg_input, a_vbri_seek_past_the_headers_length_ends_the_track) {
    temp_folder dir;
    seek_table_cache::instance().clear();
    const bytes tagged = with_vbri(read_fixture("l3_vbr_44k_xing.mp3"), 10, 2);
    std::vector<bytes> frames = split_frames(tagged);
    ASSERT_GT(frames.size(), 10u);
    std::vector<bytes> longer = frames;
    longer.insert(longer.end(), frames.begin() + 1, frames.end());  // the audio once more
    played_file p(dir, join(longer));
    ASSERT_TRUE(p.ok);
    ASSERT_TRUE(p.in.parser().has_vbri());
    const double claimed = p.in.parser().vbri().length_ms() / 1000.0;
    ASSERT_GT(claimed, 0.5);
    p.in.seek(claimed + 0.5);
    EXPECT_EQ(read_input(p.in, 4608).size(), 0u) << "audio returned at a position it does not come from";
    // Within the header's length the table still serves.
    p.in.seek(claimed / 2);
    EXPECT_GT(read_input(p.in, 4608).size(), 0u);
}

TEST(mpeg_input, opens_only_what_it_can_decode) {
    temp_folder dir;
    mpeg_input in;
    EXPECT_FALSE(in.open(nullptr, nullptr));
    played_file junk(dir, random_junk(100000, 9), L"junk.mp3");
    EXPECT_FALSE(junk.ok);

    const bytes data = read_fixture("l3_cbr128_44k_joint.mp3");
    // A local stream that reports no length counts as an empty file; a
    // network address is parsed whatever its length says.
    memory_stream local(data, true);
    local.length_known = false;
    list_info entry;
    list_info::set_string(entry.path, L"C:\\music\\a.mp3");
    EXPECT_FALSE(mpeg_input().open(&local, &entry));
    EXPECT_FALSE(mpeg_input().open(&local, nullptr));
    memory_stream remote(data, false);
    remote.length_known = false;
    list_info::set_string(entry.path, L"http://example/a.mp3");
    mpeg_input network;
    EXPECT_TRUE(network.open(&remote, &entry));
    network.close();
    unsigned char b[16];
    EXPECT_EQ(network.read(b, 16), -1);
    EXPECT_EQ(network.position(), 0.0);
    EXPECT_FALSE(network.busy());
}

TEST(mpeg_input, claims_mpeg_content_types_and_extensions) {
    mpeg_input in;
    const struct {
        const wchar_t* type;
        bool accepted;
    } types[] = {{L"audio/mpeg", true},  {L"AUDIO/MP3", true},      {L"audio/mpg", true},
                 {L"audio/x-mp3", true}, {L"audio/x-mpeg", true},   {L"audio/x-mpg", true},
                 {L"zel content type", true}, {L"audio/wav", false}, {L"mp3", false},
                 {L"", false},           {nullptr, false}};
    for (const auto& t : types) EXPECT_EQ(in.accepts_content_type(t.type), t.accepted) << narrow(t.type ? t.type : L"(null)");
    const struct {
        const wchar_t* path;
        bool accepted;
    } paths[] = {{L"C:\\a.mp3", true},  {L"C:\\a.MP2", true},   {L"a.Mp1", true},  {L"x.mpga", true},
                 {L"C:\\a.wav", false}, {L"C:\\mp3", false},    {L"a.mp3.txt", false}};
    for (const auto& p : paths) EXPECT_EQ(in.accepts(nullptr, p.path), p.accepted) << narrow(p.path);
    memory_stream s(bytes(10), true, L"D:\\songs\\b.MPGA");
    EXPECT_TRUE(in.accepts(&s, nullptr));
    EXPECT_TRUE(in.accepts(&s, L""));
    EXPECT_FALSE(in.accepts(&s, L"b.ogg"));
    EXPECT_FALSE(in.accepts(nullptr, nullptr));
}
