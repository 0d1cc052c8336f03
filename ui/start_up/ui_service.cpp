#include "ui_service.h"
#include "player_window_service.h"
#include "start_up.h"
#include "startup_services.h"
#include "window_messages.h"

namespace {
// The handle when it is a window, else null.
HWND live(HWND window) { return window && IsWindow(window) ? window : nullptr; }
}  // namespace

ui_service::ui_service(startup_services& services, HINSTANCE (*module)()) : services_(services), module_(module) {}

HINSTANCE ui_service::instance() { return module_(); }

HWND ui_service::run(HINSTANCE host) {
    expanded_ = false;
    return run_start_up(host, services_);
}

HWND ui_service::window_of(HWND (player_window_service::*slot)()) {
    player_window_service* w = services_.player_window();
    return w ? live((w->*slot)()) : nullptr;
}

HWND ui_service::main_window() { return window_of(&player_window_service::main_window); }
HWND ui_service::playlist_window() { return window_of(&player_window_service::playlist_window); }
HWND ui_service::info_window() { return window_of(&player_window_service::info_window); }
HWND ui_service::library_window() { return window_of(&player_window_service::library_window); }

bool ui_service::expanded() { return expanded_; }

void ui_service::set_expanded(bool value) {
    if (value == expanded_) return;
    expanded_ = value;
    const WPARAM flag = value ? 1 : 0;
    for (HWND window : {main_window(), info_window(), playlist_window(), library_window()})
        if (window) SendMessageW(window, msg_expanded_mode, flag, 0);
}
