// The processing stages inside the playback thread's chain: replay gain with
// the entry's gain, the equalizer, and the music player's normalizer with its
// delay drained at the end.
#include <gtest/gtest.h>
#include <cstdlib>
#include "core.h"
#include "engine_rig.h"
#include "equalizer.h"
#include "replay_gain.h"

namespace {
int16_t sample16(const std::vector<unsigned char>& pcm, size_t frame, int channel) {
    size_t at = frame * 4 + channel * 2;
    return static_cast<int16_t>(pcm[at] | (pcm[at + 1] << 8));
}

template <class Interface>
Interface* first_of() {
    return static_cast<Interface*>(core::enum_create_component(Interface::iid, 0));
}
}  // namespace

TEST(playback_stages, replay_gain_scales_each_block_by_the_entry_gain) {
    engine_rig rig;
    replay_gain* gain = first_of<replay_gain>();
    ASSERT_NE(gain, nullptr);
    gain->set_mode(1);  // track gain
    playback_engine* engine = rig.new_engine();
    const wchar_t* path = L"synth:g?wave=dc&level=16384&secs=0.5";
    list_info entry = entry_for(path);
    entry.track_gain = -6.020599913279624;  // a factor of 0.5
    rig.recorder->follow(0, &rig.announcements);
    ASSERT_TRUE(engine->play(&entry, &rig.announcements));
    ASSERT_TRUE(rig.drive_to_finish());
    std::vector<unsigned char> pcm = rig.all_pcm(0);
    ASSERT_EQ(pcm.size(), synth_pcm(path).size());
    for (size_t f = 0; f < pcm.size() / 4; ++f) ASSERT_EQ(sample16(pcm, f, 0), 8192) << f;
    gain->set_mode(0);
    engine->release();
}

TEST(playback_stages, a_flat_equalizer_brings_the_level_to_seven_eighths) {
    engine_rig rig;
    equalizer* eq = first_of<equalizer>();
    ASSERT_NE(eq, nullptr);
    double flat[equalizer::value_count] = {};
    eq->set_bands(flat);
    eq->set_enabled(true);
    playback_engine* engine = rig.new_engine();
    list_info entry = entry_for(L"synth:e?wave=dc&level=16384&secs=1");
    ASSERT_TRUE(engine->play(&entry, &rig.music));
    ASSERT_TRUE(rig.drive_to_finish());
    std::vector<unsigned char> pcm = rig.all_pcm(0);
    ASSERT_EQ(pcm.size(), 176400u);
    // Once the band filters have settled on the constant: 0.875 x 16384.
    for (size_t f = 40000; f < 44100; ++f) ASSERT_NEAR(sample16(pcm, f, 1), 14336, 2) << f;
    eq->set_enabled(false);
    engine->release();
}

TEST(playback_stages, the_music_normalizer_delays_and_then_drains_every_frame) {
    engine_rig rig;
    rig.settings->set_normalize(true, 10);  // strength 1.0: peaks to full scale
    playback_engine* engine = rig.new_engine();
    const wchar_t* path = L"synth:n?wave=dc&level=16384&secs=4";
    list_info entry = entry_for(path);
    ASSERT_TRUE(engine->play(&entry, &rig.music));
    ASSERT_TRUE(rig.drive_to_finish(1, 40));
    std::vector<unsigned char> pcm = rig.all_pcm(0);
    // The delay's two seconds came out at the end, nothing was lost.
    ASSERT_EQ(pcm.size(), synth_pcm(path).size());
    int16_t middle = sample16(pcm, 2 * 44100, 0);
    EXPECT_GT(middle, 30000);
    // The published positions stay within the entry: the held audio is
    // subtracted while the normalizer delays it.
    for (const engine_event& e : rig.events_of(engine_event_kind::position)) {
        EXPECT_GE(e.seconds, -1e-9);
        EXPECT_LE(e.seconds, 4.0 + 1e-9);
    }
    engine->release();

    // The announcement player has no normalizer: its samples pass unchanged.
    rig.recorder->clear();
    rig.recorder->follow(0, &rig.announcements);
    engine = rig.new_engine();
    ASSERT_TRUE(engine->play(&entry, &rig.announcements));
    ASSERT_TRUE(rig.drive_to_finish(1, 40));
    EXPECT_TRUE(rig.all_pcm(1) == synth_pcm(path));
    engine->release();
}
