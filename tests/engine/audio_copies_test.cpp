// The paced and display copies of the played samples, driven directly with
// blocks and buffer levels as a playback thread would, and through the engine.
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include "engine_rig.h"
#include "playback_audio_copies.h"

namespace {
const audio_format cd = {1, 2, 44100, 16, 0, 0.0, 0.0};

struct delivery {
    bool paced;
    std::vector<unsigned char> bytes;
};

class recording_sink : public audio_copies::sink {
public:
    void paced(const audio_format&, const void* bytes, int count) override { add(true, bytes, count); }
    void display(const audio_format&, const void* bytes, int count) override { add(false, bytes, count); }
    std::vector<delivery> got;

private:
    void add(bool paced, const void* bytes, int count) {
        const unsigned char* p = static_cast<const unsigned char*>(bytes);
        got.push_back({paced, std::vector<unsigned char>(p, p + count)});
    }
};

// A block of 16-bit stereo counter frames starting at `frame`.
std::vector<unsigned char> counter_block(long long frame, int frames) {
    synth_params p;
    return synth_pcm(p, frame, frames);
}
}  // namespace

TEST(audio_copies, the_paced_copy_comes_after_a_tenth_of_a_second_in_chunks_of_what_was_played) {
    audio_copies copies;
    recording_sink sink;
    std::vector<unsigned char> block = counter_block(0, 44100);
    copies.append(cd, block.data(), static_cast<int>(block.size()));
    const int total = static_cast<int>(block.size());
    // 17,636 bytes played: not yet; 17,640 (0.1 s at 44100 Hz, 16 bits, stereo): due.
    EXPECT_FALSE(copies.paced_due(total - 17636));
    copies.deliver(total - 17636, 1000, 0.1, false, sink);
    EXPECT_TRUE(sink.got.empty());
    EXPECT_TRUE(copies.paced_due(total - 17640));
    copies.deliver(total - 17640, 1000, 0.1, false, sink);
    ASSERT_EQ(sink.got.size(), 1u);
    EXPECT_TRUE(sink.got[0].paced);
    // The first chunk (17,640 bytes) is taken off the front before the played
    // bytes are handed out.
    ASSERT_EQ(sink.got[0].bytes.size(), 17640u);
    EXPECT_EQ(counter_frame(sink.got[0].bytes.data()), 4410);
    // 30,000 more bytes played: the last chunk goes, the next 30,000 come.
    copies.deliver(total - 47640, 1000, 0.1, false, sink);
    ASSERT_EQ(sink.got.size(), 2u);
    ASSERT_EQ(sink.got[1].bytes.size(), 30000u);
    EXPECT_EQ(counter_frame(sink.got[1].bytes.data()), 8820);
    EXPECT_EQ(copies.paced_size(), total - 17640 - 17640);
}

TEST(audio_copies, the_display_copy_stays_bounded_and_shows_what_was_just_played) {
    // One hour of 4096-frame blocks through a 3-second device buffer.
    audio_copies copies;
    recording_sink sink;
    const int block_frames = 4096, block_bytes = 16384, buffer_bytes = 529200;
    const int interval_bytes = 17640;  // 100 ms
    long long appended = 0, frames = 0;
    int largest_display = 0, largest_paced = 0;
    size_t checked = 0;
    const long long hour = 3600LL * 176400;
    while (appended < hour) {
        std::vector<unsigned char> block = counter_block(frames, block_frames);
        copies.append(cd, block.data(), block_bytes);
        appended += block_bytes;
        frames += block_frames;
        int buffered = static_cast<int>(std::min<long long>(appended, buffer_bytes));
        sink.got.clear();
        copies.deliver(buffered, 1000, 0.1, true, sink);
        largest_display = std::max(largest_display, copies.display_size());
        largest_paced = std::max(largest_paced, copies.paced_size());
        for (const delivery& d : sink.got) {
            if (d.paced || appended - buffered < interval_bytes) continue;
            // The interval just before the played position.
            long long played_frames = (appended - buffered) / 4;
            ASSERT_EQ(d.bytes.size(), static_cast<size_t>(interval_bytes));
            ASSERT_EQ(counter_frame(d.bytes.data()), played_frames - interval_bytes / 4) << "at " << appended;
            ++checked;
        }
    }
    EXPECT_GT(checked, 10000u);
    EXPECT_LE(largest_display, buffer_bytes + interval_bytes + 2 * block_bytes);
    EXPECT_LE(largest_paced, buffer_bytes + interval_bytes + 2 * block_bytes);
}

TEST(audio_copies, a_seek_or_a_new_format_empties_both_copies) {
    audio_copies copies;
    recording_sink sink;
    std::vector<unsigned char> block = counter_block(0, 4096);
    copies.append(cd, block.data(), 16384);
    EXPECT_EQ(copies.paced_size(), 16384);
    EXPECT_EQ(copies.display_size(), 16384);
    copies.clear();
    EXPECT_EQ(copies.paced_size(), 0);
    EXPECT_EQ(copies.display_size(), 0);
    copies.append(cd, block.data(), 16384);
    const audio_format changes[] = {
        {3, 2, 44100, 32, 0, 0.0, 0.0}, {1, 1, 44100, 32, 0, 0.0, 0.0}, {1, 1, 48000, 32, 0, 0.0, 0.0},
        {1, 1, 48000, 16, 0, 0.0, 0.0}};
    for (const audio_format& f : changes) {
        copies.append(f, block.data(), 1000);
        EXPECT_EQ(copies.paced_size(), 1000);
        EXPECT_EQ(copies.display_size(), 1000);
    }
    // The mask is not part of the comparison.
    audio_format masked = changes[3];
    masked.channel_mask = 4;
    copies.append(masked, block.data(), 1000);
    EXPECT_EQ(copies.paced_size(), 2000);
    EXPECT_EQ(copies.appended(), 16384 * 2 + 5000);
}

TEST(audio_copies, the_paced_copy_is_scaled_by_the_volume_with_rounding_and_clamping) {
    struct row {
        audio_format format;
        double sample;  // integer scale, or float
        int volume;
        double want;
    };
    const row rows[] = {
        {cd, 1000, 500, 500},
        {cd, 1001, 500, 500},  // 500.5: ties to even
        {cd, 1003, 500, 502},  // 501.5
        {cd, 30000, 1500, 32767},
        {cd, -30000, 1500, -32768},
        {{1, 2, 44100, 24, 0, 0.0, 0.0}, 8000000, 1200, 8388607},
        {{1, 2, 44100, 24, 0, 0.0, 0.0}, -4000000, 250, -1000000},
        {{1, 2, 44100, 32, 0, 0.0, 0.0}, 2000000000, 1100, 2147483647},
        {{1, 2, 44100, 32, 0, 0.0, 0.0}, -123456789, 1000 / 2, -61728394},  // -61728394.5: even
        {{3, 2, 44100, 32, 0, 0.0, 0.0}, 0.9, 1500, 1.0},
        {{3, 2, 44100, 32, 0, 0.0, 0.0}, -0.5, 500, -0.25},
    };
    for (const row& r : rows) {
        const audio_format& f = r.format;
        int width = f.bits_per_sample / 8;
        int frame = width * 2;
        int frames = 4410 * 2;  // more than the first chunk
        std::vector<unsigned char> bytes(static_cast<size_t>(frames) * frame);
        for (int i = 0; i < frames * 2; ++i) {
            unsigned char* s = bytes.data() + i * width;
            if (f.format_tag == 3) {
                float v = static_cast<float>(r.sample);
                memcpy(s, &v, 4);
            } else {
                store_le(s, static_cast<uint32_t>(static_cast<int32_t>(r.sample)), width);
            }
        }
        audio_copies copies;
        recording_sink sink;
        copies.append(f, bytes.data(), static_cast<int>(bytes.size()));
        copies.deliver(0, r.volume, 0.1, false, sink);
        ASSERT_EQ(sink.got.size(), 1u) << r.sample;
        const std::vector<unsigned char>& out = sink.got[0].bytes;
        double got;
        if (f.format_tag == 3) {
            float v;
            memcpy(&v, out.data(), 4);
            got = v;
        } else {
            uint32_t v = 0;
            for (int b = 0; b < width; ++b) v |= static_cast<uint32_t>(out[b]) << (8 * b);
            if (width == 3 && (v & 0x800000)) v |= 0xFF000000u;
            if (width == 2 && (v & 0x8000)) v |= 0xFFFF0000u;
            got = static_cast<int32_t>(v);
        }
        EXPECT_EQ(got, r.want) << r.sample << " x " << r.volume;
    }
}

TEST(audio_copies, the_display_copy_through_the_engine_shows_the_interval_just_played) {
    engine_rig rig;
    rig.recorder->keep_audio(true);
    playback_engine* engine = rig.new_engine();
    list_info entry = entry_for(L"synth:long?secs=20");
    ASSERT_TRUE(engine->play(&entry, &rig.music));
    ASSERT_TRUE(rig.drive_to_finish(1, 40));
    std::vector<engine_event> ev = rig.events();
    double position = -1.0;
    int exact = 0, audio = 0;
    bool ending = false;
    for (size_t i = 0; i < ev.size(); ++i) {
        if (ev[i].kind == engine_event_kind::track_ending) ending = true;
        if (ev[i].kind == engine_event_kind::position) position = ev[i].seconds;
        if (ev[i].kind != engine_event_kind::audio) continue;
        ++audio;
        ASSERT_EQ(ev[i].value, 17640);
        ASSERT_GE(position, 0.0);
        long long first = counter_frame(ev[i].bytes.data());
        double want = position * 44100 - 4410;
        // Never more than a delivery interval behind (the position is only
        // republished with the paced copy while the output drains).
        ASSERT_NEAR(static_cast<double>(first), want, 0.25 * 44100) << "event " << i;
        size_t j = i - 1;
        if (ev[j].kind == engine_event_kind::paced_audio) --j;
        if (!ending && ev[j].kind == engine_event_kind::position) {
            EXPECT_NEAR(static_cast<double>(first), want, 1.0) << "event " << i;
            ++exact;
        }
    }
    EXPECT_GT(audio, 100);
    EXPECT_GT(exact, 50);
    // With visual disabled no on_audio is raised; the paced copy keeps coming.
    rig.recorder->clear();
    rig.settings->set_visual(false, 100);
    entry = entry_for(L"synth:short?secs=2");
    ASSERT_TRUE(engine->play(&entry, &rig.music));
    ASSERT_TRUE(rig.drive_to_finish(1, 40));
    EXPECT_EQ(rig.count(engine_event_kind::audio), 0);
    EXPECT_GT(rig.count(engine_event_kind::paced_audio), 10);
    engine->release();
}
