#include "player_announcements.h"

#include "anne_progress_listener.h"
#include "core.h"
#include "fade_timers.h"
#include "info_window.h"
#include "main_ui.h"
#include "play_manager.h"
#include "player_options.h"
#include "service_client.h"
#include "service_link.h"
#include "timer.h"
#include "track_cache.h"
#include "volume_ducker.h"
#include "window_messages.h"

namespace {

class player_anne_environment : public anne_environment {
public:
    timex service_now() override { return timex(); }
    DWORD tick_count() override { return GetTickCount(); }
    unsigned ms_into_second() override {
        FILETIME ft;
        GetSystemTimeAsFileTime(&ft);
        const unsigned long long t = (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
        return static_cast<unsigned>(t / 10000 % 1000);
    }
    const login_options& options() override { return get_player_options(); }

    bool load_anne_list(std::vector<anne_record>& list, bool fetch) override {
        return get_service_client()->load_anne_list(list, fetch);
    }

    std::vector<anne_progress_listener*> listeners() override {
        std::vector<anne_progress_listener*> found;
        for (int i = 0;; ++i) {
            component* c = core::enum_create_component(anne_progress_listener::iid, i);
            if (!c) break;
            found.push_back(static_cast<anne_progress_listener*>(c));
        }
        return found;
    }

    void prefetch(const list_info& entry) override {
        component* c = core::enum_create_component(track_cache::iid, 0);
        if (!c) return;
        static_cast<track_cache*>(c)->enqueue_info(&entry);
        c->release();
    }

    play_manager* player(bool music) override { return core::get_player(music); }

    volume_ducker* ducker() override {
        return static_cast<volume_ducker*>(core::enum_create_component(volume_ducker::iid, 0));
    }

    void post_schedule_changed() override {
        component* c = core::enum_create_component(main_ui::iid, 0);
        if (!c) return;
        HWND window = static_cast<main_ui*>(c)->playlist_window();
        c->release();
        if (window) PostMessageW(window, msg_schedule_changed, 0, 0);
    }

    void start_announcement(const anne_record& record, unsigned fade_ms) override {
        // The announcement window brings the music back at the
        // announcement's end; without one the starter's own watch does.
        start_anne_starter(*this, record, fade_ms, info_window::current() == nullptr);
    }
};

class scheduler_timer : public timer {
protected:
    void tick() override { get_anne_scheduler().tick(); }
};

scheduler_timer& get_scheduler_timer() {
    static scheduler_timer t;
    return t;
}

void scheduler_reload() { get_anne_scheduler().reload(); }
void scheduler_update(const anne_record& record) { get_anne_scheduler().update_record(record); }

}  // namespace

anne_environment& get_player_anne_environment() {
    static player_anne_environment env;
    return env;
}

anne_scheduler& get_anne_scheduler() {
    static anne_scheduler scheduler(get_player_anne_environment());
    return scheduler;
}

void anne_scheduler_login::on_login(bool) {
    set_player_scheduler_entries(scheduler_reload, scheduler_update);
    get_anne_scheduler().on_login();
    scheduler_timer& t = get_scheduler_timer();
    if (!t.is_running()) t.set(200);
}
