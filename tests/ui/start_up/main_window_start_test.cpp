// The user interface's start with the real main window: zel_ui's main
// window service makes the player window over the registry's music player,
// the service client and the channel track list, with the real playlist
// window below it. With stored credentials and automatic login against the
// service's stand-in, the window comes up logged in, restores the login's
// channel and its first track plays into the capture output. A first start
// goes through the login dialog, the window docker keeping the windows
// around the main window in their places, and every window shows on the
// screen what it painted.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include "channel_test_support.h"
#include "login_manager.h"
#include "player_companions.h"
#include "playlist_services.h"
#include "player_options.h"
#include "radio_page.h"
#include "service_client.h"
#include "stand_in_server.h"
#include "start_up.h"
#include "startup_rig.h"
#include "ui_service.h"
#include "window_capture.h"
#include "window_rig.h"
#include "window_messages.h"

namespace {

// The start-up rig with the real main window and the player's own login
// manager, whose login the service client's requests carry; the login
// listeners are the main window's (as zel_ui's listener tells it).
class real_window_services : public rig_services {
public:
    player_main_window_service window_service;
    player_window_service* player_window() override { return &window_service; }
    login_manager& login() override { return *get_login_manager(); }
    // The start hooks as the player raises them: the players make their
    // playlists, the track cache starts.
    void tell_ui_ready() override {
        rig_services::tell_ui_ready();
        registry_startup_services::tell_ui_ready();
    }
    void tell_login_listeners() override {
        rig_services::tell_login_listeners();
        // The login's options selected the sound card's output; this PC has
        // none, so the capture output takes its place again before the
        // channel starts.
        if (output_manager* outputs = find_output_manager()) outputs->select(output_type_capture, 0);
        if (auto* window = current_player_window()) window->on_login(true);
    }
};

struct main_window_start_test : channel_test::player_fixture {};

// The channel 1052 of the login reply: a track of real music and a minute of
// the stand-in's silence.
std::string channel_scenario(const std::string& users) {
    return R"({"users": )" + users + R"(,
      "categories": {"음악방송": [1052]},
      "channels": [{"id": 1052, "extra": "", "tempo": "nomal", "title": "테스트 채널", "description": "",
        "genre": "", "purpose": "", "tracks": [
        {"number": 101, "length": "2.4", "offset": "0", "title": "곡1", "artist": "가수1", "album": "앨범",
         "file": "start101.mp3", "source": ")" + ZEL_MPEG_FIXTURE_DIR + R"(/l3_cbr128_44k_joint.mp3"},
        {"number": 102, "length": "60", "offset": "0", "title": "곡2", "artist": "가수2", "album": "앨범",
         "file": "start102.mp3", "seconds": 60}]}]})";
}

HMODULE module_of_test() { return GetModuleHandleW(nullptr); }

// While it lives, the registry hands out the test's user-interface service
// (through the relay library of the test folder), as zel_ui hands out its
// own in the player: the window docker learns the main window from it.
class relayed_ui {
public:
    explicit relayed_ui(startup_services& services) : ui_(services, &module_of_test) {
        HMODULE relay = GetModuleHandleW(L"main_ui_relay.dll");
        set_ = relay ? reinterpret_cast<void (*)(main_ui*)>(
                           reinterpret_cast<void*>(GetProcAddress(relay, "main_ui_relay_set")))
                     : nullptr;
        if (set_) set_(&ui_);
    }
    ~relayed_ui() {
        if (set_) set_(nullptr);
    }
    bool active() const { return set_ != nullptr; }

private:
    ui_service ui_;
    void (*set_)(main_ui*);
};

// When each top-level window of the thread was last shown or moved (tick
// count), from a hook on the thread's window procedures: either asks for
// its pixels at a new place of the screen.
class show_times {
public:
    show_times() {
        current_ = this;
        hook_ = SetWindowsHookExW(WH_CALLWNDPROC, &show_times::hook, nullptr, GetCurrentThreadId());
    }
    ~show_times() {
        if (hook_) UnhookWindowsHookEx(hook_);
        current_ = nullptr;
    }
    // The tick of the window's last showing or move; now when it was not
    // seen shown.
    DWORD shown_at(HWND hwnd) {
        auto it = shown_.find(hwnd);
        if (it == shown_.end()) it = shown_.emplace(hwnd, GetTickCount()).first;
        return it->second;
    }

private:
    static LRESULT CALLBACK hook(int code, WPARAM wparam, LPARAM lparam) {
        const CWPSTRUCT* m = reinterpret_cast<const CWPSTRUCT*>(lparam);
        if (code == HC_ACTION && current_ && m && !(GetWindowLongW(m->hwnd, GWL_STYLE) & WS_CHILD)) {
            const UINT flags =
                m->message == WM_WINDOWPOSCHANGED ? reinterpret_cast<const WINDOWPOS*>(m->lParam)->flags : 0;
            const bool shown = (m->message == WM_SHOWWINDOW && m->wParam) || (flags & SWP_SHOWWINDOW) ||
                               (m->message == WM_WINDOWPOSCHANGED && !(flags & SWP_NOMOVE));
            if (shown) current_->shown_[m->hwnd] = GetTickCount();
        }
        return CallNextHookEx(nullptr, code, wparam, lparam);
    }
    static show_times* current_;
    HHOOK hook_ = nullptr;
    std::map<HWND, DWORD> shown_;
};
show_times* show_times::current_ = nullptr;

// Whether each window the user should see shows its own pixels on the
// screen within a second of being shown. check() compares once and says
// whether the window is settled: it agrees, or the second has passed.
class screen_watch {
public:
    struct result {
        std::wstring name;
        bool agrees;
        DWORD after_ms;  // from the showing (or move) to the comparison
        int percent;     // of the visible part that agreed
    };
    static const DWORD limit_ms = 1000;
    // Controls that change by themselves between the two captures (a caret,
    // the level meter) leave a few pixels apart; a window that has not
    // reached the screen leaves most of them.
    static const int agreeing_percent = 95;

    bool check(HWND hwnd, const wchar_t* name) {
        const DWORD shown = times_.shown_at(hwnd);
        const screen_comparison c = compare_with_screen(hwnd);
        const DWORD after = GetTickCount() - shown;
        const bool agrees = c.agrees(agreeing_percent);
        if (!agrees && after <= limit_ms) return false;
        const int percent = c.compared > 0 ? static_cast<int>(c.equal * 100LL / c.compared) : 0;
        results.push_back({name, agrees, after, percent});
        save_artifact(c.own, (std::wstring(name) + L"-own").c_str());
        save_artifact(c.screen, (std::wstring(name) + L"-screen").c_str());
        return true;
    }
    // Pumps until the window is settled.
    void settle(HWND hwnd, const wchar_t* name) {
        window_rig::pump_until([&] { return check(hwnd, name); }, 2 * limit_ms + 500);
    }
    const result* find(const wchar_t* name) const {
        for (const result& r : results)
            if (r.name == name) return &r;
        return nullptr;
    }

    std::vector<result> results;

private:
    show_times times_;
};

// The visible top-level dialog of this thread with that caption.
HWND dialog_titled(const wchar_t* title) {
    struct search {
        const wchar_t* title;
        HWND found;
        static BOOL CALLBACK visit(HWND hwnd, LPARAM context) {
            auto* s = reinterpret_cast<search*>(context);
            wchar_t cls[16] = L"", text[64] = L"";
            GetClassNameW(hwnd, cls, 16);
            GetWindowTextW(hwnd, text, 64);
            if (IsWindowVisible(hwnd) && IsWindowEnabled(hwnd) && wcscmp(cls, L"#32770") == 0 &&
                wcscmp(text, s->title) == 0) {
                s->found = hwnd;
                return FALSE;
            }
            return TRUE;
        }
    } s = {title, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &search::visit, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

RECT rect_of(HWND hwnd) {
    RECT r = {};
    GetWindowRect(hwnd, &r);
    return r;
}

}  // namespace

// The comparison behind the first start's screen checks reads the display,
// not the window: pixels a window painted reach the display only when its
// thread lets them, and until then the two disagree.
TEST(screen_comparison, sees_pixels_that_have_not_reached_the_display) {
    window_rig::host_window host(60, 60, 120, 80, RGB(255, 0, 0));
    HWND hwnd = host.hwnd();
    ASSERT_TRUE(window_rig::pump_until([&] { return compare_with_screen(hwnd).agrees(100); }))
        << "the red window reaches the screen";
    HDC dc = GetDC(hwnd);
    const RECT all = {0, 0, 120, 80};
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    FillRect(dc, &all, blue);
    DeleteObject(blue);
    ReleaseDC(hwnd, dc);
    const screen_comparison stale = compare_with_screen(hwnd);
    EXPECT_EQ(stale.own.count(RGB(0, 0, 255)), 120 * 80);
    EXPECT_FALSE(stale.agrees(50)) << stale.equal << " of " << stale.compared << " pixels already blue on the screen";
    EXPECT_TRUE(window_rig::pump_until([&] { return compare_with_screen(hwnd).agrees(100); }))
        << "the blue window reaches the screen once the thread is idle";
}

TEST_F(main_window_start_test, stored_credentials_log_in_and_the_logins_channel_plays) {
    // The login reply names "음악방송|1052"; channel 1052's first track is
    // real music, its second a minute of the stand-in's silence.
    const std::string scenario = channel_scenario(R"([{"userid": "store01", "userpw": "pw01"}])");
    stand_in_server server;
    ASSERT_TRUE(server.start_scenario(scenario, 120)) << server.error();
    SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", server.host().c_str());
    SetEnvironmentVariableW(L"ZEL_SERVICE_WEB_HOST", nullptr);
    get_player_options() = player_options();
    reset_main_window_state();

    real_window_services services;
    services.store_credentials(L"store01", L"pw01");
    services.set_ini(L"password_save", L"1");
    services.set_ini(L"auto_login", L"1");
    services.set_ini(L"auto_start", L"0");
    scripted_user user({});
    HWND main = run_start_up(GetModuleHandleW(nullptr), services);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(user.unexpected(), 0);
    EXPECT_EQ(main, services.window_service.main_window());
    EXPECT_NE(services.window_service.login_tick(), 0u);
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_TRUE(get_login_manager()->is_logged_in());
    EXPECT_EQ(services.listener_calls, 1);
    EXPECT_TRUE(services.boxes.empty());

    // The channel of the login is the current one and its tracks are in the
    // channel playlist, the first of them playing.
    EXPECT_EQ(get_service_client()->current_channel()->id, 1052);
    ASSERT_GE(music->playlist_count(), 2);
    channel_list = music->playlist_at(1);
    ASSERT_EQ(channel_list->name(), L"음악방송");
    ASSERT_EQ(channel_list->count(), 2u);
    ASSERT_TRUE(wait_playing_path(channel_list->at(0)->path));
    // The music of the first track reaches the capture output (44.1 kHz,
    // 16-bit stereo); the player then moves on to the second track.
    ASSERT_TRUE(wait_playing_path(channel_list->at(1)->path));
    std::vector<capture_track> taken;
    capture->tracks(0, taken);
    std::vector<unsigned char> pcm;
    for (const capture_track& t : taken) pcm.insert(pcm.end(), t.pcm.begin(), t.pcm.end());
    const size_t music_bytes = 22 * 44100 * 4 / 10;
    ASSERT_GE(pcm.size(), music_bytes) << taken.size() << " tracks captured";
    EXPECT_GT(channel_test::peak(std::vector<unsigned char>(pcm.begin(), pcm.begin() + music_bytes)), 1000);

    // The logged-in window, for a person to look at. The title strip shows
    // the panel's face while the marquee runs, never the skin's key colour.
    window_rig::pump();
    const pixel_image shot = capture_window(main);
    save_artifact(shot, L"logged_in");
    ASSERT_EQ(shot.width, 320);
    EXPECT_EQ(shot.count(RGB(255, 0, 255), 19, 70, 251, 12), 0);

    // The playlist window stands below the main window and the announcement
    // window, the now-playing list inside it listing the channel's two
    // tracks. (The login's move of the main window takes the group along
    // through the window docker in the running player; this test program
    // moves the main window alone.)
    HWND playlist = services.window_service.playlist_window();
    ASSERT_NE(playlist, nullptr);
    wchar_t cls[32] = L"";
    GetClassNameW(playlist, cls, 32);
    EXPECT_STREQ(cls, L"ZELPlaylist");
    EXPECT_TRUE(IsWindowVisible(playlist));
    RECT main_rect = {}, list_rect = {};
    GetWindowRect(main, &main_rect);
    GetWindowRect(playlist, &list_rect);

    EXPECT_GE(list_rect.top, main_rect.bottom);
    ASSERT_NE(playlist_window::current(), nullptr);
    EXPECT_TRUE(IsWindowVisible(playlist_window::current()->now_playing_window()));
    EXPECT_EQ(library_playlist_view_host().item_count(), 2);
    const pixel_image list_shot = capture_window(playlist);
    save_artifact(list_shot, L"playlist_window");

    music->stop(0);
    DestroyWindow(main);
    window_rig::pump();
    EXPECT_EQ(services.window_service.main_window(), nullptr);
    SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", nullptr);
}

// An internet radio station from the radio page plays through the player's
// own services: its ICY stream (a loop of real music with a stream title)
// comes from a stand-in on 127.0.0.1 and the station becomes the player's
// current entry in the default playlist.
namespace {

// The player's radio services with one station of the test's choosing.
struct one_station_services : radio_page_services {
    std::wstring address;
    bool stations(const stringx&, std::vector<radio_record>& records) override {
        radio_record r;
        r.name = stringx(L"테스트 라디오");
        r.address = stringx(address.c_str());
        records.push_back(r);
        return true;
    }
    std::vector<list_info> expand(const stringx& a) override { return player_radio_page_services().expand(a); }
    void play_in_default_playlist(const std::vector<list_info>& e) override {
        player_radio_page_services().play_in_default_playlist(e);
    }
    void drag_entries(HWND, const std::vector<list_info>&) override {}
    void add_favourite(const stringx&) override {}
    void message(HWND, const wchar_t*, const wchar_t*) override {}
    void report_favourite(const stringx&, const stringx&) override {}
    void shell_open(const stringx&) override {}
};

std::string read_fixture(const char* name) {
    std::string path = std::string(ZEL_MPEG_FIXTURE_DIR) + "/" + name;
    std::string bytes;
    if (FILE* f = fopen(path.c_str(), "rb")) {
        char buffer[65536];
        size_t n;
        while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0) bytes.append(buffer, n);
        fclose(f);
    }
    return bytes;
}

// An ICY reply: the audio with a metadata block after every interval bytes.
std::string icy_stream(const std::string& audio, size_t interval, const std::string& title) {
    std::string reply = "ICY 200 OK\r\ncontent-type:audio/mpeg\r\nicy-name:Test Station\r\nicy-metaint:" +
                        std::to_string(interval) + "\r\n\r\n";
    std::string meta = "StreamTitle='" + title + "';";
    const size_t units = (meta.size() + 15) / 16;
    std::string block(1, static_cast<char>(units));
    block += meta;
    block.resize(1 + units * 16, '\0');
    for (size_t at = 0; at + interval <= audio.size(); at += interval) reply += audio.substr(at, interval) + block;
    return reply;
}

}  // namespace

TEST_F(main_window_start_test, a_radio_station_plays_its_icy_stream_from_the_default_playlist) {
    const std::string scenario = channel_scenario(R"([{"userid": "store01", "userpw": "pw01"}])");
    stand_in_server server;
    ASSERT_TRUE(server.start_scenario(scenario, 120)) << server.error();
    SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", server.host().c_str());
    SetEnvironmentVariableW(L"ZEL_SERVICE_WEB_HOST", nullptr);
    get_player_options() = player_options();
    reset_main_window_state();
    real_window_services services;
    services.store_credentials(L"store01", L"pw01");
    services.set_ini(L"password_save", L"1");
    services.set_ini(L"auto_login", L"1");
    services.set_ini(L"auto_start", L"0");
    scripted_user user({});
    HWND main = run_start_up(GetModuleHandleW(nullptr), services);
    ASSERT_NE(main, nullptr);
    ASSERT_NE(current_player_window(), nullptr);

    // The station: the fixture repeated to a few seconds, sent as one ICY
    // stream again for every connection.
    std::string audio;
    const std::string one = read_fixture("l3_cbr128_44k_joint.mp3");
    ASSERT_FALSE(one.empty());
    while (audio.size() < 400000) audio += one;
    stand_in_server radio;
    ASSERT_TRUE(radio.start(0, 120)) << radio.error();
    ASSERT_TRUE(radio.set_replies({canned_reply::raw(icy_stream(audio, 8000, "Now Playing"), 16000, 50, 2000)}));

    one_station_services stations;
    stations.address = L"http://" + radio.host() + L"/live";
    set_radio_page_services(&stations);
    window_rig::host_window host(0, 0, 400, 200);
    const RECT r = {0, 0, 400, 200};
    std::unique_ptr<page_view> page(create_page(1, stringx(L"nomalradio"), host.hwnd(), r, nullptr));
    set_radio_page_services(nullptr);
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(page->get_item_count(), 1);
    // The listen image of the row.
    SendMessageW(page->get_hwnd(), msg_list_view_notify, 0, radio_page::plain_listen_column);

    ASSERT_TRUE(wait_playing_path(stations.address.c_str()));
    EXPECT_EQ(music->playlist_index(music->active_playlist()->id().c_str()), 0);
    // The player asked the station's stand-in for its stream.
    EXPECT_TRUE(window_rig::pump_until([&] { return !radio.requests().empty(); }, 10000));
    if (!radio.requests().empty()) {
        EXPECT_EQ(radio.requests()[0].target, "/live");
    }
    save_artifact(capture_window(main), L"radio");

    music->stop(0);
    DestroyWindow(main);
    window_rig::pump();
    SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", nullptr);
}

TEST_F(main_window_start_test, a_first_start_logs_in_through_the_dialog_with_the_windows_docked_and_on_the_screen) {
    // A PC the service does not know and no stored credentials: the login
    // dialog comes up over the main window and the user types the store's id
    // and password.
    stand_in_server server;
    ASSERT_TRUE(server.start_scenario(channel_scenario(R"([{"userid": "demo", "userpw": "demo"}])"), 120))
        << server.error();
    SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", server.host().c_str());
    SetEnvironmentVariableW(L"ZEL_SERVICE_WEB_HOST", nullptr);
    get_player_options() = player_options();
    reset_main_window_state();

    real_window_services services;
    services.set_ini(L"password_save", L"1");
    services.set_ini(L"auto_login", L"1");
    services.set_ini(L"auto_start", L"0");
    relayed_ui ui(services);
    ASSERT_TRUE(ui.active()) << "main_ui_relay.dll is not in the test folder";
    screen_watch watch;

    RECT main_under_dialog = {};
    bool main_was_disabled = false;
    HWND settings = nullptr, question = nullptr;
    scripted_user user({
        // The dialog shows itself on the screen before the user types.
        [&]() -> scripted_user::action {
            HWND dialog = scripted_user::login_window();
            if (!dialog || !watch.check(dialog, L"login_dialog")) return nullptr;
            return [&, dialog]() {
                HWND main = services.window_service.main_window();
                main_under_dialog = rect_of(main);
                main_was_disabled = !IsWindowEnabled(main);
                SetDlgItemTextW(dialog, 1000, L"demo");
                SetDlgItemTextW(dialog, 1001, L"demo");
                SendMessageW(dialog, WM_COMMAND, IDOK, 0);
            };
        },
        // The settings dialog, then the close question: each is answered
        // once it has shown on the screen (or its second is over).
        [&]() -> scripted_user::action {
            settings = dialog_titled(L"환경 설정");
            if (!settings || !watch.check(settings, L"settings_dialog")) return nullptr;
            return [&]() { SendMessageW(settings, WM_COMMAND, IDCANCEL, 0); };
        },
        [&]() -> scripted_user::action {
            question = dialog_titled(L"VOLQUIN 플레이어");
            if (!question || !watch.check(question, L"close_question")) return nullptr;
            return [&]() { SendMessageW(question, WM_COMMAND, IDNO, 0); };
        },
    });
    HWND main = run_start_up(GetModuleHandleW(nullptr), services);
    ASSERT_NE(main, nullptr);
    ASSERT_EQ(user.done(), 1u) << "the login dialog was answered";
    EXPECT_TRUE(main_was_disabled) << "the dialog is modal over the main window";
    EXPECT_TRUE(get_login_manager()->is_logged_in());

    // The login moved the main window (from the middle of the work area to
    // the middle of its row with the library), and the docker took the
    // windows below it along: the announcement window on the main window's
    // bottom edge, hidden again after the dialog, and the playlist window
    // moved up into its place when it went (no gap below the main window);
    // the library window opened on its right edge.
    const RECT m = rect_of(main);
    EXPECT_NE(m.left, main_under_dialog.left) << "the login moves the main window";
    HWND info = services.window_service.info_window();
    HWND playlist = services.window_service.playlist_window();
    HWND library = services.window_service.library_window();
    ASSERT_NE(info, nullptr);
    ASSERT_NE(playlist, nullptr);
    ASSERT_NE(library, nullptr);
    const RECT i = rect_of(info), p = rect_of(playlist), l = rect_of(library);
    EXPECT_FALSE(IsWindowVisible(info));
    EXPECT_EQ(i.left, m.left);
    EXPECT_EQ(i.top, m.bottom);
    EXPECT_TRUE(IsWindowVisible(playlist));
    EXPECT_EQ(p.left, m.left);
    EXPECT_EQ(p.top, m.bottom);
    EXPECT_TRUE(IsWindowVisible(library));
    EXPECT_EQ(l.left, m.right);
    EXPECT_EQ(l.top, m.top);
    // What the user sees: every shown window's own pixels on the screen.
    watch.settle(main, L"main_window");
    watch.settle(playlist, L"playlist_window");
    watch.settle(library, L"library_window");
    // The channel of the login plays.
    ASSERT_GE(music->playlist_count(), 2);
    channel_list = music->playlist_at(1);
    ASSERT_TRUE(wait_playing_path(channel_list->at(0)->path));
    PostMessageW(main, WM_COMMAND, 0, 0);  // the settings button
    EXPECT_TRUE(window_rig::pump_until([&] { return user.done() >= 2; }, 20000)) << "the settings dialog";
    PostMessageW(main, WM_COMMAND, 4, 0);  // the close button asks first
    EXPECT_TRUE(window_rig::pump_until([&] { return user.finished(); }, 20000)) << "the close question";
    window_rig::pump();
    EXPECT_TRUE(IsWindow(main)) << "the answer no keeps the player";
    EXPECT_EQ(user.unexpected(), 0);

    for (const wchar_t* name :
         {L"login_dialog", L"main_window", L"playlist_window", L"library_window", L"settings_dialog", L"close_question"}) {
        const screen_watch::result* r = watch.find(name);
        if (r) std::printf("%ls: %d%% on the screen after %lu ms\n", name, r->percent, r->after_ms);
        ASSERT_NE(r, nullptr) << std::string(name, name + wcslen(name));
        const std::string what = std::string(name, name + wcslen(name)) + ": " + std::to_string(r->percent) +
                                 "% of its visible part on the screen, " + std::to_string(r->after_ms) +
                                 " ms after it was shown or moved";
        EXPECT_TRUE(r->agrees) << what;
        const DWORD limit = screen_watch::limit_ms;
        EXPECT_LE(r->after_ms, limit) << what;
    }

    music->stop(0);
    DestroyWindow(main);
    window_rig::pump();
    SetEnvironmentVariableW(L"ZEL_SERVICE_HOST", nullptr);
}
