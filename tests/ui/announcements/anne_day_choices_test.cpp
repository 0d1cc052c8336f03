// The user's choices of the day's announcements as the lists make them,
// through the service client's kept list into the scheduler: switching the
// whole day off and on again, and stepping one announcement's volume.
#include <gtest/gtest.h>

#include "anne_cells.h"
#include "anne_scheduler.h"
#include "anne_test_env.h"
#include "announcement_requests.h"
#include "fake_service_link.h"

namespace {

// The service's list of the day, as rux_anne_check.php answers it.
const char* const day_reply =
    "OK\r\n"
    "A1^09:00:00^30^0^개점 안내^80^http://127.0.0.1/anne/a1.wav\r\n"
    "A2^10:00:00^45^0^행사 안내^200^http://127.0.0.1/anne/a2.wav\r\n"
    "Result=Success\r\n";

// The player's wiring in small: the scheduler takes its list from the
// service client's kept list, and the client's link reaches the scheduler.
struct day_rig : fake_service_link {
    std::vector<anne_record> kept;
    anne_scheduler* scheduler = nullptr;

    service_reply post(const service_request& request) override {
        canned.push_back(day_reply);
        return fake_service_link::post(request);
    }
    void scheduler_reload() override {
        fake_service_link::scheduler_reload();
        scheduler->reload();
    }
    void scheduler_update(const anne_record& record) override {
        fake_service_link::scheduler_update(record);
        scheduler->update_record(record);
    }
};

struct client_env : test_anne_env {
    day_rig* rig = nullptr;
    bool load_anne_list(std::vector<anne_record>& list, bool fetch) override {
        return ::load_anne_list(*rig, rig->kept, list, fetch);
    }
};

// Runs the clock from h:m:s for n one-second ticks.
void run(client_env& env, anne_scheduler& s, int h, int m, int sec, int n) {
    for (int i = 0; i < n; ++i) {
        env.now = timex(2026, 3, 2, h, m, sec) + timex_span(i);
        s.tick();
    }
}

}  // namespace

TEST(anne_day_choices, the_day_switched_off_starts_nothing_and_on_again_starts_its_announcements) {
    day_rig rig;
    client_env env;
    env.rig = &rig;
    anne_scheduler scheduler(env);
    rig.scheduler = &scheduler;
    env.now = timex(2026, 3, 2, 8, 0, 0);
    scheduler.on_login();
    ASSERT_EQ(scheduler.records().size(), 2u);

    // The header's box unchecked: every row off, one reload of the scheduler.
    std::vector<anne_record> day;
    ASSERT_TRUE(::load_anne_list(rig, rig.kept, day, false));
    anne_cells::switch_day(day, false);
    const int reloads = rig.reloads;
    reload_anne_records(rig, rig.kept, day);
    EXPECT_EQ(rig.reloads, reloads + 1);
    for (const anne_record& r : scheduler.records()) EXPECT_EQ(r.enabled, 0);
    run(env, scheduler, 8, 59, 50, 40);
    run(env, scheduler, 9, 59, 50, 40);
    EXPECT_TRUE(env.starts.empty());

    // Checked again: the rest of the day plays.
    anne_cells::switch_day(day, true);
    reload_anne_records(rig, rig.kept, day);
    EXPECT_EQ(rig.reloads, reloads + 2);
    run(env, scheduler, 9, 59, 50, 20);
    EXPECT_EQ(env.starts, std::vector<std::string>{"A2@09:59:54 6000"});
}

TEST(anne_day_choices, volume_clicks_reach_the_scheduler_in_quarter_steps) {
    day_rig rig;
    client_env env;
    env.rig = &rig;
    anne_scheduler scheduler(env);
    rig.scheduler = &scheduler;
    env.now = timex(2026, 3, 2, 8, 0, 0);
    scheduler.on_login();
    std::vector<anne_record> day;
    ASSERT_TRUE(::load_anne_list(rig, rig.kept, day, false));
    ASSERT_EQ(day[0].volume, 80);

    unsigned level = anne_cells::volume_level(day[0].volume);
    for (int expected : {100, 0, 25, 50, 75, 100}) {
        level = (level + 1) % 5;
        int volume = 0;
        ASSERT_TRUE(anne_cells::volume_after_click(day[0].volume, level, volume));
        day[0].volume = volume;
        update_anne_record(rig, rig.kept, day[0]);
        EXPECT_EQ(scheduler.records()[0].volume, expected);
        EXPECT_EQ(rig.kept[0].volume, expected);
    }
    // The player's announcement volume (above 100) is not stepped.
    int volume = 0;
    EXPECT_FALSE(anne_cells::volume_after_click(day[1].volume, 1, volume));
    EXPECT_EQ(volume, 200);
    EXPECT_EQ(scheduler.records()[1].volume, 200);
}
