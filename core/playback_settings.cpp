// The playback settings singleton of zel_core and its start hook.
#include "playback_settings.h"
#include <atomic>
#include "config_var.h"
#include "core.h"
#include "critsec.h"
#include "equalizer_settings.h"
#include "init_quit.h"
#include "playback_settings_file.h"
#include "service_factory.h"
#include "settings_store.h"

namespace {
// One (enabled, value) pair. Each field is read without the lock by the
// playback threads, so each is atomic on its own; a pair as a whole is not.
struct setting_pair {
    std::atomic<bool> enabled{false};
    std::atomic<int> value{0};

    void get(bool* e, int* v) const {
        if (e) *e = enabled.load(std::memory_order_relaxed);
        if (v) *v = value.load(std::memory_order_relaxed);
    }
    void set(critsec& lock, bool e, int v) {
        auto_sync guard(lock);
        enabled.store(e, std::memory_order_relaxed);
        value.store(v, std::memory_order_relaxed);
    }
};

class playback_settings_impl : public singleton_component<playback_settings> {
public:
    int priority() override { return priority_.load(std::memory_order_relaxed); }
    void set_priority(int value) override {
        auto_sync guard(lock_);
        priority_.store(value, std::memory_order_relaxed);
    }
    void normalize(bool* e, int* v) override { normalize_.get(e, v); }
    void set_normalize(bool e, int v) override { normalize_.set(lock_, e, v); }
    void auto_cross(bool* e, int* v) override { auto_cross_.get(e, v); }
    void set_auto_cross(bool e, int v) override { auto_cross_.set(lock_, e, v); }
    void force_cross(bool* e, int* v) override { force_cross_.get(e, v); }
    void set_force_cross(bool e, int v) override { force_cross_.set(lock_, e, v); }
    void fade(bool* e, int* v) override { fade_.get(e, v); }
    void set_fade(bool e, int v) override { fade_.set(lock_, e, v); }
    void seek_fade(bool* e, int* v) override { seek_fade_.get(e, v); }
    void set_seek_fade(bool e, int v) override { seek_fade_.set(lock_, e, v); }
    void visual(bool* e, int* v) override { visual_.get(e, v); }
    void set_visual(bool e, int v) override { visual_.set(lock_, e, v); }

private:
    critsec lock_;
    std::atomic<int> priority_{0};
    setting_pair normalize_, auto_cross_, force_cross_, fade_, seek_fade_, visual_;
};

singleton_factory<playback_settings, playback_settings_impl> g_playback_settings_node;

class playback_settings_hooks : public init_quit_hooks {
public:
    void on_init() override {
        // Per-user listeners of zel_core join the settings store here: the
        // equalizer's listener reloads its settings when a store user logs
        // in (the store lists a listener once, so the equalizer's own start
        // hook may add it too).
        component* store = core::enum_create_component(settings_store::iid, 0);
        if (store) static_cast<settings_store*>(store)->add_listener(equalizer_user_listener());
        config_var file;
        playback_settings_file::apply(file, g_playback_settings_node.object());
    }
};
singleton_factory<init_quit, playback_settings_hooks> g_playback_settings_hooks_node;
}  // namespace
