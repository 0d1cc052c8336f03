// The playback engine component, the process-wide list of left-behind
// threads, its 100 ms reaper and the shutdown hook that stops what is left.
#include "playback_engine.h"
#include <new>
#include <vector>
#include "critsec.h"
#include "init_quit.h"
#include "list_info.h"
#include "playback_thread.h"
#include "service_factory.h"

namespace {
// Lock order: link lock, engine lock, list lock, thread lock.
critsec g_link_lock;
critsec g_list_lock;
std::vector<playback_thread*> g_left_behind;

void leave_behind(playback_thread* t) {
    auto_sync guard(g_list_lock);
    g_left_behind.push_back(t);
}

// Deletes the left-behind threads that have ended, keeping the order of the
// others. A raw system timer of the loading (user-interface) thread, not a
// `timer`: it runs from the moment zel_core is loaded until it is unloaded.
class reaper {
public:
    reaper() : id_(SetTimer(nullptr, 0, 100, &reaper::tick)) {}
    ~reaper() {
        if (id_) KillTimer(nullptr, id_);
    }
    reaper(const reaper&) = delete;
    reaper& operator=(const reaper&) = delete;

private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
        auto_sync guard(g_list_lock);
        for (auto it = g_left_behind.begin(); it != g_left_behind.end();) {
            if ((*it)->is_finished()) {
                delete *it;
                it = g_left_behind.erase(it);
            } else {
                ++it;
            }
        }
    }

    UINT_PTR id_;
};
reaper g_reaper;

class playback_engine_impl : public per_use_component<playback_engine_impl, playback_engine> {
public:
    ~playback_engine_impl() override {
        // Every thread this engine made forgets it, the left-behind ones
        // included: none may start a next track on a deleted engine.
        auto_sync link(g_link_lock);
        auto_sync guard(lock_);
        auto_sync list(g_list_lock);
        for (playback_thread* t : g_left_behind)
            if (t->engine() == this) t->forget_engine();
        if (thread_) {
            thread_->forget_engine();
            g_left_behind.push_back(thread_);
            thread_ = nullptr;
        }
    }

    bool play(list_info* entry, play_manager* owner) override {
        auto_sync link(g_link_lock);
        auto_sync guard(lock_);
        if (thread_) {
            // A thread left behind plays its own track to its end and no
            // further: only the engine's current thread moves the player on.
            thread_->forget_engine();
            leave_behind(thread_);
            thread_ = nullptr;
        }
        list_info none;
        playback_thread* t = new (std::nothrow) playback_thread(this, entry ? *entry : none, owner);
        if (t && !t->valid()) {
            delete t;
            t = nullptr;
        }
        if (!t) return false;
        t->set_volume(volume_);
        t->set_mute(mute_);
        thread_ = t;
        return t->start();
    }

    void stop(int mode) override {
        auto_sync guard(lock_);
        if (thread_) thread_->stop(mode);
    }

    void pause() override {
        auto_sync guard(lock_);
        if (thread_) thread_->toggle_pause();
    }

    // The getters take the lock too: a crossfade may replace the current
    // thread from a playback thread at any time.
    bool is_paused() override {
        auto_sync guard(lock_);
        return thread_ && thread_->is_paused();
    }
    bool is_playing() override {
        auto_sync guard(lock_);
        return thread_ && thread_->is_running();
    }
    double position() override {
        auto_sync guard(lock_);
        return thread_ ? thread_->position() : 0.0;
    }

    void seek(double seconds) override {
        auto_sync guard(lock_);
        if (thread_) thread_->seek(seconds);
    }

    bool is_seekable() override {
        auto_sync guard(lock_);
        return thread_ && thread_->is_seekable();
    }

    void set_volume(int volume) override {
        auto_sync guard(lock_);
        volume_ = volume;
        if (thread_) thread_->set_volume(volume);
    }

    int volume() override {
        auto_sync guard(lock_);
        return thread_ ? thread_->volume() : 1000;
    }

    void set_mute(bool mute) override {
        auto_sync guard(lock_);
        mute_ = mute;
        if (thread_) thread_->set_mute(mute);
    }

    audio_format* info() override {
        auto_sync guard(lock_);
        return thread_ ? thread_->info() : nullptr;
    }

private:
    playback_thread* thread_ = nullptr;
    int volume_ = 1000;
    bool mute_ = false;
    critsec lock_;
};

// At quit, every left-behind thread that still runs gets 2000 ms to end and
// is terminated otherwise; all of them are deleted. The list lock is not held
// while waiting: a thread may need it to end (a crossfade hand-over adds to
// the list).
class engine_hooks : public init_quit_hooks {
public:
    void on_quit() override {
        for (;;) {
            playback_thread* t = nullptr;
            {
                auto_sync guard(g_list_lock);
                if (g_left_behind.empty()) break;
                t = g_left_behind.front();
                g_left_behind.erase(g_left_behind.begin());
            }
            if (!t->is_finished()) t->quit(2000);
            delete t;
        }
    }
};

per_use_factory<playback_engine, playback_engine_impl> g_engine_node;
singleton_factory<init_quit, engine_hooks> g_engine_hooks_node;
}  // namespace

critsec& playback_engine_link_lock() { return g_link_lock; }

int playback_engine_left_behind_count() {
    auto_sync guard(g_list_lock);
    return static_cast<int>(g_left_behind.size());
}
