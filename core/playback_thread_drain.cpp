// The end of a run: the wait for the output, the crossfade hand-over to a new
// thread of the engine, and the audio copies handed to the listeners.
#include "engine_listener.h"
#include "input.h"
#include "output.h"
#include "play_manager.h"
#include "playback_engine.h"
#include "playback_settings.h"
#include "playback_thread.h"
#include "stream.h"

// The input reads from the stream: it goes first.
void playback_thread::release_stream_and_input() {
    if (input_) input_->release();
    input_ = nullptr;
    if (stream_) stream_->release();
    stream_ = nullptr;
}

int playback_thread::read_fade_ms() const {
    if (!settings_) return fade_ms_;
    bool enabled = false;
    int value = 0;
    settings_->fade(&enabled, &value);
    return enabled && value > 0 ? value : 0;
}

void playback_thread::after_loop() {
    release_stream_and_input();
    if (!output_) return;
    if (stop_mode_ != 1 && fade_ms_ > 0) copies_.fade_out_unplayed(output_->buffered_bytes(), fade_ms_);
    bool force = false;
    int force_ms = 0;
    if (settings_) settings_->force_cross(&force, &force_ms);
    int fade = read_fade_ms();
    output_->finish_track(fade);
    int mode = stop_mode_;
    // A stop for good (mode 0) does not wait, whatever the crossfades say.
    bool wait = mode == 1 || overlap_mode_ || (force && force_ms < 0);
    if (wait && mode != 0) final_wait(fade);
}

void playback_thread::final_wait(int fade_ms) {
    if (output_->is_finished()) return;
    while (!quit_ && !output_->is_finished()) {
        if (!running_ && stop_mode_ == 0) break;
        int buffered = output_->buffered_bytes();
        advance_played(decoded_ - static_cast<double>(buffered) / bytes_per_second_);
        // Only a thread that reached its end by itself, and was not stopped
        // since, goes on with the next entry: a user's stop or skip while the
        // output drains must not start the automatic next track.
        if (overlap_mode_ && !next_started_ && end_ > 0 && played_ >= end_ + auto_cross_ms_ / 1000.0 &&
            natural_end_ && running_ && stop_mode_ == 1) {
            each_listener([&](engine_listener* l) { l->on_track_ending(&entry_); });
            next_started_ = true;
            if (list_info* next = advance_if_current()) {
                each_listener([&](engine_listener* l) { l->on_next(this, &entry_, next); });
                output_->finish_track(fade_ms);
                start_on_engine(next);
            }
        }
        if (copies_.paced_due(buffered)) {
            position_record_ = format_;
            position_record_.length = end_;
            each_listener([&](engine_listener* l) { l->on_position(this, &position_record_, played_); });
        }
        deliver_copies(buffered);
        wait_wake(1);
    }
}

void playback_thread::hand_over(bool from_end_of_input) {
    natural_end_ = true;
    each_listener([&](engine_listener* l) { l->on_track_ending(&entry_); });
    if (from_end_of_input) next_started_ = true;
    list_info* next = advance_if_current();
    each_listener([&](engine_listener* l) { l->on_next(this, &entry_, next); });
    if (next) {
        next_started_ = true;
        start_on_engine(next);
    }
}

// Only a thread that is still its engine's current one asks its player for
// the next entry: a thread left behind, or one whose engine is gone, starts
// no next track, so it does not move its player on either. The player's
// lock is taken inside advance, so the link lock cannot be held across it;
// an engine that lets the thread go meanwhile is seen by the second look.
list_info* playback_thread::advance_if_current() {
    if (!engine_ || !owner_) return nullptr;
    list_info* next = owner_->advance(true);
    return engine_ ? next : nullptr;
}

void playback_thread::start_on_engine(list_info* next) {
    auto_sync link(playback_engine_link_lock());
    if (playback_engine* engine = engine_) engine->play(next, owner_);
}

void playback_thread::deliver_copies(int buffered) {
    bool enabled = false;
    int value = 0;
    if (settings_) settings_->visual(&enabled, &value);
    copies_.deliver(buffered, volume_, visual_seconds_, enabled, *this);
}

void playback_thread::paced(const audio_format& format, const void* bytes, int count) {
    each_listener([&](engine_listener* l) { l->on_paced_audio(this, &format, bytes, count); });
}

void playback_thread::display(const audio_format& format, const void* bytes, int count) {
    each_listener([&](engine_listener* l) { l->on_audio(this, &format, bytes, count); });
}
