// The main window's commands, mouse areas, tray, close and destroy, on a
// real window over recording seams.
#include "player_window_fakes.h"

#include <algorithm>
#include <set>

#include "stand_in_server.h"

namespace ids = player_skin_ids;

namespace {
bool quit_posted() {
    MSG msg;
    return PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}
}  // namespace

TEST_F(player_window_test, builds_the_normal_skin_with_the_windows_below_it) {
    options.play_method = 2;
    options.mute = true;
    store.write(L"app", L"favorates0", L"채널A");
    store.write(L"app", L"favorates3", L"채널B");
    open();
    ASSERT_NE(look(), nullptr);
    EXPECT_FALSE(window->look().is_mini());
    EXPECT_EQ(current_player_window(), window.get());
    wchar_t caption[64] = {};
    GetWindowTextW(hwnd(), caption, 64);
    EXPECT_STREQ(caption, L"VOLQUIN 플레이어");
    EXPECT_EQ(player.mode, 5) << "play method 2 is random rounds";
    EXPECT_TRUE(player.mute);
    EXPECT_TRUE(is_checked(look(), ids::mute));
    for (int m = 0; m < 4; ++m) EXPECT_EQ(look()->get_control(ids::method_first + m)->visible, m == 2);
    ASSERT_EQ(targets.favs.size(), 2u);
    EXPECT_EQ(narrow(targets.favs[1]), "채널B");
    EXPECT_TRUE(targets.has("rate 60000"));

    RECT main_rect, info_rect, list_rect;
    GetWindowRect(hwnd(), &main_rect);
    GetWindowRect(window->info_window(), &info_rect);
    GetWindowRect(window->playlist_window(), &list_rect);
    EXPECT_EQ(info_rect.left, main_rect.left);
    EXPECT_EQ(info_rect.top, main_rect.bottom);
    EXPECT_EQ(list_rect.left, main_rect.left);
    EXPECT_EQ(list_rect.top, info_rect.bottom);
    EXPECT_TRUE(IsWindowVisible(window->info_window()));
    EXPECT_TRUE(IsWindowVisible(window->playlist_window()));
    EXPECT_TRUE(window->playlist_shown());
}

TEST_F(player_window_test, commands_reach_the_players) {
    open();
    struct {
        unsigned id;
        std::vector<std::string> transport;
        std::vector<std::string> reports;
    } cases[] = {
        {9, {"open_files"}, {}}, {10, {"play"}, {}},     {11, {"pause"}, {}},
        {12, {"stop"}, {"play_stop"}}, {13, {"previous"}, {}}, {14, {"next"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        transport.calls.clear();
        reports.calls.clear();
        command(c.id);
        EXPECT_EQ(transport.calls, c.transport);
        EXPECT_EQ(reports.calls, c.reports);
    }
    // The seek and volume sliders.
    transport.calls.clear();
    SendMessageW(hwnd(), WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 42), ids::seek);
    SendMessageW(hwnd(), WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 30), ids::volume);
    EXPECT_EQ(transport.calls, (std::vector<std::string>{"seek 42", "volume 300"}));
    EXPECT_EQ(options.volume, 300u);
    EXPECT_EQ(options.info_volume, 300u) << "the announcement volume follows while linked";
    EXPECT_EQ(companions.volume_syncs, 1);
}

TEST_F(player_window_test, play_and_pause_wait_while_the_transport_is_held) {
    open();
    SendMessageW(hwnd(), msg_transport_state, 0, 2);
    EXPECT_EQ(transport.calls, (std::vector<std::string>{"stop"}));
    EXPECT_EQ(reports.calls, (std::vector<std::string>{"play_stop"}));
    transport.calls.clear();
    command(10);
    command(11);
    command(12);
    EXPECT_EQ(transport.calls, (std::vector<std::string>{"stop"})) << "only the stop works while held";
    // A track start is not shown while held.
    list_info e;
    e.title = _wcsdup(L"숨은 곡");
    event_record<list_info> record(e);
    SendMessageW(hwnd(), msg_track_started, 0, record.as_lparam());
    EXPECT_EQ(window->display_title(), L"");

    SendMessageW(hwnd(), msg_transport_state, 0, 1);
    transport.calls.clear();
    command(10);
    command(11);
    EXPECT_EQ(transport.calls, (std::vector<std::string>{"play", "pause"}));
}

TEST_F(player_window_test, the_logo_and_the_volume_slider_have_exact_edges) {
    open();
    struct {
        int x, y;
        bool opens;
    } logo[] = {{18, 6, true}, {58, 23, true}, {17, 6, false}, {59, 23, false}, {18, 5, false}, {58, 24, false}};
    for (const auto& c : logo) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        host.calls.clear();
        SendMessageW(hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c.x, c.y));
        SendMessageW(hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(c.x, c.y));
        EXPECT_EQ(host.has("home_page"), c.opens);
    }
    host.is_expanded = true;
    host.calls.clear();
    SendMessageW(hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 10));
    EXPECT_FALSE(host.has("home_page")) << "nothing opens in the expanded mode";
    host.is_expanded = false;

    // A press on the slider and a release after a volume change reports it;
    // without a change, or pressed beside the slider, nothing is reported.
    struct {
        int x, y;
        bool change;
        bool reported;
    } volume[] = {{305, 146, true, true}, {215, 134, true, true}, {305, 146, false, false},
                  {306, 146, true, false}, {305, 147, true, false}, {214, 140, true, false}};
    for (const auto& c : volume) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        reports.calls.clear();
        SendMessageW(hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c.x, c.y));
        if (c.change) options.volume += 10;
        SendMessageW(hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(c.x, c.y));
        EXPECT_EQ(reports.has("state 1"), c.reported);
    }
}

// Without a downloaded logo the skin's own logo shows, also after a rebuild
// (another colour, back from mini mode).
TEST_F(player_window_test, a_skin_rebuild_keeps_the_default_logo) {
    open();
    const auto logo_pixels = [&] {
        std::vector<COLORREF> pixels;
        for (int y = 6; y <= 23; ++y)
            for (int x = 18; x <= 58; ++x) pixels.push_back(GetPixel(look()->back_buffer().get_memdc(), x, y));
        return pixels;
    };
    const std::vector<COLORREF> before = logo_pixels();
    ASSERT_GT(std::set<COLORREF>(before.begin(), before.end()).size(), 1u) << "the skin draws a logo";
    window->apply_skin(options.skin);
    EXPECT_EQ(logo_pixels(), before);
    command(3);
    command(3);
    EXPECT_EQ(logo_pixels(), before);
}

TEST_F(player_window_test, mute_play_method_and_always_on_top) {
    open();
    command(16);
    EXPECT_TRUE(options.mute);
    EXPECT_TRUE(player.mute);
    EXPECT_TRUE(options.info_mute);
    EXPECT_TRUE(is_checked(look(), ids::mute));
    EXPECT_EQ(store.get(L"app", L"mute"), L"1");
    EXPECT_EQ(reports.calls, (std::vector<std::string>{"state 2"}));
    EXPECT_EQ(window->marquee().text(), L" 음소거 중입니다 ");

    // Play method 3, then its indicator: 0, and mode 1 on the first playlist.
    options.play_method = 3;
    player.active = 0;
    command(20);
    EXPECT_EQ(options.play_method, 0);
    EXPECT_EQ(player.mode, 1);
    EXPECT_TRUE(look()->get_control(ids::method_first)->visible);
    EXPECT_FALSE(look()->get_control(ids::method_first + 3)->visible);
    // On the channel playlist the mode stays.
    player.active = 1;
    command(17);
    EXPECT_EQ(options.play_method, 1);
    EXPECT_EQ(player.mode, 1);

    command(15);
    EXPECT_TRUE(options.always_top);
    EXPECT_TRUE(host.has("top on"));
    command(3);  // the mini skin carries the always-on-top check
    EXPECT_TRUE(is_checked(look(), ids::always_top));
    command(15);
    EXPECT_FALSE(is_checked(look(), ids::always_top));
    EXPECT_TRUE(host.has("top off"));
}

TEST_F(player_window_test, window_buttons_toggle_the_other_windows) {
    open();
    HWND list = window->playlist_window();
    command(6);
    EXPECT_FALSE(IsWindowVisible(list));
    EXPECT_FALSE(window->playlist_shown());
    command(6);
    EXPECT_TRUE(IsWindowVisible(list));

    command(8);
    EXPECT_FALSE(IsWindowVisible(window->info_window()));
    EXPECT_FALSE(companions.shown);
    command(8);
    EXPECT_TRUE(IsWindowVisible(window->info_window()));
    EXPECT_TRUE(companions.shown);

    command(7);
    HWND library = window->library_window();
    ASSERT_NE(library, nullptr);
    RECT main_rect, lib_rect;
    GetWindowRect(hwnd(), &main_rect);
    GetWindowRect(library, &lib_rect);
    EXPECT_EQ(lib_rect.left, main_rect.right);
    EXPECT_EQ(lib_rect.top, main_rect.top);
    command(7);
    EXPECT_FALSE(IsWindowVisible(library));

    command(5);
    HWND eq = window->equalizer_window();
    ASSERT_TRUE(eq && IsWindow(eq));
    command(5);
    EXPECT_FALSE(IsWindow(eq)) << "the equalizer closes on a second click";

    command(0);
    EXPECT_EQ(companions.settings_runs, 1);
    EXPECT_EQ(channels.calls, (std::vector<std::string>{"save_state", "restore_state"}));

    // Nothing toggles the playlist or library window in the expanded mode.
    host.is_expanded = true;
    command(6);
    command(7);
    EXPECT_TRUE(IsWindowVisible(list));
    EXPECT_FALSE(IsWindowVisible(library));
}

TEST_F(player_window_test, minimize_goes_to_the_tray_and_a_click_restores) {
    open();
    EXPECT_FALSE(host.has("tray_remove")) << "opening is no restore from the tray";
    command(2);
    EXPECT_TRUE(host.has("tray_add"));
    EXPECT_TRUE(IsIconic(hwnd()));
    ShowWindow(window->playlist_window(), SW_HIDE);
    host.calls.clear();
    SendMessageW(hwnd(), msg_tray_notify, 0, WM_RBUTTONDOWN);
    window_rig::pump();
    EXPECT_FALSE(host.has("tray_remove")) << "only a button's release restores";
    SendMessageW(hwnd(), msg_tray_notify, 0, WM_LBUTTONUP);
    ASSERT_TRUE(window_rig::pump_until([&] { return host.has("tray_remove"); }));
    EXPECT_FALSE(IsIconic(hwnd()));
    EXPECT_TRUE(IsWindowVisible(window->playlist_window()));
}

TEST_F(player_window_test, a_restore_hides_the_announcement_window_unless_it_is_on_air_or_kept) {
    struct {
        bool on_air, hidden, kept;
        bool visible_after;
    } cases[] = {{true, false, false, true}, {false, false, false, false}, {false, false, true, true}};
    open();
    for (const auto& c : cases) {
        ShowWindow(window->info_window(), SW_HIDE);
        companions.on_air = c.on_air;
        companions.hidden = c.hidden;
        companions.kept = c.kept;
        if (c.kept) ShowWindow(window->info_window(), SW_SHOWNOACTIVATE);
        SendMessageW(hwnd(), WM_SIZE, SIZE_RESTORED, 0);
        window_rig::pump();
        EXPECT_EQ(IsWindowVisible(window->info_window()) != 0, c.visible_after);
    }
}

TEST_F(player_window_test, shutdown_closes_only_on_log_off) {
    open();
    SendMessageW(hwnd(), WM_QUERYENDSESSION, 0, 0);
    window_rig::pump();
    EXPECT_TRUE(IsWindow(hwnd()));
    EXPECT_FALSE(reports.has("exit"));
    SendMessageW(hwnd(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
    ASSERT_TRUE(window_rig::pump_until([&] { return !IsWindow(hwnd()); }));
    EXPECT_TRUE(reports.has("exit"));
}

TEST_F(player_window_test, a_shutdown_saves_the_options_and_reports_the_exit) {
    open();
    options.volume = 640;
    SendMessageW(hwnd(), WM_QUERYENDSESSION, 0, 0);
    SendMessageW(hwnd(), WM_ENDSESSION, FALSE, 0);
    EXPECT_TRUE(IsWindow(hwnd())) << "a cancelled end changes nothing";
    SendMessageW(hwnd(), WM_ENDSESSION, TRUE, 0);
    EXPECT_FALSE(IsWindow(hwnd()));
    EXPECT_TRUE(reports.has("exit"));
    EXPECT_EQ(store.get(L"app", L"volume"), L"640");
}

// The close saves the options before the exit report (a request that may
// wait long, during which Windows may end the process), and gives the event
// sounds back before the window goes.
TEST_F(player_window_test, close_saves_the_options_before_the_exit_report_and_gives_the_sounds_back) {
    open();
    options.volume = 520;
    std::wstring volume_at_exit;
    reports.on_exit = [&] { volume_at_exit = store.get(L"app", L"volume"); };
    SendMessageW(hwnd(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(hwnd()));
    EXPECT_EQ(volume_at_exit, L"520");
    ASSERT_TRUE(host.has("sounds_on"));
    const auto at = [&](const char* c) { return std::find(host.calls.begin(), host.calls.end(), c) - host.calls.begin(); };
    EXPECT_LT(at("sounds_on"), at("tray_remove"));
    EXPECT_EQ(host.count("sounds_on"), 1);
    EXPECT_TRUE(host.has("ui_closing"));
    quit_posted();
}

TEST_F(player_window_test, destroy_writes_the_options) {
    options.volume = 730;
    options.info_volume = 410;
    options.always_top = true;
    options.skin = 3;
    options.play_method = 2;
    options.music_volume_rate = 0.8f;
    options.last_channel = true;
    store.write(L"app", L"channel", L"old|1");
    open();
    targets.favs = {stringx(L"즐겨찾기1")};
    player.active = 1;
    channels.current_id = 1052;
    channels.list_name = L"음악방송";
    DestroyWindow(hwnd());
    EXPECT_EQ(store.get(L"app", L"volume"), L"730");
    EXPECT_EQ(store.get(L"app", L"info_volume"), L"410");
    EXPECT_EQ(store.get(L"app", L"always_top"), L"1");
    EXPECT_EQ(store.get(L"app", L"skin"), L"3");
    EXPECT_EQ(store.get(L"app", L"play_method"), L"2");
    EXPECT_EQ(store.get(L"app", L"music_volume_rate"), L"80");
    EXPECT_EQ(store.get(L"app", L"channel"), L"음악방송|1052");
    EXPECT_EQ(store.get(L"app", L"favorates0"), L"즐겨찾기1");
    EXPECT_TRUE(host.has("ui_closing"));
    EXPECT_EQ(host.count("sounds_on"), 1) << "ended without a close, the event sounds still come back";
    EXPECT_EQ(current_player_window(), nullptr);
    EXPECT_TRUE(quit_posted()) << "the window's end ends the message loop";
    // The taskbar list goes while COM still runs on the window's thread (the
    // host object itself lives until the library unloads, after COM ended).
    EXPECT_TRUE(host.has("release_shell com_on"));
    EXPECT_FALSE(host.has("release_shell com_off"));
}

TEST_F(player_window_test, the_saved_channel_follows_the_active_playlist) {
    struct {
        int active;
        unsigned id;
        std::wstring saved;
    } cases[] = {{0, 1052, L""}, {1, 0, L"old|1"}, {-1, 7, L""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.active);
        store.values.clear();
        store.write(L"app", L"channel", L"old|1");
        options.last_channel = true;
        player.active = c.active;
        channels.current_id = c.id;
        open();
        DestroyWindow(hwnd());
        EXPECT_EQ(store.get(L"app", L"channel"), c.saved);
        window_rig::pump();
        quit_posted();
    }
}

// Opens the window with the service's own reports going to the host, and
// closes it.
struct player_window_service_test : player_window_test {
    void close_reporting_to(const std::wstring& service) {
        SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", service.c_str());
        service_player_reports real(host);
        reports_used = &real;
        open();
        SendMessageW(hwnd(), WM_CLOSE, 0, 0);
        SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", nullptr);
        reports_used = &reports;
    }
};

TEST_F(player_window_service_test, close_reports_the_exit_to_the_service_and_quits) {
    stand_in_server server;
    ASSERT_TRUE(server.start_scenario()) << server.error();
    close_reporting_to(server.host());
    EXPECT_FALSE(IsWindow(hwnd()));
    EXPECT_EQ(server.state("report"), (std::vector<std::vector<std::string>>{{"player_exit"}}));
    EXPECT_TRUE(host.has("tray_remove"));
    EXPECT_FALSE(host.has("anne_log Failure: player_state - player_exit"));
    EXPECT_TRUE(quit_posted());
}

TEST_F(player_window_service_test, a_failed_exit_report_is_logged_and_the_window_still_closes) {
    close_reporting_to(L"127.0.0.1:" + std::to_wstring(stand_in_server::unused_port()));
    EXPECT_FALSE(IsWindow(hwnd()));
    EXPECT_TRUE(host.has("anne_log Failure: player_state - player_exit"));
}
