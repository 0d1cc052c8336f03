// The playback thread: commands from the engine, the run's frame (setup, the
// loop, End) and shutdown.
#include "playback_thread.h"
#include "core.h"
#include "playback_stop.h"
#include "engine_listener.h"
#include "input.h"
#include "output.h"
#include "play_manager.h"
#include "playback_settings.h"
#include "stream.h"

namespace {
// The playback thread whose run is on the calling system thread, if any.
thread_local const playback_thread* t_running_here = nullptr;

template <class Interface>
Interface* first_of() {
    return static_cast<Interface*>(core::enum_create_component(Interface::iid, 0));
}

template <class T>
void release_as(T*& object) {
    if (object) object->release();
    object = nullptr;
}
}  // namespace

playback_thread::playback_thread(playback_engine* engine, const list_info& entry, play_manager* owner)
    : engine_(engine), entry_(entry), owner_(owner), wake_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

playback_thread::~playback_thread() {
    stop(0);
    if (wake_) SetEvent(wake_);
    // run() leaves the handle for us to close: a finished thread is past its
    // last use of the object, so this wait ends at once.
    if (handle_) {
        WaitForSingleObject(handle_, INFINITE);
        CloseHandle(handle_);
        handle_ = nullptr;
    }
    if (wake_) CloseHandle(wake_);
    entry_.free_strings();
}

bool playback_thread::start() {
    if (running_) return true;
    running_ = true;
    finished_ = false;
    ResetEvent(wake_);
    if (!create()) {
        // No system thread: nothing will ever run, so the object is done.
        running_ = false;
        finished_ = true;
        return false;
    }
    if (playback_settings* settings = first_of<playback_settings>()) {
        switch (settings->priority()) {
        case 0: priority(THREAD_PRIORITY_NORMAL); break;
        case 1: priority(THREAD_PRIORITY_ABOVE_NORMAL); break;
        case 2: priority(THREAD_PRIORITY_HIGHEST); break;
        case 3: priority(THREAD_PRIORITY_TIME_CRITICAL); break;
        default: break;
        }
        settings->release();
    }
    return true;
}

void playback_thread::stop(int mode) {
    if (!running_) return;
    if (handle_) priority(THREAD_PRIORITY_NORMAL);
    {
        auto_sync guard(lock_);
        running_ = false;
        stop_mode_ = mode;
    }
    if (wake_) SetEvent(wake_);
}

void playback_thread::toggle_pause() {
    {
        auto_sync guard(lock_);
        paused_ = !paused_;
    }
    // A paused thread looks again only every 100 ms: woken, it resumes (or
    // pauses) at once.
    if (wake_) SetEvent(wake_);
}

void playback_thread::seek(double seconds) {
    auto_sync guard(lock_);
    seek_target_ = seconds;
    if (seekable_) position_ = seconds;
}

void playback_thread::set_volume(int volume) {
    auto_sync guard(lock_);
    volume_ = volume;
}

void playback_thread::set_mute(bool mute) {
    auto_sync guard(lock_);
    mute_ = mute;
}

void playback_thread::quit(DWORD wait_ms) {
    if (wake_) SetEvent(wake_);
    {
        auto_sync guard(lock_);
        quit_ = true;
        running_ = false;
        stop_mode_ = 0;
    }
    if (handle_ && WaitForSingleObject(handle_, wait_ms) == WAIT_TIMEOUT) TerminateThread(handle_, 0);
}

void playback_thread::wait_wake(DWORD ms) { WaitForSingleObject(wake_, ms); }

void playback_thread::raise_error(int code, const wchar_t* path) {
    each_listener([&](engine_listener* l) { l->on_error(this, code, path); });
}

void playback_thread::setup() {
    settings_ = first_of<playback_settings>();
    bool music = owner_ && owner_->index() == 0;
    stages_.acquire(music);
    for (int i = 0;; ++i) {
        component* c = core::enum_create_component(engine_listener::iid, i);
        if (!c) break;
        engine_listener* l = static_cast<engine_listener*>(c);
        if (l->player() == owner_) listeners_.push_back(l);
        else c->release();
    }
    decoded_ = played_ = end_ = 0.0;
    written_ = 0;
}

bool playback_stop_requested() {
    const playback_thread* t = t_running_here;
    return t && !t->is_running();
}

void playback_thread::run() {
    t_running_here = this;
    setup();
    bool failed = false;
    if (running_) {
        for (;;) {
            pass_result r = pass();
            if (r == pass_result::end) {
                failed = true;
                break;
            }
            if (r == pass_result::leave_loop) break;
            // A pass that moved audio is followed by the next one at once:
            // a full output has already paced it inside write_block.
            if (last_paused_) wait_wake(100);
            else if (!progressed_) wait_wake(1);
            if (!running_) break;
        }
    }
    if (!failed) after_loop();
    t_running_here = nullptr;
    end();
}

void playback_thread::end() {
    int mode = stop_mode_;
    each_listener([&](engine_listener* l) { l->on_finish(this, &entry_, mode); });
    release_stream_and_input();
    release_as(output_);
    stages_.release();
    latency_ = 0.0;
    running_ = false;
    paused_ = false;
    for (engine_listener* l : listeners_) l->release();
    listeners_.clear();
    if (settings_) settings_->release();
    settings_ = nullptr;
    // The last step: from here the object may be deleted at any time. The
    // handle stays for the destructor to close.
    finished_ = true;
}
