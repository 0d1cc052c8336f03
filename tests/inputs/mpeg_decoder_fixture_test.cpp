// Every fixture stream, pushed whole, in 1024-byte pieces and one byte at a
// time, decodes frame by frame to the reference decoding of Debian's mpg123
// converted to 16-bit PCM (rounded, ties to even, and clipped).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "mpeg_test_support.h"

namespace {

struct fixture {
    const char* stream;
    int sample_rate;
    int channels;
    int samples_per_frame;  // per channel
};

const fixture fixtures[] = {
    {"l3_cbr128_44k_joint.mp3", 44100, 2, 1152},
    {"l3_vbr_44k_xing.mp3", 44100, 2, 1152},
    {"l3_cbr96_48k_mono_hot.mp3", 48000, 1, 1152},
    {"l3_cbr64_32k_stereo_crc.mp3", 32000, 2, 1152},
    {"l3_mpeg2_22k_stereo.mp3", 22050, 2, 576},
    {"l3_mpeg2_16k_mono.mp3", 16000, 1, 576},
    {"l3_mpeg25_11k_stereo.mp3", 11025, 2, 576},
    {"l3_mpeg25_8k_mono.mp3", 8000, 1, 576},
    {"l2_192_48k_stereo.mp2", 48000, 2, 1152},
    {"l2_112_32k_joint.mp2", 32000, 2, 1152},
    {"l2_mpeg2_24k_mono_crc.mp2", 24000, 1, 1152},
    {"l2_mpeg2_22k_stereo.mp2", 22050, 2, 1152},
    {"l1_384_44k_stereo.mp1", 44100, 2, 384},
    {"l1_320_48k_joint_crc.mp1", 48000, 2, 384},
    {"l1_mpeg2_128_22k_mono.mp1", 22050, 1, 384},
    {"l1_mpeg2_192_24k_stereo.mp1", 24000, 2, 384},
};

std::string base_name(const std::string& stream)
{
    return stream.substr(0, stream.rfind('.'));
}

// Decodes the stream and compares each frame's output with the matching
// slice of the reference. Frames refused with -2 must match a silent slice.
void expect_reference(const fixture& f, const bytes& stream, const bytes& reference, size_t piece,
                      mpeg_decoder& decoder, int sample_bytes)
{
    SCOPED_TRACE(std::string(f.stream) + ", pieces of " + std::to_string(piece));
    const size_t frame_bytes = size_t(f.samples_per_frame) * size_t(f.channels) * size_t(sample_bytes);
    ASSERT_FALSE(stream.empty());
    ASSERT_FALSE(reference.empty());
    ASSERT_EQ(reference.size() % frame_bytes, 0u);
    const std::vector<decode_step> steps = decode_stream(decoder, stream, piece);
    ASSERT_EQ(steps.size(), reference.size() / frame_bytes);
    for (size_t i = 0; i < steps.size(); ++i) {
        const unsigned char* expected = reference.data() + i * frame_bytes;
        if (steps[i].result == -2) {
            EXPECT_EQ(steps[i].written, 0);
            for (size_t k = 0; k < frame_bytes; ++k)
                ASSERT_EQ(expected[k], 0) << "frame " << i << " was refused but its reference is not silent";
            continue;
        }
        ASSERT_EQ(steps[i].result, 0) << "frame " << i;
        ASSERT_EQ(steps[i].pcm.size(), frame_bytes) << "frame " << i;
        if (std::memcmp(steps[i].pcm.data(), expected, frame_bytes) != 0) {
            size_t k = 0;
            while (steps[i].pcm[k] == expected[k])
                ++k;
            FAIL() << "frame " << i << " differs from byte " << k;
        }
    }
    EXPECT_EQ(decoder.sample_rate(), f.sample_rate);
    EXPECT_EQ(decoder.channels(), f.channels);
    EXPECT_GT(decoder.bitrate, 0);
}

void expect_all_fixtures(size_t piece)
{
    for (const fixture& f : fixtures) {
        decoder_ptr decoder = make_decoder();
        ASSERT_TRUE(decoder);
        expect_reference(f, read_fixture(f.stream), read_fixture(base_name(f.stream) + ".s16"), piece,
                         *decoder, 2);
    }
}

TEST(mpeg_decoder, fixtures_pushed_whole_decode_to_the_reference)
{
    expect_all_fixtures(0);
}

TEST(mpeg_decoder, fixtures_pushed_in_1024_byte_pieces_decode_to_the_reference)
{
    expect_all_fixtures(1024);
}

TEST(mpeg_decoder, fixtures_pushed_one_byte_at_a_time_decode_to_the_reference)
{
    expect_all_fixtures(1);
}

TEST(mpeg_decoder, float_output_is_the_core_samples_unchanged)
{
    for (const fixture& f : fixtures) {
        decoder_ptr decoder(create_mpeg_decoder(true, false, 1, 32, 3));
        ASSERT_TRUE(decoder);
        expect_reference(f, read_fixture(f.stream), read_fixture(base_name(f.stream) + ".f32"), 1024,
                         *decoder, 4);
    }
}

TEST(mpeg_decoder, double_precision_output_rounds_the_exact_products)
{
    const char* streams[] = {"l3_cbr128_44k_joint.mp3", "l3_vbr_44k_xing.mp3", "l3_cbr64_32k_stereo_crc.mp3",
                             "l3_mpeg2_22k_stereo.mp3"};
    for (const char* name : streams) {
        const fixture* f = nullptr;
        for (const fixture& candidate : fixtures)
            if (std::string(candidate.stream) == name)
                f = &candidate;
        ASSERT_NE(f, nullptr);
        decoder_ptr decoder(create_mpeg_decoder(false, false, 0, 16, 0));
        ASSERT_TRUE(decoder);
        expect_reference(*f, read_fixture(name), read_fixture(base_name(name) + ".d16"), 1024, *decoder, 2);
    }
}

TEST(mpeg_decoder, stream_entered_mid_reservoir_refuses_frames_then_decodes_from_empty_history)
{
    const fixture landing{"l3_landing.mp3", 44100, 2, 1152};
    const bytes stream = read_fixture(landing.stream);
    for (size_t piece : {size_t(0), size_t(1024), size_t(1)}) {
        decoder_ptr decoder = make_decoder();
        ASSERT_TRUE(decoder);
        expect_reference(landing, stream, read_fixture("l3_landing.s16"), piece, *decoder, 2);
        decoder_ptr again = make_decoder();
        const std::vector<decode_step> steps = decode_stream(*again, stream, piece);
        ASSERT_FALSE(steps.empty());
        EXPECT_EQ(steps.front().result, -2);
    }
}

TEST(mpeg_decoder, reset_then_the_same_stream_decodes_the_same)
{
    decoder_ptr decoder = make_decoder();
    ASSERT_TRUE(decoder);
    const bytes stream = read_fixture("l3_vbr_44k_xing.mp3");
    const std::vector<decode_step> first = decode_stream(*decoder, stream, 1024);
    decoder->reset();
    const std::vector<decode_step> second = decode_stream(*decoder, stream, 1024);
    ASSERT_EQ(first.size(), second.size());
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(first[i].result, second[i].result);
        ASSERT_TRUE(first[i].pcm == second[i].pcm) << "frame " << i;
    }
}

}  // namespace
