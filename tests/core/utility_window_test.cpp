// Window and system helpers of utility, on a real (Xvfb) display.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "utility.h"

namespace {
std::wstring exe_folder() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s(path);
    return s.substr(0, s.rfind(L'\\'));
}

int g_user_messages = 0;
int g_dropped_messages = 0;
LRESULT CALLBACK counting_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_USER + 1) ++g_user_messages;
    if (msg == WM_USER + 2) ++g_dropped_messages;
    return DefWindowProcW(hwnd, msg, wp, lp);
}

HWND make_window(int x, int y, int w, int h) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = counting_proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"utility_window_test";
        RegisterClassW(&wc);
        registered = true;
    }
    return CreateWindowExW(WS_EX_TOOLWINDOW, L"utility_window_test", L"", WS_POPUP, x, y, w, h, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

struct combo_box {
    HWND parent = make_window(0, 0, 300, 200);
    HWND combo = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | CBS_DROPDOWN, 0, 0, 200, 150, parent, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ~combo_box() { DestroyWindow(parent); }

    void fill(const std::vector<std::wstring>& items) {
        for (const std::wstring& s : items) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
    }
    std::vector<std::wstring> items() const {
        std::vector<std::wstring> out;
        int n = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            std::wstring s(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0), L'\0');
            std::vector<wchar_t> buf(s.size() + 1);
            SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf.data()));
            out.emplace_back(buf.data());
        }
        return out;
    }
    std::wstring edit_text() const {
        wchar_t buf[256] = L"";
        GetWindowTextW(combo, buf, 256);
        return buf;
    }
};

// A started helper program that ends with the test.
struct child_process {
    PROCESS_INFORMATION pi = {};
    explicit child_process(const std::wstring& exe) {
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        std::wstring cmd = L"\"" + exe + L"\"";
        if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) pi = {};
    }
    ~child_process() {
        if (!pi.hProcess) return;
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 1);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    bool ended_within(DWORD ms) const { return WaitForSingleObject(pi.hProcess, ms) == WAIT_OBJECT_0; }
};
}  // namespace

TEST(utility_window, message_pump_dispatches_and_clear_drops_one_message) {
    HWND w = make_window(0, 0, 50, 50);
    ASSERT_NE(w, nullptr);
    g_user_messages = g_dropped_messages = 0;
    for (int i = 0; i < 3; ++i) PostMessageW(w, WM_USER + 1, 0, 0);
    utility::message_pump(w);
    EXPECT_EQ(g_user_messages, 3);

    PostMessageW(w, WM_USER + 2, 0, 0);
    PostMessageW(w, WM_USER + 1, 0, 0);
    PostMessageW(w, WM_USER + 2, 0, 0);
    utility::clear_message_queue(2, w, WM_USER + 2);
    EXPECT_EQ(g_user_messages, 4);
    EXPECT_EQ(g_dropped_messages, 0);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, w, WM_USER, WM_USER + 10, PM_NOREMOVE));
    DestroyWindow(w);
}

TEST(utility_window, default_font_is_cached_and_text_width_follows_the_font) {
    int points = 0;
    LOGFONTW* first = utility::get_default_logfont(&points);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(utility::get_default_logfont(nullptr), first);
    HDC dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(points, -first->lfHeight * 72 / dpi);

    const wchar_t* face = first->lfFaceName;
    const int narrow = utility::get_text_length(L"Hello", face, 9, false);
    EXPECT_GT(narrow, 0);
    EXPECT_GT(utility::get_text_length(L"Hello, world", face, 9, false), narrow);
    EXPECT_GT(utility::get_text_length(L"Hello", face, 24, false), narrow);
    EXPECT_GE(utility::get_text_length(L"Hello", face, 9, true), narrow);
    EXPECT_EQ(utility::get_text_length(L"", face, 9, false), 0);
    // A face name longer than the field is cut, not overrun.
    EXPECT_GE(utility::get_text_length(L"Hi", std::wstring(200, L'x').c_str(), 9, false), 0);
}

TEST(utility_window, windows_outside_the_work_area_come_back) {
    RECT work;
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    const int w = 100, h = 80;
    struct row {
        const char* name;
        int x, y;            // placed at
        int want_x, want_y;  // expected afterwards
    };
    const row rows[] = {
        {"inside", work.left + 20, work.top + 20, work.left + 20, work.top + 20},
        {"right edge 5 px inside the left edge", work.left - w + 5, work.top + 30, work.left, work.top + 30},
        {"right edge 10 px inside stays", work.left - w + 10, work.top + 30, work.left - w + 10, work.top + 30},
        {"bottom above the top", work.left + 30, work.top - h + 2, work.left + 30, work.top},
        {"left edge beyond the right", work.right - 5, work.top + 30, work.right - w, work.top + 30},
        {"top edge below the bottom", work.left + 30, work.bottom - 3, work.left + 30, work.bottom - h},
        {"both off the top left", work.left - 500, work.top - 500, work.left, work.top},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        HWND win = make_window(r.x, r.y, w, h);
        ASSERT_NE(win, nullptr);
        RECT before;
        GetWindowRect(win, &before);
        ASSERT_EQ(before.left, r.x);
        ASSERT_EQ(before.top, r.y);
        utility::ajust_window_screen(win);
        RECT after;
        GetWindowRect(win, &after);
        EXPECT_EQ(after.left, r.want_x);
        EXPECT_EQ(after.top, r.want_y);
        EXPECT_EQ(after.right - after.left, w);
        EXPECT_EQ(after.bottom - after.top, h);
        DestroyWindow(win);
    }
}

TEST(utility_window, recent_list_puts_the_text_first_and_cuts_the_list) {
    combo_box box;
    ASSERT_NE(box.combo, nullptr);
    box.fill({L"a", L"ABC", L"b"});
    utility::recent_list(box.combo, L" \tabc  ", 2);
    EXPECT_EQ(box.items(), (std::vector<std::wstring>{L"abc", L"a"}));
    EXPECT_EQ(box.edit_text(), L"abc");

    // Blank text changes nothing.
    utility::recent_list(box.combo, L"  \t", 5);
    utility::recent_list(box.combo, nullptr, 5);
    EXPECT_EQ(box.items(), (std::vector<std::wstring>{L"abc", L"a"}));

    // Empty entries go; new text goes first.
    box.fill({L"", L"c"});
    utility::recent_list(box.combo, L"d", 10);
    EXPECT_EQ(box.items(), (std::vector<std::wstring>{L"d", L"abc", L"a", L"c"}));
}

TEST(utility_window, recent_list_keeps_entries_longer_than_any_fixed_buffer) {
    combo_box box;
    const std::wstring long_url = L"http://example.invalid/" + std::wstring(5000, L'q');
    box.fill({L"first", long_url, L"last"});
    utility::recent_list(box.combo, L"new", 10);
    EXPECT_EQ(box.items(), (std::vector<std::wstring>{L"new", L"first", long_url, L"last"}));
    // The long entry itself moves to the front, whole.
    utility::recent_list(box.combo, long_url.c_str(), 3);
    EXPECT_EQ(box.items(), (std::vector<std::wstring>{long_url, L"new", L"first"}));
}

TEST(utility_window, numbers_are_checked_and_grouped) {
    EXPECT_TRUE(utility::is_number(L"007"));
    EXPECT_TRUE(utility::is_number(L""));
    EXPECT_TRUE(utility::is_number(nullptr));
    for (const wchar_t* text : {L"-7", L"+7", L"1 2", L"1.5", L"12a", L"\x0661"}) EXPECT_FALSE(utility::is_number(text));

    struct row {
        const wchar_t* in;
        const wchar_t* out;
    };
    const row rows[] = {
        {L"1234567", L"1,234,567"}, {L"-1234", L"-1,234"}, {L"0", L"0"},       {L"999", L"999"},
        {L"1000", L"1,000"},        {L"1234.6", L"1,235"}, {L"0.3", L"0"},     {L"-0", L"0"},
        {L"abc", L"abc"},           {L"", L""},
    };
    for (const row& r : rows) EXPECT_STREQ(utility::make_number_string(r.in).wvalue(), r.out) << r.in;
}

TEST(utility_window, os_version_codes_follow_the_reported_version) {
    // Windows 7 (Wine's default) is beyond the table.
    EXPECT_EQ(utility::get_os_version(), -1);

    // The probe program runs under the Windows version that Wine's per-program
    // setting names.
    const std::wstring probe = exe_folder() + L"\\zel_os_probe.exe";
    const std::wstring key_path = L"Software\\Wine\\AppDefaults\\zel_os_probe.exe";
    struct row {
        const wchar_t* version;
        int code;
    };
    const row rows[] = {{L"win95", 0}, {L"win98", 1}, {L"winme", 2},  {L"nt40", 10},
                        {L"win2k", 11}, {L"winxp", 12}, {L"win2003", 13}, {L"vista", -1}};
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    for (const row& r : rows) {
        SCOPED_TRACE(testing::Message() << "version index " << (&r - rows));
        RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(r.version),
                       static_cast<DWORD>((wcslen(r.version) + 1) * sizeof(wchar_t)));
        child_process child(probe);
        ASSERT_NE(child.pi.hProcess, nullptr);
        ASSERT_TRUE(child.ended_within(20000));
        DWORD code = 0;
        GetExitCodeProcess(child.pi.hProcess, &code);
        EXPECT_EQ(static_cast<int>(code) - 100, r.code);
    }
    RegCloseKey(key);
    RegDeleteKeyW(HKEY_CURRENT_USER, key_path.c_str());
}

TEST(utility_window, kill_process_ends_only_whole_name_matches) {
    const std::wstring sleeper = exe_folder() + L"\\zel_sleeper.exe";
    child_process first(sleeper);
    ASSERT_NE(first.pi.hProcess, nullptr);
    Sleep(200);  // let it appear in the process list

    // Part of a name does not end a program.
    EXPECT_FALSE(utility::kill_process(L"zel_sleep"));
    EXPECT_FALSE(utility::kill_process(L"SLEEPER.EXE"));
    EXPECT_FALSE(utility::kill_process(L""));
    EXPECT_FALSE(first.ended_within(100));

    // The whole name in any case ends it.
    EXPECT_TRUE(utility::kill_process(L"ZEL_Sleeper.EXE"));
    EXPECT_TRUE(first.ended_within(5000));

    // Without the extension the name still means the program.
    child_process second(sleeper);
    ASSERT_NE(second.pi.hProcess, nullptr);
    Sleep(200);
    EXPECT_TRUE(utility::kill_process(L"zel_sleeper"));
    EXPECT_TRUE(second.ended_within(5000));

    EXPECT_FALSE(utility::kill_process(L"zel_sleeper.exe"));  // none left
}
