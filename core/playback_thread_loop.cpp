// One pass of the playback loop: output, open, start of an entry, overlap
// point, mute, pause, buffering, seek, read, processing, end of the input,
// fades, write and the published position.
#include <windows.h>
#include <algorithm>
#include <cstring>
#include "core.h"
#include "engine_listener.h"
#include "input.h"
#include "output.h"
#include "play_manager.h"
#include "playback_settings.h"
#include "playback_thread.h"
#include "stream.h"

namespace {
const wchar_t* or_empty(const wchar_t* s) { return s ? s : L""; }

// Whether the thread can time and cut a format into frames: whole-byte
// samples of 8 to 32 bits, at least one channel and a positive rate.
bool playable(const audio_format& f) {
    return f.channels > 0 && f.channels <= 64 && f.sample_rate > 0 && f.sample_rate <= 1000000 &&
           f.bits_per_sample >= 8 && f.bits_per_sample <= 32 && f.bits_per_sample % 8 == 0;
}

// The length of an enabled setting, 0 when it is off or not positive.
int enabled_length(bool enabled, int value) { return enabled && value > 0 ? value : 0; }

// Milliseconds of the performance counter: the clock of the output pacing.
double now_ms() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}
}  // namespace

playback_thread::pass_result playback_thread::pass() {
    progressed_ = false;
    // 1. The output, taken on the first pass.
    if (!output_taken_) {
        output_taken_ = true;
        if (component* c = core::enum_create_component(output_manager::iid, 0)) {
            output_ = static_cast<output_manager*>(c)->current();
            c->release();
        }
        if (!output_) {
            raise_error(2, nullptr);
            return pass_result::end;
        }
        output_->set_volume(volume_);
        last_mute_ = mute_;
        output_->set_mute(last_mute_);
    }
    // 2. Open the entry.
    if (!open_ && !open_entry()) return pass_result::end;
    // 3. Start of an entry.
    if ((end_ <= 0 && played_ == 0.0) || (end_ > 0 && played_ >= end_)) start_of_entry();
    // 4. The overlap point.
    if (overlap_mode_ && end_ > 0 && played_ >= end_ + auto_cross_ms_ / 1000.0) {
        hand_over(false);
        return pass_result::leave_loop;
    }
    // 5. Mute.
    bool mute = mute_;
    if (mute != last_mute_) {
        output_->set_mute(mute);
        last_mute_ = mute;
    }
    // 6. Pause.
    bool paused = paused_;
    if (paused != last_paused_) {
        last_paused_ = paused;
        pacing_.restart();
        output_->pause(paused);
        output_->refresh();
        each_listener([&](engine_listener* l) { l->on_pause(this, paused); });
    }
    if (paused) return pass_result::go_on;
    // 7. Buffering.
    if (input_->busy()) {
        output_->pause(true);
        while (running_ && input_->busy()) wait_wake(1);
        if (!paused_) output_->pause(false);
    }
    // 8. Seek.
    double target = seek_target_;
    if (target >= 0.0) apply_seek(target);
    // 9. Read.
    int n = 0;
    unsigned char* data = block_.data;
    if (!input_ended_) {
        n = input_->read(data, block_size_);
        if (n < 0) {
            input_ended_ = true;
            n = 0;
        }
        n = std::min(n, block_size_);
        if (n > 0 || input_ended_) progressed_ = true;
        decoded_ += static_cast<double>(n) / bytes_per_second_;
    }
    // 10. Normalizer (music player only).
    if (stages_.has_normalizer()) {
        bool enabled = false;
        int value = 0;
        if (settings_) settings_->normalize(&enabled, &value);
        if (enabled) {
            stages_.normalizer_set_strength(value * 0.1);
            int out = 0;
            void* processed = nullptr;
            if (n > 0) processed = stages_.normalizer_process(data, n, &copy_, &out);
            else if (input_ended_) processed = stages_.normalizer_drain(block_size_, &out);
            if (processed && out > 0) {
                data = static_cast<unsigned char*>(processed);
                n = out;
            } else {
                n = 0;
            }
        } else {
            stages_.normalizer_reset();
        }
    }
    // 11. End of the input.
    if (n == 0 && input_ended_) {
        pass_result result = pass_result::go_on;
        if (!end_of_input(n, result)) return result;
        data = block_.data;
    }
    // 12. Format, volume and the shared stages.
    input_->get_format(&format_);
    output_->set_volume(volume_);
    latency_ = 0.0;
    if (n > 0) stages_.process(&entry_, &copy_, data, n);
    if (stages_.has_normalizer()) latency_ = static_cast<double>(stages_.normalizer_latency()) / bytes_per_second_;
    // 13. Fade ramps, then write the whole block.
    fade_work_.apply(fade_in_, seek_fade_, copy_, data, n);
    int written = n;
    if (!write_block(data, written)) return pass_result::end;
    if (written > 0) progressed_ = true;
    // 14. The published position and the audio copies.
    copies_.append(copy_, data, written);
    publish(written, latency_);
    return pass_result::go_on;
}

bool playback_thread::open_entry() {
    release_stream_and_input();
    // A stream or input may wait for the network while it opens, and gives
    // up when the thread is stopped meanwhile (playback_stop_requested): that
    // is the user's stop, not an error of the entry.
    stream_ = core::create_stream(or_empty(entry_.path));
    if (!stream_) {
        if (running_) raise_error(0, or_empty(entry_.path));
        return false;
    }
    input_ = core::create_input(stream_, &entry_);
    if (!input_) {
        if (running_) raise_error(1, or_empty(entry_.path));
        return false;
    }
    input_->get_format(&format_);
    if (!playable(format_)) {
        // Sizes and rates derive from the format: one without frames or time
        // cannot be played (it would never end, or divide by zero).
        raise_error(1, or_empty(entry_.path));
        return false;
    }
    copy_ = {format_.format_tag, format_.channels, format_.sample_rate, format_.bits_per_sample,
             format_.channel_mask, 0.0, 0.0};
    frame_ = copy_.bits_per_sample / 8 * copy_.channels;
    bytes_per_second_ = frame_ * copy_.sample_rate;
    block_size_ = copy_.bits_per_sample * copy_.channels * 4096 / 8;
    if (!block_.resize(block_size_)) {
        raise_error(1, or_empty(entry_.path));
        return false;
    }
    output_->start(format_.length);
    seekable_ = stream_->is_seekable();
    if (settings_) {
        bool enabled = false;
        int value = 0;
        settings_->fade(&enabled, &value);
        fade_ms_ = enabled_length(enabled, value);
        settings_->seek_fade(&enabled, &value);
        seek_fade_ms_ = enabled_length(enabled, value);
        settings_->visual(&enabled, &value);
        visual_seconds_ = value * 0.001;
    }
    if (fade_ms_ > 0) fade_in_.start(fade_ms_, copy_.sample_rate);
    open_ = true;
    input_ended_ = false;
    end_seen_ = false;
    gap_left_ = 0;
    return true;
}

void playback_thread::start_of_entry() {
    bool enabled = false;
    int value = 0;
    if (settings_) settings_->auto_cross(&enabled, &value);
    auto_cross_ms_ = value;
    overlap_mode_ = enabled && value < 0;
    gap_mode_ = enabled && value > 0;
    next_started_ = false;
    entry_.time = format_.length;
    bool continued = continued_;
    each_listener([&](engine_listener* l) {
        l->on_start(this, &entry_, continued);
        l->on_format(this, &format_);
    });
    if (end_ > 0) {
        decoded_ -= end_;
        played_ -= end_;
    } else {
        decoded_ = 0.0;
        played_ = 0.0;
    }
    end_ = format_.length;
}

void playback_thread::apply_seek(double target) {
    double moved = target - input_->position();
    input_->seek(target);
    output_->seek(target, seek_fade_ms_);
    stages_.normalizer_reset();
    each_listener([&](engine_listener* l) { l->on_seek(this, target); });
    {
        // A newer target that came meanwhile waits for the next pass.
        auto_sync guard(lock_);
        if (seek_target_ == target) seek_target_ = -1.0;
    }
    copies_.clear();
    pacing_.restart();  // the output dropped what it held
    decoded_ += moved;
    played_ = decoded_;
    if (seek_fade_ms_ > 0) seek_fade_.start(seek_fade_ms_, copy_.sample_rate);
}

// Step 11: false when the pass ends here (result tells how); true to go on
// with the block, n bytes of it (silence, or nothing while waiting for the
// overlap point).
bool playback_thread::end_of_input(int& n, pass_result& result) {
    if (!end_seen_) {
        end_seen_ = true;
        end_ = decoded_;
        if (gap_mode_) {
            gap_left_ = static_cast<long long>(MulDiv(auto_cross_ms_, copy_.sample_rate, 1000)) *
                        (copy_.bits_per_sample / 8) * copy_.channels;
            end_ = decoded_ + auto_cross_ms_ / 1000.0;
        }
    }
    if (overlap_mode_) {
        if (end_ <= 0) {
            natural_end_ = true;
            result = pass_result::leave_loop;
            return false;
        }
        if (played_ >= end_ + auto_cross_ms_ / 1000.0) {
            hand_over(true);
            result = pass_result::leave_loop;
            return false;
        }
        n = 0;
        return true;
    }
    if (gap_left_ > 0) {
        n = static_cast<int>(std::min<long long>(gap_left_, block_size_));
        memset(block_.data, 0, static_cast<size_t>(n));
        gap_left_ -= n;
        decoded_ += static_cast<double>(n) / bytes_per_second_;
        return true;
    }
    // The entry is over: go on with the next one on this output, or leave.
    each_listener([&](engine_listener* l) { l->on_track_ending(&entry_); });
    list_info* next = advance_if_current();
    each_listener([&](engine_listener* l) { l->on_next(this, &entry_, next); });
    if (!next) {
        natural_end_ = true;
        result = pass_result::leave_loop;
        return false;
    }
    if (fade_ms_ > 0) copies_.fade_out_unplayed(output_->buffered_bytes(), fade_ms_);
    output_->finish_track(fade_ms_);
    release_stream_and_input();
    entry_ = *next;
    open_ = false;
    input_ended_ = false;
    continued_ = true;
    progressed_ = true;  // the next entry opens on the next pass, without a wait
    result = pass_result::go_on;
    return false;
}

bool playback_thread::write_block(const unsigned char* data, int& n) {
    int left = n;
    while (left > 0) {
        int taken = output_->write(&copy_, data, left);
        if (taken < 0) {
            raise_error(2, nullptr);
            return false;
        }
        taken = std::min(taken, left);
        data += taken;
        left -= taken;
        if (left == 0) break;
        // Shutdown, or a stop for good: the rest of the block is not needed
        // (and a device that no longer plays would hold the thread here).
        if (quit_ || (!running_ && stop_mode_ == 0)) break;
        // The output is full: give it time to play, not a retry every
        // millisecond.
        const int buffered = output_->buffered_bytes();
        pacing_.observe(written_ + (n - left), buffered, now_ms());
        wait_wake(static_cast<DWORD>(pacing_.full_wait_ms(left, buffered)));
    }
    n -= left;
    return true;
}

// The published position never goes down between a start and a seek: the
// decoded time and the output's buffered bytes move in steps of their own,
// and their difference may fall back by rounding (or by a changed latency).
void playback_thread::advance_played(double now) {
    if (now > played_) played_ = now;
    position_ = played_;
}

void playback_thread::publish(int written, double latency) {
    written_ += written;
    int buffered = output_->buffered_bytes();
    advance_played(decoded_ - static_cast<double>(buffered) / bytes_per_second_ - latency);
    if (seek_target_ < 0.0) {
        position_record_ = format_;
        position_record_.length = end_;
        each_listener([&](engine_listener* l) { l->on_position(this, &position_record_, played_); });
        deliver_copies(buffered);
    }
}
