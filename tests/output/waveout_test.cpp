// The wave-out output on the system's device (under Wine: the null ALSA
// device, which consumes samples in real time).
#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>
#include <cmath>
#include <string>
#include <vector>
#include "output_capture.h"
#include "sound_device_numbers.h"

namespace {
audio_format make_format(int tag, int channels, int rate, int bits) {
    return audio_format{tag, channels, rate, bits, 0, 0.0, 0.0};
}

// `ms` of a 440 Hz tone at half scale in 16-bit (or silence in other formats).
std::vector<unsigned char> tone(const audio_format& f, int ms) {
    int frames = f.sample_rate * ms / 1000;
    int frame = f.channels * f.bits_per_sample / 8;
    std::vector<unsigned char> b(static_cast<size_t>(frames) * frame, f.bits_per_sample == 8 ? 128 : 0);
    if (f.format_tag == 1 && f.bits_per_sample == 16) {
        for (int i = 0; i < frames; ++i) {
            short s = static_cast<short>(16000 * std::sin(i * 2 * 3.14159265 * 440 / f.sample_rate));
            for (int c = 0; c < f.channels; ++c) {
                b[(i * f.channels + c) * 2] = static_cast<unsigned char>(s & 0xFF);
                b[(i * f.channels + c) * 2 + 1] = static_cast<unsigned char>((s >> 8) & 0xFF);
            }
        }
    }
    return b;
}

output* device_output(int device, int buffer_ms) {
    output_manager* manager = find_output_manager();
    if (!manager) return nullptr;
    manager->set_buffer_ms(buffer_ms);
    manager->select(output_type_waveout, device);
    return manager->current();
}

// Offers the bytes until the output took them all: "" then, else what went
// wrong (a refusal, or no room made within the wait).
std::string write_all(output* o, const audio_format& f, const std::vector<unsigned char>& bytes) {
    size_t at = 0;
    bool refused = false;
    bool done = wait_for([&] {
        while (at < bytes.size()) {
            int n = o->write(&f, bytes.data() + at, static_cast<int>(bytes.size() - at));
            if (n < 0) refused = true;
            if (n <= 0) break;
            at += n;
        }
        return refused || at == bytes.size();
    });
    if (refused) return "refused after " + std::to_string(at) + " bytes";
    if (!done) return "no room after " + std::to_string(at) + " bytes, " + std::to_string(o->buffered_bytes()) +
                      " buffered";
    return std::string();
}

// Waits for the output to play out; "" then, else how much it still holds.
std::string drain(output* o) {
    if (wait_for([&] { return o->is_finished(); })) return std::string();
    return std::to_string(o->buffered_bytes()) + " bytes still buffered";
}
}  // namespace

TEST(waveout_output, plays_each_format_and_drains_what_it_was_given) {
    const audio_format rows[] = {
        make_format(1, 2, 44100, 16),
        make_format(1, 1, 22050, 8),
        make_format(3, 2, 48000, 32),
        make_format(1, 2, 44100, 24),
    };
    for (const audio_format& f : rows) {
        output* o = device_output(0, 1000);
        ASSERT_NE(o, nullptr);
        std::vector<unsigned char> bytes = tone(f, 400);
        ASSERT_EQ("", write_all(o, f, bytes)) << f.bits_per_sample;
        EXPECT_LE(o->buffered_bytes(), static_cast<int>(bytes.size()));
        EXPECT_EQ("", drain(o)) << f.bits_per_sample;
        EXPECT_EQ(o->buffered_bytes(), 0);
        o->release();
    }
}

TEST(waveout_output, the_default_device_plays_a_change_of_format) {
    output* o = device_output(-1, 3000);
    ASSERT_NE(o, nullptr);
    const audio_format cd = make_format(1, 2, 44100, 16), dat = make_format(1, 2, 48000, 16);
    ASSERT_EQ("", write_all(o, cd, tone(cd, 200)));
    o->finish_track(0);
    ASSERT_EQ("", write_all(o, dat, tone(dat, 200)));
    EXPECT_EQ("", drain(o));
    o->release();
}

TEST(waveout_output, a_buffer_longer_than_the_driver_queue_fills_and_drains) {
    output* o = device_output(0, 2000);
    ASSERT_NE(o, nullptr);
    const audio_format cd = make_format(1, 2, 44100, 16);
    o->set_volume(300);
    std::vector<unsigned char> bytes = tone(cd, 2500);
    // The first offer fills the buffer: 2 s, far more than the driver holds.
    EXPECT_EQ(o->write(&cd, bytes.data(), static_cast<int>(bytes.size())), 352800);
    EXPECT_EQ(o->get_volume(), 300);
    // While it plays out, what it holds only goes down.
    int last = o->buffered_bytes();
    bool rose = false;
    EXPECT_TRUE(wait_for([&] {
        int now = o->buffered_bytes();
        rose = rose || now > last;
        last = now;
        return o->is_finished();
    }));
    EXPECT_FALSE(rose);
    EXPECT_EQ(last, 0);
    o->release();
}

TEST(waveout_output, pause_holds_the_samples_and_seek_drops_them) {
    output* o = device_output(0, 3000);
    ASSERT_NE(o, nullptr);
    const audio_format cd = make_format(1, 2, 44100, 16);
    o->pause(true);
    EXPECT_TRUE(o->is_paused());
    std::vector<unsigned char> bytes = tone(cd, 1000);
    ASSERT_EQ(o->write(&cd, bytes.data(), static_cast<int>(bytes.size())), 176400);
    Sleep(200);
    EXPECT_EQ(o->buffered_bytes(), 176400);  // nothing plays while paused
    EXPECT_FALSE(o->is_finished());
    o->pause(false);
    EXPECT_FALSE(o->is_paused());
    o->seek(10.0, 0);
    EXPECT_EQ(o->buffered_bytes(), 0);
    EXPECT_TRUE(o->is_finished());
    ASSERT_EQ("", write_all(o, cd, tone(cd, 100)));
    EXPECT_EQ("", drain(o));
    o->release();
}

TEST(waveout_output, refuses_formats_the_device_cannot_play) {
    output* o = device_output(0, 3000);
    ASSERT_NE(o, nullptr);
    const audio_format rows[] = {make_format(3, 2, 44100, 16), make_format(1, 2, 44100, 12),
                                 make_format(1, 0, 44100, 16), make_format(7, 2, 44100, 16)};
    unsigned char bytes[64] = {};
    for (const audio_format& f : rows) EXPECT_EQ(o->write(&f, bytes, 64), -1) << f.format_tag;
    EXPECT_TRUE(o->is_finished());
    o->release();
}

TEST(waveout_output, releasing_a_playing_output_stops_it) {
    output* o = device_output(0, 3000);
    ASSERT_NE(o, nullptr);
    const audio_format cd = make_format(1, 2, 44100, 16);
    std::vector<unsigned char> bytes = tone(cd, 3000);
    ASSERT_EQ(o->write(&cd, bytes.data(), static_cast<int>(bytes.size())), 529200);
    o->release();  // returns without playing the three seconds out
    SUCCEED();
}

// The player numbers sound devices by DirectSound's list (entry 0 the
// default device); a number reaches the wave-out device of that name, which
// need not be the wave-out device of the same number.
TEST(waveout_output, a_sound_device_number_reaches_the_wave_out_device_of_its_name) {
    const std::vector<stringx> sound = {stringx(L"Primary Sound Driver"), stringx(L"Out: default"),
                                        stringx(L"Out: zel_store_a"), stringx(L"Out: zel_store_b"),
                                        stringx(L"A device whose name is longer than thirty-one"),
                                        stringx(L"Not a wave-out device")};
    const std::vector<stringx> waveout = {stringx(L"Out: zel_store_b"), stringx(L"Out: default"),
                                          stringx(L"Out: zel_store_a"),
                                          stringx(L"A device whose name is longer t")};
    const struct {
        int index;
        unsigned id;
    } cases[] = {{0, WAVE_MAPPER}, {-1, WAVE_MAPPER}, {6, WAVE_MAPPER}, {1, 1}, {2, 2}, {3, 0}, {4, 3},
                 // No name matches and no wave-out device 4: the default.
                 {5, WAVE_MAPPER}};
    for (const auto& c : cases) EXPECT_EQ(waveout_id_of(c.index, sound, waveout), c.id) << c.index;
    // No name matches: the wave-out device before it.
    EXPECT_EQ(waveout_id_of(2, sound, {stringx(L"x"), stringx(L"y")}), 1u);
}
