// What the capture records: the calls with their arguments, the PCM per track
// segment, the list of outputs and the reset.
#include <gtest/gtest.h>
#include <algorithm>
#include <vector>
#include "output_capture.h"

namespace {
const audio_format cd = {1, 2, 44100, 16, 0, 0.0, 0.0};
const audio_format dat = {1, 2, 48000, 16, 3, 0.0, 0.0};

std::vector<unsigned char> pattern(int count, int seed) {
    std::vector<unsigned char> bytes(count);
    for (int i = 0; i < count; ++i) bytes[i] = static_cast<unsigned char>(i * 7 + seed);
    return bytes;
}

int write_pattern(output* o, const audio_format& f, const std::vector<unsigned char>& bytes) {
    return o->write(&f, bytes.data(), static_cast<int>(bytes.size()));
}
}  // namespace

TEST(capture_log, every_call_is_recorded_in_order_with_its_arguments) {
    capture_control* capture = start_capture();
    ASSERT_NE(capture, nullptr);
    capture->set_manual_clock();
    output* o = find_output_manager()->current();
    o->set_volume(800);
    o->set_mute(false);
    o->start(180.0);
    ASSERT_EQ(write_pattern(o, cd, pattern(4000, 1)), 4000);
    capture->advance(10);  // 1764 bytes played
    o->pause(true);
    o->refresh();
    o->pause(false);
    EXPECT_EQ(o->buffered_bytes(), 2236);  // queries are not recorded
    EXPECT_FALSE(o->is_finished());
    o->seek(12.5, 300);
    o->set_mute(true);
    o->finish_track(2000);
    ASSERT_EQ(write_pattern(o, dat, pattern(100, 2)), 100);
    o->release();

    struct row {
        capture_op op;
        int value;
        double seconds;
        int result;
        int track;
        long long offset;
        long long played;
    };
    const row expected[] = {
        {capture_op::set_volume, 800, 0.0, 0, 0, 0, 0},
        {capture_op::set_mute, 0, 0.0, 0, 0, 0, 0},
        {capture_op::start, 0, 180.0, 0, 0, 0, 0},
        {capture_op::write, 4000, 0.0, 4000, 0, 0, 0},
        {capture_op::pause, 1, 0.0, 0, 0, 4000, 1764},
        {capture_op::refresh, 0, 0.0, 0, 0, 4000, 1764},
        {capture_op::pause, 0, 0.0, 0, 0, 4000, 1764},
        {capture_op::seek, 300, 12.5, 2236, 0, 4000, 1764},
        {capture_op::set_mute, 1, 0.0, 0, 0, 4000, 1764},
        {capture_op::finish_track, 2000, 0.0, 0, 0, 4000, 1764},
        {capture_op::write, 100, 0.0, 100, 1, 4000, 1764},
        {capture_op::release, 0, 0.0, 0, 1, 4100, 1764},
    };
    std::vector<capture_call> calls;
    ASSERT_EQ(capture->calls(0, calls), 12);
    for (size_t i = 0; i < calls.size(); ++i) {
        const row& e = expected[i];
        const capture_call& c = calls[i];
        EXPECT_EQ(c.op, e.op) << i;
        EXPECT_EQ(c.value, e.value) << i;
        EXPECT_EQ(c.seconds, e.seconds) << i;
        EXPECT_EQ(c.result, e.result) << i;
        EXPECT_EQ(c.repeat, 1) << i;
        EXPECT_EQ(c.track, e.track) << i;
        EXPECT_EQ(c.offset, e.offset) << i;
        EXPECT_EQ(c.played, e.played) << i;
    }
    EXPECT_EQ(calls[3].format.sample_rate, 44100);
    EXPECT_EQ(calls[3].format.channel_mask, 0);
    EXPECT_EQ(calls[10].format.sample_rate, 48000);
    EXPECT_EQ(calls[10].format.channel_mask, 3);

    capture_state s;
    ASSERT_TRUE(capture->state(0, &s));
    EXPECT_TRUE(s.released);
    EXPECT_EQ(s.volume, 800);
    EXPECT_TRUE(s.mute);
    EXPECT_EQ(s.finished_tracks, 1);
}

TEST(capture_log, retried_writes_into_a_full_buffer_share_one_record) {
    capture_control* capture = start_capture(100);
    ASSERT_NE(capture, nullptr);
    capture->set_manual_clock();
    output* o = find_output_manager()->current();
    std::vector<unsigned char> block = pattern(16384, 0);
    EXPECT_EQ(write_pattern(o, cd, block), 16384);
    EXPECT_EQ(write_pattern(o, cd, block), 1256);  // 17640 bytes of room
    for (int i = 0; i < 3; ++i) EXPECT_EQ(write_pattern(o, cd, block), 0);
    EXPECT_EQ(write_pattern(o, cd, pattern(4096, 0)), 0);
    o->release();

    std::vector<capture_call> calls;
    ASSERT_EQ(capture->calls(0, calls), 5);
    EXPECT_EQ(calls[2].op, capture_op::write);
    EXPECT_EQ(calls[2].result, 0);
    EXPECT_EQ(calls[2].repeat, 3);
    EXPECT_EQ(calls[3].value, 4096);
    EXPECT_EQ(calls[3].repeat, 1);
    EXPECT_EQ(calls[4].op, capture_op::release);
}

TEST(capture_log, pcm_is_kept_per_track_segment) {
    capture_control* capture = start_capture();
    ASSERT_NE(capture, nullptr);
    capture->set_manual_clock();
    output* o = find_output_manager()->current();
    const std::vector<unsigned char> a1 = pattern(1000, 1), a2 = pattern(24, 2), b = pattern(500, 3),
                                     c = pattern(64, 4);
    o->start(10.0);
    write_pattern(o, cd, a1);
    write_pattern(o, cd, a2);
    o->finish_track(0);
    o->start(20.0);
    write_pattern(o, dat, b);
    o->finish_track(500);
    write_pattern(o, cd, c);

    std::vector<capture_track> tracks;
    ASSERT_EQ(capture->tracks(0, tracks), 3);
    std::vector<unsigned char> a = a1;
    a.insert(a.end(), a2.begin(), a2.end());
    EXPECT_EQ(tracks[0].pcm, a);
    EXPECT_EQ(tracks[0].bytes, 1024);
    EXPECT_EQ(tracks[0].format.sample_rate, 44100);
    EXPECT_EQ(tracks[0].start_length, 10.0);
    EXPECT_EQ(tracks[0].finish_fade_ms, 0);
    EXPECT_EQ(tracks[1].pcm, b);
    EXPECT_EQ(tracks[1].format.sample_rate, 48000);
    EXPECT_EQ(tracks[1].start_length, 20.0);
    EXPECT_EQ(tracks[1].finish_fade_ms, 500);
    EXPECT_EQ(tracks[2].pcm, c);
    EXPECT_EQ(tracks[2].start_length, -1.0);
    EXPECT_EQ(tracks[2].finish_fade_ms, -1);

    // A closing finish_track leaves an empty open segment, which is not listed.
    o->finish_track(0);
    EXPECT_EQ(capture->tracks(0, tracks), 3);
    EXPECT_EQ(tracks[2].finish_fade_ms, 0);
    o->release();
}

TEST(capture_log, without_kept_pcm_tracks_count_bytes_only) {
    capture_control* capture = start_capture();
    ASSERT_NE(capture, nullptr);
    capture->set_keep_pcm(false);
    output* o = find_output_manager()->current();
    EXPECT_EQ(write_pattern(o, cd, pattern(4096, 0)), 4096);
    o->release();
    std::vector<capture_track> tracks;
    ASSERT_EQ(capture->tracks(0, tracks), 1);
    EXPECT_EQ(tracks[0].bytes, 4096);
    EXPECT_TRUE(tracks[0].pcm.empty());
}

TEST(capture_log, outputs_are_listed_in_creation_order_after_their_release) {
    capture_control* capture = start_capture();
    ASSERT_NE(capture, nullptr);
    output_manager* manager = find_output_manager();
    EXPECT_EQ(capture->output_count(), 0);
    output* first = manager->current();
    manager->select(output_type_capture, 1);
    output* second = manager->current();
    first->release();

    capture_state s;
    ASSERT_TRUE(capture->state(0, &s));
    EXPECT_EQ(s.device, 0);
    EXPECT_TRUE(s.released);
    ASSERT_TRUE(capture->state(1, &s));
    EXPECT_EQ(s.device, 1);
    EXPECT_FALSE(s.released);
    EXPECT_EQ(s.buffer_ms, 3000);

    std::vector<capture_call> calls;
    EXPECT_EQ(capture->calls(0, calls), 1);
    EXPECT_EQ(calls[0].op, capture_op::release);
    EXPECT_FALSE(capture->state(2, &s));
    EXPECT_EQ(capture->calls(-1, calls), -1);
    EXPECT_TRUE(calls.empty());

    capture->reset();
    EXPECT_EQ(capture->output_count(), 0);
    EXPECT_FALSE(capture->state(0, &s));
    EXPECT_EQ(write_pattern(second, cd, pattern(8, 0)), 8);  // an unlisted output goes on working
    second->release();
}

TEST(capture_log, reset_restores_the_defaults) {
    capture_control* capture = start_capture();
    ASSERT_NE(capture, nullptr);
    capture->set_manual_clock();
    capture->refuse_writes_after(0);
    capture->set_stuck(true);
    capture->set_keep_pcm(false);
    capture->set_device_names({stringx(L"X")});
    capture->reset();

    output* o = find_output_manager()->current();
    EXPECT_TRUE(o->is_finished());  // not stuck
    EXPECT_EQ(write_pattern(o, cd, pattern(8, 0)), 8);
    std::vector<capture_track> tracks;
    ASSERT_EQ(capture->tracks(0, tracks), 1);
    EXPECT_EQ(tracks[0].pcm.size(), 8u);
    long long before = capture->clock_us();
    EXPECT_TRUE(wait_for([&] { return capture->clock_us() > before; }));  // automatic again
    std::vector<stringx> names;
    EXPECT_EQ(find_output_manager()->devices(output_type_capture, names), 2);
    o->release();
}

TEST(capture_log, a_writer_thread_on_the_manual_clock_delivers_every_byte) {
    // The playback thread's pattern: offer a block, wait a millisecond while
    // the buffer is full; here against a clock that the test moves.
    capture_control* capture = start_capture(1000);
    ASSERT_NE(capture, nullptr);
    capture->set_manual_clock();
    output* o = find_output_manager()->current();
    struct writer {
        output* o;
        std::vector<unsigned char> bytes;
        volatile LONG done;
        static DWORD WINAPI run(void* p) {
            writer* w = static_cast<writer*>(p);
            for (size_t at = 0; at < w->bytes.size();) {
                int n = static_cast<int>(std::min<size_t>(16384, w->bytes.size() - at));
                int taken = w->o->write(&cd, w->bytes.data() + at, n);
                if (taken < 0) break;
                at += taken;
                if (taken < n) Sleep(1);
            }
            w->o->finish_track(0);
            InterlockedExchange(&w->done, 1);
            return 0;
        }
    };
    writer w{o, pattern(176400 * 5 + 1000, 9), 0};
    HANDLE thread = CreateThread(nullptr, 0, &writer::run, &w, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_TRUE(wait_for(
        [&] {
            capture->advance(50);
            return w.done && o->is_finished();
        },
        60000));
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    std::vector<capture_track> tracks;
    ASSERT_EQ(capture->tracks(0, tracks), 1);
    EXPECT_TRUE(tracks[0].pcm == w.bytes);
    capture_state s;
    ASSERT_TRUE(capture->state(0, &s));
    EXPECT_EQ(s.played, static_cast<long long>(w.bytes.size()));
    o->release();
}
