// Frame header parse and the per-version, per-layer constants, checked
// against ISO/IEC 11172-3 and 13818-3.
#include <gtest/gtest.h>

#include "mpeg_header.h"

namespace {

// Builds a header word from its fields. version: 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5.
uint32_t header(int version, int layer_bits, int bitrate_index, int frequency, int padding = 0, int mode = 0,
                int protection_bit = 1)
{
    return 0xFFE00000u | uint32_t(version) << 19 | uint32_t(layer_bits) << 17 | uint32_t(protection_bit) << 16 |
           uint32_t(bitrate_index) << 12 | uint32_t(frequency) << 10 | uint32_t(padding) << 9 |
           uint32_t(mode) << 6;
}

TEST(mpeg_header, bitrate_rows_are_the_standard_tables)
{
    struct row {
        int lsf, layer;
        int kbps[14];
    };
    const row rows[] = {
        {0, 1, {32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448}},
        {0, 2, {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384}},
        {0, 3, {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
        {1, 1, {32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256}},
        {1, 2, {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}},
        {1, 3, {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}},
    };
    for (const row& r : rows) {
        SCOPED_TRACE("lsf " + std::to_string(r.lsf) + " layer " + std::to_string(r.layer));
        EXPECT_EQ(mpeg_bitrate_kbps(r.lsf, r.layer, 0), 0);
        EXPECT_EQ(mpeg_bitrate_kbps(r.lsf, r.layer, 15), 0);
        for (int i = 1; i <= 14; ++i)
            EXPECT_EQ(mpeg_bitrate_kbps(r.lsf, r.layer, i), r.kbps[i - 1]) << "index " << i;
    }
}

TEST(mpeg_header, samples_per_frame_and_sample_rates_by_version_and_layer)
{
    EXPECT_EQ(mpeg_samples_per_frame(0, 1), 384);
    EXPECT_EQ(mpeg_samples_per_frame(0, 2), 1152);
    EXPECT_EQ(mpeg_samples_per_frame(0, 3), 1152);
    EXPECT_EQ(mpeg_samples_per_frame(1, 1), 384);
    EXPECT_EQ(mpeg_samples_per_frame(1, 2), 1152);
    EXPECT_EQ(mpeg_samples_per_frame(1, 3), 576);
    const int rates[] = {44100, 48000, 32000, 22050, 24000, 16000, 11025, 12000, 8000};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(mpeg_sample_rate(i), rates[i]);
    EXPECT_EQ(mpeg_sample_rate(9), 0);
}

TEST(mpeg_header, frame_sizes)
{
    struct size_case {
        uint32_t word;
        int framesize;
        int side_info_size;
    };
    const size_case cases[] = {
        {header(3, 1, 9, 0), 413, 32},              // MPEG-1 layer III 128 kbit/s 44100 Hz
        {header(3, 1, 9, 0, 1), 414, 32},           // the same, padded
        {header(3, 1, 9, 1), 380, 32},              // 48000 Hz
        {header(3, 1, 9, 1, 0, 3), 380, 17},        // single channel
        {header(3, 2, 10, 1), 572, 0},              // layer II 192 kbit/s 48000 Hz
        {header(3, 3, 1, 1), 28, 0},                // layer I 32 kbit/s 48000 Hz
        {header(3, 3, 12, 0, 1), 104 * 4 + 4 - 4, 0},  // layer I 384 kbit/s 44100 Hz, padded: 105 slots
        {header(2, 1, 1, 1), 20, 17},               // MPEG-2 layer III 8 kbit/s 24000 Hz
        {header(2, 1, 1, 1, 0, 3), 20, 9},
        {header(2, 2, 8, 0), 417 - 4, 0},           // MPEG-2 layer II 64 kbit/s 22050 Hz: 1152 samples
        {header(2, 3, 8, 1), 64 * 4 - 4, 0},        // MPEG-2 layer I 128 kbit/s 24000 Hz: 384 samples
        {header(0, 1, 1, 2), 72 - 4, 17},           // MPEG-2.5 layer III 8 kbit/s 8000 Hz
    };
    for (const size_case& c : cases) {
        frame_header h;
        ASSERT_TRUE(parse_frame_header(c.word, h)) << std::hex << c.word;
        EXPECT_EQ(h.framesize, c.framesize) << std::hex << c.word;
        EXPECT_EQ(h.side_info_size, c.side_info_size) << std::hex << c.word;
    }
}

// Bytes per frame = samples per frame / 8 x bit rate / sample rate, in slots
// of 4 bytes for layer I, plus one slot when padded: for every header.
TEST(mpeg_header, every_frame_size_agrees_with_its_samples_per_frame)
{
    for (int version : {3, 2, 0})
        for (int layer_bits = 1; layer_bits <= 3; ++layer_bits)
            for (int index = 1; index <= 14; ++index)
                for (int frequency = 0; frequency <= 2; ++frequency)
                    for (int padding = 0; padding <= 1; ++padding) {
                        frame_header h;
                        const uint32_t word = header(version, layer_bits, index, frequency, padding);
                        ASSERT_TRUE(parse_frame_header(word, h));
                        const int layer = 4 - layer_bits;
                        const long long bits_per_second =
                            1000LL * mpeg_bitrate_kbps(h.lsf, layer, index);
                        const long long rate = mpeg_sample_rate(h.sampling_frequency);
                        const long long spf = mpeg_samples_per_frame(h.lsf, layer);
                        const long long slot = layer == 1 ? 4 : 1;
                        const long long expected = spf * bits_per_second / (8 * rate * slot) * slot + padding * slot;
                        EXPECT_EQ(h.framesize + 4, expected) << std::hex << word;
                    }
}

TEST(mpeg_header, fields_of_a_header)
{
    frame_header h;
    // MPEG-1 layer III, CRC, 128 kbit/s, 44100 Hz, padded, private bit,
    // joint stereo with mode extension 3, copyright, original, emphasis 1.
    ASSERT_TRUE(parse_frame_header(0xFFFA937D, h));
    EXPECT_FALSE(h.mpeg25);
    EXPECT_EQ(h.lsf, 0);
    EXPECT_EQ(h.layer, 3);
    EXPECT_EQ(h.error_protection, 1);
    EXPECT_EQ(h.bitrate_index, 9);
    EXPECT_EQ(h.sampling_frequency, 0);
    EXPECT_EQ(h.padding, 1);
    EXPECT_EQ(h.layer3_padding, 1);
    EXPECT_EQ(h.extension, 1);
    EXPECT_EQ(h.mode, 1);
    EXPECT_EQ(h.mode_ext, 3);
    EXPECT_EQ(h.copyright, 1);
    EXPECT_EQ(h.original, 1);
    EXPECT_EQ(h.emphasis, 1);
    EXPECT_EQ(h.channels, 2);

    ASSERT_TRUE(parse_frame_header(header(0, 1, 1, 1, 0, 3), h));  // MPEG-2.5 12000 Hz mono
    EXPECT_TRUE(h.mpeg25);
    EXPECT_EQ(h.lsf, 1);
    EXPECT_EQ(h.sampling_frequency, 7);
    EXPECT_EQ(h.channels, 1);

    ASSERT_TRUE(parse_frame_header(header(2, 2, 1, 2), h));  // MPEG-2 16000 Hz layer II
    EXPECT_FALSE(h.mpeg25);
    EXPECT_EQ(h.lsf, 1);
    EXPECT_EQ(h.layer, 2);
    EXPECT_EQ(h.sampling_frequency, 5);
    EXPECT_EQ(h.layer3_padding, 0);
}

TEST(mpeg_header, reserved_values_are_refused_and_sync_bits_are_not_examined)
{
    const uint32_t refused[] = {
        header(3, 1, 0, 0),   // free format
        header(3, 1, 15, 0),  // bitrate index 15
        header(3, 1, 9, 3),   // frequency index 3
        header(3, 0, 9, 0),   // layer bits 00
        header(2, 0, 1, 0),
    };
    for (uint32_t word : refused) {
        frame_header h;
        h.framesize = 12345;
        EXPECT_FALSE(parse_frame_header(word, h)) << std::hex << word;
        EXPECT_EQ(h.framesize, 12345) << "a refused header leaves the record alone";
    }
    frame_header with_sync, without_sync;
    ASSERT_TRUE(parse_frame_header(header(3, 1, 9, 0), with_sync));
    ASSERT_TRUE(parse_frame_header((header(3, 1, 9, 0) & 0x001FFFFF) | 0x00180000, without_sync));
    EXPECT_EQ(with_sync.framesize, without_sync.framesize);
}

TEST(mpeg_header, same_stream_compares_version_layer_rate_and_channels)
{
    frame_header ref, other;
    ASSERT_TRUE(parse_frame_header(header(3, 1, 9, 0, 0, 1), ref));
    ASSERT_TRUE(parse_frame_header(header(3, 1, 14, 0, 1, 0, 0), other));  // rate, padding, mode 0, CRC
    EXPECT_TRUE(same_stream(ref, other));
    const uint32_t differing[] = {
        header(3, 1, 9, 1),        // sample rate
        header(3, 1, 9, 0, 0, 3),  // channels
        header(3, 2, 9, 0),        // layer
        header(2, 1, 9, 0),        // MPEG-2 at the same frequency bits
        header(0, 1, 9, 0),        // MPEG-2.5
    };
    for (uint32_t word : differing) {
        ASSERT_TRUE(parse_frame_header(word, other));
        EXPECT_FALSE(same_stream(ref, other)) << std::hex << word;
    }
}

}  // namespace
