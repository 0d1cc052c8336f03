// The WAV-file output: the bytes as given under a header that a separate
// reader accepts, complete after each finish_track, numbered files, pacing.
#include <gtest/gtest.h>
#include <cstring>
#include <vector>
#include "output_capture.h"
#include "temp_folder.h"
#include "wav_reader.h"

namespace {
audio_format make_format(int tag, int channels, int rate, int bits, int mask = 0) {
    return audio_format{tag, channels, rate, bits, mask, 0.0, 0.0};
}

std::vector<unsigned char> noise(int count, unsigned seed) {
    std::vector<unsigned char> b(count);
    for (int i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        b[i] = static_cast<unsigned char>(seed >> 16);
    }
    return b;
}

// Selects the WAV file at `path`, unpaced unless a speed is given.
output* wav_output(const std::wstring& path, const wchar_t* speed = L"0") {
    SetEnvironmentVariableW(L"ZEL_OUTPUT_WAV", path.c_str());
    SetEnvironmentVariableW(L"ZEL_OUTPUT_WAV_SPEED", speed);
    output_manager* manager = find_output_manager();
    manager->select(output_type_wav_file, 0);
    return manager->current();
}

// Writes everything in pieces of `piece` bytes; false when a write fails.
bool write_all(output* o, const audio_format& f, const std::vector<unsigned char>& bytes, int piece) {
    for (size_t at = 0; at < bytes.size();) {
        int n = static_cast<int>(std::min(bytes.size() - at, static_cast<size_t>(piece)));
        int taken = o->write(&f, bytes.data() + at, n);
        if (taken <= 0) return false;
        at += taken;
    }
    return true;
}

GUID sub_format(unsigned tag) {
    return GUID{tag, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
}
}  // namespace

TEST(wav_file_output, writes_the_given_bytes_under_a_correct_header) {
    ASSERT_NE(find_output_manager(), nullptr);
    temp_folder folder(L"zel_wav");
    struct row {
        const wchar_t* file;
        audio_format format;
        int bytes;
        unsigned fmt_size, tag, mask, sub_tag;
        std::vector<std::string> chunks;
    };
    const row rows[] = {
        {L"s16.wav", make_format(1, 2, 44100, 16), 40000, 16, 1, 0, 0, {"fmt ", "data"}},
        {L"u8.wav", make_format(1, 1, 22050, 8), 30001, 16, 1, 0, 0, {"fmt ", "data"}},
        {L"f32.wav", make_format(3, 2, 48000, 32), 32000, 18, 3, 0, 0, {"fmt ", "fact", "data"}},
        {L"s24.wav", make_format(1, 2, 96000, 24), 36000, 40, 0xFFFE, 3, 1, {"fmt ", "fact", "data"}},
        {L"s16_51.wav", make_format(1, 6, 48000, 16), 24000, 40, 0xFFFE, 0x3F, 1, {"fmt ", "fact", "data"}},
        {L"f32_quad.wav", make_format(3, 4, 44100, 32, 0x33), 32000, 40, 0xFFFE, 0x33, 3, {"fmt ", "fact", "data"}},
    };
    for (const row& r : rows) {
        std::wstring path = folder / r.file;
        output* o = wav_output(path);
        ASSERT_NE(o, nullptr);
        std::vector<unsigned char> bytes = noise(r.bytes, 7);
        ASSERT_TRUE(write_all(o, r.format, bytes, 4099));
        o->release();

        wav_file w = read_wav(path);
        ASSERT_TRUE(w.ok) << r.bytes;
        EXPECT_EQ(w.chunk_order, r.chunks);
        EXPECT_EQ(w.riff_size, w.file_size - 8);
        EXPECT_EQ(w.fmt_size, r.fmt_size);
        EXPECT_EQ(w.tag, r.tag);
        const audio_format& f = r.format;
        unsigned block = static_cast<unsigned>(f.channels * f.bits_per_sample / 8);
        EXPECT_EQ(w.channels, static_cast<unsigned>(f.channels));
        EXPECT_EQ(w.rate, static_cast<unsigned>(f.sample_rate));
        EXPECT_EQ(w.bits, static_cast<unsigned>(f.bits_per_sample));
        EXPECT_EQ(w.block_align, block);
        EXPECT_EQ(w.byte_rate, block * f.sample_rate);
        if (r.fmt_size >= 18) {
            EXPECT_EQ(w.cb_size, r.fmt_size - 18);
        }
        if (r.fmt_size == 40) {
            EXPECT_EQ(w.valid_bits, static_cast<unsigned>(f.bits_per_sample));
            EXPECT_EQ(w.channel_mask, r.mask);
            EXPECT_TRUE(IsEqualGUID(w.sub_format, sub_format(r.sub_tag)));
        }
        if (w.has_fact) {
            EXPECT_EQ(w.fact_frames, r.bytes / block);
        }
        EXPECT_EQ(w.data_size, static_cast<unsigned>(r.bytes));
        EXPECT_TRUE(w.data == bytes) << r.bytes;
    }
}

TEST(wav_file_output, odd_data_gets_a_pad_byte_outside_the_data) {
    ASSERT_NE(find_output_manager(), nullptr);
    temp_folder folder(L"zel_wav");
    output* o = wav_output(folder / L"odd.wav");
    const audio_format f = make_format(1, 1, 8000, 8);
    std::vector<unsigned char> bytes = {1, 2, 3};
    ASSERT_EQ(o->write(&f, bytes.data(), 3), 3);
    o->release();
    wav_file w = read_wav(folder / L"odd.wav");
    ASSERT_TRUE(w.ok);
    EXPECT_EQ(w.data_size, 3u);
    EXPECT_EQ(w.file_size, 44u + 4u);
    EXPECT_EQ(w.riff_size, 40u);
    EXPECT_EQ(w.data, bytes);
}

TEST(wav_file_output, each_finish_track_leaves_a_complete_file) {
    ASSERT_NE(find_output_manager(), nullptr);
    temp_folder folder(L"zel_wav");
    std::wstring path = folder / L"growing.wav";
    output* o = wav_output(path);
    const audio_format f = make_format(1, 2, 44100, 16);
    std::vector<unsigned char> first = noise(17640, 1), second = noise(7056, 2);
    ASSERT_TRUE(write_all(o, f, first, 16384));
    o->finish_track(0);
    wav_file w = read_wav(path);
    ASSERT_TRUE(w.ok);
    EXPECT_TRUE(w.data == first);

    ASSERT_TRUE(write_all(o, f, second, 16384));
    o->finish_track(1000);
    w = read_wav(path);
    ASSERT_TRUE(w.ok);
    std::vector<unsigned char> both = first;
    both.insert(both.end(), second.begin(), second.end());
    EXPECT_TRUE(w.data == both);
    o->release();
    EXPECT_TRUE(read_wav(path).data == both);
}

TEST(wav_file_output, another_output_or_format_goes_to_the_next_numbered_file) {
    ASSERT_NE(find_output_manager(), nullptr);
    temp_folder folder(L"zel_wav");
    std::wstring base = folder / L"run.wav";
    const audio_format cd = make_format(1, 2, 44100, 16), dat = make_format(1, 2, 48000, 16);
    std::vector<unsigned char> a = noise(400, 1), b = noise(800, 2), c = noise(1200, 3);
    output* first = wav_output(base);
    output* second = wav_output(base);  // a crossfade: both live
    ASSERT_TRUE(write_all(first, cd, a, 4096));
    ASSERT_TRUE(write_all(second, cd, b, 4096));
    ASSERT_TRUE(write_all(first, dat, c, 4096));
    first->release();
    second->release();

    wav_file wa = read_wav(base), wb = read_wav(folder / L"run-2.wav"), wc = read_wav(folder / L"run-3.wav");
    ASSERT_TRUE(wa.ok && wb.ok && wc.ok);
    EXPECT_TRUE(wa.data == a);
    EXPECT_TRUE(wb.data == b);
    EXPECT_TRUE(wc.data == c);
    EXPECT_EQ(wc.rate, 48000u);
    EXPECT_FALSE(temp_folder::exists(folder / L"run-4.wav"));
}

TEST(wav_file_output, refuses_formats_a_wav_file_cannot_carry) {
    ASSERT_NE(find_output_manager(), nullptr);
    temp_folder folder(L"zel_wav");
    output* o = wav_output(folder / L"bad.wav");
    const audio_format rows[] = {make_format(3, 2, 44100, 16), make_format(1, 2, 44100, 12),
                                 make_format(1, 9, 44100, 16), make_format(2, 2, 44100, 16),
                                 make_format(1, 2, 0, 16)};
    unsigned char bytes[64] = {};
    for (const audio_format& f : rows) EXPECT_EQ(o->write(&f, bytes, 64), -1) << f.bits_per_sample;
    o->release();
    EXPECT_FALSE(temp_folder::exists(folder / L"bad.wav"));
}

TEST(wav_file_output, a_paced_output_holds_its_buffer_and_drains) {
    output_manager* manager = find_output_manager();
    ASSERT_NE(manager, nullptr);
    temp_folder folder(L"zel_wav");
    manager->set_buffer_ms(1000);
    output* o = wav_output(folder / L"paced.wav", L"20");
    const audio_format f = make_format(1, 2, 44100, 16);
    std::vector<unsigned char> bytes = noise(300000, 5);
    EXPECT_EQ(o->write(&f, bytes.data(), 300000), 176400);  // one second of buffer
    EXPECT_TRUE(wait_for([&] { return o->is_finished(); }));
    EXPECT_EQ(o->buffered_bytes(), 0);
    o->release();
    manager->set_buffer_ms(3000);
    wav_file w = read_wav(folder / L"paced.wav");
    ASSERT_TRUE(w.ok);
    EXPECT_TRUE(w.data == std::vector<unsigned char>(bytes.begin(), bytes.begin() + 176400));
}
