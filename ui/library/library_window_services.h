#pragma once
// library_window_services: what the library window reaches outside itself:
// the login's data, the CD drives, the main window and its expanded mode,
// the music player, the service client's titles, the stored last title,
// the shell and the questions it asks. The running player wires the real
// ones (ui/start_up); tests give fakes. User-interface thread only.
#include <windows.h>

#include <string>
#include <vector>

#include "login_manager.h"

class library_window_services {
public:
    virtual ~library_window_services() = default;

    // --- the login ---
    virtual int skin_number() = 0;
    virtual bool logged_in() = 0;
    virtual std::wstring usertype() = 0;
    virtual std::vector<anneinfo_entry> anneinfo() = 0;
    // The store's guide code ("bcode").
    virtual std::wstring bcode() = 0;
    // Category lists 0, 1 and 2; list 0 holds the defaults without a login.
    virtual std::vector<category_record> categories(int list) = 0;

    // --- the CD drives holding a disc, in order ---
    virtual std::vector<wchar_t> cd_drives() = 0;

    // --- the main window ---
    virtual HWND main_window() = 0;
    virtual bool expanded() = 0;
    virtual void set_expanded(bool on) = 0;
    virtual void dock(HWND window) = 0;
    virtual void undock(HWND window) = 0;
    // Every window_state_listener (the library window's id is 2).
    virtual void tell_window_state(bool hidden) = 0;
    // The settings dialog, modal over the window.
    virtual void run_settings(HWND owner) = 0;

    // --- the music player and the service client ---
    virtual bool music_playing() = 0;
    // Whether the music player's active playlist is its first one.
    virtual bool first_playlist_active() = 0;
    // service_client::get_title.
    virtual std::wstring service_title() = 0;
    // The current channel's title (its second text); empty without one.
    virtual std::wstring current_channel_title() = 0;
    // Whether the option "channel" still names the channel the login asked.
    virtual bool channel_is_login_channel() = 0;
    // The option "last_title" and the login's "channeltitle".
    virtual std::wstring option_last_title() = 0;
    virtual std::wstring login_channel_title() = 0;
    // Writes "app"/"last_title" of the per-user store.
    virtual void save_last_title(const std::wstring& text) = 0;

    // --- the shell and questions ---
    // Opens the address in the browser ("iexplore" with it as parameter).
    virtual void open_in_browser(const std::wstring& url) = 0;
    virtual std::wstring home_page() = 0;
    virtual std::wstring notice_board_page() = 0;
    // "플레이어를 종료하시겠습니까?": true for Yes.
    virtual bool confirm_quit(HWND owner) = 0;
};
