// The capture output's simulated device: buffer limit, clock, pause, seek,
// refusal and the stuck device, through the output interface.
#include <gtest/gtest.h>
#include <algorithm>
#include <vector>
#include "output_capture.h"

namespace {
audio_format make_format(int tag, int channels, int rate, int bits) {
    return audio_format{tag, channels, rate, bits, 0, 0.0, 0.0};
}
const audio_format cd = make_format(1, 2, 44100, 16);  // 176400 bytes a second

output* new_output() { return find_output_manager()->current(); }

// Offers `count` bytes of silence; what the output took.
int write_bytes(output* o, const audio_format& f, int count) {
    std::vector<unsigned char> bytes(count > 0 ? count : 1, 0);
    return o->write(&f, bytes.data(), count);
}
}  // namespace

TEST(capture_output, buffer_holds_buffer_ms_of_the_written_format) {
    struct row {
        audio_format format;
        int buffer_ms;
        int capacity;
    };
    const row rows[] = {
        {cd, 3000, 529200},
        {make_format(1, 2, 48000, 24), 3000, 864000},
        {make_format(1, 1, 22050, 8), 3000, 66150},
        {make_format(3, 2, 44100, 32), 3000, 1058400},
        {cd, 500, 88200},
        {make_format(1, 1, 11025, 16), 10, 220},
    };
    for (const row& r : rows) {
        capture_control* capture = start_capture(r.buffer_ms);
        ASSERT_NE(capture, nullptr);
        capture->set_manual_clock();
        output* o = new_output();
        EXPECT_EQ(write_bytes(o, r.format, r.capacity + 4096), r.capacity) << r.capacity;
        EXPECT_EQ(write_bytes(o, r.format, 4096), 0);
        EXPECT_EQ(o->buffered_bytes(), r.capacity);
        EXPECT_FALSE(o->is_finished());
        o->release();
    }
}

TEST(capture_output, a_partly_full_buffer_takes_whole_frames) {
    capture_control* capture = start_capture(500);
    ASSERT_NE(capture, nullptr);
    capture->set_manual_clock();
    output* o = new_output();
    EXPECT_EQ(write_bytes(o, cd, 88190), 88190);
    EXPECT_EQ(write_bytes(o, cd, 7), 7);    // everything offered fits
    EXPECT_EQ(write_bytes(o, cd, 20), 0);   // 3 bytes of room: no whole frame
    o->release();
}

TEST(capture_output, manual_clock_plays_only_when_advanced) {
    capture_control* capture = start_capture();
    ASSERT_NE(capture, nullptr);
    capture->set_manual_clock();
    output* o = new_output();
    ASSERT_EQ(write_bytes(o, cd, 176400), 176400);
    Sleep(30);
    EXPECT_EQ(o->buffered_bytes(), 176400);
    capture->advance(250);
    EXPECT_EQ(o->buffered_bytes(), 132300);
    EXPECT_FALSE(o->is_finished());
    capture->advance(750);
    EXPECT_EQ(o->buffered_bytes(), 0);
    EXPECT_TRUE(o->is_finished());
    capture_state s;
    ASSERT_TRUE(capture->state(0, &s));
    EXPECT_EQ(s.written, 176400);
    EXPECT_EQ(s.played, 176400);
    o->release();
}

TEST(capture_output, time_while_the_buffer_is_empty_is_lost) {
    capture_control* capture = start_capture();
    ASSERT_NE(capture, nullptr);
    capture->set_manual_clock();
    output* o = new_output();
    capture->advance(1000);
    ASSERT_EQ(write_bytes(o, cd, 88200), 88200);
    EXPECT_EQ(o->buffered_bytes(), 88200);
    capture->advance(100);
    EXPECT_EQ(o->buffered_bytes(), 88200 - 17640);
    capture->advance(1000);  // the buffer runs dry after 400 ms
    ASSERT_EQ(write_bytes(o, cd, 17640), 17640);
    EXPECT_EQ(o->buffered_bytes(), 17640);
    o->release();
}

TEST(capture_output, pause_stops_playing_until_resumed) {
    capture_control* capture = start_capture();
    ASSERT_NE(capture, nullptr);
    capture->set_manual_clock();
    output* o = new_output();
    ASSERT_EQ(write_bytes(o, cd, 176400), 176400);
    capture->advance(200);
    o->pause(true);
    EXPECT_TRUE(o->is_paused());
    capture->advance(500);
    EXPECT_EQ(o->buffered_bytes(), 176400 - 35280);
    EXPECT_FALSE(o->is_finished());
    o->pause(false);
    EXPECT_FALSE(o->is_paused());
    capture->advance(800);
    EXPECT_EQ(o->buffered_bytes(), 0);
    EXPECT_TRUE(o->is_finished());
    o->release();
}

TEST(capture_output, seek_drops_what_is_buffered) {
    capture_control* capture = start_capture();
    ASSERT_NE(capture, nullptr);
    capture->set_manual_clock();
    output* o = new_output();
    ASSERT_EQ(write_bytes(o, cd, 176400), 176400);
    capture->advance(250);
    o->seek(30.0, 500);
    EXPECT_EQ(o->buffered_bytes(), 0);
    EXPECT_TRUE(o->is_finished());
    capture_state s;
    ASSERT_TRUE(capture->state(0, &s));
    EXPECT_EQ(s.played, 44100);
    EXPECT_EQ(s.dropped, 132300);
    EXPECT_EQ(write_bytes(o, cd, 4), 4);  // the buffer is free again
    o->release();
}

TEST(capture_output, each_format_plays_at_its_own_rate) {
    capture_control* capture = start_capture();
    ASSERT_NE(capture, nullptr);
    capture->set_manual_clock();
    output* o = new_output();
    const audio_format mono = make_format(1, 1, 22050, 16);  // 44100 bytes a second
    ASSERT_EQ(write_bytes(o, cd, 88200), 88200);             // 0.5 s
    ASSERT_EQ(write_bytes(o, mono, 22050), 22050);           // 0.5 s
    capture->advance(750);
    EXPECT_EQ(o->buffered_bytes(), 11026);  // 5513 frames of the second run left
    capture->advance(250);
    EXPECT_EQ(o->buffered_bytes(), 0);
    o->release();
}

TEST(capture_output, outputs_of_a_crossfade_share_the_clock) {
    capture_control* capture = start_capture();
    ASSERT_NE(capture, nullptr);
    capture->set_manual_clock();
    output* old_track = new_output();
    ASSERT_EQ(write_bytes(old_track, cd, 176400), 176400);
    capture->advance(500);
    output* new_track = new_output();
    ASSERT_EQ(write_bytes(new_track, cd, 176400), 176400);
    capture->advance(500);
    EXPECT_EQ(old_track->buffered_bytes(), 0);
    EXPECT_EQ(new_track->buffered_bytes(), 88200);
    old_track->release();
    new_track->release();
}

TEST(capture_output, automatic_clock_drains_the_buffer_at_its_speed) {
    capture_control* capture = start_capture();
    ASSERT_NE(capture, nullptr);
    capture->set_auto_clock(200.0);
    output* o = new_output();
    int taken = 0;
    // Five seconds of audio through a three-second buffer.
    ASSERT_TRUE(wait_for([&] {
        if (taken < 882000) taken += write_bytes(o, cd, std::min(16384, 882000 - taken));
        return taken == 882000;
    }));
    EXPECT_TRUE(wait_for([&] { return o->is_finished(); }));
    EXPECT_EQ(o->buffered_bytes(), 0);
    long long before = capture->clock_us();
    Sleep(20);
    EXPECT_GT(capture->clock_us(), before);
    o->release();
}

TEST(capture_output, refuses_writes_after_the_set_count) {
    capture_control* capture = start_capture();
    ASSERT_NE(capture, nullptr);
    capture->set_manual_clock();
    capture->refuse_writes_after(2);
    output* o = new_output();
    EXPECT_EQ(write_bytes(o, cd, 100), 100);
    EXPECT_EQ(write_bytes(o, cd, 100), 100);
    EXPECT_EQ(write_bytes(o, cd, 100), -1);
    EXPECT_EQ(write_bytes(o, cd, 100), -1);
    capture->refuse_writes_after(-1);
    EXPECT_EQ(write_bytes(o, cd, 100), 100);
    // 0 refuses the next write of an output that already took some.
    capture->refuse_writes_after(0);
    EXPECT_EQ(write_bytes(o, cd, 100), -1);
    output* fresh = new_output();
    EXPECT_EQ(write_bytes(fresh, cd, 100), -1);
    fresh->release();
    o->release();
}

TEST(capture_output, formats_that_cannot_be_timed_are_refused) {
    capture_control* capture = start_capture();
    ASSERT_NE(capture, nullptr);
    output* o = new_output();
    const audio_format rows[] = {make_format(1, 0, 44100, 16), make_format(1, 2, 0, 16), make_format(1, 2, 44100, 0),
                                 make_format(1, -2, 44100, 16)};
    for (const audio_format& f : rows) EXPECT_EQ(write_bytes(o, f, 100), -1);
    unsigned char byte = 0;
    EXPECT_EQ(o->write(nullptr, &byte, 1), -1);
    EXPECT_EQ(o->write(&cd, nullptr, 4), -1);
    EXPECT_EQ(o->write(&cd, nullptr, 0), 0);
    o->release();
}

TEST(capture_output, a_stuck_device_never_drains) {
    capture_control* capture = start_capture();
    ASSERT_NE(capture, nullptr);
    capture->set_manual_clock();
    output* idle = new_output();
    output* o = new_output();
    ASSERT_EQ(write_bytes(o, cd, 176400), 176400);
    capture->set_stuck(true);
    capture->advance(10000);
    EXPECT_EQ(o->buffered_bytes(), 176400);
    EXPECT_FALSE(o->is_finished());
    EXPECT_FALSE(idle->is_finished());  // even with nothing written
    capture->set_stuck(false);
    EXPECT_TRUE(idle->is_finished());
    capture->advance(1000);
    EXPECT_TRUE(o->is_finished());
    idle->release();
    o->release();
}

TEST(capture_output, a_thread_killed_inside_an_output_call_locks_nothing) {
    // The player terminates a playback thread that hangs on a stuck device;
    // it may die inside the output while holding the capture's lock.
    capture_control* capture = start_capture();
    ASSERT_NE(capture, nullptr);
    capture->set_stuck(true);
    output* o = new_output();
    ASSERT_EQ(write_bytes(o, cd, 4096), 4096);
    struct poller {
        static DWORD WINAPI run(void* p) {
            output* o = static_cast<output*>(p);
            for (;;) {
                o->is_finished();
                o->buffered_bytes();
            }
        }
    };
    HANDLE thread = CreateThread(nullptr, 0, &poller::run, o, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    Sleep(50);
    TerminateThread(thread, 0);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    capture_state s;
    EXPECT_TRUE(capture->state(0, &s));
    EXPECT_EQ(s.buffered, 4096);
    capture->set_stuck(false);
    capture->advance(100);
    EXPECT_TRUE(o->is_finished());
}
