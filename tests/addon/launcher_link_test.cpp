// The launcher link against the tests' zel_mtplayer.exe (fake_launcher.cpp)
// in its own process: the handshake, showing and hiding, the close commands,
// the quit, the reports, and starting the launcher. The player's windows are
// real top-level windows of the test; window classes carry the test's process
// id so that tests running side by side never find each other's launcher.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "fake_sound_devices.h"
#include "instance_test_support.h"
#include "launcher_link_impl.h"
#include "temp_folder.h"
#include "window_rig.h"

using instance_test::has_line;
using instance_test::read_lines;

namespace {

std::wstring fake_launcher_folder() {
    std::wstring folder = ZEL_FAKE_LAUNCHER_DIR;
    for (wchar_t& c : folder)
        if (c == L'/')
            c = L'\\';
    return folder;
}

std::string pid_text() { return std::to_string(GetCurrentProcessId()); }

// A top-level window of the player (hidden at first) that counts the
// WM_CLOSE it receives instead of closing.
class player_window {
public:
    explicit player_window(const wchar_t* title) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"zel_test_player_window";
        RegisterClassW(&wc);
        hwnd_ = CreateWindowExW(0, wc.lpszClassName, title, WS_POPUP, 10, 10, 60, 40, nullptr, nullptr,
                                wc.hInstance, nullptr);
    }
    ~player_window() {
        if (IsWindow(hwnd_))
            DestroyWindow(hwnd_);
    }
    HWND hwnd() const { return hwnd_; }
    bool visible() const { return IsWindowVisible(hwnd_) != FALSE; }
    int closes() const { return static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(hwnd_, L"closes"))); }

private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
        if (msg == WM_CLOSE) {
            SetPropW(hwnd, L"closes", reinterpret_cast<HANDLE>(reinterpret_cast<INT_PTR>(GetPropW(hwnd, L"closes")) + 1));
            return 0;
        }
        if (msg == WM_DESTROY)
            RemovePropW(hwnd, L"closes");
        return DefWindowProcW(hwnd, msg, wparam, lparam);
    }
    HWND hwnd_;
};

struct fake_host : launcher_host {
    HWND main = nullptr;
    HWND info = nullptr;
    HWND library = nullptr;
    bool is_expanded = false;
    bool music_playing = false;
    bool announcement_playing = false;

    HWND main_window() override { return main; }
    HWND info_window() override { return info; }
    HWND library_window() override { return library; }
    bool expanded() override { return is_expanded; }
    bool is_playing(bool music) override { return music ? music_playing : announcement_playing; }
};

int fronts = 0;
void count_front(HWND) { ++fronts; }

class launcher_link_test : public ::testing::Test {
protected:
    void SetUp() override {
        names.launcher_class = L"ZELMultiWindow.test." + std::to_wstring(GetCurrentProcessId());
        names.client_class = L"ZELMultiClient.test." + std::to_wstring(GetCurrentProcessId());
        log = instance_test::temp_file(L"fake_launcher");
        SetEnvironmentVariableW(L"ZEL_FAKE_LAUNCHER_CLASS", names.launcher_class.c_str());
        SetEnvironmentVariableW(L"ZEL_FAKE_LAUNCHER_LOG", log.c_str());
        devices.load();
        fronts = 0;
    }
    void TearDown() override {
        stop_fake();
        DeleteFileW(log.c_str());
    }

    std::unique_ptr<launcher_link_impl> make_link() {
        std::unique_ptr<launcher_link_impl> link(new launcher_link_impl(names, host, devices));
        link->set_front_function(&count_front);
        return link;
    }

    HWND fake_window() { return FindWindowW(names.launcher_class.c_str(), nullptr); }

    // Starts the fake launcher as a test would start the real one, answering
    // a player's register message with reply (none for null).
    void start_fake(const wchar_t* reply) {
        SetEnvironmentVariableW(L"ZEL_FAKE_LAUNCHER_REPLY", reply);
        std::wstring line = L"\"" + fake_launcher_folder() +
                            L"\\zel_mtplayer.exe\" \"id=a\" \"pw=b\" \"ids=0\" \"time=0\" \"pid=0\" \"dev=0|x\"";
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        ASSERT_TRUE(CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &fake_));
        ASSERT_TRUE(window_rig::pump_until([&] { return fake_window() != nullptr; }, 30000));
    }
    void stop_fake() {
        if (!fake_.hProcess)
            return;
        if (HWND w = fake_window())
            PostMessageW(w, WM_CLOSE, 0, 0);
        // The fake may be sending to this thread while it closes.
        window_rig::pump_until([&] { return WaitForSingleObject(fake_.hProcess, 0) == WAIT_OBJECT_0; }, 30000);
        CloseHandle(fake_.hProcess);
        CloseHandle(fake_.hThread);
        fake_ = PROCESS_INFORMATION();
    }

    // Joins the fake launcher with a good reply naming the store "Store One"
    // on the device "Out: 스피커 2" (position 2).
    void connect(launcher_link_impl& link) {
        start_fake(L"store1|secret|Out: 스피커 2|Store One");
        const wchar_t* id = nullptr;
        const wchar_t* password = nullptr;
        int device = -2;
        ASSERT_TRUE(link.connect(&id, &password, &device));
        EXPECT_STREQ(id, L"store1");
        EXPECT_STREQ(password, L"secret");
        EXPECT_EQ(device, 2);
    }

    bool log_has(const std::string& line) { return has_line(log, line); }
    int log_count(const std::string& line) {
        int n = 0;
        for (const std::string& l : read_lines(log))
            n += l == line;
        return n;
    }
    bool wait_log(const std::string& line) {
        return window_rig::pump_until([&] { return log_has(line); }, 30000);
    }

    launcher_names names;
    std::wstring log;
    fake_host host;
    fake_sound_devices source;
    sound_device_table devices{source};
    PROCESS_INFORMATION fake_ = {};
};

}  // namespace

TEST_F(launcher_link_test, the_register_reply_decides_the_connection) {
    struct {
        const wchar_t* reply;  // null: the launcher does not answer
        bool connected;
        const wchar_t* id;
        const wchar_t* password;
        int device;
    } cases[] = {
        {L"s1|pw|Out: default|Name", true, L"s1", L"pw", 1},
        {L"s1|pw|PRIMARY SOUND DRIVER|Name", true, L"s1", L"pw", 0},
        {L"s1|p\\|w\\\\|Out: default|Name", true, L"s1", L"p|w\\", 1},  // escaped fields
        {L"s1|pw|Out: default", false, L"", L"", -1},                     // three fields
        {L"s1|pw|Out: default|Name|extra", false, L"", L"", -1},          // five fields
        {L"|pw|Out: default|Name", false, L"", L"pw", 1},                 // no id
        {L"s1||Out: default|Name", false, L"s1", L"", 1},                 // no password
        {L"s1|pw|Headphones|Name", false, L"s1", L"pw", -1},              // a device not listed here
        {nullptr, false, L"", L"", -1},                                   // no answer
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply ? c.reply : L"(no answer)");
        start_fake(c.reply);
        std::unique_ptr<launcher_link_impl> link = make_link();
        const wchar_t* id = L"unset";
        const wchar_t* password = L"unset";
        int device = -2;
        EXPECT_EQ(link->connect(&id, &password, &device), c.connected);
        EXPECT_EQ(link->is_connected(), c.connected);
        // The send itself succeeded, so the texts are handed out in every case.
        EXPECT_STREQ(id, c.id);
        EXPECT_STREQ(password, c.password);
        EXPECT_EQ(device, c.device);
        EXPECT_TRUE(log_has("recv 1001 " + pid_text()));
        EXPECT_NE(link->client_window(), nullptr);
        wchar_t class_name[128] = {};
        GetClassNameW(link->client_window(), class_name, 127);
        EXPECT_EQ(names.client_class, class_name);
        EXPECT_FALSE(IsWindowVisible(link->client_window()));
        link.reset();
        stop_fake();
        DeleteFileW(log.c_str());
    }
}

TEST_F(launcher_link_test, without_a_launcher_the_player_runs_alone) {
    std::unique_ptr<launcher_link_impl> link = make_link();
    const wchar_t* id = nullptr;
    int device = 5;
    EXPECT_FALSE(link->connect(&id, nullptr, &device));
    EXPECT_EQ(id, nullptr);
    EXPECT_EQ(device, 5);
    EXPECT_FALSE(link->is_connected());
    EXPECT_EQ(link->client_window(), nullptr);
    EXPECT_FALSE(link->report_message(L"x"));
    EXPECT_FALSE(link->report_message(L""));
    player_window main(L"main");
    link->add_window(main.hwnd());
    ShowWindow(main.hwnd(), SW_SHOW);
    EXPECT_TRUE(main.visible()) << "no hook without a launcher";
}

TEST_F(launcher_link_test, a_connected_player_is_shown_only_by_the_launcher) {
    player_window main(L"main"), library(L"library"), info(L"info");
    host.main = main.hwnd();
    host.library = library.hwnd();
    host.info = info.hwnd();
    std::unique_ptr<launcher_link_impl> link = make_link();
    connect(*link);
    link->add_window(main.hwnd());
    link->add_window(main.hwnd());  // kept once
    link->add_window(library.hwnd());
    link->add_window(info.hwnd());

    // Hidden: neither ShowWindow nor SetWindowPos can show a registered window.
    ShowWindow(main.hwnd(), SW_SHOW);
    SetWindowPos(library.hwnd(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    window_rig::pump();
    EXPECT_FALSE(main.visible());
    EXPECT_FALSE(library.visible());

    // The launcher shows the row: every window shows, the main window takes
    // the store's name, the idle announcement window hides again, and the
    // main window is brought to the front.
    PostMessageW(fake_window(), WM_APP + 1, 1, 0);
    ASSERT_TRUE(window_rig::pump_until([&] { return fronts == 1; }, 30000));
    EXPECT_TRUE(log_has("sent 1003 = 1"));
    EXPECT_TRUE(link->shown());
    EXPECT_TRUE(main.visible());
    EXPECT_TRUE(library.visible());
    EXPECT_FALSE(info.visible());
    EXPECT_EQ(window_rig::window_text(main.hwnd()), L"Store One");
    // Shown, the windows hide and show as usual.
    ShowWindow(info.hwnd(), SW_SHOW);
    EXPECT_TRUE(info.visible());

    // The launcher hides it again.
    PostMessageW(fake_window(), WM_APP + 1, 0, 0);
    ASSERT_TRUE(window_rig::pump_until([&] { return !main.visible(); }, 30000));
    EXPECT_FALSE(library.visible());
    EXPECT_FALSE(info.visible());
    ShowWindow(main.hwnd(), SW_SHOWNORMAL);
    EXPECT_FALSE(main.visible());

    // A window destroyed while registered leaves the set.
    DestroyWindow(library.hwnd());
    PostMessageW(fake_window(), WM_APP + 1, 1, 0);
    ASSERT_TRUE(window_rig::pump_until([&] { return main.visible(); }, 30000));
}

TEST_F(launcher_link_test, the_close_commands_hide_the_player_and_tell_the_launcher) {
    player_window main(L"main"), library(L"library");
    host.main = main.hwnd();
    host.library = library.hwnd();
    std::unique_ptr<launcher_link_impl> link = make_link();
    connect(*link);
    link->add_window(main.hwnd());
    link->add_window(library.hwnd());
    const std::string hidden = "recv 1003 " + pid_text() + "|0";

    struct {
        HWND target;
        UINT msg;
        WPARAM wparam;
        bool expanded;
        bool hides;
        const char* what;
    } cases[] = {
        {main.hwnd(), WM_SYSCOMMAND, SC_CLOSE, false, true, "the main window's system close"},
        {main.hwnd(), WM_COMMAND, 4, false, true, "the main window's close button"},
        {library.hwnd(), WM_COMMAND, 4, true, true, "the library window's close in expanded mode"},
        {library.hwnd(), WM_COMMAND, 4, false, false, "the library window's close otherwise"},
        {main.hwnd(), WM_COMMAND, 5, false, false, "another command"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PostMessageW(fake_window(), WM_APP + 1, 1, 0);
        ASSERT_TRUE(window_rig::pump_until([&] { return main.visible() && library.visible(); }, 30000));
        const int reports = log_count(hidden);
        host.is_expanded = c.expanded;
        EXPECT_EQ(SendMessageW(c.target, c.msg, c.wparam, 0), 0);
        EXPECT_EQ(!main.visible(), c.hides);
        EXPECT_EQ(!library.visible(), c.hides);
        EXPECT_EQ(log_count(hidden), reports + (c.hides ? 1 : 0));
        EXPECT_EQ(link->shown(), !c.hides);
        // The player keeps running.
        EXPECT_TRUE(IsWindow(main.hwnd()));
        EXPECT_TRUE(link->is_connected());
        EXPECT_EQ(main.closes(), 0);
    }
}

TEST_F(launcher_link_test, the_launchers_quit_closes_the_player) {
    player_window main(L"main");
    host.main = main.hwnd();
    std::unique_ptr<launcher_link_impl> link = make_link();
    connect(*link);
    PostMessageW(fake_window(), WM_APP + 2, 0, 0);
    ASSERT_TRUE(wait_log("sent 1004 = 1"));
    EXPECT_FALSE(link->is_connected());
    EXPECT_EQ(link->device(), -1);
    ASSERT_TRUE(window_rig::pump_until([&] { return main.closes() == 1; }, 30000));
    // The answer to the launcher's quit came inside its send.
    const std::vector<std::string> lines = read_lines(log);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "recv 1004 " + pid_text());

    // Not connected any more: a second quit is answered and ignored.
    PostMessageW(fake_window(), WM_APP + 2, 0, 0);
    ASSERT_TRUE(window_rig::pump_until([&] { return log_count("sent 1004 = 1") == 2; }, 30000));
    EXPECT_EQ(log_count("recv 1004 " + pid_text()), 1);
    window_rig::pump();
    EXPECT_EQ(main.closes(), 1);
}

TEST_F(launcher_link_test, closing_the_user_interface_leaves_the_launcher) {
    player_window main(L"main");
    host.main = main.hwnd();
    std::unique_ptr<launcher_link_impl> link = make_link();
    connect(*link);
    HWND client = link->client_window();
    link->on_ui_closing();
    EXPECT_TRUE(log_has("recv 1004 " + pid_text()));
    EXPECT_FALSE(link->is_connected());
    EXPECT_FALSE(IsWindow(client));
    ASSERT_TRUE(window_rig::pump_until([&] { return main.closes() == 1; }, 30000));
}

TEST_F(launcher_link_test, playing_channel_and_messages_are_reported) {
    std::unique_ptr<launcher_link_impl> link = make_link();
    connect(*link);
    const std::string pid = pid_text();

    host.announcement_playing = true;
    ASSERT_TRUE(wait_log("recv 1006 " + pid + "|1"));
    host.announcement_playing = false;
    host.music_playing = true;  // still playing: nothing new to report
    host.music_playing = false;
    ASSERT_TRUE(wait_log("recv 1006 " + pid + "|0"));

    link->on_channel_changed(L"채널|A");
    EXPECT_TRUE(log_has("recv 1002 " + pid + "|채널\\|A"));
    link->on_channel_changed(L"");
    EXPECT_TRUE(log_has("recv 1002 " + pid + "|"));

    const size_t lines = read_lines(log).size();
    EXPECT_TRUE(link->report_message(L""));
    EXPECT_TRUE(link->report_message(nullptr));
    EXPECT_EQ(read_lines(log).size(), lines) << "an empty message is not sent";
    EXPECT_TRUE(link->report_message(L"로그인 실패|다시"));
    EXPECT_TRUE(log_has("recv 1005 " + pid + "|로그인 실패\\|다시"));

    // Gone launcher: nothing is sent and nothing fails.
    stop_fake();
    EXPECT_FALSE(link->report_message(L"x"));
    link->on_channel_changed(L"y");
    link->hide_windows();
}

TEST_F(launcher_link_test, starting_the_launcher_hands_it_six_arguments) {
    std::unique_ptr<launcher_link_impl> link = make_link();
    link->set_program_folder(fake_launcher_folder());
    SetEnvironmentVariableW(L"ZEL_FAKE_LAUNCHER_REPLY", nullptr);
    const wchar_t* rows = L"2\x203B" L"a1\x00B6p1\x00B6가게 1\x203B" L"a2\x00B6p2\x00B6가게 2";
    ASSERT_TRUE(link->start_launcher(L"head|office", L"p\"w", rows));
    EXPECT_TRUE(link->launcher_started());
    ASSERT_TRUE(window_rig::pump_until([&] { return log_has("ready"); }, 30000));
    const std::string pid = pid_text();
    const std::vector<std::string> expected = {
        "arg 1 id=head|office", "arg 2 pw=p\"w", "arg 3 ids=2※a1¶p1¶가게 1※a2¶p2¶가게 2",
        "arg 4 time=0", "arg 5 pid=" + pid,   "arg 6 dev=1|OUT: DEFAULT",
    };
    for (const std::string& line : expected)
        EXPECT_TRUE(log_has(line)) << line;
    EXPECT_FALSE(log_has("refused 7"));

    // A launcher runs now: a second one is refused.
    std::unique_ptr<launcher_link_impl> other = make_link();
    other->set_program_folder(fake_launcher_folder());
    EXPECT_FALSE(other->start_launcher(L"x", L"y", L"0"));
    EXPECT_FALSE(other->launcher_started());
    // Close the one started (its process was not ours to wait on).
    PostMessageW(fake_window(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(window_rig::pump_until([&] { return log_has("ended"); }, 30000));
}

TEST_F(launcher_link_test, starting_the_launcher_is_refused_when_it_cannot_run_safely) {
    std::unique_ptr<launcher_link_impl> link = make_link();
    link->set_program_folder(fake_launcher_folder());
    // Values that would break its arguments: nothing is started.
    EXPECT_FALSE(link->start_launcher(L"id", L"a\" \"pid=1", L"0"));
    EXPECT_FALSE(link->start_launcher(L"id", L"pid=1", L"0"));
    EXPECT_FALSE(link->launcher_started());
    // No launcher program beside the host.
    temp_folder empty(L"no_launcher");
    link->set_program_folder(empty.path());
    EXPECT_FALSE(link->start_launcher(L"id", L"pw", L"0"));
    EXPECT_FALSE(link->launcher_started());
    EXPECT_TRUE(read_lines(log).empty());
}
