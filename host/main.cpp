// zel_player.exe: the player host program. It loads zel_core and the component
// libraries beside it, raises the start hooks, starts the user interface when a
// library provides one, runs the message loop until WM_QUIT and raises the stop
// hooks before unloading everything.
//
// Arguments:
//   /quit-after=MS  end after MS milliseconds (headless runs, tests): the main
//                   window closes as the user would close it, or, without
//                   one, the loop ends
//   multi           a player started by the launcher for one store of a
//                   multi-store account: the user interface starts as
//                   usual and its launcher link joins the launcher
//   a file path     play that file without the user interface, then end
//                   (see play_file.h)
// Without a user-interface library nothing could ever end the loop, so the
// host then ends it right after start-up unless it plays a file or
// /quit-after is given.
#include <windows.h>
#include <shellapi.h>
#include <cwchar>
#include <cwctype>
#include <string>
#include <vector>
#include "core.h"
#include "init_quit.h"
#include "interfaces/main_ui.h"
#include "dialog.h"
#include "play_file.h"

namespace {
unsigned parse_quit_after(const wchar_t* command_line) {
    const wchar_t* key = L"/quit-after=";
    const wchar_t* at = command_line ? wcsstr(command_line, key) : nullptr;
    if (!at) return 0;
    return static_cast<unsigned>(wcstoul(at + wcslen(key), nullptr, 10));
}

// The first argument that is neither a switch nor the launcher's "multi",
// or empty.
std::wstring file_argument() {
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    std::wstring file;
    for (int i = 1; args && i < count; ++i) {
        if (args[i][0] != L'/' && _wcsicmp(args[i], L"multi") != 0) {
            file = args[i];
            break;
        }
    }
    LocalFree(args);
    return file;
}

// The user interface's main window while it exists, else null.
HWND ui_main_window() {
    component* c = core::enum_create_component(main_ui::iid, 0);
    if (!c) return nullptr;
    HWND window = static_cast<main_ui*>(c)->main_window();
    c->release();
    return window && IsWindow(window) ? window : nullptr;
}

// The time of /quit-after is up: the main window closes as when the user
// closes it (the players stop, the window saves and reports, then posts
// WM_QUIT); without one the loop ends at once.
void CALLBACK post_quit(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (HWND window = ui_main_window())
        PostMessageW(window, WM_CLOSE, 0, 0);
    else
        PostQuitMessage(0);
}


int run_message_loop() {
    MSG msg;
    BOOL got;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1) break;
        if (dialog::take_message(&msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    unsigned quit_after = parse_quit_after(GetCommandLineW());

    core::set_instance(instance);
    core::load_library();
    for_each_component<init_quit>([](init_quit* hooks) { hooks->on_init(); });

    // A file to play is played alone: the user interface (and its login)
    // starts only without one.
    const std::wstring file_to_play = file_argument();
    bool start_loop = true;
    bool have_ui = false;
    component* c = file_to_play.empty() ? core::enum_create_component(main_ui::iid, 0) : nullptr;
    if (c) {
        have_ui = true;
        main_ui* ui = static_cast<main_ui*>(c);
        // A start that must end with the main window up has posted WM_CLOSE
        // to it: the loop runs so that the window closes itself properly.
        start_loop = ui->run(instance) != nullptr || ui->main_window() != nullptr;
        c->release();
    }

    int exit_code = 0;
    if (start_loop) {
        const std::wstring& file = file_to_play;
        bool playing = !file.empty() && play_file_then_quit(file.c_str());
        if (!file.empty() && !playing) exit_code = 1;
        if (quit_after) SetTimer(nullptr, 0, quit_after, &post_quit);
        else if (!have_ui && !playing) PostQuitMessage(0);
        int loop_code = run_message_loop();
        if (exit_code == 0) exit_code = loop_code;
    }
    // A main window still up when the loop ended (a WM_QUIT from elsewhere)
    // is destroyed before the stop hooks: its end stops the players, whose
    // threads would otherwise go on writing to outputs of unloaded libraries.
    if (HWND window = have_ui ? ui_main_window() : nullptr) DestroyWindow(window);

    for_each_component<init_quit>([](init_quit* hooks) { hooks->on_quit(); });
    core::free_library();
    return exit_code;
}
