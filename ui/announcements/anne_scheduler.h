#pragma once
// anne_scheduler: puts the store's scheduled announcements on air at their
// times. It keeps the day's list (from the service client), and every
// 200 ms tick it re-sorts the list, tells the anne_progress_listener objects
// which announcement comes next (and queues that file in the track cache
// ahead of time), and hands an announcement that falls due to an
// anne_starter, which fades the music out and plays it. An announcement
// starts only while it is the announced next one, at most once per day of the
// service clock, fadeinout_time before its start time.
//
// This class is the logic over an anne_environment; the player's object
// (get_anne_scheduler) adds the 200 ms timer and the login listener.
// User-interface thread only.
#include <map>
#include <string>
#include <vector>
#include "anne_environment.h"
#include "service_records.h"
#include "stringx.h"

class anne_scheduler {
public:
    // Ticks of the reload period until a login sets another: one hour.
    static const int default_refresh_ticks = 18000;

    explicit anne_scheduler(anne_environment& env);

    // After a login: the first login's anne_refresh_time (200 ms ticks; -1
    // keeps the hour, 0 or another negative value stops the reloads), the
    // day of the service clock, the kept list and the listeners. The caller
    // then starts the ticks.
    void on_login();
    // The 200 ms tick.
    void tick();
    // Takes over the volume and on/off of the same announcement (equal
    // address in any case, equal start) and tells the playlist window;
    // nothing when the list has none.
    void update_record(const anne_record& changed);
    // A fresh list from the service replaces the list when it is not empty.
    void reload();

    const std::vector<anne_record>& records() const { return records_; }
    const stringx& next_key() const { return next_key_; }
    int refresh_ticks() const { return refresh_ticks_; }

private:
    void take_list(const std::vector<anne_record>& list);
    void due_check(int now_s, int lead);
    bool announce_next(int now_s);

    anne_environment& env_;
    std::vector<anne_progress_listener*> listeners_;
    int refresh_ticks_ = default_refresh_ticks;
    int refresh_countdown_ = default_refresh_ticks;
    int current_day_ = 0;
    std::vector<anne_record> records_;
    stringx next_key_;
    std::map<std::wstring, bool> played_today_;
    bool no_next_flag_ = false;
    bool first_login_ = true;
};
