// Fade ramps: the fade-in at each entry's start, the seek fade-in, and the
// fade-out of the paced copy's unplayed tail; their gains at the frames they
// fall on. The ramp classes are also tested on their own.
#include <gtest/gtest.h>
#include <cmath>
#include <cstring>
#include "engine_rig.h"
#include "playback_fades.h"

namespace {
// Sample `channel` of frame `frame`, at integer scale (floats as they are).
double sample_at(const std::vector<unsigned char>& pcm, const synth_params& p, size_t frame, int channel) {
    const unsigned char* s = pcm.data() + frame * p.frame_bytes() + channel * (p.bits / 8);
    if (p.tag == 3) {
        float v;
        memcpy(&v, s, 4);
        return v;
    }
    if (p.bits == 16) return static_cast<int16_t>(s[0] | (s[1] << 8));
    if (p.bits == 24) {
        int v = s[0] | (s[1] << 8) | (s[2] << 16);
        return v & 0x800000 ? v - 0x1000000 : v;
    }
    int32_t v;
    memcpy(&v, s, 4);
    return v;
}

// The full-scale value of a dc signal at its sample layout.
double dc_value(const synth_params& p) {
    if (p.tag == 3) return p.level / 32768.0;
    if (p.bits == 24) return p.level * 256.0;
    if (p.bits == 32) return p.level * 65536.0;
    return p.level;
}

// Ramps work on floats: 32-bit integers keep 24 bits of precision there.
double tolerance(const synth_params& p) {
    if (p.tag == 3) return 1e-6;
    return p.bits == 32 ? 512.0 : 1.0;
}

std::vector<unsigned char> paced_stream(engine_rig& rig) {
    std::vector<unsigned char> out;
    for (const engine_event& e : rig.events_of(engine_event_kind::paced_audio))
        out.insert(out.end(), e.bytes.begin(), e.bytes.end());
    return out;
}

// Checks a fade-out in a 16-bit stereo dc stream before frame `limit`: after
// the last full-level frame the samples follow level x (1 - k / ramp), then
// zeros. The paced copy runs up to 100 ms (one first chunk) ahead of the
// played position, so its first faded frame may lie up to 4410 frames into
// the ramp. Returns the frame after the last full-level one.
size_t check_fade_out(const std::vector<unsigned char>& pcm, size_t limit, int level, int ramp) {
    synth_params p;
    size_t frames = std::min(limit, pcm.size() / 4);
    size_t first = 0;
    for (size_t f = 0; f < frames; ++f)
        if (sample_at(pcm, p, f, 0) == level) first = f + 1;
    EXPECT_GT(first, 0u);
    EXPECT_LT(first, frames);
    if (first == 0 || first >= frames) return first;
    // The ramp frame the first faded sample belongs to.
    double v = sample_at(pcm, p, first, 0);
    long long k0 = std::llround((1.0 - v / level) * ramp);
    EXPECT_GE(k0, 1);
    EXPECT_LE(k0, 4411);
    EXPECT_GE(static_cast<long long>(frames - first) + k0, ramp) << "the ramp is cut short";
    for (size_t i = 0; first + i < frames; ++i) {
        long long k = k0 + static_cast<long long>(i);
        double want = k < ramp ? level * (1.0 - static_cast<double>(k) / ramp) : 0.0;
        for (int c = 0; c < 2; ++c) {
            double got = sample_at(pcm, p, first + i, c);
            if (std::fabs(got - want) > 1.0) {
                ADD_FAILURE() << "fade-out frame " << k << " channel " << c << ": " << got << " want " << want;
                return first;
            }
        }
    }
    return first;
}
}  // namespace

TEST(fade_ramp, gains_rise_as_counter_over_frames) {
    fade_ramp ramp;
    ramp.start(1000, 44100);  // 44100 frames: far more than 1000
    ASSERT_TRUE(ramp.active());
    std::vector<float> gains;
    for (int k = 0; k <= 44101; ++k) gains.push_back(ramp.next_gain());
    EXPECT_EQ(gains[0], 0.0f);
    EXPECT_EQ(gains[1], static_cast<float>(1.0 / 44100));
    EXPECT_EQ(gains[22050], 0.5f);
    EXPECT_EQ(gains[44100], 1.0f);
    EXPECT_EQ(gains[44101], 1.0f);
    EXPECT_FALSE(ramp.active());
    for (int k = 1; k <= 44100; ++k) ASSERT_GT(gains[k], gains[k - 1]) << k;

    // Lengths that give no frame leave the ramp off.
    const int empty[][2] = {{0, 44100}, {-5, 44100}, {1000, 0}, {1, 100}};
    for (const auto& e : empty) {
        ramp.start(e[0], e[1]);
        EXPECT_FALSE(ramp.active()) << e[0] << " ms at " << e[1];
        EXPECT_EQ(ramp.next_gain(), 1.0f);
    }
}

TEST(fade_work, fade_out_ramps_the_tail_down_and_handles_short_and_empty_tails) {
    const audio_format cd = {1, 2, 44100, 16, 0, 0.0, 0.0};
    fade_work work;
    struct row {
        int frames;  // tail frames
        int ms;
        int ramp;    // N': the smaller of the fade's frames and the tail's
    };
    const row rows[] = {{2000, 10, 441}, {300, 10, 300}, {1, 10, 1}, {5000, 1000, 5000}};
    for (const row& r : rows) {
        std::vector<int16_t> tail(static_cast<size_t>(r.frames) * 2, 10000);
        work.fade_out(cd, tail.data(), static_cast<int>(tail.size() * 2), r.ms);
        for (int k = 0; k < r.frames; ++k) {
            double want = k < r.ramp ? 10000.0 * (1.0 - static_cast<double>(k) / r.ramp) : 0.0;
            ASSERT_NEAR(tail[k * 2], want, 1.0) << "frame " << k << " of " << r.frames;
            ASSERT_EQ(tail[k * 2], tail[k * 2 + 1]);
        }
    }
    // An empty tail (or less than a frame) divides by nothing and is left alone.
    int16_t one[2] = {1234, 1234};
    work.fade_out(cd, one, 0, 100);
    work.fade_out(cd, one, 3, 100);
    EXPECT_EQ(one[0], 1234);
    EXPECT_EQ(one[1], 1234);
    // A layout the conversions do not know is left alone.
    const audio_format eight = {1, 1, 8000, 8, 0, 0.0, 0.0};
    unsigned char bytes[4] = {200, 200, 200, 200};
    work.fade_out(eight, bytes, 4, 100);
    EXPECT_EQ(bytes[3], 200);
}

TEST(playback_fades, fade_in_gives_each_frame_counter_over_frames) {
    struct row {
        const wchar_t* path;
        int fade_ms;
        int ramp;  // MulDiv(fade, rate, 1000)
    };
    const row rows[] = {
        {L"synth:f?wave=dc&level=16384&secs=1.5", 1000, 44100},
        {L"synth:f?wave=dc&level=16384&rate=48000&bits=24&ch=1&secs=0.8", 500, 24000},
        {L"synth:f?wave=dc&level=16384&rate=22050&bits=32&tag=3&secs=2.2", 2000, 44100},
        {L"synth:f?wave=dc&level=-20000&rate=44100&bits=32&secs=0.5", 100, 4410},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(testing::Message() << "ramp " << r.ramp);
        engine_rig rig;
        rig.settings->set_fade(true, r.fade_ms);
        playback_engine* engine = rig.new_engine();
        list_info entry = entry_for(r.path);
        ASSERT_TRUE(engine->play(&entry, &rig.music));
        ASSERT_TRUE(rig.drive_to_finish());
        synth_params p;
        parse_synth_path(r.path, p);
        std::vector<capture_track> tracks = rig.tracks(0);
        ASSERT_EQ(tracks.size(), 1u);
        const std::vector<unsigned char>& pcm = tracks[0].pcm;
        ASSERT_EQ(pcm.size(), static_cast<size_t>(p.frames * p.frame_bytes()));
        EXPECT_EQ(tracks[0].finish_fade_ms, r.fade_ms);  // the output fades its end itself
        double full = dc_value(p);
        for (long long k = 0; k < p.frames; ++k) {
            double want = k < r.ramp ? full * k / r.ramp : full;
            for (int c = 0; c < p.channels; ++c) {
                double got = sample_at(pcm, p, static_cast<size_t>(k), c);
                ASSERT_NEAR(got, want, tolerance(p)) << "frame " << k << " channel " << c;
            }
        }
        EXPECT_EQ(sample_at(pcm, p, 0, 0), 0.0);
        EXPECT_EQ(sample_at(pcm, p, static_cast<size_t>(r.ramp / 2), 0), full / 2);
        EXPECT_EQ(sample_at(pcm, p, static_cast<size_t>(r.ramp), 0), full);
        engine->release();
    }
}

TEST(playback_fades, fade_lengths_that_are_off_or_not_positive_leave_the_samples_alone) {
    const int settings[][2] = {{false, 1000}, {true, 0}, {true, -300}};
    for (const auto& s : settings) {
        engine_rig rig;
        rig.settings->set_fade(s[0] != 0, s[1]);
        rig.settings->set_seek_fade(s[0] != 0, s[1]);
        playback_engine* engine = rig.new_engine();
        list_info entry = entry_for(L"synth:n?secs=0.5");
        ASSERT_TRUE(engine->play(&entry, &rig.music));
        ASSERT_TRUE(rig.drive_to_finish());
        EXPECT_TRUE(rig.tracks(0)[0].pcm == synth_pcm(L"synth:n?secs=0.5")) << s[0] << " " << s[1];
        EXPECT_EQ(rig.tracks(0)[0].finish_fade_ms, 0);
        engine->release();
    }
}

TEST(playback_fades, each_continued_entry_fades_in_again) {
    engine_rig rig;
    rig.settings->set_fade(true, 100);  // 4410 frames
    rig.music.script({L"synth:b?wave=dc&level=8000&secs=0.5"});
    playback_engine* engine = rig.new_engine();
    list_info entry = entry_for(L"synth:a?wave=dc&level=16384&secs=0.5");
    ASSERT_TRUE(engine->play(&entry, &rig.music));
    ASSERT_TRUE(rig.drive_to_finish());
    std::vector<capture_track> tracks = rig.tracks(0);
    ASSERT_EQ(tracks.size(), 2u);
    EXPECT_EQ(tracks[0].finish_fade_ms, 100);
    synth_params p;
    for (int t = 0; t < 2; ++t) {
        double full = t == 0 ? 16384 : 8000;
        EXPECT_EQ(sample_at(tracks[t].pcm, p, 0, 0), 0.0);
        EXPECT_EQ(sample_at(tracks[t].pcm, p, 2205, 0), full / 2);
        EXPECT_EQ(sample_at(tracks[t].pcm, p, 4410, 1), full);
        EXPECT_EQ(sample_at(tracks[t].pcm, p, 15000, 1), full);
    }
    engine->release();
}

TEST(playback_fades, seek_fade_ramps_from_the_seek_and_combines_with_the_fade_in) {
    struct row {
        int fade_ms;       // 0: no fade-in
        double seek_from;  // position to seek at
    };
    const row rows[] = {{0, 0.3}, {1000, 0.05}};
    for (const row& r : rows) {
        SCOPED_TRACE(testing::Message() << "fade " << r.fade_ms);
        engine_rig rig;
        rig.settings->set_fade(r.fade_ms > 0, r.fade_ms);
        rig.settings->set_seek_fade(true, 200);  // 8820 frames
        playback_engine* engine = rig.new_engine();
        list_info entry = entry_for(L"synth:s?wave=dc&level=16384&secs=3");
        ASSERT_TRUE(engine->play(&entry, &rig.music));
        ASSERT_TRUE(rig.drive([&] { return engine->position() >= r.seek_from; }));
        engine->seek(1.0);
        ASSERT_TRUE(rig.drive_to_finish());
        std::vector<capture_call> seeks;
        for (const capture_call& c : rig.calls(0))
            if (c.op == capture_op::seek) seeks.push_back(c);
        ASSERT_EQ(seeks.size(), 1u);
        EXPECT_EQ(seeks[0].value, 200);
        const std::vector<unsigned char> pcm = rig.tracks(0)[0].pcm;
        synth_params p;
        size_t cut = static_cast<size_t>(seeks[0].offset / 4);  // frames written before the seek
        size_t after = pcm.size() / 4 - cut;
        ASSERT_EQ(after, 88200u);  // 2 s from the target to the end
        for (size_t j = 0; j < after; ++j) {
            double seek_gain = j < 8820 ? static_cast<double>(j) / 8820 : 1.0;
            double fade_gain = 1.0;
            if (r.fade_ms > 0) fade_gain = std::min(1.0, static_cast<double>(cut + j) / 44100);
            double want = 16384 * seek_gain * fade_gain;
            ASSERT_NEAR(sample_at(pcm, p, cut + j, 0), want, 1.0) << "frame " << j << " after the seek";
        }
        if (r.fade_ms == 0) {
            EXPECT_EQ(sample_at(pcm, p, cut + 4410, 1), 8192.0);
        }
        engine->release();
    }
}

TEST(playback_fades, a_skip_with_forced_crossfade_fades_out_the_paced_copy) {
    engine_rig rig;
    rig.recorder->keep_audio(true);
    rig.settings->set_fade(true, 200);  // 8820 frames
    rig.settings->set_force_cross(true, -1000);
    playback_engine* engine = rig.new_engine();
    list_info entry = entry_for(L"synth:k?wave=dc&level=16384&secs=3");
    ASSERT_TRUE(engine->play(&entry, &rig.music));
    ASSERT_TRUE(rig.drive([&] { return engine->position() >= 1.0; }));
    engine->stop(2);
    ASSERT_TRUE(rig.drive_to_finish());
    EXPECT_EQ(rig.events_of(engine_event_kind::finish)[0].value, 2);
    // The forced crossfade lets the output play out before it is released.
    capture_state s = rig.state(0);
    EXPECT_EQ(s.played, s.written);
    std::vector<capture_track> tracks = rig.tracks(0);
    ASSERT_FALSE(tracks.empty());
    EXPECT_EQ(tracks[0].finish_fade_ms, 200);
    std::vector<unsigned char> paced = paced_stream(rig);
    size_t start = check_fade_out(paced, paced.size() / 4, 16384, 8820);
    // The faded part is what the output held when the stop came: at most
    // its buffer (500 ms).
    EXPECT_LE(paced.size() / 4 - start, 22050u);
    EXPECT_GE(paced.size() / 4 - start, 8820u - 4410u);
    engine->release();
}

TEST(playback_fades, a_change_of_entry_fades_out_the_paced_copy_of_the_old_one) {
    engine_rig rig;
    rig.recorder->keep_audio(true);
    rig.settings->set_fade(true, 200);
    rig.music.script({L"synth:b?wave=dc&level=8000&secs=1"});
    playback_engine* engine = rig.new_engine();
    list_info entry = entry_for(L"synth:a?wave=dc&level=16384&secs=1");
    ASSERT_TRUE(engine->play(&entry, &rig.music));
    ASSERT_TRUE(rig.drive_to_finish());
    std::vector<unsigned char> paced = paced_stream(rig);
    // Entry b begins where its fade-in reaches 8000 after the zeros.
    size_t b_full = 0;
    synth_params p;
    for (size_t f = paced.size() / 4; f-- > 0;)
        if (sample_at(paced, p, f, 0) != 8000) {
            b_full = f;
            break;
        }
    size_t b_start = b_full - 8820;
    size_t start = check_fade_out(paced, b_start, 16384, 8820);
    EXPECT_GT(b_start, start + 4410) << "zeros follow the ramp";
    engine->release();
}
