// The user interface's own objects over the real registry and the service's
// stand-in: the favourites of the options, the login and the service client
// are one list; skin changes reach every registered skin listener;
// always-on-top reaches the window docker's windows; the settings dialog's
// host offers the service's "auto" channels and finds the category that
// holds a channel.
//
// The program runs in a folder of its own holding zel_core (with its window
// docker) and two recording skin listeners (fixtures/skin_recorder.cpp).
#include <gtest/gtest.h>
#include <windows.h>
#include <map>
#include <string>
#include <utility>
#include <vector>
#include "channel_service.h"
#include "client_channel_service.h"
#include "core.h"
#include "drop_services.h"
#include "equalizer_dialog.h"
#include "login_manager.h"
#include "main_window_lamps.h"
#include "component_option_targets.h"
#include "player_login_services.h"
#include "player_options.h"
#include "service_client.h"
#include "settings_dialog.h"
#include "skin_recorder.h"
#include "stand_in_server.h"
#include "window_docker.h"
#include "memory_home.h"

namespace {

std::vector<std::wstring> texts(const std::vector<stringx>& list) {
    std::vector<std::wstring> out;
    for (const stringx& s : list) out.push_back(s.wvalue());
    return out;
}


struct service_wiring_test : ::testing::Test {
    skin_recorder* recorder = nullptr;

    void SetUp() override {
        core::set_instance(GetModuleHandleW(nullptr));
        core::load_library();
        recorder = static_cast<skin_recorder*>(core::enum_create_component(skin_recorder::iid, 0));
        ASSERT_NE(recorder, nullptr) << "the recording skin listeners are not beside the program";
        recorder->clear();
        get_service_client()->favourites()->clear();
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", nullptr);
        core::free_library();
    }
};

}  // namespace

// The login's options load, the main window and the channel pages all work
// on the service client's favourites: what one adds the others see, and the
// save at the main window's end writes that one list.
TEST_F(service_wiring_test, the_favourites_are_the_service_clients_one_list) {
    memory_home store;
    store.values[L"app/favorates0"] = L"아침 가요";
    store.values[L"app/favorates2"] = L"Chill";
    store.values[L"app/favorates3"] = L"CHILL";  // the same name in other letters
    store.values[L"app/favorates5"] = L"저녁 채널";
    get_service_client()->add_favourite(L"before the login");
    player_options options;
    option_targets& targets = component_option_targets::instance();
    load_options(options, store, targets);
    EXPECT_EQ(texts(*get_service_client()->favourites()),
              (std::vector<std::wstring>{L"아침 가요", L"Chill", L"저녁 채널"}));

    // A channel page adds one on the service client; the save writes it with
    // the others, numbered again from 0, and empties the keys beyond.
    get_service_client()->add_favourite(L"새 채널");
    save_options(options, store, targets, stringx(L""), false);
    EXPECT_EQ(store.at(L"app/favorates0"), L"아침 가요");
    EXPECT_EQ(store.at(L"app/favorates1"), L"Chill");
    EXPECT_EQ(store.at(L"app/favorates2"), L"저녁 채널");
    EXPECT_EQ(store.at(L"app/favorates3"), L"새 채널");
    EXPECT_EQ(store.at(L"app/favorates5"), L"");

    // The login's services reach the same list.
    player_login_services login_services;
    login_services.clear_favourites();
    EXPECT_TRUE(get_service_client()->favourites()->empty());
    login_services.add_favourite(L"로그인 채널");
    login_services.add_favourite(nullptr);
    login_services.add_favourite(L"");
    EXPECT_EQ(texts(targets.favourites()), (std::vector<std::wstring>{L"로그인 채널"}));
}

// The settings dialog's host and the login's services tell every registered
// skin listener, each once per change.
TEST_F(service_wiring_test, skin_changes_reach_every_registered_skin_listener) {
    default_settings_host().skin_changed(4);
    EXPECT_EQ(recorder->told(0), (std::vector<int>{4}));
    EXPECT_EQ(recorder->told(1), (std::vector<int>{4}));
    registry_login_services login_services;
    login_services.tell_skin(6);
    EXPECT_EQ(recorder->told(0), (std::vector<int>{4, 6}));
    EXPECT_EQ(recorder->told(1), (std::vector<int>{4, 6}));
}

// The equalizer window tells every registered window-state listener when
// it opens and closes (window id 3): the main window's equalizer button
// follows it. It used to tell nobody.
TEST_F(service_wiring_test, the_equalizer_windows_state_reaches_the_window_state_listeners) {
    default_equalizer_host().window_state(false);
    default_equalizer_host().window_state(true);
    EXPECT_EQ(recorder->window_states(), (std::vector<std::pair<int, bool>>{{3, false}, {3, true}}));
}

// The equalizer window's on/off and the settings dialog's normalisation
// switch the lamps that the main window registered.
TEST_F(service_wiring_test, the_equalizer_and_the_settings_switch_the_main_windows_lamps) {
    struct recording_lamps : main_window_lamps {
        std::vector<std::string> told;
        void show_norm_lamp(bool on) override { told.push_back(on ? "norm on" : "norm off"); }
        void show_eq_lamp(bool on) override { told.push_back(on ? "eq on" : "eq off"); }
    } lamps;
    set_main_window_lamps(&lamps);
    default_equalizer_host().show_eq_lamp(true);
    default_settings_host().show_norm_lamp(false);
    default_settings_host().show_norm_lamp(true);
    set_main_window_lamps(nullptr);
    default_equalizer_host().show_eq_lamp(false);  // none registered: nobody is told
    EXPECT_EQ(lamps.told, (std::vector<std::string>{"eq on", "norm off", "norm on"}));
}

// The folders of dropped files reach every registered library_add_item
// (the library window's open folder page); they used to go nowhere.
TEST_F(service_wiring_test, dropped_folders_are_handed_to_the_library) {
    core_drop_services drop;
    drop.library_add(stringx(L"C:\\음악\\새 폴더"));
    drop.library_add(stringx(L"D:\\music"));
    EXPECT_EQ(recorder->library_folders(), (std::vector<std::wstring>{L"C:\\음악\\새 폴더", L"D:\\music"}));
}

// Always-on-top from the options load and from the login reaches the
// windows that the docker holds.
TEST_F(service_wiring_test, always_on_top_reaches_the_dockers_windows) {
    auto* docker = static_cast<window_docker*>(core::enum_create_component(window_docker::iid, 0));
    ASSERT_NE(docker, nullptr);
    HWND window = CreateWindowExW(0, L"STATIC", L"wiring", WS_POPUP, -2000, -2000, 40, 30, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    docker->add_window(window);
    auto topmost = [&] { return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
    ASSERT_FALSE(topmost());

    component_option_targets::instance().set_always_on_top(true);
    EXPECT_TRUE(topmost());
    registry_login_services login_services;
    login_services.set_always_on_top(false);
    EXPECT_FALSE(topmost());
    login_services.set_always_on_top(true);
    EXPECT_TRUE(topmost());
    component_option_targets::instance().set_always_on_top(false);
    EXPECT_FALSE(topmost());

    docker->remove_window(window);
    DestroyWindow(window);
}

// Logged in through the player's own login manager: the login's skin reaches
// the skin listeners, the dialog's channel list is the service's "auto" list,
// and a channel's list is the first category from the second one on that
// holds it.
TEST_F(service_wiring_test, the_settings_dialog_asks_the_service_for_its_channels) {
    // Categories: the first holds 1054 but is never asked; an item without a
    // key is skipped; 1053 is in both later categories.
    const std::string scenario = R"({
      "users": [{"userid": "store01", "userpw": "pw01", "login": {"skin": "3",
        "libraryitem1": "1|1|first|음악방송^3|4|nomalbro|개인 방송^2|2||즐겨찾기 채널^3|4|24hradio|24시간 라디오"}}],
      "categories": {"first": [1054], "nomalbro": [1053], "24hradio": [1052, 1053], "auto": [1053, 1052]},
      "channels": [
        {"id": 1052, "extra": "", "tempo": "nomal", "title": "테스트 채널", "description": "", "genre": "",
         "purpose": "", "tracks": []},
        {"id": 1053, "extra": "", "tempo": "fast", "title": "아침 가요", "description": "", "genre": "",
         "purpose": "", "tracks": []},
        {"id": 1054, "extra": "", "tempo": "slow", "title": "첫 목록 채널", "description": "", "genre": "",
         "purpose": "", "tracks": []}]})";
    stand_in_server server;
    ASSERT_TRUE(server.start_scenario(scenario, 120)) << server.error();
    SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", server.host().c_str());
    get_player_options() = player_options();

    stringx message, url;
    ASSERT_TRUE(get_login_manager()->login(nullptr, L"store01", L"pw01", message, url)) << message.wvalue();
    EXPECT_EQ(recorder->told(0), (std::vector<int>{3}));
    EXPECT_EQ(recorder->told(1), (std::vector<int>{3}));

    settings_dialog_host& host = default_settings_host();
    const std::vector<std::pair<stringx, int>> offered = host.auto_channels();
    ASSERT_EQ(offered.size(), 2u);
    EXPECT_EQ(std::wstring(offered[0].first.wvalue()), L"아침 가요");
    EXPECT_EQ(offered[0].second, 1053);
    EXPECT_EQ(std::wstring(offered[1].first.wvalue()), L"테스트 채널");
    EXPECT_EQ(offered[1].second, 1052);

    const struct {
        int id;
        const wchar_t* list;
    } cases[] = {{1053, L"nomalbro"}, {1052, L"24hradio"}, {1054, L""}, {9999, L""}};
    for (const auto& c : cases) EXPECT_EQ(host.channel_list_of(c.id).wvalue(), std::wstring(c.list)) << c.id;

    // The lists asked for: "auto" once, then the later categories with keys.
    std::vector<std::string> flags;
    for (const recorded_request& r : server.requests()) {
        if (r.path() != "/rux/rux_channel_check.php") continue;
        for (const auto& field : r.decoded_fields())
            if (field.first == "flag") flags.push_back(field.second);
    }
    ASSERT_FALSE(flags.empty());
    EXPECT_EQ(flags[0], "auto");
    for (size_t i = 1; i < flags.size(); ++i) {
        EXPECT_TRUE(flags[i] == "nomalbro" || flags[i] == "24hradio") << flags[i];
    }
    // 1053: one list; 1052: two; 1054 and 9999: both lists each.
    EXPECT_EQ(flags.size(), 1u + 1 + 2 + 2 + 2);
}

namespace {

// Waits (bounded) for a message posted to window.
bool wait_for_post(HWND window, UINT message, DWORD timeout_ms) {
    const DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < timeout_ms) {
        if (PeekMessageW(&msg, window, message, message, PM_REMOVE)) return true;
        Sleep(5);
    }
    return false;
}

}  // namespace

// The last channel at the login against a service that holds the song
// request without a word: the request runs on a worker (the caller goes on
// at once), its failure leaves the channel's tracks of the earlier run to
// play, and the next request gets the service's tracks; an expired login is
// told apart, as no use asking again.
TEST_F(service_wiring_test, the_last_channel_is_asked_for_on_a_worker_and_kept_between_runs) {
    const std::string scenario = R"({
      "users": [{"userid": "store01", "userpw": "pw01"}],
      "categories": {"음악방송": [1052]},
      "channels": [{"id": 1052, "extra": "", "tempo": "nomal", "title": "테스트 채널", "description": "",
        "genre": "", "purpose": "", "tracks": [
          {"number": 1, "length": "60", "offset": "0", "title": "곡1", "artist": "a", "album": "b", "file": "1.mp3"},
          {"number": 2, "length": "60", "offset": "0", "title": "곡2", "artist": "a", "album": "b", "file": "2.mp3"}]}]})";
    stand_in_server server;
    ASSERT_TRUE(server.start_scenario(scenario, 120)) << server.error();
    SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", server.host().c_str());
    get_player_options() = player_options();
    stringx message, url;
    ASSERT_TRUE(get_login_manager()->login(nullptr, L"store01", L"pw01", message, url)) << message.wvalue();

    client_channel_service channels;
    ASSERT_TRUE(channels.get_channel_list(L"음악방송"));
    channels.select_channel_by_key(1052);
    ASSERT_TRUE(channels.select_channel_checked());
    ASSERT_TRUE(channels.fetch_saved_tracks()) << "the tracks are kept for the next run";

    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    const UINT fetched = WM_APP + 9;
    stand_in_fault silent = stand_in_fault::of("rux_song_check.php", "silent");
    silent.hold_ms = 3000;
    silent.times = 1;
    ASSERT_TRUE(server.set_faults({silent}));
    const DWORD before = GetTickCount();
    ASSERT_TRUE(channels.start_checked_fetch(window, fetched));
    EXPECT_LT(GetTickCount() - before, 250u) << "the caller is not held";
    EXPECT_EQ(channels.finish_checked_fetch(), channel_service::fetch_pending);
    ASSERT_TRUE(wait_for_post(window, fetched, 40000));
    EXPECT_EQ(channels.finish_checked_fetch(), channel_service::fetch_failed);
    EXPECT_FALSE(channels.last_check_refused());
    EXPECT_TRUE(channels.fetch_saved_tracks());

    ASSERT_TRUE(channels.start_checked_fetch(window, fetched));
    ASSERT_TRUE(wait_for_post(window, fetched, 20000));
    EXPECT_EQ(channels.finish_checked_fetch(), channel_service::fetch_done);

    ASSERT_TRUE(server.set_faults({stand_in_fault::of("rux_song_check.php", "login_false")}));
    ASSERT_TRUE(channels.start_checked_fetch(window, fetched));
    ASSERT_TRUE(wait_for_post(window, fetched, 20000));
    EXPECT_EQ(channels.finish_checked_fetch(), channel_service::fetch_refused);
    EXPECT_TRUE(channels.last_check_refused());
    DestroyWindow(window);

    // The prefix is shared with the player: its kept channel goes with the test.
    wchar_t* folder = core::get_appdata_path();
    DeleteFileW((std::wstring(folder ? folder : L"") + L"\\channel_tracks.txt").c_str());
    free(folder);
}
