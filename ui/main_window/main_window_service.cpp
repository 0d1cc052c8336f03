// The main player window as zel_ui makes it.
#include "main_window_service.h"

#include "client_channel_service.h"
#include "companion_windows.h"
#include "drop_services.h"
#include "main_window_host.h"
#include "manager_store_list.h"
#include "music_player_view.h"
#include "component_option_targets.h"
#include "player_options.h"
#include "registry_player_transport.h"
#include "window_reports.h"

struct main_window_service::pieces {
    pieces() : reports(host) {}
    registry_player_transport transport;
    core_music_player_view player;
    client_channel_service channels;
    std::unique_ptr<companion_windows> companions;
    system_main_window_host host;
    service_player_reports reports;
    manager_store_list stores;
    core_drop_services drop;
    store_home store;
    ini_home ini;
};

main_window_service::main_window_service() = default;

main_window_service::~main_window_service() = default;

std::unique_ptr<companion_windows> main_window_service::make_companions() {
    return std::unique_ptr<companion_windows>(new stand_in_companions);
}

HWND main_window_service::create(HINSTANCE) {
    if (player_window* w = window()) return w->hwnd();
    if (window_) return nullptr;  // made once: its window has gone
    pieces_.reset(new pieces);
    pieces& p = *pieces_;
    player_window_services s;
    s.transport = &p.transport;
    s.player = &p.player;
    s.channels = &p.channels;
    p.companions = make_companions();
    s.companions = p.companions.get();
    s.reports = &p.reports;
    s.stores = &p.stores;
    s.drop = &p.drop;
    s.host = &p.host;
    s.options = &get_player_options();
    s.store = &p.store;
    s.ini = &p.ini;
    s.targets = &component_option_targets::instance();
    window_.reset(new player_window(s));
    if (!window_->create_window()) return nullptr;
    return window_->hwnd();
}

player_window* main_window_service::window() {
    if (!window_ || current_player_window() != window_.get() || !IsWindow(window_->hwnd())) return nullptr;
    return window_.get();
}

HWND main_window_service::main_window() {
    player_window* w = window();
    return w ? w->hwnd() : nullptr;
}

HWND main_window_service::playlist_window() {
    player_window* w = window();
    return w ? w->playlist_window() : nullptr;
}

HWND main_window_service::info_window() {
    player_window* w = window();
    return w ? w->info_window() : nullptr;
}

HWND main_window_service::library_window() {
    player_window* w = window();
    return w ? w->library_window() : nullptr;
}
