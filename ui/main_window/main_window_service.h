#pragma once
// main_window_service: the player_window_service of zel_ui. It makes the
// main player window once, with the player's own pieces behind its seams:
// the registry's music player (registry_player_transport,
// core_music_player_view), the service client and channel track list
// (client_channel_service), the store manager (manager_store_list), the
// registered services (system_main_window_host, service_player_reports,
// core_drop_services), the library's options with the per-user store and
// the INI file, and the companion windows of make_companions (the least
// ones, stand_in_companions, unless a derived service makes others).
//
// User-interface thread only.
#include <memory>
#include "companion_windows.h"
#include "player_window.h"
#include "player_window_service.h"

class main_window_service : public singleton_component<player_window_service> {
public:
    main_window_service();
    ~main_window_service();
    // The window is made once; a second call hands out the same window
    // while it lives.
    HWND create(HINSTANCE ui) override;
    HWND main_window() override;
    HWND playlist_window() override;
    HWND info_window() override;
    HWND library_window() override;
    void set_login_tick(DWORD tick) override { login_tick_ = tick; }
    DWORD login_tick() const { return login_tick_; }
    // The window object while its window lives; null otherwise.
    player_window* window();

protected:
    // The windows around the main window, made with it.
    virtual std::unique_ptr<companion_windows> make_companions();

private:
    // The pieces behind the window's seams, made with the window (not at
    // library load).
    struct pieces;
    std::unique_ptr<pieces> pieces_;
    std::unique_ptr<player_window> window_;
    DWORD login_tick_ = 0;
};
