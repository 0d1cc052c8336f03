// zel_mtplayer.exe: started by a player that logged in with a multi-store
// account, with six arguments (id, pw, ids, time, pid, dev). It keeps one
// launcher running, waits for the calling player to end, makes the launcher
// window and hands it the arguments, then runs until the window closes.
//
// Arguments are told apart by their key, the text before the first "=": a
// password or store list that contains "pid=" is not taken for the process
// id.
#include <windows.h>
#include <algorithm>
// GDI+ names min and max, which the build leaves undefined as macros.
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <objidl.h>
#include <gdiplus.h>

#include <cwctype>
#include <string>

#include "cmd_line.h"
#include "core.h"
#include "dialog_base.h"
#include "launcher_window.h"
#include "sound_device_list.h"

namespace {
const wchar_t kMutex[] = L"MULTIPLAYER-15CD874C-F686-4c1d-AD0F-522807549251";
const wchar_t kCaption[] = L"VOLQUIN 플레이어";
const unsigned kWaitDialog = 104;
const DWORD kPlayerWaitMs = 6000;

std::wstring key_of(const std::wstring& argument) {
    const size_t equals = argument.find(L'=');
    std::wstring key = argument.substr(0, equals == std::wstring::npos ? 0 : equals);
    size_t a = 0, b = key.size();
    while (a < b && (key[a] == L' ' || key[a] == L'\t')) ++a;
    while (b > a && (key[b - 1] == L' ' || key[b - 1] == L'\t')) --b;
    key = key.substr(a, b - a);
    for (wchar_t& c : key) c = static_cast<wchar_t>(towlower(c));
    return key;
}

std::wstring value_of(const std::wstring& argument) {
    const size_t equals = argument.find(L'=');
    if (equals == std::wstring::npos) return std::wstring();
    std::wstring value = argument.substr(equals + 1);
    size_t a = 0, b = value.size();
    while (a < b && (value[a] == L' ' || value[a] == L'\t')) ++a;
    while (b > a && (value[b - 1] == L' ' || value[b - 1] == L'\t')) --b;
    return value.substr(a, b - a);
}

// The wait dialog shown while the calling player ends.
struct wait_dialog : dialog_base {};

void wait_for_player(DWORD pid) {
    wait_dialog wait;
    if (wait.create_modeless(kWaitDialog, nullptr)) SetWindowTextW(wait.hwnd(), L"다중 재생 플레이어");
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, pid);
    if (process) {
        if (WaitForSingleObject(process, kPlayerWaitMs) == WAIT_TIMEOUT) TerminateProcess(process, 1);
        CloseHandle(process);
    }
    if (wait.hwnd()) DestroyWindow(wait.hwnd());
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    cmd_line line;
    if (line.count() != 7) {
        MessageBoxW(nullptr, L"이 프로그램은 단독 실행할 수 없습니다", kCaption, MB_TOPMOST);
        return 1;
    }
    HANDLE mutex = CreateMutexW(nullptr, FALSE, kMutex);
    const DWORD error = GetLastError();
    if (!mutex || error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED) {
        HWND running = FindWindowW(launcher_window::class_name, nullptr);
        if (running && IsWindow(running)) {
            SetForegroundWindow(running);
            ShowWindow(running, SW_RESTORE);
        }
        if (mutex) CloseHandle(mutex);
        return 1;
    }

    core::set_instance(instance);
    Gdiplus::GdiplusStartupInput gdiplus_input;
    ULONG_PTR gdiplus = 0;
    Gdiplus::GdiplusStartup(&gdiplus, &gdiplus_input, nullptr);
    launcher_window::register_class(instance);
    sound_device_list::set_from_environment();

    DWORD pid = 0;
    launcher_window* window = new launcher_window;
    for (int i = 1; i <= 6; ++i) {
        const std::wstring argument = line.argument(i);
        const std::wstring key = key_of(argument);
        if (key == L"pid") pid = static_cast<DWORD>(wcstoul(value_of(argument).c_str(), nullptr, 10));
        if (key == L"ids") {
            const std::wstring value = value_of(argument);
            const size_t mark = value.find(L'\u203B');
            if (!value.empty()) window->row_count = static_cast<int>(wcstol(value.substr(0, mark).c_str(), nullptr, 10));
        }
    }
    if (pid) wait_for_player(pid);

    if (window->create_modeless(launcher_window::template_id, nullptr)) {
        for (int i = 1; i <= 6; ++i) {
            const std::wstring argument = line.argument(i);
            if (key_of(argument) != L"pid") window->parse_argument(argument);
        }
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    Gdiplus::GdiplusShutdown(gdiplus);
    ReleaseMutex(mutex);
    CloseHandle(mutex);
    delete window;
    return 1;
}
