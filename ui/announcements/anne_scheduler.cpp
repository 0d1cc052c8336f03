#include "anne_scheduler.h"

#include <algorithm>
#include "anne_progress_listener.h"
#include "list_info.h"
#include "login_services.h"

namespace {

std::wstring key_of(const anne_record& r) { return r.code.wvalue(); }

bool earlier(const anne_record& a, const anne_record& b) { return a.start < b.start; }

}  // namespace

anne_scheduler::anne_scheduler(anne_environment& env) : env_(env) {}

void anne_scheduler::on_login() {
    const int refresh = env_.options().anne_refresh_time;
    if (first_login_ && refresh != -1) {
        refresh_ticks_ = refresh;
        refresh_countdown_ = refresh;
        first_login_ = false;
    }
    current_day_ = env_.service_now().get_day();
    env_.load_anne_list(records_, false);
    // A later login collects the listeners anew rather than adding them a
    // second time (each would hear every event twice).
    listeners_ = env_.listeners();
}

void anne_scheduler::take_list(const std::vector<anne_record>& list) {
    records_ = list;
    for (anne_progress_listener* l : listeners_) l->on_schedule_changed();
}

void anne_scheduler::tick() {
    // The countdown only runs down from a positive period: 0 or a negative
    // period never reloads.
    if (refresh_countdown_ > 0 && --refresh_countdown_ == 0) {
        refresh_countdown_ = refresh_ticks_;
        std::vector<anne_record> fresh;
        if (env_.load_anne_list(fresh, true) && !fresh.empty()) take_list(fresh);
    }
    std::stable_sort(records_.begin(), records_.end(), earlier);

    const timex now = env_.service_now();
    if (now.get_day() != current_day_) {
        played_today_.clear();
        current_day_ = now.get_day();
    }
    const int fade = env_.options().fadeinout_time;
    const int lead = fade > 0 ? fade / 1000 : 0;
    const int now_s = now.get_seconds_of_day();

    due_check(now_s, lead);
    if (announce_next(now_s)) return;
    if (!no_next_flag_) {
        for (anne_progress_listener* l : listeners_) l->on_next_changed(nullptr);
        no_next_flag_ = true;
        next_key_.empty();
    }
}

void anne_scheduler::due_check(int now_s, int lead) {
    const anne_record* next = nullptr;
    for (const anne_record& r : records_) {
        if (r.enabled && r.code == next_key_) {
            next = &r;
            break;
        }
    }
    // A start at 00:00:00 is never announced as next, so it never starts.
    if (!next || next->start.total_seconds() <= 0) return;
    const long start = next->start.total_seconds();
    const bool due = start - lead <= now_s && start + next->length.total_seconds() > now_s;
    bool& played = played_today_[key_of(*next)];
    if (due && !played) {
        // The tick comes up to 200 ms into the lead second: the fade gives
        // up that time, so that the announcement still goes on air at its
        // second rather than that late. A start found later than the lead
        // second keeps the whole fade.
        const long fade = std::max(0, env_.options().fadeinout_time);
        const long late = now_s == start - lead ? static_cast<long>(env_.ms_into_second() % 1000) : 0;
        for (const anne_record& r : records_) {
            if (r.code == next_key_) {
                env_.start_announcement(r, static_cast<unsigned>(std::max(0L, fade - late)));
                break;
            }
        }
        played = true;
    }
    if (start == now_s)
        for (anne_progress_listener* l : listeners_) l->on_air(next);
}

bool anne_scheduler::announce_next(int now_s) {
    for (const anne_record& r : records_) {
        if (!r.enabled || r.start.total_seconds() <= now_s) continue;
        if (!(r.code == next_key_)) {
            for (anne_progress_listener* l : listeners_) l->on_next_changed(&r);
            next_key_ = r.code;
            list_info entry;
            list_info::set_string(entry.path, r.url.wvalue());
            list_info::set_string(entry.title, r.title.wvalue());
            entry.time = static_cast<double>(r.length.total_seconds());
            env_.prefetch(entry);
        }
        no_next_flag_ = false;
        return true;
    }
    return false;
}

void anne_scheduler::update_record(const anne_record& changed) {
    for (anne_record& r : records_) {
        if (r.start == changed.start && r.url.equals_ignore_case(changed.url)) {
            r.volume = changed.volume;
            r.enabled = changed.enabled;
            // The playlist window reads its own copy of the list; the
            // record's address would not outlive the next sort.
            env_.post_schedule_changed();
            return;
        }
    }
}

void anne_scheduler::reload() {
    std::vector<anne_record> fresh;
    if (env_.load_anne_list(fresh, true) && !fresh.empty()) take_list(fresh);
}
