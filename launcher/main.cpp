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

#include <string>
#include <vector>

#include "cmd_line.h"
#include "core.h"
#include "dialog_base.h"
#include "launcher_arguments.h"
#include "launcher_window.h"
#include "sound_device_list.h"

namespace {
const wchar_t kMutex[] = L"MULTIPLAYER-15CD874C-F686-4c1d-AD0F-522807549251";
const wchar_t kCaption[] = L"VOLQUIN 플레이어";
const unsigned kWaitDialog = 104;
const DWORD kPlayerWaitMs = 6000;

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

    std::vector<std::wstring> arguments;
    for (int i = 1; i <= 6; ++i) arguments.push_back(line.argument(i));
    const launcher_arguments::early early = launcher_arguments::read_early(arguments);
    launcher_window* window = new launcher_window;
    window->row_count = early.row_count;
    if (early.pid) wait_for_player(early.pid);

    if (window->create_modeless(launcher_window::template_id, nullptr)) {
        for (const std::wstring& argument : arguments)
            if (launcher_arguments::key_of(argument) != L"pid") window->parse_argument(argument);
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
