#pragma once
// player_playlist_services: the playlist window's services in the running
// player: the options, the login, the service's web host, the registered
// user interface (main_ui) and window docker, the window-state listeners and
// the music player. Two parts belong to windows built elsewhere and come in
// as functions: today's announcements (the announcement subsystem's list;
// without one the list is empty and the request counts as failed) and the
// main window's flag of the shown playlist window.
#include <functional>

#include "playlist_window.h"

class player_playlist_services : public playlist_window_services {
public:
    std::function<bool(std::vector<anne_record>&, bool)> anne_loader;
    std::function<void(bool)> playlist_shown;

    int skin_number() override;
    bool logged_in() override;
    std::wstring ad_address() override;
    std::wstring user_id() override;
    std::wstring web_host() override;
    bool load_anne_list(std::vector<anne_record>& records, bool refresh) override;
    bool live_anne_on() override;
    bool expanded() override;
    HWND main_window() override;
    HWND info_window() override;
    HWND library_window() override;
    void set_playlist_shown(bool shown) override;
    void dock(HWND window) override;
    void undock(HWND window) override;
    void tell_window_state(bool hidden) override;
    std::unique_ptr<web_page> make_page() override;
    int active_entry_count() override;
    bool active_is_default() override;
    std::wstring active_entry_path(int index) override;
    std::wstring playing_path() override;
};
