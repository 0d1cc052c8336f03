// The ducker's fades. Each step recomputes its size from the saved volume and
// the time since the last step (the number of such steps in the whole fade),
// so a fade stays linear over its duration however late the timer fires.
#include "ducker_fades.h"

#include <wchar.h>

#include <algorithm>
#include <utility>

double session_percent(audio_session& session) {
    float volume = 0.0f;
    if (!session.get_volume(&volume))
        return 0.0;
    return static_cast<double>(volume) * 100.0;
}

void set_session_percent(audio_session& session, double percent) {
    session.set_volume(static_cast<float>(percent * 0.01));
}

ducker_fades::ducker_fades(audio_session_source& source, tick_clock& clock, DWORD own_pid, std::wstring own_exe)
    : source_(source), clock_(clock), own_pid_(own_pid), own_exe_(std::move(own_exe)) {}

std::map<DWORD, audio_session_ptr> ducker_fades::collect(const wchar_t* device_name, bool saved_only) {
    std::map<DWORD, audio_session_ptr> found;
    for (const audio_session_ptr& session : source_.sessions(device_name)) {
        if (!session || session->is_system_sounds())
            continue;
        const DWORD pid = session->process_id();
        if (pid == own_pid_)
            continue;
        if (_wcsicmp(session->exe_name().c_str(), own_exe_.c_str()) == 0)
            continue;
        if (saved_only && saved_.find(pid) == saved_.end())
            continue;
        found[pid] = session;  // a later session of a process replaces an earlier one
    }
    return found;
}

void ducker_fades::duck(unsigned time, int volume, const wchar_t* device_name) {
    // Saved volumes are those from before the first duck: a duck that comes
    // while programs are still lowered (or on their way back) keeps them, so
    // that the restore brings back the real levels and not half-lowered ones.
    const bool was_idle = saved_.empty();
    end_fade();
    sessions_ = collect(device_name, false);
    for (auto& entry : sessions_) {
        if (was_idle || saved_.find(entry.first) == saved_.end())
            saved_[entry.first] = session_percent(*entry.second);
    }
    duration_ = time;
    start_ = last_step_ = clock_.now();
    target_ = volume;
    // Without sessions there is nothing to fade (no timer is needed).
    kind_ = sessions_.empty() ? fade_kind::none : fade_kind::down;
}

void ducker_fades::restore(unsigned time, const wchar_t* device_name) {
    if (saved_.empty())
        return;
    end_fade();
    sessions_ = collect(device_name, true);
    duration_ = time;
    start_ = last_step_ = clock_.now();
    kind_ = fade_kind::up;
    if (sessions_.empty()) {  // every lowered program has ended
        end_fade();
        saved_.clear();
    }
}

void ducker_fades::step() {
    const unsigned now = clock_.now();
    if (kind_ == fade_kind::down)
        step_down(now);
    else if (kind_ == fade_kind::up)
        step_up(now);
}

// Number of steps of the last step's length in the whole fade; 0 when no time
// has passed since the last step (the step then waits).
static unsigned steps_in(unsigned duration, unsigned since_last) {
    return since_last == 0 ? 0 : duration / since_last;
}

void ducker_fades::step_down(unsigned now) {
    const unsigned since_start = now - start_;
    const unsigned since_last = now - last_step_;
    if (since_last == 0 && since_start < duration_)
        return;
    for (auto& entry : sessions_) {
        audio_session& session = *entry.second;
        const double cur = session_percent(session);
        const unsigned n = steps_in(duration_, since_last);
        if (cur <= target_ || since_start >= duration_ || n == 0) {
            set_session_percent(session, target_);
            continue;
        }
        const double saved = saved_[entry.first];
        const int step = static_cast<int>((saved - target_) / n);
        int next = static_cast<int>(cur + 0.5) - step;
        if (next < target_)
            next = static_cast<int>(target_);
        if (next > cur)
            next = static_cast<int>(cur);
        set_session_percent(session, next);
    }
    const bool above = std::any_of(sessions_.begin(), sessions_.end(),
                                   [&](const auto& e) { return session_percent(*e.second) > target_; });
    go_on_or_end(above, now, since_start);
}

void ducker_fades::step_up(unsigned now) {
    const unsigned since_start = now - start_;
    const unsigned since_last = now - last_step_;
    if (since_last == 0 && since_start < duration_)
        return;
    for (auto& entry : sessions_) {
        audio_session& session = *entry.second;
        const double saved = saved_[entry.first];
        const double cur = session_percent(session);
        const unsigned n = steps_in(duration_, since_last);
        if (cur < saved && since_start < duration_ && n != 0) {
            const int step = static_cast<int>(saved / n);
            int next = static_cast<int>(cur + 0.5) + step;
            if (next > saved)
                next = static_cast<int>(saved);
            if (next < cur)
                next = static_cast<int>(cur);
            set_session_percent(session, next);
        } else {
            set_session_percent(session, saved);
        }
    }
    const bool below = std::any_of(sessions_.begin(), sessions_.end(),
                                   [&](const auto& e) { return session_percent(*e.second) < saved_[e.first]; });
    // At its end a fade up leaves nothing lowered.
    if (!go_on_or_end(below, now, since_start))
        saved_.clear();
}

bool ducker_fades::go_on_or_end(bool unfinished, unsigned now, unsigned since_start) {
    if (unfinished && since_start <= duration_) {
        last_step_ = now;
        return true;
    }
    end_fade();
    return false;
}

void ducker_fades::end_fade() {
    kind_ = fade_kind::none;
    sessions_.clear();
}

void ducker_fades::quit(const wchar_t* device_name) {
    end_fade();
    if (saved_.empty())
        return;
    for (auto& entry : collect(device_name, true))
        set_session_percent(*entry.second, saved_[entry.first]);
}
