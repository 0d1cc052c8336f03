#pragma once
// player_companions: the windows around the main window as the running
// player makes them. The playlist window is the real one, with the
// now-playing list of the playlist view service inside it; the library
// window is the real one over the running player's services; the equalizer
// is the real equalizer window and the settings dialog the real dialog. The
// announcement window is still the least stand-in.
//
// The object outlives the windows it makes (it belongs to the main window's
// service). User-interface thread only.
#include <memory>

#include "companion_windows.h"
#include "library_window_wiring.h"
#include "main_window_service.h"
#include "player_app_links.h"
#include "playlist_window.h"
#include "playlist_window_wiring.h"

class player_companions : public stand_in_companions {
public:
    player_companions();
    ~player_companions() override;

    HWND create_playlist(HWND main) override;
    HWND create_info(HWND main, HWND playlist) override;
    HWND create_library(HWND main, dib* title_strip, dib* mini_button) override;
    HWND create_equalizer(HWND main) override;
    void run_settings(HWND main) override;
    void record_positions() override;

private:
    class now_playing;
    player_playlist_services services_;
    player_app_links links_;
    player_library_services library_services_;
    std::unique_ptr<now_playing> now_playing_;
    std::unique_ptr<playlist_window> playlist_window_;
};

// zel_ui's main window service: the main window with these companions.
class player_main_window_service : public main_window_service {
protected:
    std::unique_ptr<companion_windows> make_companions() override {
        return std::unique_ptr<companion_windows>(new player_companions);
    }
};
