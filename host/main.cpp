// zel_player.exe: the player host program. It loads zel_core and the component
// libraries beside it, raises the start hooks, starts the user interface when a
// library provides one, runs the message loop until WM_QUIT and raises the stop
// hooks before unloading everything.
//
// Switches:
//   /quit-after=MS  post WM_QUIT after MS milliseconds (headless runs, tests)
// Without a user-interface library nothing could ever end the loop, so the
// host then ends it right after start-up unless /quit-after is given.
#include <windows.h>
#include <cwchar>
#include <cwctype>
#include <vector>
#include "core.h"
#include "init_quit.h"
#include "main_window/main_ui.h"
#include "dialog.h"

namespace {
unsigned parse_quit_after(const wchar_t* command_line) {
    const wchar_t* key = L"/quit-after=";
    const wchar_t* at = command_line ? wcsstr(command_line, key) : nullptr;
    if (!at) return 0;
    return static_cast<unsigned>(wcstoul(at + wcslen(key), nullptr, 10));
}

void CALLBACK post_quit(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    PostQuitMessage(0);
}

// Gives every live dialog of the toolkit the chance to take the message.
bool dialogs_take(MSG* msg) {
    std::vector<dialog*> dialogs = *core::get_dlglist();
    for (dialog* d : dialogs) {
        if (d->pretranslate_message(msg)) return true;
        if (d->get_hwnd() && IsDialogMessageW(d->get_hwnd(), msg)) return true;
    }
    return false;
}

int run_message_loop() {
    MSG msg;
    BOOL got;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1) break;
        if (dialogs_take(&msg)) continue;
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

    bool start_loop = true;
    bool have_ui = false;
    if (component* c = core::enum_create_component(main_ui::iid, 0)) {
        have_ui = true;
        main_ui* ui = static_cast<main_ui*>(c);
        start_loop = ui->run(instance) != nullptr;
        c->release();
    }

    int exit_code = 0;
    if (start_loop) {
        if (quit_after) SetTimer(nullptr, 0, quit_after, &post_quit);
        else if (!have_ui) PostQuitMessage(0);
        exit_code = run_message_loop();
    }

    for_each_component<init_quit>([](init_quit* hooks) { hooks->on_quit(); });
    core::free_library();
    return exit_code;
}
