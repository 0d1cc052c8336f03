// The running player's companion windows: the playlist window over the
// playlist view service's now-playing list, the announcement window, the
// equalizer and the settings dialog.
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
#include "skin.h"
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

namespace {

// The hooks of the announcement window's host: the playlist window's
// layout after it slid, the main window's mute check.
playlist_window* g_playlist_window = nullptr;

void refresh_playlist_layout() {
    if (g_playlist_window && IsWindow(g_playlist_window->get_hwnd())) g_playlist_window->refresh_layout();
}

void show_music_mute(bool on) {
    player_window* w = current_player_window();
    if (skin* look = w ? w->current_skin() : nullptr) look->set_check(player_skin_ids::mute, on);
}

}  // namespace

player_companions::player_companions() : now_playing_(new now_playing) {
    info_host_.playlist_layout = refresh_playlist_layout;
    info_host_.music_mute_check = show_music_mute;
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
    if (info_window_ && info_window_->get_hwnd() && IsWindow(info_window_->get_hwnd()))
        DestroyWindow(info_window_->get_hwnd());
    info = nullptr;
    if (g_playlist_window == playlist_window_.get()) g_playlist_window = nullptr;
    if (playlist_window_ && playlist_window_->get_hwnd() && IsWindow(playlist_window_->get_hwnd()))
        DestroyWindow(playlist_window_->get_hwnd());
    playlist = nullptr;
}

HWND player_companions::create_playlist(HWND main) {
    if (!playlist_window_) playlist_window_.reset(new playlist_window(services_, *now_playing_, links_));
    if (!playlist_window_->create_window(main)) return playlist = nullptr;
    g_playlist_window = playlist_window_.get();
    return playlist = playlist_window_->get_hwnd();
}

// The announcement window docks itself, so that the playlist window below
// it moves with the main window's group.
HWND player_companions::create_info(HWND main, HWND) {
    if (!info_window_) info_window_.reset(new info_window(info_host_));
    if (!info_window_->create_window(main)) return info = nullptr;
    return info = info_window_->get_hwnd();
}

namespace {
info_window* live(const std::unique_ptr<info_window>& w) {
    return w && w->get_hwnd() && IsWindow(w->get_hwnd()) ? w.get() : nullptr;
}
}  // namespace

bool player_companions::info_on_air() {
    info_window* w = live(info_window_);
    return w && w->announcement_active;
}

bool player_companions::info_hidden() {
    info_window* w = live(info_window_);
    return w && w->hidden_by_user;
}

bool player_companions::info_kept() {
    info_window* w = live(info_window_);
    return w && w->opened_by_user;
}

void player_companions::set_info_hidden(bool on) {
    if (info_window* w = live(info_window_)) w->hidden_by_user = on;
}

void player_companions::set_info_mini(bool on) {
    if (info_window* w = live(info_window_)) w->no_auto_show = on;
}

void player_companions::set_info_shown(bool on) {
    if (info_window* w = live(info_window_)) w->set_opened_by_user(on);
}

void player_companions::info_sync_volume() {
    if (info_window* w = live(info_window_)) w->sync_volume();
}

void player_companions::info_sync_mute() {
    if (info_window* w = live(info_window_)) w->sync_mute();
}

void player_companions::info_rebuild_skin() {
    if (info_window* w = live(info_window_)) w->rebuild_skin();
}

// The library window deletes itself when its window is destroyed.
HWND player_companions::create_library(HWND main, dib* title_strip, dib* mini_button) {
    set_store_view_services(&store_view_services_);
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
    if (info_window* w = live(info_window_)) {
        RECT r = {};
        GetWindowRect(w->get_hwnd(), &r);
        w->saved_x = r.left;
        w->saved_y = r.top;
    }
    if (!playlist_window_ || !IsWindow(playlist_window_->get_hwnd())) return;
    RECT r = {};
    GetWindowRect(playlist_window_->get_hwnd(), &r);
    playlist_window_->set_saved_corner(POINT{r.left, r.top});
}
