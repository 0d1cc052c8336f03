// The main window's test fixture.
#include "player_window_fakes.h"

std::string narrow(const std::wstring& w) {
    if (w.empty()) return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}

void player_window_test::SetUp() {
    core::set_instance(GetModuleHandleW(nullptr));
    reset_main_window_state();
    options.volume = 500;
    options.skin = 1;
}

void player_window_test::open() {
    player_window_services s;
    s.transport = &transport;
    s.player = &player;
    s.channels = &channels;
    s.companions = &companions;
    s.reports = reports_used;
    s.stores = &stores;
    s.drop = &drop;
    s.host = &host;
    s.options = &options;
    s.store = &store;
    s.ini = &ini;
    s.targets = &targets;
    window = std::make_unique<player_window>(s);
    ASSERT_TRUE(window->create_window());
    host.main = hwnd();
    recorder.init(hwnd());
    ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
    UpdateWindow(hwnd());
    window_rig::pump();
}

void player_window_test::TearDown() {
    if (window && IsWindow(hwnd())) DestroyWindow(hwnd());
    if (recorder.is_attached()) recorder.deinit();
    window_rig::pump();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    window.reset();
}
