// The MPEG parser on files: the first frame of every fixture, VBR headers
// (Xing with its table of contents, VBRI), a leading ID3v2 tag, RIFF
// wrappers, the search limit and junk.
#include <gtest/gtest.h>

#include "file_stream.h"
#include "mpeg_media_support.h"
#include "mpeg_parser.h"
#include "temp_folder.h"

namespace {
// Writes data to a file of the folder and parses it through a file stream.
struct parsed_file {
    parsed_file(const temp_folder& dir, const bytes& data, const std::wstring& name = L"a.mp3",
                const std::wstring& prefix = L"") {
        EXPECT_TRUE(write_file(dir / name, data));
        opened = stream.open((prefix + (dir / name)).c_str());
        EXPECT_TRUE(opened);
        stream.seek(3, 0);
        ok = parser.open(&stream);
        EXPECT_EQ(stream.tell(), 3) << "the parser keeps the stream position";
    }
    file_stream stream;
    mpeg_parser parser;
    bool opened = false;
    bool ok = false;
};

double true_length(const media_fixture& f) {
    return double(read_index(f.name).size() - 1) * f.samples_per_frame / f.sample_rate;
}

// The stream with its first frame's body replaced by a Xing header at `at`
// that holds only a frame count (flag 1), or no field at all (flags 0).
bytes with_xing_count(const bytes& data, int at, uint32_t flags, uint32_t count) {
    std::vector<bytes> frames = split_frames(data);
    bytes& first = frames.at(0);
    std::fill(first.begin() + 4, first.end(), 0);
    const unsigned char field[12] = {'X', 'i', 'n', 'g', 0, 0, 0, uint8_t(flags), uint8_t(count >> 24),
                                     uint8_t(count >> 16), uint8_t(count >> 8), uint8_t(count)};
    std::copy(field, field + 12, first.begin() + at);
    return join(frames);
}
}  // namespace

TEST(mpeg_parser, first_frame_and_length_of_every_fixture) {
    temp_folder dir;
    for (size_t i = 0; i < media_fixture_count; ++i) {
        const media_fixture& f = media_fixtures[i];
        SCOPED_TRACE(f.name);
        const bytes data = read_fixture(f.name);
        const std::vector<int64_t> index = read_index(f.name);
        parsed_file p(dir, data);
        ASSERT_TRUE(p.ok);
        EXPECT_EQ(p.parser.data_start(), 0u);
        EXPECT_EQ(p.parser.id3v2_size(), 0);
        EXPECT_EQ(p.parser.sample_rate(), f.sample_rate);
        EXPECT_EQ(p.parser.channels(), f.channels);
        EXPECT_EQ(p.parser.first_frame().layer, f.layer);
        EXPECT_EQ(p.parser.is_lsf(), f.sample_rate < 32000);
        EXPECT_EQ(p.parser.stream_length(), int64_t(data.size()));
        if (f.kbps) {
            EXPECT_FALSE(p.parser.has_xing());  // lame's "Info" is not a VBR header
            EXPECT_EQ(p.parser.average_bitrate(), f.kbps);
            EXPECT_EQ(p.parser.frame_length(), index[1] - index[0]);
            // Bytes after the data start over the first frame's length.
            EXPECT_DOUBLE_EQ(p.parser.length(), double(data.size()) / p.parser.frame_length() *
                                                    f.samples_per_frame / f.sample_rate);
        }
        // Within 1 % and a frame (a VBR header does not count its own frame).
        const double frame = double(f.samples_per_frame) / f.sample_rate;
        EXPECT_NEAR(p.parser.length(), true_length(f), true_length(f) * 0.01 + frame);
    }
}

TEST(mpeg_parser, cbr_length_is_bytes_over_the_first_frame_length) {
    temp_folder dir;
    parsed_file p(dir, read_fixture("l3_cbr128_44k_joint.mp3"));
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.parser.frame_length(), 417);  // 128 kbit/s, 44.1 kHz, no padding
    EXPECT_EQ(p.parser.version(), 1.0f);
    EXPECT_EQ(p.parser.mode_text(), stringx(L"Joint Stereo"));
    EXPECT_EQ(p.parser.emphasis_text(), stringx(L"None"));
    EXPECT_DOUBLE_EQ(p.parser.length(), 39287.0 / 417 * 1152 / 44100);

    parsed_file lsf(dir, read_fixture("l3_mpeg2_22k_stereo.mp3"), L"b.mp3");
    ASSERT_TRUE(lsf.ok);
    EXPECT_EQ(lsf.parser.version(), 2.0f);
    EXPECT_EQ(lsf.parser.samples_per_frame(), 576);
    EXPECT_EQ(lsf.parser.frame_length(), 144000 * 32 / (22050 * 2));
    parsed_file v25(dir, read_fixture("l3_mpeg25_8k_mono.mp3"), L"c.mp3");
    ASSERT_TRUE(v25.ok);
    EXPECT_EQ(v25.parser.version(), 2.5f);
    EXPECT_EQ(v25.parser.mode_text(), stringx(L"Mono"));
}

TEST(mpeg_parser, xing_header_gives_frame_count_and_table_of_contents) {
    temp_folder dir;
    const bytes data = read_fixture("l3_vbr_44k_xing.mp3");
    parsed_file p(dir, data);
    ASSERT_TRUE(p.ok);
    ASSERT_TRUE(p.parser.has_xing());
    EXPECT_FALSE(p.parser.has_vbri());
    EXPECT_EQ(p.parser.xing_flags(), 15u);
    const uint32_t frames = mpeg_word(&data[36 + 8]);
    EXPECT_EQ(p.parser.frame_count(), frames);
    EXPECT_EQ(p.parser.xing_bytes(), mpeg_word(&data[36 + 12]));
    EXPECT_EQ(memcmp(p.parser.xing_toc(), &data[36 + 16], 100), 0);
    EXPECT_DOUBLE_EQ(p.parser.length(), frames * 1152.0 / 44100);
    EXPECT_EQ(p.parser.frame_length(), int(data.size() / frames));
    const double kbps = data.size() * 8.0 / p.parser.length() / 1000;
    EXPECT_NEAR(p.parser.average_bitrate(), kbps, 1.0);
}

TEST(mpeg_parser, a_vbr_header_counts_the_samples_of_its_layer_and_version) {
    temp_folder dir;
    struct row {
        const char* fixture;
        int xing_at;
    } rows[] = {
        {"l3_mpeg2_22k_stereo.mp3", 21}, {"l3_mpeg2_16k_mono.mp3", 13}, {"l3_mpeg25_8k_mono.mp3", 13},
        {"l2_192_48k_stereo.mp2", 36},   {"l2_mpeg2_22k_stereo.mp2", 21}, {"l2_mpeg2_24k_mono_crc.mp2", 13},
        {"l1_384_44k_stereo.mp1", 36},   {"l1_mpeg2_128_22k_mono.mp1", 13},
    };
    for (const row& r : rows) {
        const media_fixture* f = nullptr;
        for (size_t i = 0; i < media_fixture_count; ++i)
            if (std::string(media_fixtures[i].name) == r.fixture) f = &media_fixtures[i];
        ASSERT_NE(f, nullptr);
        SCOPED_TRACE(r.fixture);
        const bytes data = read_fixture(r.fixture);
        const uint32_t frames = uint32_t(read_index(r.fixture).size() - 1);
        parsed_file p(dir, with_xing_count(data, r.xing_at, 1, frames));
        ASSERT_TRUE(p.ok);
        ASSERT_TRUE(p.parser.has_xing());
        EXPECT_DOUBLE_EQ(p.parser.length(), double(frames) * f->samples_per_frame / f->sample_rate);
        EXPECT_NEAR(p.parser.average_bitrate(), f->kbps, 1.0);
        // A header that counts no frames cannot tell length or bit rate:
        // those of the first frame serve.
        for (uint32_t flags : {0u, 1u}) {
            parsed_file empty(dir, with_xing_count(data, r.xing_at, flags, 0), L"b.mp3");
            ASSERT_TRUE(empty.ok);
            EXPECT_TRUE(empty.parser.has_xing());
            EXPECT_EQ(empty.parser.average_bitrate(), empty.parser.bitrate());
            EXPECT_GT(empty.parser.frame_length(), 0);
            EXPECT_NEAR(empty.parser.length(), true_length(*f), true_length(*f) * 0.02);
        }
    }
}

TEST(mpeg_parser, vbri_header_gives_frame_count_and_seek_table) {
    temp_folder dir;
    const bytes data = with_vbri(read_fixture("l3_vbr_44k_xing.mp3"), 10, 2);
    ASSERT_FALSE(data.empty());
    const uint32_t frames = uint32_t(read_index("l3_vbr_44k_xing.mp3").size() - 2);
    parsed_file p(dir, data);
    ASSERT_TRUE(p.ok);
    EXPECT_FALSE(p.parser.has_xing());
    ASSERT_TRUE(p.parser.has_vbri());
    EXPECT_EQ(p.parser.frame_count(), frames);
    EXPECT_EQ(p.parser.vbri().frames_per_entry, 10);
    EXPECT_EQ(p.parser.vbri().table.size(), size_t((frames + 9) / 10));
    EXPECT_DOUBLE_EQ(p.parser.length(), frames * 1152.0 / 44100);
    EXPECT_EQ(p.parser.vbri_seek(0.0f), 0);
    EXPECT_GT(p.parser.vbri_seek(1000.0f), 0);

    // Headers that cannot serve a seek count as none.
    const struct {
        int frames_per_entry, entry_size;
    } unusable[] = {{0, 2}, {10, 0}, {10, 5}};
    for (const auto& u : unusable) {
        parsed_file bad(dir, with_vbri(read_fixture("l3_vbr_44k_xing.mp3"), u.frames_per_entry, u.entry_size),
                        L"b.mp3");
        EXPECT_TRUE(bad.ok);
        EXPECT_FALSE(bad.parser.has_vbri()) << u.frames_per_entry << " " << u.entry_size;
    }
}

TEST(vbri_table, seek_walks_the_table_in_equal_steps_of_time) {
    vbri_table v;
    v.sample_rate = 44100;
    v.frames = 100;  // 2612.24 ms of 1152-sample frames
    v.entries = 4;
    v.frames_per_entry = 25;
    v.table = {1000, 2000, 3000, 4000, 5000};
    // Steps of 522.45 ms; the overshoot past the target is taken back in
    // whole frames of the last entry.
    const struct {
        float ms;
        int64_t offset;
    } rows[] = {{-5.0f, 0}, {0.0f, 0}, {600.0f, 1320}, {1200.0f, 3840}, {5000.0f, 15000}};
    for (const auto& r : rows) EXPECT_EQ(v.seek(r.ms), r.offset) << r.ms;
}

TEST(mpeg_parser, a_leading_id3v2_tag_is_skipped_when_well_formed) {
    temp_folder dir;
    const bytes data = read_fixture("l3_cbr128_44k_joint.mp3");
    const bytes decoys = decoy_frames();
    ASSERT_FALSE(decoys.empty());
    const struct {
        int body;
        unsigned char flags;
        unsigned char size_byte;  // replaces the last size byte when nonzero
        int id3v2_size;
        int data_start;
    } rows[] = {
        {257, 0x00, 0, 267, 267},        // size field 00 00 02 01
        {257, 0x10, 0, 277, 277},        // with a footer
        {2000, 0x00, 0, 2010, 2010},     // the decoys inside the tag are not looked at
        {2000, 0x80, 0, 2010, 2010},     // a high flag bit is allowed
        {2000, 0x01, 0, 0, 10},          // low flag bits set: no tag, the decoys are found
        {2000, 0x00, 0x81, 0, 10},       // a size byte of 0x80 or more: no tag
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << int(r.flags) << " " << int(r.size_byte));
        bytes tag = id3v2_tag(r.body, r.flags, decoys);
        if (r.size_byte) tag[9] = r.size_byte;
        parsed_file p(dir, join({tag, data}));
        ASSERT_TRUE(p.ok);
        EXPECT_EQ(p.parser.id3v2_size(), r.id3v2_size);
        EXPECT_EQ(p.parser.data_start(), uint32_t(r.data_start));
    }
}

TEST(mpeg_parser, riff_files_start_the_search_at_their_data_chunk) {
    temp_folder dir;
    const bytes data = read_fixture("l3_cbr128_44k_joint.mp3");
    const bytes decoys = decoy_frames();
    const struct {
        const char* form;
        int fmt_tag;
        const wchar_t* prefix;
        bool at_data;  // else the decoys in the chunk before the data are found
    } rows[] = {
        {"WAVE", 85, L"", true},  {"WAVE", 85, L"x|", true}, {"RMP3", -1, L"", true},
        {"WAVE", 1, L"", false},  {"WAVE", 80, L"", false},  {"AVI ", -1, L"", false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.form << " " << r.fmt_tag << " " << narrow(r.prefix));
        int64_t data_offset = 0;
        const bytes file = riff_file(r.form, r.fmt_tag, decoys, data, &data_offset);
        parsed_file p(dir, file, L"a.wav", r.prefix);
        ASSERT_TRUE(p.ok);
        const int64_t decoys_at = 12 + (r.fmt_tag >= 0 ? 38 : 0) + 8;
        EXPECT_EQ(p.parser.data_start(), uint32_t(r.at_data ? data_offset : decoys_at));
        if (r.at_data) {
            EXPECT_EQ(p.parser.bitrate(), 128);
        }
    }
}

TEST(mpeg_parser, the_search_covers_the_first_65536_bytes) {
    temp_folder dir;
    const bytes data = read_fixture("l3_cbr128_44k_joint.mp3");
    // The first frame (417 bytes) and the next header must both lie within.
    const size_t last_fit = 65536 - 417 - 4;
    parsed_file fits(dir, join({quiet_junk(last_fit), data}));
    EXPECT_TRUE(fits.ok);
    EXPECT_EQ(fits.parser.data_start(), uint32_t(last_fit));
    parsed_file beyond(dir, join({quiet_junk(last_fit + 1), data}), L"b.mp3");
    EXPECT_FALSE(beyond.ok);
    // Counted from the end of a leading tag.
    parsed_file tagged(dir, join({id3v2_tag(990, 0), quiet_junk(last_fit), data}), L"c.mp3");
    EXPECT_TRUE(tagged.ok);
    EXPECT_EQ(tagged.parser.data_start(), uint32_t(1000 + last_fit));
}

TEST(mpeg_parser, junk_is_refused) {
    temp_folder dir;
    const bytes rows[] = {quiet_junk(200000), random_junk(200000, 7), random_junk(100, 3), bytes(5, 0xFF)};
    for (const bytes& junk : rows) {
        SCOPED_TRACE(junk.size());
        parsed_file p(dir, junk);
        EXPECT_FALSE(p.ok);
    }
    mpeg_parser parser;
    EXPECT_FALSE(parser.open(nullptr));
}

TEST(mpeg_parser, a_frame_counts_only_when_the_next_header_continues_its_stream) {
    std::vector<bytes> frames = split_frames(read_fixture("l3_cbr128_44k_joint.mp3"));
    ASSERT_GT(frames.size(), 10u);
    const int third = int(frames[0].size() + frames[1].size());
    // Header bits changed in the second frame; its length stays where it
    // does not depend on them.
    const struct {
        const char* what;
        uint32_t mask, value;
        int found;
    } rows[] = {
        {"sample rate", 0x00000C00, 0x00000400, third},
        {"mono", 0x000000C0, 0x000000C0, third},
        {"layer II", 0x00060000, 0x00040000, third},
        {"MPEG-2", 0x00180000, 0x00100000, third},
        {"stereo instead of joint stereo", 0x000000C0, 0x00000000, 0},
        {"dual channel", 0x000000C0, 0x00000080, 0},
        {"bit rate", 0x0000F000, 0x0000A000, 0},
        {"no CRC flag", 0x00010000, 0x00000000, 0},
        {"copyright, original, emphasis", 0x0000000F, 0x0000000D, 0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        std::vector<bytes> changed = frames;
        changed[1] = with_header(changed[1], (header_word(changed[1]) & ~r.mask) | r.value);
        const bytes buffer = join(changed);
        mpeg_parser p;
        EXPECT_EQ(p.sync_search(buffer.data(), int(buffer.size())), r.found);
    }
    mpeg_parser p;
    const bytes one = frames[0];
    EXPECT_EQ(p.sync_search(one.data(), int(one.size())), -1) << "a lone frame";
    EXPECT_EQ(p.sync_search(one.data(), 4), -1);
}
