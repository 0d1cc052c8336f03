// The decoder's framing and result codes, on frames of the fixtures and on
// hand-patched copies of them.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "mpeg_test_support.h"

namespace {

struct stream_frames {
    std::vector<bytes> frames;
    explicit stream_frames(const char* name) : frames(split_frames(read_fixture(name))) {}
    const bytes& operator[](size_t i) const { return frames.at(i); }
};

const char* const l3_44k = "l3_cbr128_44k_joint.mp3";

int call(mpeg_decoder& d, const bytes& in, int capacity = 16384, int* written = nullptr)
{
    static unsigned char out[16384];
    int w = -7;
    const int r = d.decode(in.empty() ? nullptr : in.data(), unsigned(in.size()), out, capacity, &w);
    if (written)
        *written = w;
    return r;
}

int call_null(mpeg_decoder& d, int* written = nullptr)
{
    return call(d, bytes(), 16384, written);
}

bytes slice(const bytes& b, size_t from, size_t to)
{
    return bytes(b.begin() + long(from), b.begin() + long(to));
}

// Side-information bit offset of a granule's window_switching_flag.
int window_switching_bit(bool lsf, int channels, int granule, int channel)
{
    if (lsf)
        return 8 + (channels == 1 ? 1 : 2) + channel * 63 + 38;
    return 9 + (channels == 1 ? 5 : 3) + 4 * channels + (granule * channels + channel) * 59 + 33;
}

void set_bits(bytes& frame, int side_start, int bit, int count, int value)
{
    for (int i = 0; i < count; ++i) {
        const int at = side_start * 8 + bit + i;
        const int v = (value >> (count - 1 - i)) & 1;
        frame[size_t(at / 8)] = uint8_t((frame[size_t(at / 8)] & ~(0x80 >> (at % 8))) | (v << (7 - at % 8)));
    }
}

int main_data_begin(const bytes& frame)
{
    const bool lsf = !(frame[1] & 0x08);
    const int side = (frame[1] & 1) ? 4 : 6;
    return lsf ? frame[size_t(side)] : (frame[size_t(side)] << 1 | frame[size_t(side) + 1] >> 7);
}

TEST(mpeg_decoder, a_header_then_its_body)
{
    const stream_frames s(l3_44k);
    const bytes& f = s[1];
    decoder_ptr d = make_decoder();
    ASSERT_TRUE(d);
    int written = -1;
    EXPECT_EQ(call(*d, slice(f, 0, 3), 16384, &written), 1);
    EXPECT_EQ(written, 0);
    EXPECT_EQ(d->bitrate, 0);
    EXPECT_EQ(d->sample_rate(), 44100);
    EXPECT_EQ(d->channels(), 0);
    EXPECT_EQ(call(*d, slice(f, 3, 4)), 1);
    EXPECT_EQ(d->bitrate, 128);
    EXPECT_EQ(d->channels(), 2);
    EXPECT_EQ(call(*d, slice(f, 4, f.size() - 1)), 1);
    EXPECT_EQ(call(*d, slice(f, f.size() - 1, f.size()), 16384, &written), 0);
    EXPECT_EQ(written, 4608);
    EXPECT_EQ(call_null(*d), 1);
}

TEST(mpeg_decoder, a_frame_pushed_one_byte_at_a_time_completes_in_the_call_of_its_last_byte)
{
    const char* streams[] = {l3_44k, "l2_192_48k_stereo.mp2", "l1_320_48k_joint_crc.mp1"};
    for (const char* name : streams) {
        const stream_frames s(name);
        decoder_ptr d = make_decoder();
        for (size_t frame = 0; frame < 3; ++frame) {
            const bytes& f = s[frame];
            for (size_t i = 0; i + 1 < f.size(); ++i)
                ASSERT_EQ(call(*d, slice(f, i, i + 1)), 1) << name << " frame " << frame << " byte " << i;
            EXPECT_EQ(call(*d, slice(f, f.size() - 1, f.size())), 0) << name << " frame " << frame;
        }
    }
}

TEST(mpeg_decoder, two_frames_in_one_push_come_out_one_per_call)
{
    const stream_frames s(l3_44k);
    decoder_ptr d = make_decoder();
    EXPECT_EQ(call(*d, join({s[0], s[1]})), 0);
    EXPECT_EQ(call_null(*d), 0);
    EXPECT_EQ(call_null(*d), 1);
}

TEST(mpeg_decoder, output_capacity_below_one_frame_is_refused_without_queuing)
{
    struct capacity_case {
        int float_output, bits, minimum;
    };
    const capacity_case cases[] = {{0, 16, 4608}, {0, 24, 6912}, {0, 32, 9216}, {1, 32, 9216}};
    const stream_frames s(l3_44k);
    for (const capacity_case& c : cases) {
        SCOPED_TRACE("bits " + std::to_string(c.bits) + " float " + std::to_string(c.float_output));
        decoder_ptr d(create_mpeg_decoder(true, false, c.float_output, c.bits, 0));
        ASSERT_TRUE(d);
        EXPECT_EQ(call(*d, s[0], c.minimum - 1), -1);
        EXPECT_EQ(call(*d, bytes(), c.minimum), 1) << "the refused input was queued";
        int written = 0;
        EXPECT_EQ(call(*d, s[0], c.minimum, &written), 0);
        EXPECT_EQ(written, c.minimum);
    }
}

TEST(mpeg_decoder, output_bytes_per_frame_by_layer_version_channels_and_format)
{
    struct size_case {
        const char* stream;
        int float_output, bits, bytes_out;
    };
    const size_case cases[] = {
        {l3_44k, 0, 16, 4608},
        {l3_44k, 0, 24, 6912},
        {l3_44k, 0, 32, 9216},
        {l3_44k, 1, 32, 9216},
        {"l3_cbr96_48k_mono_hot.mp3", 0, 16, 2304},
        {"l3_cbr96_48k_mono_hot.mp3", 0, 24, 3456},
        {"l3_mpeg2_22k_stereo.mp3", 0, 16, 2304},
        {"l3_mpeg25_8k_mono.mp3", 0, 16, 1152},
        {"l2_192_48k_stereo.mp2", 0, 16, 4608},
        {"l2_mpeg2_24k_mono_crc.mp2", 0, 16, 2304},
        {"l1_384_44k_stereo.mp1", 0, 16, 1536},
        {"l1_mpeg2_128_22k_mono.mp1", 0, 32, 1536},
    };
    for (const size_case& c : cases) {
        SCOPED_TRACE(std::string(c.stream) + " bits " + std::to_string(c.bits));
        const stream_frames s(c.stream);
        decoder_ptr d(create_mpeg_decoder(true, false, c.float_output, c.bits, 0));
        ASSERT_TRUE(d);
        int written = 0;
        EXPECT_EQ(call(*d, s[0], 16384, &written), 0);
        EXPECT_EQ(written, c.bytes_out);
    }
}

TEST(mpeg_decoder, reserved_header_values_are_errors_that_consume_the_header)
{
    const stream_frames s(l3_44k);
    const uint32_t good = header_word(s[1]);
    const uint32_t bad[] = {
        good & ~0x0000F000u,                  // bitrate index 0
        good | 0x0000F000u,                   // bitrate index 15
        good | 0x00000C00u,                   // frequency index 3
        good & ~0x00060000u,                  // layer bits 00
    };
    for (uint32_t word : bad) {
        SCOPED_TRACE(std::to_string(word));
        decoder_ptr d = make_decoder();
        const bytes header = slice(with_header(s[1], word), 0, 4);
        EXPECT_EQ(call(*d, join({header, s[1]})), -1);
        EXPECT_EQ(d->bitrate, 0);
        EXPECT_EQ(call_null(*d), 0) << "the next 4 bytes are read as a header";
    }
}

TEST(mpeg_decoder, a_later_frame_of_another_stream_is_an_error_until_reset)
{
    const stream_frames stereo44(l3_44k);
    struct change_case {
        const char* stream;
        const char* what;
    };
    const change_case cases[] = {
        {"l3_cbr64_32k_stereo_crc.mp3", "sample rate"},
        {"l3_cbr96_48k_mono_hot.mp3", "mono after stereo"},
        {"l3_mpeg2_22k_stereo.mp3", "MPEG-2 after MPEG-1"},
        {"l3_mpeg25_11k_stereo.mp3", "MPEG-2.5 after MPEG-1"},
        {"l1_384_44k_stereo.mp1", "layer I after layer III at the same rate"},
    };
    for (const change_case& c : cases) {
        SCOPED_TRACE(c.what);
        const stream_frames other(c.stream);
        decoder_ptr d = make_decoder();
        EXPECT_EQ(call(*d, stereo44[1]), 0);
        EXPECT_EQ(call(*d, other[0]), -1);
        d->reset();
        EXPECT_EQ(call(*d, other[0]), 0) << "after reset the frame becomes the reference";
        EXPECT_EQ(call(*d, other[1]), 0);
        EXPECT_EQ(call(*d, stereo44[2]), -1) << "the old stream is now the other one";
    }
    SCOPED_TRACE("single channel at the same rate");
    decoder_ptr d = make_decoder();
    EXPECT_EQ(call(*d, stereo44[1]), 0);
    EXPECT_EQ(call(*d, with_header(stereo44[2], header_word(stereo44[2]) | 0xC0)), -1);
}

TEST(mpeg_decoder, crc_and_sync_bits_are_never_examined)
{
    const char* streams[] = {"l3_cbr64_32k_stereo_crc.mp3", "l2_mpeg2_24k_mono_crc.mp2", "l1_320_48k_joint_crc.mp1"};
    for (const char* name : streams) {
        SCOPED_TRACE(name);
        std::vector<bytes> frames = stream_frames(name).frames;
        frames.resize(6);
        std::vector<bytes> damaged = frames;
        for (bytes& f : damaged) {
            ASSERT_EQ(f[1] & 1, 0) << "the fixture carries a CRC";
            f[4] ^= 0xA5;
            f[5] ^= 0x5A;
            f[0] = 0x00;         // sync bits cleared
            f[1] &= 0x1F;
        }
        decoder_ptr a = make_decoder();
        decoder_ptr b = make_decoder();
        const std::vector<decode_step> x = decode_stream(*a, join(frames), 0);
        const std::vector<decode_step> y = decode_stream(*b, join(damaged), 0);
        ASSERT_EQ(x.size(), 6u);
        ASSERT_EQ(y.size(), 6u);
        for (size_t i = 0; i < x.size(); ++i) {
            EXPECT_EQ(y[i].result, 0);
            EXPECT_TRUE(x[i].pcm == y[i].pcm) << "frame " << i;
        }
    }
}

TEST(mpeg_decoder, layer3_frame_reaching_back_before_the_first_is_refused_and_consumed)
{
    const stream_frames s(l3_44k);
    size_t k = 2;
    while (main_data_begin(s[k]) == 0)
        ++k;
    decoder_ptr d = make_decoder();
    int written = -7;
    EXPECT_EQ(call(*d, s[1]), 0) << "main_data_begin 0 decodes";
    d->reset();
    EXPECT_EQ(call(*d, s[k], 16384, &written), -2);
    EXPECT_EQ(written, 0);
    EXPECT_EQ(call_null(*d), 1) << "the frame was consumed";

    decoder_ptr fresh = make_decoder();
    EXPECT_EQ(call(*fresh, s[k], 16384, &written), -2);
    EXPECT_EQ(written, 0);
    const int received = int(s[k].size()) - 4 - 32;  // main data of frame k: stereo, no CRC
    EXPECT_EQ(call(*fresh, s[k + 1]), main_data_begin(s[k + 1]) > received ? -2 : 0);
}

TEST(mpeg_decoder, layer3_window_switching_with_block_type_0_is_an_error)
{
    struct patch_case {
        const char* stream;
        int granule, channel;
    };
    const patch_case cases[] = {
        {l3_44k, 0, 0},
        {l3_44k, 1, 1},
        {"l3_cbr96_48k_mono_hot.mp3", 1, 0},
        {"l3_mpeg2_22k_stereo.mp3", 0, 1},
        {"l3_mpeg2_16k_mono.mp3", 0, 0},
    };
    for (const patch_case& c : cases) {
        SCOPED_TRACE(std::string(c.stream) + " granule " + std::to_string(c.granule) + " channel " +
                     std::to_string(c.channel));
        const stream_frames s(c.stream);
        const bytes& f = s[2];
        const bool lsf = !(f[1] & 0x08);
        const int channels = (f[3] >> 6) == 3 ? 1 : 2;
        const int side_start = (f[1] & 1) ? 4 : 6;
        const int bit = window_switching_bit(lsf, channels, c.granule, c.channel);

        bytes bad = f;
        set_bits(bad, side_start, bit, 3, 0x4);  // window switching, block type 0
        bytes valid = f;
        set_bits(valid, side_start, bit, 3, 0x6);  // window switching, block type 2 (short blocks)

        decoder_ptr d = make_decoder();
        EXPECT_EQ(call(*d, join({s[0], s[1]})), 0);
        EXPECT_EQ(call_null(*d), 0);
        int written = -7;
        EXPECT_EQ(call(*d, bad, 16384, &written), -1);
        EXPECT_EQ(written, 0);
        EXPECT_EQ(call(*d, s[3]), 0) << "the refused frame was consumed";
        EXPECT_EQ(call(*d, valid), 0);
    }
}

TEST(mpeg_decoder, stream_ending_inside_a_frame_keeps_asking_for_more)
{
    const stream_frames s("l2_192_48k_stereo.mp2");
    decoder_ptr d = make_decoder();
    const bytes partial = join({s[0], slice(s[1], 0, s[1].size() - 1)});
    EXPECT_EQ(call(*d, partial), 0);
    for (int i = 0; i < 3; ++i) {
        int written = -7;
        EXPECT_EQ(call_null(*d, &written), 1);
        EXPECT_EQ(written, 0);
    }
}

TEST(mpeg_decoder, reset_drops_queued_input_and_keeps_the_bitrate)
{
    const stream_frames s(l3_44k);
    const stream_frames layer1("l1_384_44k_stereo.mp1");
    decoder_ptr d = make_decoder();
    EXPECT_EQ(call(*d, join({s[0], slice(s[1], 0, 100)})), 0);
    d->reset();
    EXPECT_EQ(d->bitrate, 128);
    EXPECT_EQ(d->sample_rate(), 44100);
    EXPECT_EQ(d->channels(), 0);
    EXPECT_EQ(call_null(*d), 1) << "nothing queued after reset";
    int written = 0;
    EXPECT_EQ(call(*d, layer1[0], 16384, &written), 0) << "a new stream after reset";
    EXPECT_EQ(written, 1536);
    EXPECT_EQ(d->bitrate, 384);
}

// Layer II has no reservoir, so what differs after a reset can only be
// synthesis history.
TEST(mpeg_decoder, reset_leaves_no_filter_history)
{
    const stream_frames s("l2_192_48k_stereo.mp2");
    decoder_ptr fresh = make_decoder();
    const std::vector<decode_step> expected = decode_stream(*fresh, s[20], 0);
    decoder_ptr used = make_decoder();
    const std::vector<decode_step> before = decode_stream(*used, join({s[18], s[19], s[20]}), 0);
    used->reset();
    const std::vector<decode_step> after = decode_stream(*used, s[20], 0);
    ASSERT_EQ(expected.size(), 1u);
    ASSERT_EQ(after.size(), 1u);
    ASSERT_EQ(before.size(), 3u);
    EXPECT_FALSE(before[2].pcm == expected[0].pcm) << "history matters for this frame";
    EXPECT_TRUE(after[0].pcm == expected[0].pcm);
}

TEST(mpeg_decoder, creation_accepts_only_formats_with_output_routines)
{
    struct option_case {
        bool single;
        int float_output, bits;
        bool created;
    };
    const option_case cases[] = {
        {true, 0, 16, true},   {true, 0, 24, true},   {true, 0, 32, true},   {true, 1, 32, true},
        {false, 0, 16, true},  {false, 0, 24, true},  {false, 0, 32, true},  {false, 1, 32, true},
        {true, 0, 8, false},   {true, 1, 16, false},  {true, 1, 24, false},  {true, 2, 32, false},
        {false, 0, 20, false}, {true, -1, 16, false},
    };
    for (const option_case& c : cases) {
        decoder_ptr d(create_mpeg_decoder(c.single, true, c.float_output, c.bits, 0));
        EXPECT_EQ(bool(d), c.created) << c.single << " " << c.float_output << " " << c.bits;
        if (d) {
            EXPECT_EQ(d->bitrate, 0);
            EXPECT_EQ(d->sample_rate(), 44100);
            EXPECT_EQ(d->channels(), 0);
        }
    }
}

// Frames whose headers are valid but whose bodies are noise, for every
// version, layer and channel mode (MPEG-2.5 layers I and II included): each
// frame gives exactly one result, 0 with a whole frame of samples or an
// error, and the decoder still decodes a real stream afterwards.
TEST(mpeg_decoder, frames_with_random_bodies_give_one_clean_result_each)
{
    std::mt19937 random(20240611);
    int decoded = 0;
    for (int version : {3, 2, 0})
        for (int layer_bits = 1; layer_bits <= 3; ++layer_bits)
            for (int mode : {0, 1, 2, 3})
                for (int protection_bit : {0, 1}) {
                    const int layer = 4 - layer_bits;
                    const int frequency = int(random() % 3);
                    const bool lsf = version != 3;
                    const int per_channel = layer == 1 ? 384 : (layer == 3 && lsf) ? 576 : 1152;
                    const int channels = mode == 3 ? 1 : 2;
                    std::vector<bytes> frames;
                    for (int i = 0; i < 12; ++i) {
                        const uint32_t word = 0xFFE00000u | uint32_t(version) << 19 | uint32_t(layer_bits) << 17 |
                                              uint32_t(protection_bit) << 16 | uint32_t(1 + random() % 14) << 12 |
                                              uint32_t(frequency) << 10 | uint32_t(random() % 2) << 9 |
                                              uint32_t(mode) << 6 | uint32_t(random() % 4) << 4;
                        bytes f(4);
                        f = with_header(f, word);
                        bytes probe = split_frames(join({f, bytes(4096, 0)})).at(0);
                        for (size_t k = 4; k < probe.size(); ++k)
                            probe[k] = uint8_t(random());
                        frames.push_back(probe);
                    }
                    SCOPED_TRACE("version " + std::to_string(version) + " layer " + std::to_string(layer) +
                                 " mode " + std::to_string(mode) + " protection bit " +
                                 std::to_string(protection_bit));
                    decoder_ptr d = make_decoder();
                    const bytes stream = join(frames);
                    static unsigned char out[16384];
                    int results = 0;
                    int r = 0;
                    for (const unsigned char* in = stream.data(); (r = d->decode(in, in ? unsigned(stream.size()) : 0, out,
                                                                            sizeof out, nullptr)) != 1;
                         in = nullptr) {
                        ++results;
                        ASSERT_TRUE(r == 0 || r == -1 || r == -2) << r;
                        ASSERT_LE(results, 12);
                    }
                    EXPECT_EQ(results, 12);
                    int written = 0;
                    for (size_t i = 0; i < frames.size(); ++i) {
                        decoder_ptr one = make_decoder();
                        if (call(*one, frames[i], 16384, &written) == 0) {
                            EXPECT_EQ(written, per_channel * channels * 2);
                            ++decoded;
                        }
                    }
                }
    EXPECT_GT(decoded, 0);

    decoder_ptr d = make_decoder();
    const bytes reference = read_fixture("l3_vbr_44k_xing.s16");
    std::vector<bytes> frames = stream_frames("l3_vbr_44k_xing.mp3").frames;
    call(*d, with_header(bytes(400, 0x55), header_word(frames[5])));
    d->reset();
    frames.resize(10);
    const std::vector<decode_step> steps = decode_stream(*d, join(frames), 1024);
    ASSERT_EQ(steps.size(), 10u);
    for (size_t i = 0; i < steps.size(); ++i)
        EXPECT_EQ(std::memcmp(steps[i].pcm.data(), reference.data() + i * 4608, 4608), 0) << "frame " << i;
}

// Noise pushed the way the MPEG input pushes a stream, resetting after every
// error: the decoder ends every call with a result and never hangs.
TEST(mpeg_decoder, random_bytes_never_crash_or_hang)
{
    std::mt19937 random(77);
    bytes noise(256 * 1024);
    for (unsigned char& b : noise)
        b = uint8_t(random());
    for (size_t i = 0; i + 4 < noise.size(); i += 997) {  // plenty of plausible headers
        noise[i] = 0xFF;
        noise[i + 1] = uint8_t(0xE0 | (random() & 0x1F));
    }
    decoder_ptr d = make_decoder();
    static unsigned char out[16384];
    long calls = 0;
    int counts[4] = {};
    for (size_t pos = 0; pos < noise.size(); pos += 1024) {
        const unsigned char* in = noise.data() + pos;
        for (;;) {
            const int r = d->decode(in, in ? 1024 : 0, out, sizeof out, nullptr);
            in = nullptr;
            ASSERT_TRUE(r >= -2 && r <= 1);
            ASSERT_LT(++calls, 1000000);
            ++counts[r + 2];
            if (r == 1)
                break;
            if (r == -1)
                d->reset();
        }
    }
    EXPECT_GT(counts[1], 0) << "errors";
    EXPECT_GT(counts[3], 0) << "waits for more";
}

}  // namespace
