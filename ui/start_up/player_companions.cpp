// The running player's companion windows: the playlist window over the
// playlist view service's now-playing list, the equalizer and the settings
// dialog.
#include "player_companions.h"

#include "core.h"
#include "equalizer_dialog.h"
#include "library_window.h"
#include "playlist_services.h"
#include "playlist_view.h"
#include "playlist_view_skin_adapter.h"
#include "play_manager.h"
#include "player_window.h"
#include "service_client.h"
#include "settings_dialog.h"
#include "window_messages.h"

// The now-playing list as the playlist window reaches it: the list of the
// playlist view service, created in the window with the window's skin, and
// given the music player's current playlist at once (later changes reach it
// through the player's listeners).
class player_companions::now_playing : public now_playing_list {
public:
    HWND create(HWND parent, const RECT& rect, playlist_window_skin& skin) override {
        view_skin_.reset(new playlist_window_view_skin(skin));
        RECT r = rect;
        playlist_view* list = create_playlist_view(parent, &r, view_skin_.get());
        if (!list) return nullptr;
        HWND container = list->get_container();
        if (play_manager* player = core::get_player(true))
            SendMessageW(container, msg_playlist_changed, 0, reinterpret_cast<LPARAM>(player->current_playlist()));
        return container;
    }
    void refresh_status() override { refresh_playlist_view_status(); }
    std::vector<int> selected_indices() override {
        std::vector<int> rows;
        library_playlist_view_host().selected_indices(rows);
        return rows;
    }

private:
    std::unique_ptr<playlist_window_view_skin> view_skin_;
};

player_companions::player_companions() : now_playing_(new now_playing) {
    // Today's announcements are the service client's kept list.
    services_.anne_loader = [](std::vector<anne_record>& records, bool refresh) {
        return get_service_client()->load_anne_list(records, refresh);
    };
    services_.playlist_shown = [](bool shown) {
        if (player_window* w = current_player_window()) w->set_playlist_shown(shown);
    };
    library_services_.settings = [](HWND owner) {
        settings_dialog dialog(default_settings_host());
        dialog.modal(owner);
    };
    links_.library_caption = [this](const std::wstring& title) { set_library_channel_title(stringx(title.c_str())); };
}

player_companions::~player_companions() {
    // The library window uses this object's services until it is gone.
    if (library && IsWindow(library)) DestroyWindow(library);
    library = nullptr;
    if (playlist_window_ && playlist_window_->get_hwnd() && IsWindow(playlist_window_->get_hwnd()))
        DestroyWindow(playlist_window_->get_hwnd());
    playlist = nullptr;
}

HWND player_companions::create_playlist(HWND main) {
    if (!playlist_window_) playlist_window_.reset(new playlist_window(services_, *now_playing_, links_));
    if (!playlist_window_->create_window(main)) return playlist = nullptr;
    return playlist = playlist_window_->get_hwnd();
}

// The announcement window is docked like the real one, so that the
// playlist window below it moves with the main window's group.
HWND player_companions::create_info(HWND main, HWND playlist_window) {
    HWND info = stand_in_companions::create_info(main, playlist_window);
    if (info) services_.dock(info);
    return info;
}

// The library window deletes itself when its window is destroyed.
HWND player_companions::create_library(HWND main, dib* title_strip, dib* mini_button) {
    auto* window = new library_window(library_services_, title_strip, mini_button);
    if (!window->create_window(main)) {
        delete window;
        return library = nullptr;
    }
    return library = window->get_hwnd();
}

HWND player_companions::create_equalizer(HWND main) {
    if (!equalizer_dialog::open_dialog()) toggle_equalizer_window(main, default_equalizer_host());
    equalizer_dialog* open = equalizer_dialog::open_dialog();
    return equalizer = open ? open->get_hwnd() : nullptr;
}

void player_companions::run_settings(HWND main) {
    settings_dialog dialog(default_settings_host());
    dialog.modal(main);
}

void player_companions::record_positions() {
    if (!playlist_window_ || !IsWindow(playlist_window_->get_hwnd())) return;
    RECT r = {};
    GetWindowRect(playlist_window_->get_hwnd(), &r);
    playlist_window_->set_saved_corner(POINT{r.left, r.top});
}
