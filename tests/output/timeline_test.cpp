// The sound device of a machine without a sound card: the outputs made for
// it are mixed into one WAV file at the device's rate, with silence where
// nothing played, as a listener in the room would hear it.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "output_capture.h"
#include "temp_folder.h"
#include "wav_reader.h"

namespace {

audio_format pcm(int rate, int channels) {
    audio_format f = {};
    f.format_tag = 1;
    f.sample_rate = rate;
    f.channels = channels;
    f.bits_per_sample = 16;
    return f;
}

// Writes ms milliseconds of the constant sample value, as a playback thread
// does: what does not fit now is offered again a little later.
void play_constant(output* o, const audio_format& f, int ms, short value) {
    const int frames = f.sample_rate * ms / 1000;
    std::vector<short> samples(static_cast<size_t>(frames) * f.channels, value);
    const char* bytes = reinterpret_cast<const char*>(samples.data());
    int left = static_cast<int>(samples.size() * sizeof(short));
    for (int tries = 0; left > 0 && tries < 2000; ++tries) {
        const int n = o->write(&f, bytes, left);
        ASSERT_GE(n, 0);
        bytes += n;
        left -= n;
        if (left > 0) Sleep(5);
    }
    ASSERT_EQ(left, 0);
}

void wait_finished(output* o) {
    for (int i = 0; i < 1000 && !o->is_finished(); ++i) Sleep(5);
    ASSERT_TRUE(o->is_finished());
}

// Runs of equal left-channel values (within 2) in the file: (value, frames).
std::vector<std::pair<int, int>> runs(const wav_file& w) {
    std::vector<std::pair<int, int>> out;
    for (size_t at = 0; at + 4 <= w.data.size(); at += 4) {
        const int v = static_cast<short>(w.data[at] | (w.data[at + 1] << 8));
        if (!out.empty() && std::abs(out.back().first - v) <= 2) {
            ++out.back().second;
        } else {
            out.emplace_back(v, 1);
        }
    }
    return out;
}

struct timeline_env {
    temp_folder folder{L"zel_timeline"};
    std::wstring path = folder / L"device.wav";
    timeline_env() {
        SetEnvironmentVariableW(L"ZEL_OUTPUT_WAV", path.c_str());
        SetEnvironmentVariableW(L"ZEL_OUTPUT_WAV_SPEED", L"1");
        SetEnvironmentVariableW(L"ZEL_OUTPUT_NO_SOUND_DEVICE", L"1");
    }
    ~timeline_env() {
        SetEnvironmentVariableW(L"ZEL_OUTPUT_NO_SOUND_DEVICE", nullptr);
        SetEnvironmentVariableW(L"ZEL_OUTPUT_WAV_SPEED", nullptr);
        SetEnvironmentVariableW(L"ZEL_OUTPUT_WAV", nullptr);
    }
};

output* device_output() {
    output_manager* manager = find_output_manager();
    manager->set_buffer_ms(100);
    manager->select(0, 0);
    return manager->current();
}

}  // namespace

// One output, a pause with none, then two at once (one at half volume and
// another rate and channel count): one file at 44100 Hz stereo holds the
// first, the silence between, and the two summed.
TEST(timeline_output, outputs_are_mixed_into_one_file_with_the_silence_between) {
    ASSERT_NE(start_capture(), nullptr);
    timeline_env env;
    output* first = device_output();
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first->name(), L"timeline");
    play_constant(first, pcm(44100, 2), 300, 1000);
    wait_finished(first);
    first->finish_track(0);
    first->release();
    Sleep(300);

    output* a = device_output();
    output* b = device_output();
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    b->set_volume(500);
    const audio_format mono = pcm(22050, 1);
    const audio_format stereo = pcm(44100, 2);
    // Both are fed in small steps, side by side, as two playback threads.
    for (int step = 0; step < 30; ++step) {
        play_constant(a, mono, 10, 2000);
        play_constant(b, stereo, 10, 3000);
    }
    wait_finished(a);
    wait_finished(b);
    a->release();
    b->release();

    const wav_file w = read_wav(env.path);
    ASSERT_TRUE(w.ok);
    EXPECT_EQ(w.rate, 44100u);
    EXPECT_EQ(w.channels, 2u);
    EXPECT_EQ(w.bits, 16u);
    EXPECT_FALSE(temp_folder::exists(env.folder / L"device-2.wav"));
    // The longest run of each value.
    auto longest = [&](int value) {
        int best = 0;
        for (const auto& r : runs(w))
            if (std::abs(r.first - value) <= 2 && r.second > best) best = r.second;
        return best;
    };
    EXPECT_NEAR(longest(1000), 44100 * 3 / 10, 441);
    EXPECT_GE(longest(0), 44100 * 2 / 10);   // the pause, at least 200 ms
    EXPECT_LE(longest(0), 44100 * 6 / 10);
    EXPECT_GE(longest(3500), 44100 * 2 / 10);  // 2000 + 3000 at half volume
    // The first run is the first sample: the file starts with the sound.
    ASSERT_FALSE(runs(w).empty());
    EXPECT_EQ(runs(w).front().first, 1000);
}

// The per-output files stay available: "files" gives each output a file.
TEST(timeline_output, files_switch_gives_each_output_its_own_file) {
    ASSERT_NE(start_capture(), nullptr);
    timeline_env env;
    SetEnvironmentVariableW(L"ZEL_OUTPUT_NO_SOUND_DEVICE", L"files");
    SetEnvironmentVariableW(L"ZEL_OUTPUT_WAV_SPEED", L"0");
    for (int i = 0; i < 2; ++i) {
        output* o = device_output();
        ASSERT_NE(o, nullptr);
        EXPECT_STREQ(o->name(), L"wavfile");
        play_constant(o, pcm(44100, 2), 20, 100);
        o->finish_track(0);
        o->release();
    }
    EXPECT_TRUE(temp_folder::exists(env.path));
    EXPECT_TRUE(temp_folder::exists(env.folder / L"device-2.wav"));
}
