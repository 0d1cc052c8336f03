// The three processing stages inside the playback engine, on the capture
// output: the music player's normalizer, then replay gain by the entry's
// gain, then the equalizer, with no allocation per block. Runs in the engine
// test folder, with the engine tests' rig.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include "core.h"
#include "engine_rig.h"
#include "equalizer.h"
#include "replay_gain.h"
#include "stage_allocations.h"

namespace {
template <class Interface>
Interface* first_of() {
    return static_cast<Interface*>(core::enum_create_component(Interface::iid, 0));
}

struct played {
    std::vector<unsigned char> pcm;
    long allocations;
};

// Plays one entry of the music player to its end with every stage on.
played play_with_stages(double seconds) {
    engine_rig rig;
    rig.settings->set_normalize(true, 10);  // strength 1.0
    playback_engine* engine = rig.new_engine();
    wchar_t path[128];
    _snwprintf(path, 127, L"synth:stages?wave=sine&level=8192&freq=441&secs=%g", seconds);
    path[127] = L'\0';
    list_info entry = entry_for(path);
    entry.track_gain = -6.020599913279624;  // replay gain factor 0.5
    long before = stage_allocations::count();
    played result;
    EXPECT_TRUE(engine->play(&entry, &rig.music));
    EXPECT_TRUE(rig.drive_to_finish(1, 40));
    result.allocations = stage_allocations::count() - before;
    result.pcm = rig.all_pcm(0);
    EXPECT_EQ(result.pcm.size(), synth_pcm(path).size()) << "the normalizer's delay was not drained whole";
    engine->release();
    return result;
}
}  // namespace

TEST(playback_stages_in_engine, all_three_run_in_order_and_allocate_nothing_per_block) {
    load_output_component();
    replay_gain* gain = first_of<replay_gain>();
    equalizer* eq = first_of<equalizer>();
    ASSERT_NE(gain, nullptr);
    ASSERT_NE(eq, nullptr);
    gain->set_mode(1);
    const double flat[equalizer::value_count] = {};
    eq->set_bands(flat);
    eq->set_enabled(true);

    played first = play_with_stages(3.0);  // the shared equalizer's buffer grows here
    played shorter = play_with_stages(3.0);
    played longer = play_with_stages(12.0);
    gain->set_mode(0);
    eq->set_enabled(false);

    // Per run: the normalizer's delay lines, work arrays and output buffer
    // (which grows twice: the first partial block, then a whole one). Four
    // times as many blocks allocate nothing more.
    EXPECT_LE(first.allocations, 6);
    EXPECT_LE(shorter.allocations, 4);
    EXPECT_EQ(longer.allocations, shorter.allocations);

    // The quarter-scale sine: the normalizer brings its peaks to full scale
    // (32767 or 32766), replay gain halves them (16384 or 16383), the flat
    // equalizer takes seven eighths (14336 or 14335). Every 100-frame period
    // of the settled part shows it, the drained end included.
    const std::vector<unsigned char>& pcm = longer.pcm;
    size_t frames = pcm.size() / 4;
    ASSERT_GT(frames, 44100u * 11);
    for (size_t start = 44100; start + 100 <= frames - 44100; start += 100) {
        int peak = 0;
        for (size_t f = start; f < start + 100; ++f) {
            for (int c = 0; c < 2; ++c) {
                size_t at = f * 4 + c * 2;
                int16_t s = static_cast<int16_t>(pcm[at] | (pcm[at + 1] << 8));
                peak = std::max(peak, std::abs(static_cast<int>(s)));
            }
        }
        ASSERT_TRUE(peak == 14336 || peak == 14335) << "period at frame " << start << ": " << peak;
    }
}
