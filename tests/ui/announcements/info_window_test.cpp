// The announcement window as a real skinned window under Wine: its skin in
// the seven colours and its three displays (next, preparing, on air), the
// play-now paths, the end and stop of an announcement, the resume at login,
// the volume and mute reports, the live announcement's end, the playlist
// window sliding below it, and the engine events it is told. The reports go
// to the service's stand-in; the players, the ducker and the fades are the
// announcement tests' fakes.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "anne_test_env.h"
#include "core.h"
#include "event_record.h"
#include "info_window.h"
#include "info_window_listeners.h"
#include "player_options.h"
#include "service_request.h"
#include "skin.h"
#include "skin_control.h"
#include "stand_in_server.h"
#include "window_capture.h"
#include "window_messages.h"
#include "window_rig.h"

namespace ids = info_window_ids;
using window_rig::pump;

namespace {

void register_info_class() {
    WNDCLASSW wc;
    if (GetClassInfoW(GetModuleHandleW(nullptr), L"ZELInfoWindow", &wc)) return;
    if (!GetClassInfoW(nullptr, L"#32770", &wc)) return;
    wc.lpszClassName = L"ZELInfoWindow";
    wc.hInstance = GetModuleHandleW(nullptr);
    RegisterClassW(&wc);
}

COLORREF back_pixel(skin* look, int x, int y) { return GetPixel(look->back_buffer().get_memdc(), x, y); }

std::string narrow(const wchar_t* text) {
    std::string s;
    if (!text) return s;
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    s.resize(n > 0 ? n - 1 : 0);
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, &s[0], n, nullptr, nullptr);
    return s;
}

// Text as the stand-in received it (code page 949) in UTF-8.
std::string from_cp949(const std::string& text) {
    const int n = MultiByteToWideChar(949, 0, text.c_str(), -1, nullptr, 0);
    if (n <= 0) return text;
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(949, 0, text.c_str(), -1, &wide[0], n);
    return narrow(wide.c_str());
}

// The announcement tests' surroundings, with the window's options block;
// the window's own announcement listener hears what the recording one does.
class window_env : public test_anne_env {
public:
    explicit window_env(player_options& o) : block(o) {}
    const login_options& options() override { return block; }
    std::vector<anne_progress_listener*> listeners() override { return {&listener, &window_listener}; }
    player_options& block;
    info_progress_listener window_listener;
};

class test_host : public info_window_host {
public:
    test_host() : env_(opts) {
        opts.volume = 1000;
        opts.info_volume = 800;
        opts.music_volume_rate = 1.0f;
        opts.fadeinout_time = 6000;
        opts.fadedirect_time = 1000;
        opts.anne_volume_linkage_off = true;
        opts.skin = 1;
        identity_.store.storecode = L"S001";
        identity_.userid = L"tester";
    }

    anne_environment& env() override { return env_; }
    player_options& options() override { return opts; }
    void start_starter(const anne_record& record, unsigned fade_ms) override {
        starters.push_back(narrow(record.title.wvalue()) + " " + std::to_string(fade_ms));
    }
    void start_fade_in(unsigned fade_ms) override { fade_ins.push_back(fade_ms); }
    request_identity identity() override { return identity_; }
    void write_anne_log(const wchar_t* line) override { logs.push_back(narrow(line)); }
    HWND main_window() override { return main; }
    HWND playlist_window() override { return playlist; }
    void refresh_playlist_layout() override { ++layouts; }
    bool expanded() override { return expanded_mode; }
    void dock(HWND w) override { docked.push_back(w); }
    void undock(HWND w) override { undocked.push_back(w); }
    void tell_window_state(bool hidden) override { states.push_back(hidden); }
    void show_music_mute(bool on) override { music_mute_shown.push_back(on); }

    player_options opts;
    window_env env_;
    request_identity identity_;
    std::vector<std::string> starters;
    std::vector<unsigned> fade_ins;
    std::vector<std::string> logs;
    HWND main = nullptr;
    HWND playlist = nullptr;
    bool expanded_mode = false;
    int layouts = 0;
    std::vector<HWND> docked, undocked;
    std::vector<bool> states;
    std::vector<bool> music_mute_shown;
};

anne_record record_of(const wchar_t* code, const wchar_t* title, int h, int m, int s, long length, int volume = 100) {
    anne_record r = anne(code, h, m, s, length, true, volume);
    r.title = title;
    return r;
}

struct info_window_test : ::testing::Test {
    void SetUp() override {
        core::set_instance(GetModuleHandleW(nullptr));
        register_info_class();
        info_window::ignored_stops = 0;
        info_window::pending_starts = 0;
        info_window::volume_press = -1;
        main_window.reset(new window_rig::host_window(100, 100, 320, 150, RGB(40, 40, 40)));
        host.main = main_window->hwnd();
    }
    void TearDown() override {
        if (window && IsWindow(window->get_hwnd())) DestroyWindow(window->get_hwnd());
        window.reset();
        main_window.reset();
        SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", nullptr);
    }

    void open() {
        window.reset(new info_window(host));
        ASSERT_TRUE(window->create_window(host.main));
        hwnd = window->get_hwnd();
        look = window->get_skin();
        ASSERT_NE(look, nullptr);
        SetWindowPos(hwnd, nullptr, 100, 250, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        pump();
    }
    void start_service() {
        ASSERT_TRUE(server.start_scenario("{}")) << server.error();
        SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", server.host().c_str());
    }
    std::string caption(unsigned id) { return narrow(look->get_caption(id)); }
    // The second "player_state" and the fields after it of every report.
    std::vector<std::vector<std::pair<std::string, std::string>>> reports() {
        std::vector<std::vector<std::pair<std::string, std::string>>> out;
        for (const recorded_request& r : server.requests()) {
            if (r.path() != "/rux/rux_player_state.php") continue;
            const auto fields = r.decoded_fields();
            std::vector<std::pair<std::string, std::string>> tail;
            int states = 0;
            for (const auto& f : fields) {
                if (f.first == "player_state") ++states;
                if (states >= 2) tail.push_back({f.first, from_cp949(f.second)});
            }
            out.push_back(tail);
        }
        return out;
    }
    void save_back_buffer(const std::string& suffix) {
        const pixel_image image = capture_dc(look->back_buffer().get_memdc(), 0, 0, 320, 100);
        save_artifact(image, std::wstring(suffix.begin(), suffix.end()).c_str());
    }

    test_host host;
    std::unique_ptr<window_rig::host_window> main_window;
    std::unique_ptr<info_window> window;
    HWND hwnd = nullptr;
    skin* look = nullptr;
    stand_in_server server;
};

TEST_F(info_window_test, each_colour_has_its_image_colours_and_controls) {
    const struct {
        int skin;
        COLORREF text, progress, volume;
    } cases[] = {
        {1, 0x866F45, 0x917445, 0x9C6915}, {2, 0x315083, 0x233F72, 0x06204E}, {3, 0x5C2982, 0x70368E, 0x280739},
        {4, 0x2416D8, 0x2929F3, 0x121280}, {5, 0x083621, 0x22734F, 0x02110A}, {6, 0x6B332E, 0xB92D1B, 0x45120B},
        {7, 0x656565, 0x343434, 0x000000}, {9, 0x866F45, 0x917445, 0x9C6915},
    };
    for (const auto& c : cases) {
        host.opts.skin = c.skin;
        open();
        SCOPED_TRACE(c.skin);
        RECT r;
        GetWindowRect(hwnd, &r);
        EXPECT_EQ(r.right - r.left, 320);
        EXPECT_EQ(r.bottom - r.top, 100);
        for (unsigned id : {ids::title, ids::time, ids::volume_text}) {
            skin_static* s = look->get_static(id);
            ASSERT_NE(s, nullptr) << id;
            EXPECT_EQ(s->text_colour, c.text);
            EXPECT_STREQ(s->face, L"돋움");
        }
        auto* progress = static_cast<skin_scroll*>(look->get_control(ids::progress));
        auto* volume = static_cast<skin_scroll*>(look->get_control(ids::volume));
        ASSERT_NE(progress, nullptr);
        ASSERT_NE(volume, nullptr);
        EXPECT_EQ(progress->fill_colour, static_cast<int64_t>(c.progress));
        EXPECT_EQ(volume->fill_colour, static_cast<int64_t>(c.volume));
        EXPECT_EQ(volume->type, skin_control::type_vslider);
        int lo = -1, hi = -1;
        look->get_range(ids::volume, lo, hi);
        EXPECT_EQ(hi, 100);
        EXPECT_EQ(look->get_position(ids::volume), 20);  // 100 - 800 / 10
        EXPECT_FALSE(look->get_control(ids::stop)->enabled);
        EXPECT_FALSE(look->get_control(ids::close)->visible);
        EXPECT_STREQ(look->get_control(ids::close)->tooltip, L"닫기");
        EXPECT_STREQ(look->get_control(ids::stop)->tooltip, L"정지");
        EXPECT_STREQ(look->get_control(ids::mute)->tooltip, L"음소거");
        // The key colour is outside: the corners are cut off.
        EXPECT_EQ(back_pixel(look, 0, 0), RGB(255, 0, 255));
        EXPECT_NE(back_pixel(look, 160, 50), RGB(255, 0, 255));
        DestroyWindow(hwnd);
        EXPECT_EQ(info_window::current(), nullptr);
    }
    // The announcement player stops after each announcement and takes the
    // announcement volume and mute.
    EXPECT_EQ(host.env_.announcements.mode, 3);
    EXPECT_EQ(host.env_.announcements.vol, 800u);
}

// The three displays in every colour, saved for a person to look at
// (artifacts/info_window_test.the_three_displays_in_every_colour-*.png).
TEST_F(info_window_test, the_three_displays_in_every_colour) {
    const char* names[] = {"", "blue", "orange", "purple", "red", "green", "indigo", "grey"};
    info_progress_listener events;
    const anne_record next = record_of(L"A01", L"오픈 안내 방송", 9, 30, 0, 125);
    for (int colour = 1; colour <= 7; ++colour) {
        SCOPED_TRACE(colour);
        host.opts.skin = colour;
        host.env_.announcements.playing = false;
        open();
        events.on_next_changed(&next);
        EXPECT_EQ(caption(ids::title), "[09:30:00] 오픈 안내 방송");
        EXPECT_EQ(caption(ids::time), "00'00 / 02'05");
        EXPECT_EQ(look->get_static(ids::title)->tooltip, std::wstring(L"오픈 안내 방송"));
        ShowWindow(hwnd, SW_SHOWNOACTIVATE);
        pump();
        save_back_buffer(std::string(names[colour]) + "-next");

        events.on_preparing(&next);
        EXPECT_EQ(caption(ids::title), "[준비중] 오픈 안내 방송");
        EXPECT_EQ(caption(ids::time), "00'00 / 02'05");
        EXPECT_EQ(info_window::pending_starts, 1);
        EXPECT_TRUE(window->announcement_active);
        EXPECT_TRUE(IsWindowVisible(hwnd));
        save_back_buffer(std::string(names[colour]) + "-preparing");

        host.env_.announcements.playing = true;
        events.on_air(&next);
        EXPECT_EQ(info_window::pending_starts, 0);
        EXPECT_EQ(caption(ids::title), "[방송중] 오픈 안내 방송");
        // The progress as the engine reports it: 47 s of 125.
        event_record<audio_format> format;
        audio_format f = {};
        f.length = 125.0;
        format.store(f);
        SendMessageW(hwnd, msg_track_format, 0, format.as_lparam());
        SendMessageW(hwnd, msg_track_started, 0, 0);
        event_record<info_position_record> position;
        position.store(info_position_record{f, 47.2});
        SendMessageW(hwnd, msg_track_position, 0, position.as_lparam());
        EXPECT_EQ(caption(ids::time), "00'47 / 02'05");
        EXPECT_EQ(look->get_position(ids::progress), 47);
        EXPECT_TRUE(look->get_control(ids::stop)->enabled);
        save_back_buffer(std::string(names[colour]) + "-on-air");
        host.env_.announcements.playing = false;
        DestroyWindow(hwnd);
    }
}

// The window shows the next one, and after an announcement what the
// scheduler last named (or that none comes).
TEST_F(info_window_test, after_an_announcement_it_shows_the_next_one_again) {
    open();
    info_progress_listener events;
    events.on_finished();  // nothing named yet
    EXPECT_EQ(caption(ids::title), "안내방송이 없습니다");
    EXPECT_EQ(caption(ids::time), "00'00/00'00");
    events.on_next_changed(nullptr);
    EXPECT_EQ(caption(ids::title), "안내방송이 없습니다");
    EXPECT_EQ(caption(ids::time), "00'00 / 00'00");
    const anne_record next = record_of(L"A02", L"점심 안내", 12, 0, 5, 61);
    events.on_next_changed(&next);
    const anne_record now = record_of(L"A01", L"지금", 9, 0, 0, 30);
    events.on_preparing(&now);
    host.env_.announcements.playing = true;
    events.on_air(&now);
    EXPECT_EQ(caption(ids::title), "[방송중] 지금");
    host.env_.announcements.playing = false;
    events.on_finished();
    EXPECT_FALSE(window->announcement_active);
    EXPECT_EQ(caption(ids::title), "[12:00:05] 점심 안내");
    EXPECT_EQ(caption(ids::time), "00'00 / 01'01");
    // A stored "none" reads as none, not as an announcement at midnight.
    events.on_next_changed(nullptr);
    events.on_finished();
    EXPECT_EQ(caption(ids::title), "안내방송이 없습니다");
}

// Play now: the path by what plays and whether a ducker is there; the
// direct path plays at once and reports it, the fade path leaves it to a
// starter over fadeinout_time.
TEST_F(info_window_test, play_now_takes_the_path_of_the_table) {
    start_service();
    const struct {
        const char* name;
        bool music, announcement, ducker;
        bool direct;
    } cases[] = {
        {"music playing, with a ducker", true, false, true, false},
        {"music playing, no ducker", true, false, false, false},
        {"announcement playing, with a ducker", false, true, true, true},
        {"announcement playing, no ducker", true, true, false, true},
        {"neither, with a ducker", false, false, true, false},
        {"neither, no ducker", false, false, false, true},
    };
    open();
    const anne_record request = record_of(L"L01", L"즉시 안내", 10, 0, 0, 30, 200);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        host.starters.clear();
        host.env_.listener.events.clear();
        host.env_.music.playing = c.music;
        host.env_.music.vol = 1000;
        host.env_.announcements.playing = c.announcement;
        host.env_.announcements.plays.clear();
        host.env_.with_ducker = c.ducker;
        info_window::pending_starts = 0;
        const size_t before = reports().size();
        const LRESULT r = SendMessageW(hwnd, msg_anne_play_now, 0, reinterpret_cast<LPARAM>(&request));
        EXPECT_EQ(r, 1);
        const auto sent = reports();
        if (c.direct) {
            EXPECT_TRUE(host.starters.empty());
            ASSERT_EQ(host.env_.announcements.plays.size(), 1u);
            EXPECT_EQ(host.env_.announcements.plays[0], L"zel2://127.0.0.1/anne/L01.mp3");
            EXPECT_EQ(host.env_.music.vol, 0u);
            EXPECT_EQ(host.env_.listener.events,
                      (std::vector<std::string>{"vol 0", "prep L01", "air L01"}));
            // The one on the player before is reported stopped first (the
            // player held one from the earlier cases), then this one.
            ASSERT_GE(sent.size(), before + 1);
            EXPECT_EQ(sent.back()[0].second, "anne_direct_play");
        } else {
            EXPECT_EQ(host.starters, std::vector<std::string>{"즉시 안내 6000"});
            EXPECT_TRUE(host.env_.announcements.plays.empty());
            ASSERT_EQ(sent.size(), before + 1);
            EXPECT_EQ(sent.back()[0].second, "anne_direct_play");
        }
        EXPECT_EQ(sent.back()[1], (std::pair<std::string, std::string>{"player_title", "즉시 안내"}));
        EXPECT_EQ(sent.back()[2],
                  (std::pair<std::string, std::string>{"player_file", "zel2://127.0.0.1/anne/L01.mp3"}));
    }
    // The whole request: the report group, then player_state a second time.
    const auto requests = server.requests();
    const auto fields = requests.back().decoded_fields();
    ASSERT_GE(fields.size(), 13u);
    EXPECT_EQ(fields[0], (std::pair<std::string, std::string>{"player_state", "player_att"}));
    EXPECT_EQ(fields[1], (std::pair<std::string, std::string>{"userid", "tester"}));
    int states = 0;
    for (const auto& f : fields) states += f.first == "player_state";
    EXPECT_EQ(states, 2);
}

// A second announcement while one is on air: the running one is reported
// stopped, its stop message does not bring the music back, and the new one
// plays with the music kept at 0. While one fades in, a request is dropped.
TEST_F(info_window_test, play_now_over_an_announcement_on_air_replaces_it) {
    start_service();
    open();
    const anne_record first = record_of(L"A01", L"첫째", 9, 0, 0, 30);
    const anne_record second = record_of(L"A02", L"둘째", 9, 5, 0, 30);
    host.env_.with_ducker = false;
    SendMessageW(hwnd, msg_anne_play_now, 0, reinterpret_cast<LPARAM>(&first));
    ASSERT_TRUE(host.env_.announcements.playing);
    SendMessageW(hwnd, msg_anne_play_now, 0, reinterpret_cast<LPARAM>(&second));
    const auto sent = reports();
    ASSERT_GE(sent.size(), 3u);
    EXPECT_EQ(sent[sent.size() - 2][0].second, "anne_direct_stop");
    EXPECT_EQ(sent[sent.size() - 2][1].second, "첫째");
    EXPECT_EQ(sent.back()[0].second, "anne_direct_play");
    // The stop of the first one, as the engine reports it.
    SendMessageW(hwnd, msg_track_stopped, 0, 0);
    EXPECT_TRUE(host.fade_ins.empty());
    EXPECT_EQ(host.env_.music.vol, 0u);
    EXPECT_EQ(host.env_.announcements.plays.back(), L"zel2://127.0.0.1/anne/A02.mp3");

    // Preparing another one (a starter on its way): requests are dropped.
    info_progress_listener events;
    events.on_preparing(&first);
    const size_t plays = host.env_.announcements.plays.size();
    SendMessageW(hwnd, msg_anne_play_now, 0, reinterpret_cast<LPARAM>(&second));
    EXPECT_EQ(host.env_.announcements.plays.size(), plays);
}

// The stop control reports the stop, and the player's stop message brings
// the music back over fadedirect_time; an announcement that ends brings it
// back over fadeinout_time, one that fails over fadedirect_time; the window
// goes unless the user opened it.
TEST_F(info_window_test, the_end_of_an_announcement_brings_the_music_back) {
    start_service();
    open();
    host.env_.with_ducker = false;
    const anne_record record = record_of(L"A01", L"안내", 9, 0, 0, 30);
    SendMessageW(hwnd, msg_anne_play_now, 0, reinterpret_cast<LPARAM>(&record));
    EXPECT_TRUE(IsWindowVisible(hwnd));
    SendMessageW(hwnd, msg_track_started, 0, 0);
    info_window::ignored_stops = 0;  // what on_finished does after the fade

    SendMessageW(hwnd, WM_COMMAND, ids::stop, 0);
    EXPECT_FALSE(host.env_.announcements.playing);
    EXPECT_EQ(reports().back()[0].second, "anne_direct_stop");
    SendMessageW(hwnd, msg_track_stopped, 0, 0);
    EXPECT_EQ(host.fade_ins, std::vector<unsigned>{1000});
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_FALSE(look->get_control(ids::stop)->enabled);

    // Opened by the user, it shows its close control, which hides it again.
    window->set_opened_by_user(true);
    EXPECT_TRUE(look->get_control(ids::close)->visible);
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    SendMessageW(hwnd, WM_COMMAND, ids::close, 0);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_FALSE(window->opened_by_user);
    EXPECT_TRUE(window->hidden_by_user);

    const struct {
        UINT message;
        unsigned fade;
        bool opened;
    } ends[] = {{msg_track_finished, 6000, false}, {msg_play_error, 1000, false}, {msg_track_finished, 6000, true}};
    for (const auto& e : ends) {
        host.fade_ins.clear();
        window->opened_by_user = e.opened;
        ShowWindow(hwnd, SW_SHOWNOACTIVATE);
        host.env_.announcements.playing = true;
        const int stops = host.env_.announcements.stops;
        SendMessageW(hwnd, e.message, 0, 0);
        EXPECT_EQ(host.fade_ins, std::vector<unsigned>{e.fade});
        EXPECT_EQ(host.env_.announcements.stops, stops + 1);
        EXPECT_EQ(IsWindowVisible(hwnd) != FALSE, e.opened);
    }
}

// A live announcement that ends clears the flag, so that the next live
// announcement, "playsong" and the listen cell are taken again.
TEST_F(info_window_test, a_live_announcement_that_ends_lets_the_next_one_in) {
    open();
    const UINT ends[] = {msg_track_finished, msg_play_error, msg_track_stopped};
    for (UINT end : ends) {
        host.opts.live_anne_on = true;
        info_window::ignored_stops = 0;
        SendMessageW(hwnd, end, 0, 0);
        EXPECT_FALSE(host.opts.live_anne_on) << end;
    }
    // While it is on, other announcements do not change the title line.
    host.opts.live_anne_on = true;
    host.opts.live_anne = record_of(L"", L"라이브", 0, 0, 0, 0);
    info_progress_listener events;
    const anne_record other = record_of(L"A09", L"다른 안내", 9, 0, 0, 30);
    events.on_next_changed(nullptr);
    events.on_preparing(&other);
    events.on_air(&other);
    EXPECT_EQ(caption(ids::title), "안내방송이 없습니다");
    events.on_preparing(&host.opts.live_anne);
    EXPECT_EQ(caption(ids::title), "[준비중] 라이브");
}

// Resumed at login: at 09:00:10 an announcement from 09:00:00 of 40 s
// starts at a quarter of its file and the window shows 00'10 at once.
TEST_F(info_window_test, a_login_resumes_the_announcement_due) {
    open();
    host.env_.now = timex(2026, 3, 2, 9, 0, 10);
    host.env_.service_list = {record_of(L"A00", L"지난", 8, 0, 0, 30), record_of(L"A01", L"개점", 9, 0, 0, 40),
                              record_of(L"A02", L"다음", 9, 30, 0, 40)};
    window->resume_announcement();
    ASSERT_EQ(host.env_.announcements.plays.size(), 1u);
    EXPECT_EQ(host.env_.announcements.plays[0], L"zel2://127.0.0.1/anne/A01.mp3|0.250000|0");
    EXPECT_EQ(host.env_.music.vol, 0u);
    EXPECT_EQ(host.env_.listener.events, (std::vector<std::string>{"vol 0", "prep A01", "air A01"}));
    EXPECT_EQ(caption(ids::time), "00'10 / 00'40");
    EXPECT_EQ(look->get_position(ids::progress), 10);
    // The engine counts from the resumed point; the display adds the 10 s.
    event_record<info_position_record> position;
    audio_format f = {};
    f.length = 40.0;
    position.store(info_position_record{f, 5.0});
    SendMessageW(hwnd, msg_track_position, 0, position.as_lparam());
    EXPECT_EQ(caption(ids::time), "00'15 / 00'40");
    // The main window rebuilds the skin after the login's listeners: the
    // resumed announcement keeps counting from where it resumed.
    window->rebuild_skin();
    look = window->get_skin();
    position.store(info_position_record{f, 6.0});
    SendMessageW(hwnd, msg_track_position, 0, position.as_lparam());
    EXPECT_EQ(caption(ids::time), "00'16 / 00'40");
    int lo = -1, hi = -1;
    look->get_range(ids::progress, lo, hi);
    EXPECT_EQ(hi, 40);
    EXPECT_TRUE(look->get_control(ids::stop)->enabled);

    // Nothing due: nothing plays.
    host.env_.announcements.plays.clear();
    host.env_.now = timex(2026, 3, 2, 9, 0, 40);
    window->resume_announcement();
    EXPECT_TRUE(host.env_.announcements.plays.empty());
}

// With the linkage off the slider and the check act on the announcement
// player and report "anne_volume" (after the press) and "anne_volume_mute";
// with it on they do nothing.
TEST_F(info_window_test, volume_and_mute_changes_are_reported) {
    start_service();
    open();
    window_rig::left_down(hwnd, 305, 50);
    SendMessageW(hwnd, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 45), ids::volume);
    EXPECT_EQ(host.opts.info_volume, 550u);
    EXPECT_EQ(host.env_.announcements.vol, 550u);
    EXPECT_EQ(caption(ids::volume_text), "80 55");
    EXPECT_EQ(host.logs.back(), "안내볼륨 조절 80 -> 55");
    window_rig::left_up(hwnd, 305, 50);
    pump();
    SendMessageW(hwnd, WM_COMMAND, ids::mute, 0);
    EXPECT_TRUE(host.opts.info_mute);
    EXPECT_TRUE(host.env_.announcements.muted);
    EXPECT_TRUE(static_cast<skin_button*>(look->get_control(ids::mute))->checked);
    const auto sent = reports();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0], (std::vector<std::pair<std::string, std::string>>{{"player_state", "anne_volume"},
                                                                          {"value", "55"}}));
    EXPECT_EQ(sent[1], (std::vector<std::pair<std::string, std::string>>{{"player_state", "anne_volume_mute"},
                                                                          {"value", "1"}}));

    // The linkage on: nothing reacts; the main window's changes come through
    // sync_volume and sync_mute.
    host.opts.anne_volume_linkage_off = false;
    window->rebuild_skin();
    look = window->get_skin();
    EXPECT_FALSE(look->get_control(ids::volume)->enabled);
    EXPECT_FALSE(look->get_control(ids::mute)->enabled);
    const unsigned volume = host.opts.info_volume;
    SendMessageW(hwnd, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 10), ids::volume);
    SendMessageW(hwnd, WM_COMMAND, ids::mute, 0);
    EXPECT_EQ(host.opts.info_volume, volume);
    host.opts.info_volume = 300;
    host.opts.info_mute = true;
    window->sync_volume();
    window->sync_mute();
    EXPECT_EQ(look->get_position(ids::volume), 70);
    EXPECT_EQ(host.env_.announcements.vol, 300u);
    EXPECT_TRUE(host.env_.announcements.muted);
    EXPECT_EQ(reports().size(), 2u);
}

// Shown between the main window and the playlist window, the window pushes
// the playlist window's top down (its bottom stays); hidden, it gives the
// place back, so that no gap stays below the main window.
TEST_F(info_window_test, the_playlist_window_below_makes_room_and_closes_the_gap) {
    window_rig::host_window playlist(100, 250, 320, 300, RGB(200, 200, 200));
    host.playlist = playlist.hwnd();
    open();
    ShowWindow(hwnd, SW_HIDE);
    pump();
    RECT p;
    GetWindowRect(playlist.hwnd(), &p);
    EXPECT_EQ(p.top, 250);
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    GetWindowRect(playlist.hwnd(), &p);
    EXPECT_EQ(p.top, 350);
    EXPECT_EQ(p.bottom, 550);
    EXPECT_EQ(host.layouts, 1);
    ShowWindow(hwnd, SW_HIDE);
    GetWindowRect(playlist.hwnd(), &p);
    EXPECT_EQ(p.top, 250);
    EXPECT_EQ(p.bottom, 550);
    EXPECT_EQ(host.layouts, 2);
    EXPECT_EQ(host.states.back(), true);
    // A playlist window the user moved away stays where it is.
    SetWindowPos(playlist.hwnd(), nullptr, 500, 500, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    ShowWindow(hwnd, SW_HIDE);
    GetWindowRect(playlist.hwnd(), &p);
    EXPECT_EQ(p.top, 500);
    EXPECT_EQ(host.docked.front(), hwnd);
}

// Another colour skin while an announcement is on air keeps what the window
// shows: the title line, the time, the progress and the stop control.
TEST_F(info_window_test, a_colour_change_keeps_the_announcement_shown) {
    open();
    info_progress_listener events;
    const anne_record record = record_of(L"A01", L"개점 안내", 9, 0, 0, 90);
    events.on_preparing(&record);
    host.env_.announcements.playing = true;
    events.on_air(&record);
    look->set_range(ids::progress, 0, 90);
    look->set_position(ids::progress, 33);
    window->on_skin(4);
    look = window->get_skin();
    ASSERT_NE(look, nullptr);
    EXPECT_EQ(look->get_static(ids::title)->text_colour, 0x2416D8u);
    EXPECT_EQ(caption(ids::title), "[방송중] 개점 안내");
    EXPECT_EQ(caption(ids::time), "00'33 / 01'30");
    EXPECT_EQ(look->get_position(ids::progress), 33);
    EXPECT_TRUE(look->get_control(ids::stop)->enabled);
    EXPECT_FALSE(look->get_control(ids::close)->visible);
    // Docked again with its new skin.
    EXPECT_EQ(host.undocked.size(), 1u);
    EXPECT_EQ(host.docked.size(), 2u);
    save_back_buffer("red-after-change");
}

// Outside the expanded mode the window remembers where it is; the expanded
// mode puts it at the work area's left edge below the main window, and its
// end brings it back.
TEST_F(info_window_test, the_expanded_mode_moves_it_and_its_end_brings_it_back) {
    open();
    SetWindowPos(hwnd, nullptr, 140, 260, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(window->saved_x, 140);
    EXPECT_EQ(window->saved_y, 260);
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    host.expanded_mode = true;
    SendMessageW(hwnd, msg_expanded_mode, 1, 0);
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, work.left);
    EXPECT_EQ(r.top, 250);  // the main window's bottom
    host.expanded_mode = false;
    SendMessageW(hwnd, msg_expanded_mode, 0, 0);
    GetWindowRect(hwnd, &r);
    EXPECT_EQ(r.left, 140);
    EXPECT_EQ(r.top, 260);
}

// The announcement player's engine events become the window's messages.
TEST_F(info_window_test, the_engine_events_reach_the_window_as_messages) {
    struct targets : info_engine_listener::targets {
        play_manager* player() override { return anne; }
        HWND window() override { return target; }
        void write_anne_log(const wchar_t* line) override { logs.push_back(narrow(line)); }
        play_manager* anne = nullptr;
        HWND target = nullptr;
        std::vector<std::string> logs;
    } t;
    window_rig::host_window target(0, 0, 10, 10);
    t.target = target.hwnd();
    t.anne = &host.env_.announcements;
    info_engine_listener listener(t);
    auto* thread = reinterpret_cast<playback_thread*>(0x10);
    list_info entry;
    list_info::set_string(entry.title, L"개점");
    listener.on_start(thread, &entry, false);
    host.env_.announcements.playing = true;
    listener.on_position(thread, nullptr, 0.1);
    listener.on_position(thread, nullptr, 0.2);  // under 0.2 s on: not posted
    listener.on_position(thread, nullptr, 0.5);
    listener.on_finish(reinterpret_cast<playback_thread*>(0x20), &entry, 1);  // another thread
    // An error ends it: the finish the engine raises after it is not posted.
    listener.on_error(thread, 0, L"zel2://host/anne/a1.mp3");
    listener.on_finish(thread, &entry, 1);
    auto* next = reinterpret_cast<playback_thread*>(0x30);
    listener.on_start(next, &entry, false);
    listener.on_finish(next, &entry, 0);
    std::vector<UINT> posted;
    MSG m;
    while (PeekMessageW(&m, target.hwnd(), 0, 0, PM_REMOVE))
        if (m.message >= 1900 && m.message < 2000) posted.push_back(m.message);
    EXPECT_EQ(posted, (std::vector<UINT>{msg_track_started, msg_track_position, msg_track_position, msg_play_error,
                                         msg_track_started, msg_track_stopped}));
    EXPECT_EQ(t.logs, (std::vector<std::string>{
                          "안내 파일 재생 시작 : 개점", "안내 파일 재생 완료 : 개점",
                          "안내 파일 재생 에러 : 파일을 열수 없거나 주소가 잘못 되었습니다(a1.mp3)",
                          "안내 파일 재생 완료 : 개점", "안내 파일 재생 시작 : 개점", "안내 파일 재생 완료 : 개점"}));
}

}  // namespace
