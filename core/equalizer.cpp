// The equalizer singleton of zel_core and its engine listener (see
// equalizer.h).
#include "equalizer.h"
#include <windows.h>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>
#include "core.h"
#include "critsec.h"
#include "dsp.h"
#include "engine_listener.h"
#include "equalizer_filter.h"
#include "equalizer_settings.h"
#include "service_factory.h"
#include "stage_allocations.h"

namespace {
// The filter histories of the playback threads, one per thread. A thread is
// known by a token kept in a thread-local slot (never reused, unlike thread
// ids); a thread not seen before takes a free entry, or the one used least
// recently, cleared. More threads than entries never filter at once.
class history_table {
public:
    history_table() : tls_(TlsAlloc()) {}
    ~history_table() {
        if (tls_ != TLS_OUT_OF_INDEXES) TlsFree(tls_);
    }
    history_table(const history_table&) = delete;
    history_table& operator=(const history_table&) = delete;

    // The calling thread's history; under the equalizer's lock.
    equalizer_history& current() {
        uintptr_t token = own_token();
        ++clock_;
        entry* pick = &entries_[0];
        for (entry& e : entries_) {
            if (e.token == token) {
                e.used = clock_;
                return e.history;
            }
            if (e.used < pick->used) pick = &e;
        }
        pick->token = token;
        pick->used = clock_;
        pick->history.clear();
        return pick->history;
    }

private:
    struct entry {
        uintptr_t token = 0;
        unsigned long long used = 0;
        equalizer_history history;
    };

    uintptr_t own_token() {
        if (tls_ == TLS_OUT_OF_INDEXES) return GetCurrentThreadId();
        uintptr_t token = reinterpret_cast<uintptr_t>(TlsGetValue(tls_));
        if (token == 0) {
            token = ++last_token_;
            TlsSetValue(tls_, reinterpret_cast<void*>(token));
        }
        return token;
    }

    DWORD tls_;
    uintptr_t last_token_ = 0;
    unsigned long long clock_ = 0;
    entry entries_[8];
};

class equalizer_impl : public singleton_component<equalizer> {
public:
    equalizer_impl() { factors_.derive(values_); }
    ~equalizer_impl() override { free(buffer_); }

    void add_listener(equalizer_listener* l) override {
        if (!l) return;
        l->on_enabled(enabled_);
        l->on_bands(values_);
        listeners_.push_back(l);
    }

    void set_enabled(bool enabled) override {
        auto_sync guard(lock_);
        enabled_ = enabled;
    }

    bool enabled() override { return enabled_; }

    void set_bands(const double* values) override {
        if (!values) return;
        auto_sync guard(lock_);
        for (int v = 0; v < value_count; ++v) values_[v] = std::isfinite(values[v]) ? values[v] : 0.0;
        factors_.derive(values_);
        for (equalizer_listener* l : listeners_) l->on_bands(values_);
    }

    void bands(const double** out) override {
        auto_sync guard(lock_);
        if (out) *out = values_;
    }

    void process(void* data, int bytes, const audio_format* format) override {
        auto_sync guard(lock_);
        if (!enabled_ || !data || !format || bytes <= 0) return;
        equalizer_history& history = histories_.current();
        history.follow_format(*format);
        int code = dsp::sample_format_code(format->format_tag, format->bits_per_sample);
        int channels = format->channels;
        if (code < 0 || channels < 1 || channels > max_channels) return;
        int width = format->bits_per_sample / 8;
        int frames = bytes / width / channels;
        if (frames == 0) return;
        int samples = frames * channels;
        if (!reserve(samples)) return;
        // Whole frames only: a trailing partial frame stays as it is.
        int whole = samples * width;
        dsp::read_audio_chunk(code, data, buffer_, whole);
        equalizer_filter(history, factors_, buffer_, frames, channels);
        dsp::write_audio_chunk(code, buffer_, data, whole);
    }

    // A music track started on a new thread: the calling thread's history
    // starts afresh.
    void clear_thread() {
        auto_sync guard(lock_);
        histories_.current().clear();
    }

private:
    // The work buffer holds at least samples floats afterwards; it grows by
    // doubling from 1 and never shrinks.
    bool reserve(int samples) {
        if (samples > capacity_) {
            long long grown = capacity_ > 0 ? capacity_ : 1;
            while (grown < samples) grown *= 2;
            void* bigger = realloc(buffer_, static_cast<size_t>(grown) * sizeof(float));
            if (!bigger) return false;
            stage_allocations::note();
            buffer_ = static_cast<float*>(bigger);
            capacity_ = static_cast<int>(grown);
        }
        return true;
    }

    critsec lock_;
    std::atomic<bool> enabled_{false};
    double values_[value_count] = {};
    equalizer_factors factors_;
    history_table histories_;
    float* buffer_ = nullptr;
    int capacity_ = 0;
    std::vector<equalizer_listener*> listeners_;
};

singleton_factory<equalizer, equalizer_impl> g_equalizer_node;

// Follows the music player's threads: a track that starts on a new thread
// (not continued after the previous one) clears that thread's history.
class equalizer_track_listener : public singleton_component<engine_listener> {
public:
    play_manager* player() override { return core::get_player(true); }
    void on_start(playback_thread*, list_info*, bool continued) override {
        if (!continued) g_equalizer_node.object().clear_thread();
    }
    void on_finish(playback_thread*, list_info*, int) override {}
    void on_next(playback_thread*, list_info*, list_info*) override {}
    void on_track_ending(list_info*) override {}
    void on_seek(playback_thread*, double) override {}
    void on_pause(playback_thread*, bool) override {}
    void on_error(playback_thread*, int, const wchar_t*) override {}
    void on_format(playback_thread*, const audio_format*) override {}
    void on_position(playback_thread*, const audio_format*, double) override {}
    void on_audio(playback_thread*, const audio_format*, const void*, int) override {}
    void on_paced_audio(playback_thread*, const audio_format*, const void*, int) override {}
};

singleton_factory<engine_listener, equalizer_track_listener> g_equalizer_track_listener_node;
}  // namespace

equalizer& zel_core_equalizer() { return g_equalizer_node.object(); }
