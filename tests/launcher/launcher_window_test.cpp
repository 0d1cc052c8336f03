// The launcher window: its placement, clock, layout on resize, close
// question and what it leaves behind; the store rows' colours, hit zones,
// device menu, players and indicator; screenshots with one, three and eight
// rows.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
// GDI+ names min and max, which the build leaves undefined as macros.
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <objidl.h>
#include <gdiplus.h>

#include <memory>
#include <string>

#include "copydata.h"
#include "core.h"
#include "launcher_window.h"
#include "logo_view.h"
#include "sound_device_list.h"
#include "temp_folder.h"
#include "timed_message_box.h"
#include "timex.h"
#include "window_capture.h"
#include "window_rig.h"

namespace {
const std::vector<std::wstring> kDevices = {L"Speakers A", L"Speakers B"};

struct test_window : launcher_window {
    bool confirm_close() override {
        ++asked;
        return answer;
    }
    bool answer = false;
    int asked = 0;
};

RECT work_area() {
    RECT r;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
    return r;
}

RECT rect_of(HWND hwnd) {
    RECT r = {};
    GetWindowRect(hwnd, &r);
    return r;
}

player_row store(const wchar_t* id, const wchar_t* name, const wchar_t* device = L"") {
    player_row r;
    r.id = id;
    r.password = L"pw";
    r.name = name;
    r.device = device;
    return r;
}

struct launcher_window_test : ::testing::Test {
    void SetUp() override {
        core::set_instance(GetModuleHandleW(nullptr));
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&gdiplus, &input, nullptr);
        ASSERT_TRUE(launcher_window::register_class(GetModuleHandleW(nullptr)));
        sound_device_list::set(kDevices);
        timex::set_normal_span(timex_span(0L));
        device_row_list::poll_counter = 1;
        device_row_list::pattern_counter = 0;
    }
    void TearDown() override {
        window.reset();
        timex::set_normal_span(timex_span(0L));
        RegDeleteKeyW(HKEY_CURRENT_USER, key_path.c_str());
        Gdiplus::GdiplusShutdown(gdiplus);
    }
    test_window& open(int rows = 1, const char* settings = nullptr) {
        window = std::make_unique<test_window>();
        window->settings_path = folder / L"zel_mtplayer.xml";
        window->logo_path = folder / L"logo.png";
        window->credentials = credential_key{HKEY_CURRENT_USER, key_path.c_str()};
        window->quit_on_destroy = false;
        window->row_count = rows;
        // Each window starts from the given settings or none (an earlier
        // window of the test saved its own when it closed).
        DeleteFileW(window->settings_path.c_str());
        if (settings) {
            EXPECT_TRUE(folder.write(L"zel_mtplayer.xml", settings));
        }
        EXPECT_TRUE(window->create_modeless(launcher_window::template_id, nullptr));
        window_rig::pump();
        return *window;
    }
    HWND hwnd() const { return window->hwnd(); }
    device_row_list& rows() { return window->rows(); }
    pixel_image list_pixels() {
        HWND list = rows().get_list();
        UpdateWindow(list);
        RECT r;
        GetClientRect(list, &r);
        HDC dc = GetDC(list);
        pixel_image p = capture_dc(dc, 0, 0, r.right, r.bottom);
        ReleaseDC(list, dc);
        return p;
    }

    ULONG_PTR gdiplus = 0;
    // Test programs run side by side: each has a registry key of its own.
    const std::wstring key_path = L"Software\\ZEL Launcher Window Test " + std::to_wstring(GetCurrentProcessId());
    temp_folder folder{L"launcher_window"};
    std::unique_ptr<test_window> window;
};
}  // namespace

TEST_F(launcher_window_test, a_first_start_sits_in_the_work_areas_bottom_right_corner) {
    const struct {
        int rows;
        int height;
    } cases[] = {{1, 341}, {0, 341}, {2, 441}, {3, 441}};
    const RECT work = work_area();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rows);
        open(c.rows);
        const RECT r = rect_of(hwnd());
        EXPECT_EQ(r.right - r.left, 350);
        EXPECT_EQ(r.bottom - r.top, c.height);
        EXPECT_EQ(r.right, work.right);
        EXPECT_EQ(r.bottom, work.bottom);
        wchar_t name[64] = {};
        GetClassNameW(hwnd(), name, 64);
        EXPECT_STREQ(name, L"ZELMultiWindow");
        window.reset();
    }
}

TEST_F(launcher_window_test, a_saved_rectangle_is_restored_or_snaps_back_when_off_the_work_area) {
    const RECT work = work_area();
    const struct {
        const char* file;
        RECT expected;
    } cases[] = {
        {"<ZELPlayer><position><left>100</left><top>80</top><right>550</right><bottom>521</bottom></position>"
         "</ZELPlayer>",
         {100, 80, 550, 521}},
        {"<ZELPlayer><position><left>9000</left><top>9000</top><right>9400</right><bottom>9341</bottom></position>"
         "</ZELPlayer>",
         {work.right - 400, work.bottom - 341, work.right, work.bottom}},
        // An empty rectangle counts as none.
        {"<ZELPlayer><position><left>10</left><top>10</top><right>10</right><bottom>10</bottom></position>"
         "</ZELPlayer>",
         {work.right - 350, work.bottom - 341, work.right, work.bottom}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        open(1, c.file);
        const RECT r = rect_of(hwnd());
        EXPECT_EQ(r.left, c.expected.left);
        EXPECT_EQ(r.top, c.expected.top);
        EXPECT_EQ(r.right, c.expected.right);
        EXPECT_EQ(r.bottom, c.expected.bottom);
        window.reset();
    }
}

TEST_F(launcher_window_test, the_clock_shows_the_service_time) {
    open();
    window->parse_argument(L" TIME = 7200.4");
    EXPECT_EQ(timex::get_normal_time_span().total_seconds(), 7200);
    const std::wstring before = timex(static_cast<long>(time(nullptr)) + 7200).to_string(false).wvalue();
    window_rig::pump_for(400);
    const std::wstring shown = window->frame().get()->get_caption(launcher_skin::clock_id);
    const std::wstring after = timex(static_cast<long>(time(nullptr)) + 7200).to_string(false).wvalue();
    EXPECT_TRUE(shown == before || shown == after) << shown;
    EXPECT_STREQ(window->frame().get()->get_caption(launcher_skin::version_id), L"ver.1.0.0.0.0");
}

TEST_F(launcher_window_test, widening_by_100_moves_the_logo_and_the_captions_by_half) {
    open();
    HWND logo = GetDlgItem(hwnd(), launcher_window::logo_id);
    const RECT before = rect_of(rows().get_container());
    window_rig::mouse_move(hwnd(), 348, 200);
    window_rig::left_down(hwnd(), 348, 200);
    // The skin puts the window's edge where the pointer lets go.
    window_rig::mouse_move(hwnd(), 450, 200, MK_LBUTTON);
    window_rig::left_up(hwnd(), 450, 200);
    window_rig::pump();
    ASSERT_EQ(rect_of(hwnd()).right - rect_of(hwnd()).left, 450);
    RECT logo_at = rect_of(logo);
    MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&logo_at), 2);
    EXPECT_EQ(logo_at.left, 61);
    EXPECT_EQ(logo_at.right - logo_at.left, 328);
    EXPECT_EQ(logo_at.top, 37);
    skin* look = window->frame().get();
    const RECT clock = look->get_static(launcher_skin::clock_id)->rect;
    const RECT version = look->get_static(launcher_skin::version_id)->rect;
    EXPECT_EQ(clock.left, 16);
    EXPECT_EQ(clock.right, 237);
    EXPECT_EQ(version.left, 243);
    EXPECT_EQ(version.right, 434);
    const RECT after = rect_of(rows().get_container());
    EXPECT_EQ(after.right - after.left, before.right - before.left + 100);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
}

TEST_F(launcher_window_test, closing_asks_first_and_leaves_settings_and_credentials) {
    open(2);
    window->parse_argument(L"id=multi");
    window->parse_argument(L"pw=secret");
    rows().set_rows({store(L"shop1", L"가게 하나", L"Speakers B"), store(L"1234", L"가게 둘")});
    rows().row_at(1)->autostart = true;

    window->answer = false;
    SendMessageW(hwnd(), WM_COMMAND, launcher_skin::close_id, -1);
    window_rig::pump();
    EXPECT_EQ(window->asked, 1);
    ASSERT_TRUE(IsWindow(hwnd()));

    const RECT at = rect_of(hwnd());
    window->answer = true;
    SendMessageW(hwnd(), WM_COMMAND, launcher_skin::close_id, -1);
    window_rig::pump();
    EXPECT_FALSE(IsWindow(hwnd()));

    launcher_settings saved(folder / L"zel_mtplayer.xml");
    ASSERT_TRUE(saved.load());
    RECT r;
    ASSERT_TRUE(saved.saved_rect(r));
    EXPECT_TRUE(EqualRect(&r, &at));
    launcher_store s;
    ASSERT_TRUE(saved.find_store(L"SHOP1", s));
    EXPECT_EQ(s.device, L"Speakers B");
    ASSERT_TRUE(saved.find_store(L"1234", s));
    EXPECT_TRUE(s.autostart);
    const credential_key key{HKEY_CURRENT_USER, key_path.c_str()};
    EXPECT_STREQ(read_credential(true, key).wvalue(), L"multi");
    EXPECT_STREQ(read_credential(false, key).wvalue(), L"secret");
}

TEST_F(launcher_window_test, stores_come_from_ids_with_their_saved_devices_and_dev_fills_the_first) {
    open(3,
         "<ZELPlayer><ids><SHOP2><device>Speakers A</device><autostart>0</autostart></SHOP2></ids></ZELPlayer>");
    window->parse_argument(L"dev=0|Speakers B");
    // Three announced, two whole rows and one cut short; the count limits
    // what is read.
    window->parse_argument(L"ids=3\u203Bshop1\u00B6p1\u00B6첫 가게\u203Bshop2\u00B6p2\u00B6둘째\u00B6x\u203Bbad\u00B6p");
    ASSERT_EQ(rows().row_count(), 2);
    EXPECT_EQ(rows().row_at(0)->name, L"첫 가게");
    EXPECT_EQ(rows().row_at(0)->device, L"Speakers B");
    EXPECT_EQ(rows().row_at(1)->device, L"Speakers A");
    window->parse_argument(L"ids=1\u203Bshop1\u00B6p1\u00B6a\u203Bshop2\u00B6p2\u00B6b");
    EXPECT_EQ(rows().row_count(), 1);
    window->parse_argument(L"ids=0");
    EXPECT_EQ(rows().row_count(), 1);  // no rows read: the list stays
}

TEST_F(launcher_window_test, rows_paint_their_colours_by_index) {
    open(8);
    std::vector<player_row> list;
    for (int i = 0; i < 4; ++i) list.push_back(store((L"s" + std::to_wstring(i)).c_str(), L"가게"));
    rows().set_rows(list);
    const pixel_image p = list_pixels();
    const COLORREF expected[] = {0xFEF2DB, 0xF0F0F0, 0xFFFFFF};
    int shown = p.height / 80;
    ASSERT_GE(shown, 2);
    for (int row = 0; row < std::min(shown, 4); ++row) {
        RECT cell;
        ASSERT_TRUE(rows().get_cell_rect(row, 0, cell));
        if (cell.bottom > p.height) break;
        EXPECT_EQ(cell.bottom - cell.top, 80);
        EXPECT_EQ(p.at(cell.left + 3, cell.top + 5), expected[row % 3]) << row;
        EXPECT_EQ(p.at(cell.right - 3, cell.bottom - 2), expected[row % 3]) << row;
    }
}

namespace {
struct menu_rows : device_row_list {
    UINT_PTR track_menu(HMENU menu, POINT) override {
        items.clear();
        checked = 0;
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            wchar_t text[128] = {};
            GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
            items.push_back(text);
            if (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_CHECKED)
                checked = GetMenuItemID(menu, i);
        }
        return choose;
    }
    void tell(const std::wstring& text) override { told.push_back(text); }
    UINT_PTR choose = 0;
    UINT_PTR checked = 0;
    std::vector<std::wstring> items, told;
};

POINT centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

struct rows_host {
    rows_host() : host(20, 20, 330, 420) {
        sound_device_list::set(kDevices);
        list.init(host.hwnd(), RECT{0, 0, 328, 400}, nullptr);
    }
    void click(const RECT& zone) {
        const POINT p = centre(zone);
        window_rig::click(list.get_list(), p.x, p.y);
    }
    window_rig::host_window host;
    menu_rows list;
};
}  // namespace

TEST_F(launcher_window_test, the_hit_zones_answer_as_the_table_says) {
    rows_host h;
    player_row running = store(L"r", L"running", L"Speakers A");
    running.running = true;
    running.pid = GetCurrentProcessId();
    running.status = L"채널";
    player_row expanded = store(L"e", L"expanded");
    expanded.expanded = true;
    h.list.set_rows({store(L"i", L"idle"), expanded, running});
    const struct {
        int row;
        int zone_of_status;
        bool device_line;
    } rows[] = {{0, device_row_list::zone_check, false},
                {1, device_row_list::zone_check, true},
                {2, device_row_list::zone_status, false}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.row);
        const row_geometry g = h.list.geometry(r.row);
        int row = -1;
        EXPECT_EQ(h.list.hit_test(centre(g.name), &row, nullptr), device_row_list::zone_name);
        EXPECT_EQ(row, r.row);
        EXPECT_EQ(h.list.hit_test(centre(g.status), nullptr, nullptr), r.zone_of_status);
        EXPECT_EQ(h.list.hit_test(centre(g.start), nullptr, nullptr), device_row_list::zone_start);
        EXPECT_EQ(h.list.hit_test(centre(g.show), nullptr, nullptr), device_row_list::zone_show);
        EXPECT_EQ(h.list.hit_test(POINT{3, (g.name.top + g.name.bottom) / 2}, nullptr, nullptr),
                  device_row_list::zone_none);
        if (r.device_line) {
            EXPECT_EQ(h.list.hit_test(centre(g.device), nullptr, nullptr), device_row_list::zone_device);
        }
    }
    // The tooltip names the store over its name and the channel over a
    // running row's status, nothing elsewhere.
    const struct {
        POINT at;
        const wchar_t* tip;
    } tips[] = {{centre(h.list.geometry(2).name), L"running"},
                {centre(h.list.geometry(2).status), L"채널"},
                {centre(h.list.geometry(0).name), L"idle"},
                {centre(h.list.geometry(0).status), L""},
                {centre(h.list.geometry(2).start), L""}};
    for (const auto& t : tips) {
        window_rig::mouse_move(h.list.get_list(), t.at.x, t.at.y);
        EXPECT_EQ(h.list.tooltip_text(), t.tip) << t.at.x << "," << t.at.y;
    }

    // The split line: half the row, a third when the chooser is open.
    RECT cell;
    h.list.get_cell_rect(0, 0, cell);
    EXPECT_EQ(h.list.geometry(0).split, cell.top + 10 + 30);
    EXPECT_EQ(h.list.geometry(1).split - (cell.top + 80), 10 + 20);

    // The check toggles the flag; the settings button opens the chooser.
    h.click(h.list.geometry(0).status);
    EXPECT_TRUE(h.list.row_at(0)->autostart);
    h.click(h.list.geometry(0).status);
    EXPECT_FALSE(h.list.row_at(0)->autostart);
    h.click(h.list.geometry(0).show);
    EXPECT_TRUE(h.list.row_at(0)->expanded);

    // The device menu: "선택하지 않음" and the numbered devices, the row's
    // own checked; a choice sets the device, "선택하지 않음" clears it, a
    // cancelled menu changes nothing.
    const struct {
        UINT_PTR choose;
        const wchar_t* device;
        UINT_PTR checked_before;
    } choices[] = {{2002, L"Speakers B", 2000}, {0, L"Speakers B", 2002}, {2001, L"Speakers A", 2002},
                   {2000, L"", 2001}};
    for (const auto& c : choices) {
        SCOPED_TRACE(c.choose);
        h.list.choose = c.choose;
        h.click(h.list.geometry(0).device);
        EXPECT_EQ(h.list.items, (std::vector<std::wstring>{L"선택하지 않음", L"1. Speakers A", L"2. Speakers B"}));
        EXPECT_EQ(h.list.checked, c.checked_before);
        EXPECT_EQ(h.list.row_at(0)->device, c.device);
    }
}

TEST_F(launcher_window_test, a_row_without_a_listed_device_starts_nothing_and_says_why) {
    rows_host h;
    h.list.set_rows({store(L"a", L"가게 A"), store(L"b", L"가게 B", L"Gone device")});
    h.list.start_row(0);
    h.list.start_row(1);
    h.list.start_row(5);
    EXPECT_EQ(h.list.told, (std::vector<std::wstring>{
                               L"사운드 장치를 선택하십시오",
                               L"[가게 B]의 선택된 사운드 장치가 존재하지 않습니다\r\n다시 장치를 선택하십시오"}));
    EXPECT_FALSE(h.list.row_at(0)->running);
    EXPECT_FALSE(h.list.row_at(1)->running);
    // Automatic start passes over a row without a device.
    player_row flagged = store(L"c", L"가게 C");
    flagged.autostart = true;
    h.list.told.clear();
    h.list.set_rows({flagged});
    EXPECT_TRUE(h.list.told.empty());
    EXPECT_FALSE(h.list.row_at(0)->running);
}

namespace {
// Closes the message box that the timed box opens, keeping its text.
std::wstring g_box_text;
BOOL CALLBACK find_box(HWND hwnd, LPARAM) {
    wchar_t name[32] = {};
    GetClassNameW(hwnd, name, 32);
    if (lstrcmpW(name, L"#32770") != 0 || !IsWindowVisible(hwnd)) return TRUE;
    HWND text = GetDlgItem(hwnd, 0xFFFF);
    wchar_t buffer[256] = {};
    if (text) GetWindowTextW(text, buffer, 256);
    g_box_text = buffer;
    PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
    return FALSE;
}
void CALLBACK close_box(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), &find_box, 0); }
}  // namespace

TEST_F(launcher_window_test, the_device_message_shows_in_a_timed_box) {
    open();
    rows().set_rows({store(L"a", L"가게 A")});
    g_box_text.clear();
    const int before = timed_message_box::pending();
    rows().start_row(0);
    EXPECT_EQ(timed_message_box::pending(), before + 1);
    UINT_PTR closer = SetTimer(nullptr, 0, 100, &close_box);
    window_rig::pump_until([] { return !g_box_text.empty(); }, 5000);
    KillTimer(nullptr, closer);
    EXPECT_EQ(g_box_text, L"사운드 장치를 선택하십시오");
}

TEST_F(launcher_window_test, a_started_player_is_recorded_and_its_end_makes_the_row_idle_within_1200_ms) {
    // A player program beside the test that ends by itself after two
    // seconds; the second one is ended from outside before that.
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring player(self);
    player = player.substr(0, player.rfind(L'\\')) + L"\\launcher_quick_player.exe";
    for (bool killed : {false, true}) {
        SCOPED_TRACE(killed ? "killed" : "ends by itself");
        rows_host h;
        h.list.set_player_path(player);
        player_row row = store(L"shop", L"가게", L"Speakers B");
        row.autostart = true;
        h.list.set_rows({row});  // automatic start
        player_row* r = h.list.row_at(0);
        ASSERT_TRUE(r->running) << "no player at " << std::string(h.list.player_path().begin(), h.list.player_path().end());
        ASSERT_NE(r->pid, 0u);
        HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, r->pid);
        ASSERT_NE(process, nullptr);
        if (killed) TerminateProcess(process, 9);
        bool ended = false;
        for (int i = 0; i < 600 && !ended; ++i) {
            ended = WaitForSingleObject(process, 50) == WAIT_OBJECT_0;
            if (!ended) window_rig::pump();
        }
        CloseHandle(process);
        ASSERT_TRUE(ended);
        const DWORD end = GetTickCount();
        EXPECT_TRUE(window_rig::pump_until([&] { return !h.list.row_at(0)->running; }, 3000));
        EXPECT_LE(GetTickCount() - end, 1200u);
        EXPECT_EQ(h.list.row_at(0)->pid, 0u);
        EXPECT_EQ(h.list.row_at(0)->device, L"Speakers B");
        EXPECT_TRUE(h.list.row_at(0)->autostart);
    }
}

TEST_F(launcher_window_test, the_indicator_follows_the_pattern_and_goes_grey_when_playing_stops) {
    open(2);
    player_row a = store(L"a", L"A", L"Speakers A"), b = store(L"b", L"B", L"Speakers B");
    a.running = b.running = a.playing = b.playing = true;
    a.pid = 111;
    b.pid = 222;
    rows().set_rows({a, b});
    device_row_list::poll_counter = 1;  // no process watch in this tick
    device_row_list::pattern_counter = 10;
    rows().on_tick();
    const int* first = device_row_list::pattern[10];
    const int* second = device_row_list::pattern[0];
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(rows().row_at(0)->levels[c], first[c]);
        EXPECT_EQ(rows().row_at(1)->levels[c], second[c]);
    }
    EXPECT_EQ(device_row_list::pattern_counter, 1);
    EXPECT_EQ(device_row_list::poll_counter, 2);

    // Column c of row 0 shows its lowest levels[c] bars lit.
    pixel_image p = list_pixels();
    const RECT at = rows().geometry(0).indicator;
    for (int c = 0; c < 3; ++c)
        for (int bar = 0; bar < 5; ++bar) {
            const bool lit = (4 - bar) < first[c];
            EXPECT_EQ(p.at(at.left + 5 * c + 1, at.top + 3 * bar), lit ? 0xDA8A00u : 0xCFCFCFu) << c << "," << bar;
        }

    // "Not playing" from the player: that row's bars all grey at once.
    const char text[] = "111|0";
    COPYDATASTRUCT data = {copydata::copydata_playing, sizeof text, const_cast<char*>(text)};
    EXPECT_EQ(SendMessageW(hwnd(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)), 1);
    EXPECT_FALSE(rows().row_at(0)->playing);
    p = list_pixels();
    EXPECT_EQ(p.count(0xDA8A00, at.left, at.top, 14, 14), 0);
    EXPECT_TRUE(rows().row_at(1)->playing);
}

TEST_F(launcher_window_test, a_message_is_read_within_its_length) {
    open();
    player_row a = store(L"a", L"A", L"Speakers A");
    a.running = true;
    a.pid = 111;
    rows().set_rows({a});
    // No NUL within cbData: only those bytes count.
    const char text[] = "111|channel-and-more";
    COPYDATASTRUCT data = {copydata::copydata_channel, 11, const_cast<char*>(text)};
    EXPECT_EQ(SendMessageW(hwnd(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)), 1);
    EXPECT_EQ(rows().row_at(0)->status, L"channel");
    COPYDATASTRUCT nothing = {copydata::copydata_channel, 40, nullptr};
    EXPECT_EQ(SendMessageW(hwnd(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&nothing)), 1);
    EXPECT_EQ(rows().row_at(0)->status, L"channel");
    // A pid no row has, and pid 0 (which idle rows hold), change nothing.
    const char zero[] = "0|x";
    COPYDATASTRUCT idle = {copydata::copydata_channel, sizeof zero, const_cast<char*>(zero)};
    EXPECT_EQ(SendMessageW(hwnd(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&idle)), 1);
    EXPECT_EQ(rows().row_at(0)->status, L"channel");
}

TEST(logo_view, a_logo_keeps_its_proportions_and_is_centred) {
    const struct {
        int w, h;
        RECT expected;
    } cases[] = {{200, 60, {31, 0, 297, 80}},
                 {100, 100, {124, 0, 204, 80}},
                 {400, 50, {0, 19, 328, 60}},
                 {328, 80, {0, 0, 328, 80}},
                 {0, 10, {0, 0, 0, 0}}};
    for (const auto& c : cases) {
        const RECT r = logo_view::placement(c.w, c.h, 328, 80);
        EXPECT_TRUE(EqualRect(&r, &c.expected)) << c.w << "x" << c.h << ": " << r.left << "," << r.top << ","
                                                << r.right << "," << r.bottom;
    }
}

TEST_F(launcher_window_test, screenshots_with_one_three_and_eight_rows) {
    const wchar_t* names[] = {L"강남점", L"역삼점 (매장 음악)", L"홍대입구점", L"신촌점",
                              L"이름이 아주 긴 가게의 지점 이름입니다", L"부산 서면점", L"대구점", L"광주점"};
    // A logo of 200 x 60: blue, with an orange right half.
    pixel_image logo;
    logo.width = 200;
    logo.height = 60;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 200; ++x) {
            const bool right = x >= 100;
            logo.rgb.push_back(right ? 0xF0 : 0x20);
            logo.rgb.push_back(right ? 0x90 : 0x60);
            logo.rgb.push_back(right ? 0x20 : 0xD0);
        }
    ASSERT_TRUE(write_png(logo, folder / L"logo.png"));
    for (int count : {1, 3, 8}) {
        SCOPED_TRACE(count);
        open(count);
        std::vector<player_row> list;
        for (int i = 0; i < count; ++i) {
            player_row r = store((L"s" + std::to_wstring(i)).c_str(), names[i], i % 2 ? L"Speakers A" : L"");
            if (i == 1) {
                r.running = r.playing = true;
                r.pid = 111;
                r.status = L"가요 채널";
                r.levels[0] = 2;
                r.levels[1] = 5;
                r.levels[2] = 3;
            }
            if (i == 2) r.expanded = true;
            if (i == 3) {
                r.autostart = true;  // checked, not started: it has no device
                r.device.clear();
            }
            list.push_back(r);
        }
        rows().set_rows(list);
        window_rig::pump();
        UpdateWindow(rows().get_list());
        const pixel_image shot = capture_window(hwnd());
        ASSERT_FALSE(shot.empty());
        save_artifact(shot, (std::to_wstring(count) + L"_rows").c_str());
        EXPECT_EQ(shot.width, 350);
        EXPECT_EQ(shot.height, count >= 2 ? 441 : 341);
        // The logo fills the field's height, centred: 266 x 80 from x 31.
        const RECT field = launcher_skin::logo_rect();
        EXPECT_EQ(shot.at(field.left + 10, field.top + 40), RGB(255, 255, 255));
        EXPECT_EQ(shot.at(field.left + 60, field.top + 40), RGB(0x20, 0x60, 0xD0));
        EXPECT_EQ(shot.at(field.left + 250, field.top + 40), RGB(0xF0, 0x90, 0x20));
        EXPECT_EQ(shot.at(field.right - 10, field.top + 40), RGB(255, 255, 255));
        window.reset();
    }
}

namespace {
// The client window of a player, in the test program: it records what the
// launcher sends and answers a quit as a player does, with its own quit
// sent back from inside the launcher's send.
struct received {
    ULONG_PTR code;
    std::wstring text;
};
std::vector<received> g_client_log;
DWORD g_client_pid = 0;

LRESULT CALLBACK client_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg != WM_COPYDATA) return DefWindowProcW(hwnd, msg, wparam, lparam);
    const COPYDATASTRUCT* data = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
    g_client_log.push_back({data->dwData, copydata::text_of(data)});
    if (data->dwData == copydata::copydata_quit)
        copydata::send(reinterpret_cast<HWND>(wparam), hwnd, copydata::copydata_quit,
                       std::to_wstring(g_client_pid).c_str());
    return 1;
}

HWND client_window() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &client_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"zel_test_player_client";
    RegisterClassW(&wc);
    return CreateWindowExW(0, L"zel_test_player_client", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}
}  // namespace

// Started as a separate process by the test below: a player that does not
// end when asked.
TEST(launcher_sleeper, DISABLED_hangs) { Sleep(60000); }

TEST_F(launcher_window_test, a_player_registers_and_one_that_hangs_after_its_quit_answer_is_ended) {
    open();
    // The hung player: this test program, sleeping.
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = std::wstring(L"\"") + self +
                           L"\" --gtest_also_run_disabled_tests --gtest_filter=launcher_sleeper.DISABLED_hangs";
    STARTUPINFOW start = {};
    start.cb = sizeof start;
    PROCESS_INFORMATION made = {};
    ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start, &made));
    CloseHandle(made.hThread);
    g_client_pid = made.dwProcessId;
    g_client_log.clear();

    player_row row = store(L"shop|1", L"가게", L"Speakers A");
    row.running = true;
    row.pid = made.dwProcessId;
    rows().set_rows({row});
    HWND client = client_window();
    ASSERT_NE(client, nullptr);

    // Registration: a pid without a row gets no answer; the row's own pid
    // gets its store's four fields, a "|" inside one kept whole.
    EXPECT_EQ(copydata::send(hwnd(), client, copydata::copydata_register, L"4242"), 1);
    EXPECT_TRUE(g_client_log.empty());
    EXPECT_EQ(copydata::send(hwnd(), client, copydata::copydata_register, std::to_wstring(row.pid).c_str()), 1);
    ASSERT_EQ(g_client_log.size(), 1u);
    EXPECT_EQ(g_client_log[0].code, static_cast<ULONG_PTR>(copydata::copydata_register));
    EXPECT_EQ(g_client_log[0].text, L"shop\\|1|pw|Speakers A|가게");
    EXPECT_EQ(rows().row_at(0)->client_window, client);

    // The stop: the player answers and clears the row, then hangs; it is
    // ended after the wait all the same.
    const DWORD asked = GetTickCount();
    rows().stop_row(0);
    const DWORD took = GetTickCount() - asked;
    EXPECT_EQ(g_client_log.back().code, static_cast<ULONG_PTR>(copydata::copydata_quit));
    EXPECT_FALSE(rows().row_at(0)->running);
    EXPECT_EQ(WaitForSingleObject(made.hProcess, 2000), WAIT_OBJECT_0);
    EXPECT_GE(took, 5500u);
    TerminateProcess(made.hProcess, 0);
    CloseHandle(made.hProcess);
    DestroyWindow(client);
}

namespace {
// A player whose user-interface thread is stuck: its client window exists
// but it handles no message.
const wchar_t kHungClass[] = L"zel_test_hung_client";

struct hung_window_search {
    DWORD pid;
    HWND hwnd;
    static BOOL CALLBACK visit(HWND hwnd, LPARAM context) {
        hung_window_search* s = reinterpret_cast<hung_window_search*>(context);
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        wchar_t name[64] = {};
        GetClassNameW(hwnd, name, 64);
        if (owner != s->pid || lstrcmpW(name, kHungClass) != 0) return TRUE;
        s->hwnd = hwnd;
        return FALSE;
    }
};
}  // namespace

TEST(launcher_sleeper, DISABLED_hangs_with_a_client_window) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kHungClass;
    RegisterClassW(&wc);
    CreateWindowExW(0, kHungClass, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, GetModuleHandleW(nullptr),
                    nullptr);
    Sleep(60000);
}

// A player that answers nothing at all does not hang the launcher with it:
// its stop gives up waiting for the answer, then ends it after the wait.
TEST_F(launcher_window_test, a_player_that_answers_nothing_is_ended_without_hanging_the_launcher) {
    open();
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = std::wstring(L"\"") + self +
                           L"\" --gtest_also_run_disabled_tests "
                           L"--gtest_filter=launcher_sleeper.DISABLED_hangs_with_a_client_window";
    STARTUPINFOW start = {};
    start.cb = sizeof start;
    PROCESS_INFORMATION made = {};
    ASSERT_TRUE(
        CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start, &made));
    CloseHandle(made.hThread);
    hung_window_search found = {made.dwProcessId, nullptr};
    window_rig::pump_until(
        [&] {
            EnumWindows(&hung_window_search::visit, reinterpret_cast<LPARAM>(&found));
            return found.hwnd != nullptr;
        },
        15000);
    ASSERT_NE(found.hwnd, nullptr);

    player_row row = store(L"shop", L"가게", L"Speakers A");
    row.running = row.visible = true;
    row.pid = made.dwProcessId;
    row.client_window = found.hwnd;
    player_row other = store(L"other", L"다른 가게", L"Speakers B");
    rows().set_rows({row, other});

    // Showing another row asks the hung one to hide: the launcher goes on.
    DWORD asked = GetTickCount();
    rows().row_at(1)->running = true;
    rows().row_at(1)->pid = 4242;
    rows().toggle_show(1);
    EXPECT_LT(GetTickCount() - asked, 9000u);
    EXPECT_FALSE(rows().row_at(0)->visible);

    asked = GetTickCount();
    rows().stop_row(0);
    const DWORD took = GetTickCount() - asked;
    EXPECT_EQ(WaitForSingleObject(made.hProcess, 2000), WAIT_OBJECT_0);
    EXPECT_FALSE(rows().row_at(0)->running);
    EXPECT_EQ(rows().row_at(0)->pid, 0u);
    EXPECT_LT(took, 16000u);
    TerminateProcess(made.hProcess, 0);
    CloseHandle(made.hProcess);
}

namespace {
struct found_window {
    DWORD pid;
    HWND hwnd;
};
BOOL CALLBACK find_launcher(HWND hwnd, LPARAM context) {
    found_window* f = reinterpret_cast<found_window*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    if (owner == f->pid && lstrcmpW(name, L"ZELMultiWindow") == 0 && IsWindowVisible(hwnd)) {
        f->hwnd = hwnd;
        return FALSE;
    }
    return TRUE;
}

PROCESS_INFORMATION start_process(std::wstring command) {
    STARTUPINFOW start = {};
    start.cb = sizeof start;
    PROCESS_INFORMATION made = {};
    CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start, &made);
    if (made.hThread) CloseHandle(made.hThread);
    return made;
}
}  // namespace

TEST_F(launcher_window_test, the_program_waits_for_its_player_then_shows_its_window) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder_of_self(self);
    folder_of_self.resize(folder_of_self.rfind(L'\\'));
    // The calling player: a process that does not end by itself.
    PROCESS_INFORMATION player = start_process(std::wstring(L"\"") + self +
                                               L"\" --gtest_also_run_disabled_tests --gtest_filter=launcher_sleeper.*");
    ASSERT_NE(player.hProcess, nullptr);
    // A password holding "pid=" is not the process id.
    const std::wstring command = L"\"" + folder_of_self + L"\\zel_mtplayer.exe\" \"id=multi\" \"pw=xpid=1\" " +
                                 L"\"ids=2\u203Bshop1\u00B6p\u00B6A\u203Bshop2\u00B6p\u00B6B\" \"time=0\" \"pid=" +
                                 std::to_wstring(player.dwProcessId) + L"\" \"dev=0|Speakers A\"";
    const DWORD started = GetTickCount();
    PROCESS_INFORMATION launcher = start_process(command);
    ASSERT_NE(launcher.hProcess, nullptr);

    // The player is ended after 6 s, with an exit code that does not read
    // as "still running".
    EXPECT_EQ(WaitForSingleObject(player.hProcess, 15000), WAIT_OBJECT_0);
    EXPECT_GE(GetTickCount() - started, 5500u);
    DWORD code = 0;
    GetExitCodeProcess(player.hProcess, &code);
    EXPECT_NE(code, static_cast<DWORD>(STILL_ACTIVE));

    found_window f = {launcher.dwProcessId, nullptr};
    window_rig::pump_until([&] {
        EnumWindows(&find_launcher, reinterpret_cast<LPARAM>(&f));
        return f.hwnd != nullptr;
    }, 15000);
    ASSERT_NE(f.hwnd, nullptr);
    const RECT r = rect_of(f.hwnd);
    EXPECT_EQ(r.right - r.left, 350);
    EXPECT_EQ(r.bottom - r.top, 441);
    // Ended from outside: it saves nothing into the test machine's settings.
    TerminateProcess(launcher.hProcess, 0);
    WaitForSingleObject(launcher.hProcess, 5000);
    CloseHandle(launcher.hProcess);
    TerminateProcess(player.hProcess, 0);
    CloseHandle(player.hProcess);
}
