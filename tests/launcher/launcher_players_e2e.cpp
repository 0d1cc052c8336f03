// launcher_players_e2e.exe: the window side of the end-to-end run of a
// multi-store account (tests/host/launcher_multi_store.py runs it, with the
// service's stand-in, the store devices and the real programs in the bin
// folder). Not a test of its own: each suite is one step of that run.
//
//   launcher_running.*  the real zel_mtplayer.exe that a player started:
//                       its players, a second launcher, wrong argument
//                       counts, and its end, which ends every player.
//   launcher_players.*  a launcher window of this program with rows that
//                       start the real zel_player.exe: what each message
//                       does to the rows, showing, hiding and stopping, and
//                       a player that hangs.
//
// ZEL_E2E_STORES names the stores as the login hands them over (the "ids"
// argument's value) and ZEL_E2E_DEVICES their devices ("|" between them).
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>
#include <mmsystem.h>
#include <dsound.h>
#include <algorithm>
// GDI+ names min and max, which the build leaves undefined as macros.
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <objidl.h>
#include <gdiplus.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core.h"
#include "launcher_window.h"
#include "sound_device_list.h"
#include "temp_folder.h"
#include "window_capture.h"
#include "window_rig.h"

namespace {
std::wstring environment(const wchar_t* name) {
    wchar_t value[4096];
    const DWORD n = GetEnvironmentVariableW(name, value, 4096);
    return n > 0 && n < 4096 ? std::wstring(value, n) : std::wstring();
}

std::vector<std::wstring> split(const std::wstring& text, wchar_t at) {
    std::vector<std::wstring> out;
    size_t start = 0;
    for (;;) {
        const size_t n = text.find(at, start);
        out.push_back(text.substr(start, n == std::wstring::npos ? std::wstring::npos : n - start));
        if (n == std::wstring::npos) return out;
        start = n + 1;
    }
}

std::wstring bin_folder() {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder(self);
    return folder.substr(0, folder.rfind(L'\\'));
}

struct top_window {
    HWND hwnd;
    DWORD pid;
    std::wstring cls, title;
    bool visible;
};

std::vector<top_window> top_windows() {
    struct visit {
        static BOOL CALLBACK one(HWND hwnd, LPARAM context) {
            top_window w;
            w.hwnd = hwnd;
            w.pid = 0;
            GetWindowThreadProcessId(hwnd, &w.pid);
            wchar_t text[256] = {};
            GetClassNameW(hwnd, text, 256);
            w.cls = text;
            text[0] = 0;
            GetWindowTextW(hwnd, text, 256);
            w.title = text;
            w.visible = IsWindowVisible(hwnd) != FALSE;
            reinterpret_cast<std::vector<top_window>*>(context)->push_back(w);
            return TRUE;
        }
    };
    std::vector<top_window> out;
    EnumWindows(&visit::one, reinterpret_cast<LPARAM>(&out));
    return out;
}

std::vector<top_window> windows_of_class(const wchar_t* cls, DWORD pid = 0) {
    std::vector<top_window> out;
    for (const top_window& w : top_windows())
        if (w.cls == cls && (!pid || w.pid == pid)) out.push_back(w);
    return out;
}

HWND main_window_of(DWORD pid) {
    const std::vector<top_window> found = windows_of_class(L"ZELMainWindow", pid);
    return found.empty() ? nullptr : found[0].hwnd;
}

bool ended(DWORD pid, DWORD wait_ms) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process) return true;
    const bool gone = WaitForSingleObject(process, wait_ms) == WAIT_OBJECT_0;
    CloseHandle(process);
    return gone;
}

PROCESS_INFORMATION start_process(std::wstring command) {
    STARTUPINFOW start = {};
    start.cb = sizeof start;
    PROCESS_INFORMATION made = {};
    CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start, &made);
    if (made.hThread) CloseHandle(made.hThread);
    return made;
}

// Suspends every thread of a process: a player that answers nothing.
int suspend_process(DWORD pid) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    int suspended = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != pid) continue;
        HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID);
        if (!thread) continue;
        if (SuspendThread(thread) != static_cast<DWORD>(-1)) ++suspended;
        CloseHandle(thread);
    }
    CloseHandle(snapshot);
    return suspended;
}

// Pixels of about the colour (each channel within 40) in a rectangle.
int near_count(const pixel_image& p, COLORREF c, int x, int y, int w, int h) {
    int n = 0;
    for (int j = std::max(0, y); j < std::min(p.height, y + h); ++j)
        for (int i = std::max(0, x); i < std::min(p.width, x + w); ++i) {
            const COLORREF v = p.at(i, j);
            if (abs(GetRValue(v) - GetRValue(c)) < 40 && abs(GetGValue(v) - GetGValue(c)) < 40 &&
                abs(GetBValue(v) - GetBValue(c)) < 40)
                ++n;
        }
    return n;
}

// The real launcher that the multi-store login started.
HWND running_launcher(DWORD wait_ms) {
    HWND found = nullptr;
    window_rig::pump_until(
        [&] {
            const std::vector<top_window> l = windows_of_class(L"ZELMultiWindow");
            found = l.size() == 1 && l[0].visible ? l[0].hwnd : nullptr;
            return found != nullptr;
        },
        wait_ms);
    return found;
}

std::set<std::pair<HWND, DWORD>> client_windows() {
    std::set<std::pair<HWND, DWORD>> out;
    for (const top_window& w : windows_of_class(L"ZELMultiClient")) out.insert({w.hwnd, w.pid});
    return out;
}
}  // namespace

TEST(launcher_running, one_launcher_and_a_registered_playing_player_per_store) {
    // The sound devices as the players number them, for the run to tell
    // which file is which device's.
    struct list {
        static BOOL CALLBACK add(GUID*, LPCWSTR description, LPCWSTR, LPVOID context) {
            int& n = *static_cast<int*>(context);
            char text[256] = {};
            WideCharToMultiByte(CP_UTF8, 0, description ? description : L"", -1, text, 255, nullptr, nullptr);
            printf("sound device %d: %s\n", n++, text);
            return TRUE;
        }
    };
    int number = 0;
    DirectSoundEnumerateW(&list::add, &number);
    fflush(stdout);

    HWND launcher = running_launcher(60000);
    ASSERT_NE(launcher, nullptr) << "no launcher window";
    DWORD launcher_pid = 0;
    GetWindowThreadProcessId(launcher, &launcher_pid);
    // Each row's player: its client window (it registered) in a process of
    // its own, its main window hidden until the launcher shows it.
    std::set<std::pair<HWND, DWORD>> clients;
    window_rig::pump_until(
        [&] {
            clients = client_windows();
            bool mains = clients.size() == 2;
            for (const auto& c : clients) mains = mains && main_window_of(c.second);
            return mains;
        },
        90000);
    ASSERT_EQ(clients.size(), 2u);
    std::set<DWORD> pids;
    for (const auto& c : clients) {
        pids.insert(c.second);
        EXPECT_NE(c.second, launcher_pid);
        HWND main = main_window_of(c.second);
        EXPECT_NE(main, nullptr);
        EXPECT_FALSE(main && IsWindowVisible(main));
    }
    EXPECT_EQ(pids.size(), 2u);

    // Both rows run (their names in the running colour) and play (their
    // indicators lit, which only the players' 1006 does).
    const RECT rows = launcher_skin::rows_rect();
    bool playing = false;
    pixel_image shot;
    window_rig::pump_until(
        [&] {
            shot = capture_window(launcher);
            playing = !shot.empty();
            for (int i = 0; i < 2 && playing; ++i) {
                const int top = rows.top + 80 * i;
                playing =
                    shot.count(device_row_list::bar_lit, rows.left, top, rows.right - rows.left, 80) > 0 &&
                    near_count(shot, device_row_list::name_running, rows.left, top, rows.right - rows.left,
                               40) > 3;
            }
            return playing;
        },
        60000);
    save_artifact(shot, L"launcher");
    EXPECT_TRUE(playing) << "both rows running and playing";
}

TEST(launcher_running, a_second_launcher_brings_the_first_to_the_front_and_leaves_its_rows) {
    HWND launcher = running_launcher(10000);
    ASSERT_NE(launcher, nullptr);
    const std::set<std::pair<HWND, DWORD>> before = client_windows();
    ASSERT_EQ(before.size(), 2u);
    ShowWindow(launcher, SW_MINIMIZE);
    window_rig::pump_until([&] { return IsIconic(launcher) != FALSE; }, 5000);
    ASSERT_TRUE(IsIconic(launcher));

    PROCESS_INFORMATION second =
        start_process(L"\"" + bin_folder() +
                      L"\\zel_mtplayer.exe\" \"id=other\" \"pw=other\" \"ids=1\u203Bx\u00B6y\u00B6z\" "
                      L"\"time=0\" \"pid=0\" \"dev=1|Out: default\"");
    ASSERT_NE(second.hProcess, nullptr);
    EXPECT_EQ(WaitForSingleObject(second.hProcess, 20000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeProcess(second.hProcess, &code);
    EXPECT_EQ(code, 1u);
    CloseHandle(second.hProcess);
    window_rig::pump_until([&] { return IsIconic(launcher) == FALSE; }, 5000);
    EXPECT_FALSE(IsIconic(launcher)) << "the first launcher was not restored";
    EXPECT_EQ(windows_of_class(L"ZELMultiWindow").size(), 1u);
    EXPECT_EQ(client_windows(), before) << "the rows' players changed";
}

TEST(launcher_running, wrong_argument_counts_show_the_message_box_and_make_no_window) {
    const std::wstring program = L"\"" + bin_folder() + L"\\zel_mtplayer.exe\"";
    for (const wchar_t* arguments :
         {L" \"id=a\" \"pw=b\" \"ids=0\" \"time=0\" \"pid=0\"",
          L" \"id=a\" \"pw=b\" \"ids=0\" \"time=0\" \"pid=0\" \"dev=0|x\" \"extra\""}) {
        SCOPED_TRACE(arguments);
        PROCESS_INFORMATION p = start_process(program + arguments);
        ASSERT_NE(p.hProcess, nullptr);
        HWND box = nullptr;
        window_rig::pump_until(
            [&] {
                for (const top_window& w : windows_of_class(L"#32770", p.dwProcessId))
                    if (w.visible && w.title == L"VOLQUIN 플레이어") box = w.hwnd;
                return box != nullptr;
            },
            20000);
        ASSERT_NE(box, nullptr) << "no message box";
        struct text_search {
            std::wstring found;
            static BOOL CALLBACK child(HWND hwnd, LPARAM context) {
                wchar_t text[256] = {};
                GetWindowTextW(hwnd, text, 256);
                reinterpret_cast<text_search*>(context)->found += text;
                return TRUE;
            }
        } texts;
        EnumChildWindows(box, &text_search::child, reinterpret_cast<LPARAM>(&texts));
        EXPECT_NE(texts.found.find(L"이 프로그램은 단독 실행할 수 없습니다"), std::wstring::npos)
            << "no text";
        EXPECT_TRUE(windows_of_class(L"ZELMultiWindow", p.dwProcessId).empty());
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(WaitForSingleObject(p.hProcess, 10000), WAIT_OBJECT_0);
        EXPECT_TRUE(windows_of_class(L"ZELMultiWindow", p.dwProcessId).empty());
        TerminateProcess(p.hProcess, 0);
        CloseHandle(p.hProcess);
    }
}

TEST(launcher_running, closing_the_launcher_ends_every_player) {
    HWND launcher = running_launcher(10000);
    ASSERT_NE(launcher, nullptr);
    DWORD launcher_pid = 0;
    GetWindowThreadProcessId(launcher, &launcher_pid);
    const std::set<std::pair<HWND, DWORD>> clients = client_windows();
    EXPECT_EQ(clients.size(), 2u);
    // As the installer closes it: no question.
    PostMessageW(launcher, WM_CLOSE, 0, 0);
    EXPECT_TRUE(ended(launcher_pid, 40000)) << "the launcher did not end";
    for (const auto& c : clients) EXPECT_TRUE(ended(c.second, 20000)) << "a player did not end: " << c.second;
}

namespace {
struct players_test : ::testing::Test {
    void SetUp() override {
        core::set_instance(GetModuleHandleW(nullptr));
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&gdiplus, &input, nullptr);
        ASSERT_TRUE(launcher_window::register_class(GetModuleHandleW(nullptr)));
        stores = environment(L"ZEL_E2E_STORES");
        devices = split(environment(L"ZEL_E2E_DEVICES"), L'|');
        ASSERT_FALSE(stores.empty());
        ASSERT_EQ(devices.size(), 2u);
    }
    void TearDown() override {
        window.reset();
        RegDeleteKeyW(HKEY_CURRENT_USER, key_path.c_str());
        Gdiplus::GdiplusShutdown(gdiplus);
    }
    // A launcher window of this program whose saved settings give each
    // store its device and automatic start; the stores as the login names
    // them. Its rows start the real players.
    void open() {
        std::string xml = "<ZELPlayer><ids>";
        const std::vector<std::wstring> rows = split(stores, L'\u203B');
        for (size_t i = 1; i < rows.size(); ++i) {
            const std::wstring id = split(rows[i], L'\u00B6')[0];
            xml += "<" + std::string(id.begin(), id.end()) + "><device>" +
                   std::string(devices[i - 1].begin(), devices[i - 1].end()) +
                   "</device><autostart>1</autostart></" + std::string(id.begin(), id.end()) + ">";
        }
        xml += "</ids></ZELPlayer>";
        ASSERT_TRUE(folder.write(L"zel_mtplayer.xml", xml.c_str()));
        window = std::make_unique<launcher_window>();
        window->settings_path = folder / L"zel_mtplayer.xml";
        window->logo_path = folder / L"logo.png";
        window->credentials = credential_key{HKEY_CURRENT_USER, key_path.c_str()};
        window->quit_on_destroy = false;
        window->row_count = 2;
        ASSERT_TRUE(window->create_modeless(launcher_window::template_id, nullptr));
        window_rig::pump();
        window->parse_argument(L"ids=" + stores);
    }
    device_row_list& rows() { return window->rows(); }

    ULONG_PTR gdiplus = 0;
    std::wstring stores;
    std::vector<std::wstring> devices;
    const std::wstring key_path = L"Software\\ZEL Launcher E2E " + std::to_wstring(GetCurrentProcessId());
    temp_folder folder{L"launcher_e2e"};
    std::unique_ptr<launcher_window> window;
};
}  // namespace

TEST_F(players_test, each_store_plays_and_the_rows_follow_the_players) {
    open();
    ASSERT_EQ(rows().row_count(), 2);
    const wchar_t* titles[] = {L"데모 채널", L"데모 2호점 채널"};
    const wchar_t* names[] = {L"데모 1호점", L"데모 2호점"};

    // Both rows started (automatic start with their saved devices); each
    // player registered from its own process (1001), reports its channel
    // (1002) and that it plays (1006).
    const bool ready = window_rig::pump_until(
        [&] {
            for (int i = 0; i < 2; ++i) {
                const player_row* r = rows().row_at(i);
                if (!r->running || !r->client_window || !r->playing || r->status.empty()) return false;
            }
            return true;
        },
        120000);
    for (int i = 0; i < 2; ++i) {
        const player_row* r = rows().row_at(i);
        SCOPED_TRACE(i);
        EXPECT_TRUE(r->running);
        EXPECT_EQ(r->device, devices[static_cast<size_t>(i)]);
        DWORD owner = 0;
        GetWindowThreadProcessId(r->client_window, &owner);
        EXPECT_EQ(owner, r->pid);
        EXPECT_TRUE(r->playing);
        EXPECT_EQ(r->status, titles[i]);
    }
    ASSERT_TRUE(ready);
    const DWORD pid[2] = {rows().row_at(0)->pid, rows().row_at(1)->pid};
    ASSERT_NE(pid[0], pid[1]);

    // Showing a row's player shows its windows, titled with its store's
    // name (1003 to the player); showing the other hides the first.
    HWND main[2] = {main_window_of(pid[0]), main_window_of(pid[1])};
    ASSERT_NE(main[0], nullptr);
    ASSERT_NE(main[1], nullptr);
    EXPECT_FALSE(IsWindowVisible(main[0]));
    rows().toggle_show(0);
    window_rig::pump_until([&] { return IsWindowVisible(main[0]) != FALSE; }, 10000);
    EXPECT_TRUE(rows().row_at(0)->visible);
    EXPECT_TRUE(IsWindowVisible(main[0]));
    wchar_t title[128] = {};
    GetWindowTextW(main[0], title, 128);
    EXPECT_STREQ(title, names[0]);
    rows().toggle_show(1);
    window_rig::pump_until([&] { return IsWindowVisible(main[1]) && !IsWindowVisible(main[0]); }, 10000);
    EXPECT_FALSE(rows().row_at(0)->visible);
    EXPECT_TRUE(rows().row_at(1)->visible);
    EXPECT_FALSE(IsWindowVisible(main[0]));
    EXPECT_TRUE(IsWindowVisible(main[1]));
    GetWindowTextW(main[1], title, 128);
    EXPECT_STREQ(title, names[1]);

    // The player's user hides it: its 1003 turns the row's flag off.
    PostMessageW(main[1], WM_SYSCOMMAND, SC_CLOSE, 0);
    window_rig::pump_until([&] { return !rows().row_at(1)->visible; }, 10000);
    EXPECT_FALSE(rows().row_at(1)->visible);
    EXPECT_FALSE(IsWindowVisible(main[1]));
    EXPECT_FALSE(ended(pid[1], 0)) << "hiding ended the player";

    // Stopping a row: the player answers the launcher's 1004 with its own
    // from inside the send, so the row is idle when the stop returns, and
    // the player ends.
    rows().stop_row(0);
    EXPECT_FALSE(rows().row_at(0)->running);
    EXPECT_EQ(rows().row_at(0)->pid, 0u);
    EXPECT_TRUE(rows().row_at(0)->status.empty());
    EXPECT_EQ(rows().row_at(0)->device, devices[0]);
    EXPECT_TRUE(ended(pid[0], 15000)) << "the stopped player did not end";

    // A player that hangs answers nothing: the stop gives up on the answer,
    // waits for the process and ends it.
    EXPECT_GT(suspend_process(pid[1]), 0);
    const DWORD asked = GetTickCount();
    rows().stop_row(1);
    const DWORD took = GetTickCount() - asked;
    EXPECT_TRUE(ended(pid[1], 3000)) << "the hung player was not ended";
    EXPECT_FALSE(rows().row_at(1)->running);
    EXPECT_LT(took, 16000u);
    printf("launcher_players: the hung player's stop took %lu ms\n", static_cast<unsigned long>(took));
}
