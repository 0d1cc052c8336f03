// The announcements against the service stand-in: the service client's
// announcement operations, the list the scheduler loads at login (once,
// then from the kept list), the reload and the record changes that reach the
// scheduler, and the file the starter hands to the announcement player.
#include <gtest/gtest.h>
#include "anne_scheduler.h"
#include "anne_test_env.h"
#include "fake_service_link.h"
#include "service_client.h"
#include "quiet_client_services.h"
#include "stand_in_server.h"

namespace {

// The scheduler's surroundings with the list of a real service client.
class client_env : public test_anne_env {
public:
    explicit client_env(service_client& c) : client(c) {}
    service_client& client;
    bool load_anne_list(std::vector<anne_record>& list, bool fetch) override {
        (fetch ? fetches : cached_loads) += 1;
        return client.load_anne_list(list, fetch);
    }
};

// The scripts and GET paths of the stand-in's requests, in order.
std::vector<std::string> paths_of(const stand_in_server& server) {
    std::vector<std::string> out;
    for (const recorded_request& r : server.requests()) out.push_back(r.method + " " + r.path());
    return out;
}

const char scenario[] = R"({"announcements": [
    {"code": "A01", "start": "09:00:00", "length": "30", "flag": "0", "title": "오픈 안내", "volume": "80",
     "file": "a01.mp3", "seconds": 2},
    {"code": "A02", "start": "12:00:00", "length": "1:00", "flag": "0", "title": "점심 안내", "volume": "150",
     "file": "a02.mp3", "seconds": 2}]})";

}  // namespace

TEST(anne_service, client_operations_need_a_link) {
    quiet_client_services services;
    service_client client(services);
    std::vector<anne_record> list;
    std::vector<anne_schedule_record> reservations;
    EXPECT_FALSE(client.load_anne_list(list, true));
    EXPECT_FALSE(client.load_anne_library(L"T", list));
    EXPECT_FALSE(client.update_store_hours(L"09", L"00", L"22", L"00"));
    EXPECT_FALSE(client.list_anne_schedule(reservations));
    EXPECT_FALSE(client.apply_anne_schedule());
    client.update_anne_record(anne(L"A", 9, 0, 0, 30));
    EXPECT_TRUE(list.empty());
}

TEST(anne_service, login_loads_the_list_once_and_its_announcement_goes_on_air) {
    stand_in_server server;
    ASSERT_TRUE(server.start_scenario(scenario)) << server.error();
    fake_service_link link;
    link.host = server.host();
    quiet_client_services services;
    services.the_link = &link;
    service_client client(services);
    client_env env(client);
    env.run_starters = true;
    env.opts.fadeinout_time = 0;

    anne_scheduler scheduler(env);
    env.now = timex(2026, 3, 2, 8, 59, 58);
    scheduler.on_login();
    scheduler.on_login();  // a second login takes the kept list
    ASSERT_EQ(scheduler.records().size(), 2u);
    EXPECT_EQ(paths_of(server), (std::vector<std::string>{"POST /rux/rux_anne_check.php"}));
    std::vector<std::string> names;
    for (const auto& f : server.requests()[0].decoded_fields()) names.push_back(f.first);
    EXPECT_EQ(names, (std::vector<std::string>{"storeguideno", "storetop", "storemother", "storecode", "userid",
                                               "userpw", "music_volume", "anne_volume", "music_volume_mute",
                                               "anne_volume_mute"}));

    for (int i = 0; i < 4; ++i) {
        scheduler.tick();
        env.now = env.now + timex_span(1);
    }
    ASSERT_EQ(env.starts, (std::vector<std::string>{"A01@09:00:00 0"}));
    ASSERT_EQ(env.starters.size(), 1u);
    env.ticks += 100;
    ASSERT_TRUE(env.starters[0]->step());
    ASSERT_EQ(env.announcements.plays.size(), 1u);
    const std::string http = server.url("/anne/a01.mp3");
    EXPECT_EQ(env.announcements.plays[0], L"zel2" + std::wstring(http.begin() + 4, http.end()));
    EXPECT_EQ(env.announcements.vol, 800u);
    // The next one, of volume 150, was queued for the cache under its address.
    ASSERT_EQ(env.prefetched.size(), 2u);
    EXPECT_NE(env.prefetched[1].find(L"/anne/a02.mp3"), std::wstring::npos);

    // The user switches A02 off: the client's list and the scheduler take it.
    anne_record off = scheduler.records()[1];
    off.enabled = 0;
    client.update_anne_record(off);
    ASSERT_EQ(link.updates.size(), 1u);
    scheduler.update_record(link.updates[0]);
    EXPECT_EQ(env.schedule_posts, 1);
    EXPECT_EQ(scheduler.records()[1].enabled, 0);

    // A reload asks the service again; the user's choice survives it.
    scheduler.reload();
    EXPECT_EQ(paths_of(server),
              (std::vector<std::string>{"POST /rux/rux_anne_check.php", "POST /rux/rux_anne_check.php"}));
    ASSERT_EQ(scheduler.records().size(), 2u);
    EXPECT_EQ(scheduler.records()[1].enabled, 0);
    EXPECT_EQ(env.fetches, 1);
    EXPECT_EQ(env.cached_loads, 2);
}

TEST(anne_service, failed_list_at_login_leaves_nothing_to_play) {
    stand_in_server server;
    ASSERT_TRUE(server.start_scenario(scenario)) << server.error();
    ASSERT_TRUE(server.set_faults({stand_in_fault::of("rux_anne_check.php", "no_result")}));
    fake_service_link link;
    link.host = server.host();
    quiet_client_services services;
    services.the_link = &link;
    service_client client(services);
    client_env env(client);
    anne_scheduler scheduler(env);
    env.now = timex(2026, 3, 2, 8, 59, 58);
    scheduler.on_login();
    EXPECT_TRUE(scheduler.records().empty());
    for (int i = 0; i < 10; ++i) scheduler.tick();
    EXPECT_TRUE(env.starts.empty());
    EXPECT_EQ(env.listener.events, (std::vector<std::string>{"next -"}));
    EXPECT_EQ(link.log.back(), L"모든 안내방송 정보 가져오기 실패");
}
