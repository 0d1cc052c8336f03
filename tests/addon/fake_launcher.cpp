// zel_mtplayer.exe of the tests: a stand-in for the multi-instance launcher,
// as far as a player's launcher link meets it.
//
// Started with its six arguments (by a player's start_launcher, or by a
// test), it records what it got and then plays the launcher's window:
// - The command line is split as the launcher splits it (cmd_line). Unless
//   there are exactly the program path and six arguments, it records
//   "refused <count>" and ends (the launcher shows a message box instead).
//   Otherwise it records "cmdline <raw text>" and "arg <i> <text>" for each.
// - It owns a window of the class ZEL_FAKE_LAUNCHER_CLASS (default
//   "ZELMultiWindow") and records "ready". Every WM_COPYDATA is answered 1
//   and recorded as "recv <code> <text>" ("recv <code> -" without data).
//   While it handles a 1001 it sends ZEL_FAKE_LAUNCHER_REPLY, when that is
//   set, back to the sending window as the launcher's 1001 (the text is sent
//   as it is, so a test can send any number of fields).
// - Tests drive the launcher's own messages by posting to its window:
//   WM_APP + 1 (wParam 0 or 1) sends 1003 "0" or "1" to the last registered
//   client window, WM_APP + 2 sends 1004 without data; each records
//   "sent <code> = <result>". WM_CLOSE ends it; so does a lifetime of two
//   minutes.
// Records go to the file ZEL_FAKE_LAUNCHER_LOG (UTF-8 lines).
#include <windows.h>

#include <cstdio>
#include <string>

#include "cmd_line.h"
#include "copydata.h"

namespace {

std::wstring log_path;
std::wstring reply;
bool has_reply = false;
HWND client = nullptr;

std::wstring env(const wchar_t* name, bool* present = nullptr) {
    wchar_t value[2048];
    const DWORD n = GetEnvironmentVariableW(name, value, 2048);
    if (present)
        *present = n > 0 && n < 2048;
    return n > 0 && n < 2048 ? std::wstring(value, n) : std::wstring();
}

void record(const std::wstring& line) {
    if (log_path.empty())
        return;
    FILE* f = _wfopen(log_path.c_str(), L"ab");
    if (!f)
        return;
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(bytes > 0 ? bytes : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, &utf8[0], bytes, nullptr, nullptr);
    fprintf(f, "%s\n", utf8.c_str());
    fclose(f);
}

LRESULT CALLBACK launcher_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case WM_COPYDATA: {
        const COPYDATASTRUCT* data = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
        const std::wstring text = data && data->cbData ? copydata::text_of(data) : L"-";
        record(L"recv " + std::to_wstring(data ? data->dwData : 0) + L" " + text);
        if (data && data->dwData == copydata::copydata_register) {
            client = reinterpret_cast<HWND>(wparam);
            if (has_reply)
                copydata::send(client, hwnd, copydata::copydata_register, reply.c_str());
        }
        return 1;
    }
    case WM_APP + 1: {
        const LRESULT r = copydata::send(client, hwnd, copydata::copydata_show, wparam ? L"1" : L"0");
        record(L"sent 1003 = " + std::to_wstring(r));
        return 0;
    }
    case WM_APP + 2: {
        const LRESULT r = copydata::send(client, hwnd, copydata::copydata_quit, nullptr);
        record(L"sent 1004 = " + std::to_wstring(r));
        return 0;
    }
    case WM_TIMER:
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wparam, lparam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    log_path = env(L"ZEL_FAKE_LAUNCHER_LOG");
    reply = env(L"ZEL_FAKE_LAUNCHER_REPLY", &has_reply);
    std::wstring class_name = env(L"ZEL_FAKE_LAUNCHER_CLASS");
    if (class_name.empty())
        class_name = L"ZELMultiWindow";

    const cmd_line line(GetCommandLineW());
    if (line.count() != 7) {
        record(L"refused " + std::to_wstring(line.count()));
        return 1;
    }
    record(std::wstring(L"cmdline ") + GetCommandLineW());
    for (int i = 1; i < line.count(); ++i)
        record(L"arg " + std::to_wstring(i) + L" " + line.argument(i));

    WNDCLASSW wc = {};
    wc.lpfnWndProc = &launcher_proc;
    wc.hInstance = instance;
    wc.lpszClassName = class_name.c_str();
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, class_name.c_str(), L"fake launcher", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                instance, nullptr);
    if (!hwnd) {
        record(L"no window");
        return 1;
    }
    SetTimer(hwnd, 1, 120000, nullptr);
    record(L"ready");
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    record(L"ended");
    return 1;
}
