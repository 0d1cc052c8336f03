#pragma once
// The library window's services over the running player: the login
// manager, the CD tool of the registry, main_ui, the window docker, the
// music player, the service client, the player options and the per-user
// store, and the shell.
#include "library_window_services.h"

class player_library_services : public library_window_services {
public:
    int skin_number() override;
    bool logged_in() override;
    std::wstring usertype() override;
    std::vector<anneinfo_entry> anneinfo() override;
    std::wstring bcode() override;
    std::vector<category_record> categories(int list) override;
    std::vector<wchar_t> cd_drives() override;
    HWND main_window() override;
    bool expanded() override;
    void set_expanded(bool on) override;
    void dock(HWND window) override;
    void undock(HWND window) override;
    void tell_window_state(bool hidden) override;
    void run_settings(HWND owner) override;
    bool music_playing() override;
    bool first_playlist_active() override;
    std::wstring service_title() override;
    std::wstring current_channel_title() override;
    bool channel_is_login_channel() override;
    std::wstring option_last_title() override;
    std::wstring login_channel_title() override;
    void save_last_title(const std::wstring& text) override;
    void open_in_browser(const std::wstring& url) override;
    std::wstring home_page() override;
    std::wstring notice_board_page() override;
    bool confirm_quit(HWND owner) override;

    // The settings dialog as the main window's companions run it.
    void (*settings)(HWND owner) = nullptr;
};
