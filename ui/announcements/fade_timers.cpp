#include "fade_timers.h"

#include <utility>
#include "anne_fades.h"
#include "timer.h"

namespace {

const unsigned step_ms = 100;

// One fade object on a timer; the timer's last tick deletes both.
template <class Fade>
class fade_timer : public timer {
public:
    template <class... Args>
    explicit fade_timer(Args&&... args) : fade_(std::forward<Args>(args)...) {}
    ~fade_timer() override = default;

protected:
    void tick() override {
        if (fade_.step()) delete this;
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

}  // namespace

void start_anne_starter(anne_environment& env, const anne_record& record, unsigned fade_ms) {
    start<anne_starter>(env, record, fade_ms);
}

void start_volume_fade(anne_environment& env, unsigned fade_ms) { start<volume_fade>(env, fade_ms); }
