// The music around an announcement: the starter's fade-out steps and its
// hand-over to the announcement player, the fade back in, the ducker's calls
// and the conversion between the user's and the player's volume.
#include <gtest/gtest.h>
#include "anne_end_watch.h"
#include "anne_fades.h"
#include "anne_test_env.h"
#include "fade_timers.h"
#include "music_volume.h"

namespace {

// Steps a starter every step_ms until it is done; the number of steps.
int run_starter(test_anne_env& env, anne_starter& starter, DWORD step_ms, int limit = 10000) {
    for (int i = 1; i <= limit; ++i) {
        env.ticks += step_ms;
        if (starter.step()) return i;
    }
    return -1;
}

int run_fade(test_anne_env& env, volume_fade& fade, DWORD step_ms, int limit = 10000) {
    for (int i = 1; i <= limit; ++i) {
        env.ticks += step_ms;
        if (fade.step()) return i;
    }
    return -1;
}

std::vector<unsigned> volumes_heard(const recording_listener& l) {
    std::vector<unsigned> v;
    for (const auto& e : l.events)
        if (e.rfind("vol ", 0) == 0) v.push_back(static_cast<unsigned>(std::stoul(e.substr(4))));
    return v;
}

}  // namespace

TEST(music_volume, one_factor_between_user_and_player_units) {
    struct row {
        float rate;
        unsigned user, player, back;
    } rows[] = {
        {1.0f, 1000, 1000, 1000}, {1.0f, 0, 0, 0},       {1.0f, 333, 333, 333},
        {0.5f, 1000, 500, 1000},  {0.55f, 800, 440, 800}, {0.29f, 1000, 290, 1000},
        // The login's factor for 100 percent: the player keeps 1000 at most.
        {1.05f, 1000, 1000, 952}, {1.05f, 500, 525, 500},
        // No factor at all counts as 1.
        {0.0f, 700, 700, 700},    {-2.0f, 700, 700, 700},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.rate);
        EXPECT_EQ(music_to_player(r.user, r.rate), r.player) << r.user;
        EXPECT_EQ(music_to_user(r.player, r.rate), r.back) << r.player;
    }
}

TEST(anne_starter, fades_the_music_out_then_plays_the_announcement) {
    struct row {
        const char* name;
        unsigned music;   // player volume at the start
        float rate;
        unsigned fade_ms;
        DWORD step_ms;
        int steps;             // steps until done
        unsigned first_step;   // first volume heard (user units)
        unsigned drop;         // every fade step's drop, 0: not checked
    } rows[] = {
        {"1000 over 6 s", 1000, 1.0f, 6000, 100, 60, 984, 16},
        {"1000 over 1 s", 1000, 1.0f, 1000, 100, 10, 900, 100},
        {"slow ticks take bigger steps", 1000, 1.0f, 6000, 300, 20, 950, 50},
        {"no fade time", 1000, 1.0f, 0, 100, 1, 0, 0},
        {"music already silent", 0, 1.0f, 6000, 100, 1, 0, 0},
        {"half rate", 500, 0.5f, 1000, 100, 10, 900, 100},
        {"login's 1.05", 1000, 1.05f, 1000, 100, 10, 857, 95},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        test_anne_env env;
        env.music.vol = r.music;
        env.opts.music_volume_rate = r.rate;
        anne_starter starter(env, anne(L"A", 9, 0, 0, 30, true, 80), r.fade_ms);
        EXPECT_EQ(run_starter(env, starter, r.step_ms), r.steps);

        const std::vector<unsigned> heard = volumes_heard(env.listener);
        ASSERT_FALSE(heard.empty());
        EXPECT_EQ(heard.front(), r.first_step);
        EXPECT_EQ(heard.back(), 0u);
        for (size_t i = 1; i + 1 < heard.size(); ++i) {
            EXPECT_LE(heard[i], heard[i - 1]);
            if (r.drop) {
                EXPECT_EQ(heard[i - 1] - heard[i], r.drop) << i;
            }
        }
        EXPECT_EQ(env.music.vol, 0u);
        ASSERT_EQ(env.announcements.plays.size(), 1u);
        EXPECT_EQ(env.announcements.plays[0], L"zel2://127.0.0.1/anne/A.mp3");
        EXPECT_EQ(env.announcements.vol, 800u);
        EXPECT_EQ(env.listener.events.front(), "prep A");
        EXPECT_EQ(env.listener.events.back(), "air A");
        EXPECT_EQ(env.listener.count("air A"), 1);
    }
}

TEST(anne_starter, announcement_entry_and_volume) {
    struct row {
        int record_volume;
        unsigned info_volume;
        unsigned player_volume;
    } rows[] = {{80, 1000, 800}, {100, 1000, 1000}, {0, 1000, 0}, {200, 735, 730}, {101, 1000, 1000}, {-5, 1000, 0}};
    for (const row& r : rows) {
        SCOPED_TRACE(r.record_volume);
        test_anne_env env;
        env.opts.info_volume = r.info_volume;
        // An earlier announcement stays in the playlist until the next one.
        std::vector<list_info> old(1);
        list_info::set_string(old[0].path, L"zel2://127.0.0.1/anne/old.mp3");
        env.announcements.list().add(old);

        anne_starter starter(env, anne(L"B", 9, 0, 0, 42, true, r.record_volume), 0);
        ASSERT_EQ(run_starter(env, starter, 100), 1);
        EXPECT_EQ(env.announcements.vol, r.player_volume);
        ASSERT_EQ(env.announcements.list().count(), 1u);
        list_info* entry = env.announcements.list().at(0);
        EXPECT_STREQ(entry->path, L"zel2://127.0.0.1/anne/B.mp3");
        EXPECT_STREQ(entry->title, L"B");
        EXPECT_EQ(entry->time, 42.0);
    }
}

TEST(anne_starter, tick_without_elapsed_time_takes_no_step) {
    test_anne_env env;
    anne_starter starter(env, anne(L"A", 9, 0, 0, 30), 6000);
    // The same tick count as at creation, twice: no division by zero, no step.
    EXPECT_FALSE(starter.step());
    EXPECT_FALSE(starter.step());
    EXPECT_EQ(env.music.vol, 1000u);
    EXPECT_TRUE(volumes_heard(env.listener).empty());
    env.ticks += 100;
    EXPECT_FALSE(starter.step());
    EXPECT_EQ(env.music.vol, 984u);
}

TEST(anne_starter, waits_for_a_running_announcement_instead_of_losing_it) {
    test_anne_env env;
    env.announcements.playing = true;
    anne_starter starter(env, anne(L"A", 9, 0, 0, 30), 500);
    for (int i = 0; i < 20; ++i) {
        env.ticks += 100;
        EXPECT_FALSE(starter.step());
    }
    EXPECT_EQ(env.music.vol, 0u);
    EXPECT_TRUE(env.announcements.plays.empty());
    EXPECT_EQ(env.listener.count("air A"), 0);
    // Something raises the music meanwhile: the starter keeps it down.
    env.music.vol = 300;
    env.ticks += 100;
    EXPECT_FALSE(starter.step());
    EXPECT_EQ(env.music.vol, 0u);

    env.announcements.playing = false;
    env.ticks += 100;
    EXPECT_TRUE(starter.step());
    ASSERT_EQ(env.announcements.plays.size(), 1u);
    EXPECT_EQ(env.listener.count("air A"), 1);
}

// The announcement is opened a second before it is due, paused and silent,
// and let go when the fade time is up: it sounds then, not a tenth of a
// second later while the player opens it.
TEST(anne_starter, opens_the_announcement_ahead_and_lets_it_go_when_due) {
    test_anne_env env;
    anne_starter starter(env, anne(L"A", 9, 0, 0, 30, true, 80), 3000);
    EXPECT_EQ(starter.ms_until_due(), 3000u);
    int step = 0;
    for (; step < 19; ++step) {
        env.ticks += 100;
        EXPECT_FALSE(starter.step());
    }
    EXPECT_EQ(starter.ms_until_due(), 1100u);
    EXPECT_TRUE(env.announcements.plays.empty());
    env.ticks += 100;
    EXPECT_FALSE(starter.step());  // 1000 ms before it is due
    ASSERT_EQ(env.announcements.plays, std::vector<std::wstring>{L"zel2://127.0.0.1/anne/A.mp3"});
    EXPECT_TRUE(env.announcements.is_paused());
    EXPECT_EQ(env.announcements.vol, 0u);
    EXPECT_EQ(env.listener.count("air A"), 0);
    EXPECT_GT(env.music.vol, 0u);  // the music fades on
    for (step = 0; step < 8; ++step) {
        env.ticks += 100;
        EXPECT_FALSE(starter.step());
    }
    EXPECT_GT(env.music.vol, 0u);
    EXPECT_EQ(starter.ms_until_next_mark(), 100u);  // the music's silence
    // A step ahead of the announcement the music goes silent.
    env.ticks += 100;
    EXPECT_FALSE(starter.step());
    EXPECT_EQ(env.music.vol, 0u);
    EXPECT_EQ(env.listener.count("air A"), 0);
    EXPECT_TRUE(env.announcements.is_paused());
    EXPECT_EQ(starter.ms_until_due(), 100u);
    EXPECT_EQ(starter.ms_until_next_mark(), 100u);  // the air time
    env.ticks += 100;
    EXPECT_TRUE(starter.step());
    EXPECT_EQ(starter.ms_until_due(), 0u);
    EXPECT_EQ(env.announcements.plays.size(), 1u);  // not opened again
    EXPECT_FALSE(env.announcements.is_paused());
    EXPECT_EQ(env.announcements.vol, 800u);
    EXPECT_EQ(env.music.vol, 0u);
    EXPECT_EQ(env.listener.events.back(), "air A");
    EXPECT_EQ(env.listener.count("air A"), 1);
    EXPECT_TRUE(starter.played());
}

// What happens to the opened announcement before it is due decides the end:
// still waiting, it is let go; gone (it could not be opened), it is played
// once more; replaced by another announcement, the starter waits for that.
TEST(anne_starter, an_opened_announcement_that_went_away) {
    struct row {
        const char* name;
        const char* meanwhile;  // "-", "ended", "other"
        bool done;
        size_t plays;
        int air;
    } rows[] = {
        {"still waiting", "-", true, 1, 1},
        {"could not be opened", "ended", true, 2, 1},
        {"another plays", "other", false, 2, 0},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        test_anne_env env;
        anne_starter starter(env, anne(L"A", 9, 0, 0, 30), 500);
        env.ticks += 100;
        EXPECT_FALSE(starter.step());
        ASSERT_EQ(env.announcements.plays.size(), 1u);
        const std::string meanwhile = r.meanwhile;
        if (meanwhile == "ended") env.announcements.playing = false;
        if (meanwhile == "other") env.announcements.play_path(L"zel2://127.0.0.1/anne/other.mp3");
        env.ticks += 400;
        EXPECT_EQ(starter.step(), r.done);
        EXPECT_EQ(env.announcements.plays.size(), r.plays);
        EXPECT_EQ(env.listener.count("air A"), r.air);
    }
    // An announcement player busy from the start is left alone until due.
    test_anne_env env;
    env.announcements.play_path(L"zel2://127.0.0.1/anne/other.mp3");
    anne_starter starter(env, anne(L"A", 9, 0, 0, 30), 500);
    env.ticks += 100;
    EXPECT_FALSE(starter.step());
    EXPECT_EQ(env.announcements.plays.size(), 1u);
    EXPECT_EQ(env.announcements.pauses, 0);
}

TEST(anne_starter, gives_up_waiting_after_the_longest_wait) {
    test_anne_env env;
    env.announcements.playing = true;
    anne_starter starter(env, anne(L"A", 9, 0, 0, 30), 0);
    EXPECT_FALSE(starter.step());
    env.ticks += anne_starter::max_wait_ms;
    EXPECT_TRUE(starter.step());
    EXPECT_TRUE(env.announcements.plays.empty());
    EXPECT_EQ(env.listener.count("air A"), 0);
}

TEST(anne_starter, without_a_playlist_the_music_stays_silent_and_nothing_plays) {
    test_anne_env env;
    env.announcements.has_playlist = false;
    anne_starter starter(env, anne(L"A", 9, 0, 0, 30), 0);
    EXPECT_TRUE(starter.step());
    EXPECT_EQ(env.music.vol, 0u);
    EXPECT_TRUE(env.announcements.plays.empty());
    EXPECT_EQ(env.listener.count("air A"), 0);
}

TEST(anne_fades, ducker_is_asked_to_duck_and_restore_once_each) {
    struct row {
        bool ducker;
        unsigned fade_out, fade_in;
        std::vector<std::string> calls;
    } rows[] = {
        {true, 6000, 1000, {"duck 6000 0", "restore 1000"}},
        {true, 0, 0, {"duck 0 0", "restore 0"}},
        {false, 6000, 1000, {}},
    };
    for (const row& r : rows) {
        test_anne_env env;
        env.with_ducker = r.ducker;
        anne_starter starter(env, anne(L"A", 9, 0, 0, 30), r.fade_out);
        EXPECT_GT(run_starter(env, starter, 100), 0);
        volume_fade fade(env, r.fade_in);
        EXPECT_GT(run_fade(env, fade, 100), 0);
        EXPECT_EQ(env.counting.calls, r.calls);
        EXPECT_EQ(env.music.vol, 1000u);
    }
}

TEST(volume_fade, brings_the_music_back_to_the_users_volume) {
    struct row {
        const char* name;
        unsigned music;  // player volume at the start
        unsigned user;   // option volume
        float rate;
        unsigned fade_ms;
        DWORD step_ms;
        int steps;
        unsigned player_end;
    } rows[] = {
        {"from silence over 1 s", 0, 800, 1.0f, 1000, 100, 10, 800},
        {"from silence, no fade time", 0, 800, 1.0f, 0, 100, 1, 800},
        {"already there", 800, 800, 1.0f, 6000, 100, 1, 800},
        {"above the user's volume", 1000, 800, 1.0f, 6000, 100, 1, 800},
        {"login's 1.05: already at the user's 1000", 1000, 1000, 1.05f, 6000, 100, 1, 1000},
        {"login's 1.05 from silence", 0, 1000, 1.05f, 1000, 100, 10, 1000},
        {"half rate from silence", 0, 1000, 0.5f, 1000, 100, 10, 500},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        test_anne_env env;
        env.music.vol = r.music;
        env.opts.volume = r.user;
        env.opts.music_volume_rate = r.rate;
        volume_fade fade(env, r.fade_ms);
        EXPECT_EQ(run_fade(env, fade, r.step_ms), r.steps);
        EXPECT_EQ(env.music.vol, r.player_end);
        const std::vector<unsigned> heard = volumes_heard(env.listener);
        ASSERT_FALSE(heard.empty());
        EXPECT_EQ(heard.back(), r.user);
        for (size_t i = 1; i < heard.size(); ++i) EXPECT_GE(heard[i], heard[i - 1]);
        EXPECT_EQ(env.listener.count("finished"), 1);
        EXPECT_EQ(env.listener.events.back(), "finished");
    }
}

TEST(volume_fade, tick_without_elapsed_time_takes_no_step) {
    test_anne_env env;
    env.music.vol = 0;
    volume_fade fade(env, 1000);
    EXPECT_FALSE(fade.step());
    EXPECT_EQ(env.music.vol, 0u);
    env.ticks += 100;
    EXPECT_FALSE(fade.step());
    EXPECT_EQ(env.music.vol, 100u);
}

namespace {

// The test's surroundings with the real tick count, for the timers.
class real_tick_env : public test_anne_env {
public:
    DWORD tick_count() override { return GetTickCount(); }
};

// Dispatches the thread's messages until done() or the time is up.
template <class Done>
bool pump_until(Done done, DWORD limit_ms) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > limit_ms) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(5);
    }
    return true;
}

}  // namespace

TEST(fade_timers, music_fades_out_the_announcement_plays_and_the_music_comes_back) {
    real_tick_env env;
    env.opts.volume = 1000;
    const DWORD began = GetTickCount();
    start_anne_starter(env, anne(L"A", 9, 0, 0, 30, true, 80), 600);
    ASSERT_TRUE(pump_until([&] { return env.listener.count("air A") == 1; }, 5000));
    EXPECT_GE(GetTickCount() - began, 550u);
    EXPECT_EQ(env.music.vol, 0u);
    EXPECT_EQ(env.announcements.vol, 800u);
    const std::vector<unsigned> down = volumes_heard(env.listener);
    ASSERT_GE(down.size(), 3u);  // several 100 ms steps, then the silence
    EXPECT_LT(down.front(), 1000u);
    for (size_t i = 1; i < down.size(); ++i) EXPECT_LE(down[i], down[i - 1]);
    EXPECT_EQ(down.back(), 0u);

    env.listener.events.clear();
    start_volume_fade(env, 300);
    ASSERT_TRUE(pump_until([&] { return env.listener.count("finished") == 1; }, 5000));
    EXPECT_EQ(env.music.vol, 1000u);
    const std::vector<unsigned> up = volumes_heard(env.listener);
    ASSERT_GE(up.size(), 2u);
    EXPECT_EQ(up.back(), 1000u);
    EXPECT_EQ(env.counting.calls, (std::vector<std::string>{"duck 600 0", "restore 300"}));
    // Both timers are gone: nothing more arrives.
    const size_t heard = env.listener.events.size();
    pump_until([] { return false; }, 300);
    EXPECT_EQ(env.listener.events.size(), heard);
}

TEST(anne_end_watch, ends_when_its_announcement_has_played) {
    struct row {
        const char* name;
        // Per 200 ms step what the announcement player does before the
        // watch looks: "-" nothing, "ours" plays the announcement, "other"
        // plays another file, "stop" stops.
        std::vector<const char*> steps;
        int done_at;  // 1-based step at which the watch is done; 0: not within the steps
    } rows[] = {
        {"plays, then ends", {"ours", "-", "-", "stop", "-"}, 4},
        {"already playing when watched", {"-", "-", "stop"}, 3},
        {"an earlier one ends first", {"other", "-", "stop", "ours", "-", "stop"}, 6},
        {"never starts: ends after the grace", std::vector<const char*>(30, "-"), 25},
        {"other file only: ends after the grace", std::vector<const char*>(30, "other"), 25},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        test_anne_env env;
        const anne_record rec = anne(L"A", 9, 0, 0, 30);
        if (std::string(r.name) == "already playing when watched") env.announcements.play_path(rec.url.wvalue());
        // The address compares without regard to case.
        anne_end_watch watch(env, stringx(L"ZEL2://127.0.0.1/ANNE/A.MP3"));
        int done_at = 0;
        for (size_t i = 0; i < r.steps.size() && !done_at; ++i) {
            const std::string what = r.steps[i];
            if (what == "ours") env.announcements.play_path(rec.url.wvalue());
            if (what == "other") env.announcements.play_path(L"zel2://127.0.0.1/anne/other.mp3");
            if (what == "stop") env.announcements.playing = false;
            env.ticks += 200;
            if (watch.step()) done_at = static_cast<int>(i) + 1;
        }
        EXPECT_EQ(done_at, r.done_at);
    }
}

TEST(fade_timers, the_music_comes_back_by_itself_after_the_announcement) {
    struct row {
        const char* name;
        bool has_playlist;
    } rows[] = {{"announcement played", true}, {"nothing to play it on", false}};
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        real_tick_env env;
        env.opts.fadeinout_time = 300;
        env.announcements.has_playlist = r.has_playlist;
        start_anne_starter(env, anne(L"A", 9, 0, 0, 30), 300, true);
        if (r.has_playlist) {
            ASSERT_TRUE(pump_until([&] { return env.listener.count("air A") == 1; }, 5000));
            // While the announcement plays the music stays down.
            pump_until([] { return false; }, 600);
            EXPECT_EQ(env.music.vol, 0u);
            EXPECT_EQ(env.listener.count("finished"), 0);
            env.announcements.playing = false;
        }
        ASSERT_TRUE(pump_until([&] { return env.listener.count("finished") == 1; }, 5000));
        EXPECT_EQ(env.music.vol, 1000u);
        EXPECT_EQ(env.counting.calls, (std::vector<std::string>{"duck 300 0", "restore 300"}));
    }
}

TEST(fade_timers, back_to_back_announcements_keep_the_music_down_between_them) {
    real_tick_env env;
    env.opts.fadeinout_time = 200;
    start_anne_starter(env, anne(L"A", 9, 0, 0, 30), 200, true);
    ASSERT_TRUE(pump_until([&] { return env.listener.count("air A") == 1; }, 5000));
    // B falls due while A plays: its starter waits for A.
    start_anne_starter(env, anne(L"B", 9, 0, 30, 30), 200, true);
    pump_until([] { return false; }, 500);
    EXPECT_EQ(env.announcements.plays.size(), 1u);
    env.announcements.playing = false;  // A ends
    ASSERT_TRUE(pump_until([&] { return env.announcements.plays.size() == 2; }, 5000));
    EXPECT_EQ(env.announcements.plays[1], L"zel2://127.0.0.1/anne/B.mp3");
    // A's end did not bring the music back under B.
    pump_until([] { return false; }, 600);
    EXPECT_EQ(env.listener.count("finished"), 0);
    EXPECT_EQ(env.music.vol, 0u);
    env.announcements.playing = false;  // B ends
    ASSERT_TRUE(pump_until([&] { return env.listener.count("finished") == 1; }, 5000));
    EXPECT_EQ(env.music.vol, 1000u);
    pump_until([] { return false; }, 400);
    EXPECT_EQ(env.listener.count("finished"), 1);
}
