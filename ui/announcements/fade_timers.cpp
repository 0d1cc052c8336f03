#include "fade_timers.h"

#include <utility>
#include "anne_end_watch.h"
#include "anne_fades.h"
#include "login_services.h"
#include "play_manager.h"
#include "timer.h"

namespace {

const unsigned step_ms = 100;
const unsigned watch_ms = 200;

// The wait before a fade's next step: step_ms, but a starter's steps that
// silence the music and put the announcement on air come at their moments
// rather than on the next step after them, so that the announcement goes on
// air on time.
unsigned next_step_ms(anne_starter& starter) {
    const DWORD left = starter.ms_until_next_mark();
    return left > 0 && left < step_ms ? static_cast<unsigned>(left) : step_ms;
}
unsigned next_step_ms(volume_fade&) { return step_ms; }

// A timer that can change its pace between ticks.
class paced_timer : public timer {
protected:
    // Restarts the timer when the pace changes; a pace the system refuses
    // falls back to step_ms, so the fade goes on either way.
    void pace(unsigned ms) {
        if (ms == interval_) return;
        if (set(ms)) {
            interval_ = ms;
            return;
        }
        set(step_ms);
        interval_ = step_ms;
    }

private:
    unsigned interval_ = step_ms;
};

// One fade object on a timer; the timer's last tick deletes both.
template <class Fade>
class fade_timer : public paced_timer {
public:
    template <class... Args>
    explicit fade_timer(Args&&... args) : fade_(std::forward<Args>(args)...) {}
    ~fade_timer() override = default;

protected:
    void tick() override {
        if (fade_.step()) {
            delete this;
            return;
        }
        pace(next_step_ms(fade_));
    }

private:
    Fade fade_;
};

template <class Fade, class... Args>
void start(Args&&... args) {
    auto* t = new fade_timer<Fade>(std::forward<Args>(args)...);
    // Without a timer the fade cannot step: it ends here rather than stay
    // alive unseen.
    if (!t->set(step_ms)) delete t;
}

// Starters made with a watch that have not yet handed their announcement
// over, and the watches of announcements on air (user-interface thread
// only). While another announcement is on its way or on air the music
// stays down: the fade-in is left to the last announcement's watch.
int g_pending_starters = 0;
int g_active_watches = 0;

unsigned fade_in_ms(anne_environment& env) {
    const int ms = env.options().fadeinout_time;
    return ms > 0 ? static_cast<unsigned>(ms) : 0;
}

// The watch of one announcement on air; the fade-in follows its end.
class end_watch_timer : public timer {
public:
    end_watch_timer(anne_environment& env, const stringx& url) : env_(env), watch_(env, url) {
        ++g_active_watches;
    }
    ~end_watch_timer() override { --g_active_watches; }

protected:
    void tick() override {
        if (!watch_.step()) return;
        if (g_pending_starters == 0 && g_active_watches == 1) {
            // Something else on the announcement player (not started here)
            // keeps the music down until it ends.
            play_manager* anne = env_.player(false);
            if (anne && anne->is_playing()) return;
            start_volume_fade(env_, fade_in_ms(env_));
        }
        delete this;
    }

private:
    anne_environment& env_;
    anne_end_watch watch_;
};

// The starter, followed by the watch of its announcement (or the fade-in
// when nothing went on air).
class starter_timer : public paced_timer {
public:
    starter_timer(anne_environment& env, const anne_record& record, unsigned fade_ms)
        : env_(env), starter_(env, record, fade_ms) {
        ++g_pending_starters;
    }
    ~starter_timer() override {
        if (pending_) --g_pending_starters;
    }

protected:
    void tick() override {
        if (!starter_.step()) {
            pace(next_step_ms(starter_));
            return;
        }
        --g_pending_starters;
        pending_ = false;
        if (starter_.played()) {
            auto* watch = new end_watch_timer(env_, starter_.record().url);
            if (watch->set(watch_ms)) {
                delete this;
                return;
            }
            delete watch;
        }
        if (g_pending_starters == 0 && g_active_watches == 0) start_volume_fade(env_, fade_in_ms(env_));
        delete this;
    }

private:
    anne_environment& env_;
    anne_starter starter_;
    bool pending_ = true;
};

}  // namespace

void start_anne_starter(anne_environment& env, const anne_record& record, unsigned fade_ms,
                        bool bring_music_back) {
    if (!bring_music_back) {
        start<anne_starter>(env, record, fade_ms);
        return;
    }
    auto* t = new starter_timer(env, record, fade_ms);
    if (!t->set(step_ms)) delete t;
}

void start_volume_fade(anne_environment& env, unsigned fade_ms) { start<volume_fade>(env, fade_ms); }
