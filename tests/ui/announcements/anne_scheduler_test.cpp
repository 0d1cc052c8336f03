// The announcement scheduler over a fake clock: when an announcement starts,
// what the listeners hear, the played set across midnight and the reload
// period of the login.
#include <gtest/gtest.h>
#include "anne_scheduler.h"
#include "anne_test_env.h"

namespace {

// A stretch of the service clock: ticks one second apart from a start.
struct clock_run {
    int day, h, m, s;  // March 2026
    int ticks;
};

std::string joined(const std::vector<std::string>& v) {
    std::string s;
    for (const auto& x : v) s += (s.empty() ? "" : " | ") + x;
    return s;
}

}  // namespace

TEST(anne_scheduler, starts_each_announcement_once_a_day_at_its_fade_lead) {
    struct row {
        const char* name;
        int fadeinout;
        std::vector<anne_record> list;
        std::vector<clock_run> runs;
        std::vector<std::string> starts;  // "code@time fade"
        std::vector<std::string> events;  // the listener's, in order
    } rows[] = {
        {"fade lead of 6 s",
         6000,
         {anne(L"A", 9, 0, 0, 30)},
         {{2, 8, 59, 50, 50}},
         {"A@08:59:54 6000"},
         {"next A", "air A", "next -"}},
        {"no fade: at the start second",
         0,
         {anne(L"A", 9, 0, 0, 30)},
         {{2, 8, 59, 50, 20}},
         {"A@09:00:00 0"},
         {"next A", "air A", "next -"}},
        {"lead rounded down to whole seconds",
         2999,
         {anne(L"A", 9, 0, 0, 30)},
         {{2, 8, 59, 50, 20}},
         {"A@08:59:58 2999"},
         {"next A", "air A", "next -"}},
        {"disabled: neither next nor started",
         6000,
         {anne(L"A", 9, 0, 0, 30, false)},
         {{2, 8, 59, 50, 50}},
         {},
         {"next -"}},
        {"disabled first, enabled later one",
         0,
         {anne(L"A", 9, 0, 0, 30, false), anne(L"B", 9, 0, 5, 30)},
         {{2, 8, 59, 58, 10}},
         {"B@09:00:05 0"},
         {"next B", "air B", "next -"}},
        {"two records of one key play once",
         6000,
         {anne(L"K", 9, 0, 0, 30), anne(L"K", 9, 0, 40, 30)},
         {{2, 8, 59, 50, 80}},
         {"K@08:59:54 6000"},
         {"next K", "air K", "next -"}},
        {"list out of order is sorted",
         0,
         {anne(L"B", 9, 0, 4, 3), anne(L"A", 9, 0, 2, 1)},
         {{2, 9, 0, 0, 8}},
         {"A@09:00:02 0", "B@09:00:04 0"},
         {"next A", "air A", "next B", "air B", "next -"}},
        {"last record passed: no next, told once",
         6000,
         {anne(L"A", 9, 0, 0, 30)},
         {{2, 9, 0, 40, 30}},
         {},
         {"next -"}},
        {"started at program start in its window: never",
         0,
         {anne(L"A", 9, 0, 0, 30)},
         {{2, 9, 0, 10, 30}},
         {},
         {"next -"}},
        {"clock set back the same day: no second play",
         0,
         {anne(L"A", 9, 0, 0, 30)},
         {{2, 8, 59, 58, 5}, {2, 8, 59, 58, 5}},
         {"A@09:00:00 0"},
         {"next A", "air A", "next -", "next A", "air A", "next -"}},
        {"midnight empties the played set",
         0,
         {anne(L"N", 23, 59, 55, 3)},
         {{2, 23, 59, 50, 8}, {3, 23, 59, 50, 8}},
         {"N@23:59:55 0", "N@23:59:55 0"},
         {"next N", "air N", "next -", "next N", "air N", "next -"}},
        {"start at midnight never starts",
         0,
         {anne(L"Z", 0, 0, 0, 30)},
         {{2, 23, 59, 58, 5}},
         {},
         {"next -"}},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        test_anne_env env;
        env.opts.fadeinout_time = r.fadeinout;
        env.service_list = r.list;
        anne_scheduler scheduler(env);
        env.now = timex(2026, 3, r.runs[0].day, r.runs[0].h, r.runs[0].m, r.runs[0].s);
        scheduler.on_login();
        for (const clock_run& run : r.runs) {
            env.now = timex(2026, 3, run.day, run.h, run.m, run.s);
            for (int i = 0; i < run.ticks; ++i) {
                scheduler.tick();
                env.now = env.now + timex_span(1);
            }
        }
        EXPECT_EQ(joined(env.starts), joined(r.starts));
        EXPECT_EQ(joined(env.listener.events), joined(r.events));
    }
}

// The 200 ms tick sees the lead second up to a tick late: the fade is that
// much shorter, so that it still ends on the announcement's second.
TEST(anne_scheduler, fade_gives_up_the_time_the_tick_came_late_into_its_lead_second) {
    struct row {
        const char* name;
        int fadeinout;
        int h, m, s;  // the first tick
        unsigned ms;
        const char* start;
    } rows[] = {
        {"tick 180 ms into the lead second", 6000, 8, 59, 50, 180, "A@08:59:54 5820"},
        {"tick on the second", 6000, 8, 59, 50, 0, "A@08:59:54 6000"},
        {"lead rounded down: the rest of the fade still runs over", 2999, 8, 59, 50, 150, "A@08:59:58 2849"},
        {"fade shorter than the lateness: none", 100, 8, 59, 58, 180, "A@09:00:00 0"},
        {"found after its lead second: the whole fade", 6000, 8, 59, 55, 180, "A@08:59:56 6000"},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        test_anne_env env;
        env.opts.fadeinout_time = r.fadeinout;
        env.service_list = {anne(L"A", 9, 0, 0, 30)};
        env.ms = r.ms;
        anne_scheduler scheduler(env);
        env.now = timex(2026, 3, 2, r.h, r.m, r.s);
        scheduler.on_login();
        for (int i = 0; i < 12; ++i) {
            scheduler.tick();
            env.now = env.now + timex_span(1);
        }
        EXPECT_EQ(joined(env.starts), r.start);
    }
}

TEST(anne_scheduler, next_announcement_file_is_queued_in_the_cache_once) {
    test_anne_env env;
    env.service_list = {anne(L"A", 9, 0, 0, 30), anne(L"B", 10, 0, 0, 30)};
    env.now = timex(2026, 3, 2, 8, 0, 0);
    anne_scheduler scheduler(env);
    scheduler.on_login();
    for (int i = 0; i < 10; ++i) scheduler.tick();
    ASSERT_EQ(env.prefetched.size(), 1u);
    EXPECT_EQ(env.prefetched[0], L"zel2://127.0.0.1/anne/A.mp3");
    env.now = timex(2026, 3, 2, 9, 0, 0);
    scheduler.tick();
    ASSERT_EQ(env.prefetched.size(), 2u);
    EXPECT_EQ(env.prefetched[1], L"zel2://127.0.0.1/anne/B.mp3");
    EXPECT_EQ(scheduler.next_key(), L"B");
}

TEST(anne_scheduler, reload_period_comes_from_the_first_login) {
    struct row {
        int refresh;         // anne_refresh_time of the first login
        int second_refresh;  // of the second login
        int ticks;
        int period;   // refresh_ticks afterwards
        int fetches;  // fresh lists asked for during the ticks
    } rows[] = {
        {-1, -1, 40, 18000, 0},
        {-1, 5, 40, 5, 8},  // -1 left the first login's choice open
        {5, 7, 40, 5, 8},   // a second login does not change the period
        {5, -1, 12, 5, 2},
        {0, 5, 20000, 0, 0},   // never reloads
        {-3, 5, 20000, -3, 0},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.refresh);
        test_anne_env env;
        env.service_list = {anne(L"A", 9, 0, 0, 30)};
        env.now = timex(2026, 3, 2, 8, 0, 0);
        anne_scheduler scheduler(env);
        env.opts.anne_refresh_time = r.refresh;
        scheduler.on_login();
        env.opts.anne_refresh_time = r.second_refresh;
        scheduler.on_login();
        for (int i = 0; i < r.ticks; ++i) scheduler.tick();
        EXPECT_EQ(scheduler.refresh_ticks(), r.period);
        EXPECT_EQ(env.fetches, r.fetches);
        EXPECT_EQ(env.cached_loads, 2);
    }
}

TEST(anne_scheduler, failed_or_empty_reload_keeps_the_list) {
    test_anne_env env;
    env.opts.anne_refresh_time = 2;
    env.now = timex(2026, 3, 2, 8, 0, 0);
    env.service_list = {anne(L"A", 9, 0, 0, 30)};
    anne_scheduler scheduler(env);
    scheduler.on_login();
    env.service_ok = false;
    scheduler.tick();
    scheduler.tick();
    env.service_ok = true;
    env.service_list.clear();
    scheduler.tick();
    scheduler.tick();
    ASSERT_EQ(scheduler.records().size(), 1u);
    EXPECT_EQ(env.listener.count("changed"), 0);
    env.service_list = {anne(L"B", 9, 30, 0, 30), anne(L"C", 9, 40, 0, 30)};
    scheduler.tick();
    scheduler.tick();
    EXPECT_EQ(scheduler.records().size(), 2u);
    EXPECT_EQ(env.listener.count("changed"), 1);
    EXPECT_EQ(env.fetches, 3);
}

TEST(anne_scheduler, second_login_does_not_double_the_listeners) {
    test_anne_env env;
    env.service_list = {anne(L"A", 9, 0, 0, 30)};
    env.now = timex(2026, 3, 2, 8, 0, 0);
    anne_scheduler scheduler(env);
    scheduler.on_login();
    scheduler.on_login();
    scheduler.tick();
    EXPECT_EQ(joined(env.listener.events), "next A");
}

TEST(anne_scheduler, changed_record_takes_effect_on_the_next_tick) {
    test_anne_env env;
    env.opts.fadeinout_time = 0;
    env.service_list = {anne(L"A", 9, 0, 0, 30), anne(L"B", 9, 30, 0, 30)};
    env.now = timex(2026, 3, 2, 8, 0, 0);
    anne_scheduler scheduler(env);
    scheduler.on_login();
    scheduler.tick();

    // Same address in another case and the same start: the record is the
    // scheduler's A; it is switched off.
    anne_record off = anne(L"A", 9, 0, 0, 30, false, 40);
    off.url = L"ZEL2://127.0.0.1/ANNE/A.MP3";
    scheduler.update_record(off);
    EXPECT_EQ(env.schedule_posts, 1);
    EXPECT_EQ(scheduler.records()[0].volume, 40);
    // Another start: not the same announcement.
    anne_record moved = anne(L"B", 9, 31, 0, 30, false);
    scheduler.update_record(moved);
    EXPECT_EQ(env.schedule_posts, 1);

    env.now = timex(2026, 3, 2, 9, 0, 0);
    scheduler.tick();
    EXPECT_TRUE(env.starts.empty());
    EXPECT_EQ(joined(env.listener.events), "next A | next B");
}

TEST(anne_scheduler, reload_takes_a_fresh_list_only_when_it_has_records) {
    test_anne_env env;
    env.now = timex(2026, 3, 2, 8, 0, 0);
    env.service_list = {anne(L"A", 9, 0, 0, 30)};
    anne_scheduler scheduler(env);
    scheduler.on_login();
    env.service_list.clear();
    scheduler.reload();
    EXPECT_EQ(scheduler.records().size(), 1u);
    env.service_list = {anne(L"B", 9, 0, 0, 30), anne(L"C", 9, 0, 0, 30)};
    scheduler.reload();
    EXPECT_EQ(scheduler.records().size(), 2u);
    EXPECT_EQ(env.listener.count("changed"), 1);
}
