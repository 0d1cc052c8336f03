// The playlist services: the now-playing list's service object with its
// connection watch, the music player's transport commands and the two
// listeners that carry the player's events to the list.
#include "playlist_services.h"

#include <algorithm>

#include "channel_track_list.h"
#include "play_manager.h"
#include "playlist.h"
#include "playlist_view_services.h"
#include "utility.h"
#include "window_messages.h"

// ---------------------------------------------------------------------------
// playlist_view_host

playlist_view_host::playlist_view_host(playlist_view_services& services)
    : services_(services), watch_(*this), view_(services) {}

playlist_view_host::~playlist_view_host() { watch_.kill(); }

bool playlist_view_host::has_window() { return view_.get_list() && IsWindow(view_.get_list()); }

HWND playlist_view_host::list_window() {
    HWND container = view_.get_container();
    return container && IsWindow(container) ? container : nullptr;
}

playlist_view* playlist_view_host::create_view(HWND parent, const RECT* rect, playlist_view_skin* skin) {
    watch_.set(2000);
    view_.build(parent, rect, skin);
    view_.set_item_count(0);
    return &view_;
}

void playlist_view_host::net_state_watch() {
    if (services_.internet_connected()) {
        playlist_view::net_connected = 1;
        return;
    }
    if (!playlist_view::net_connected) return;  // reported already
    services_.clear_track_cache();
    services_.write_log(L"인터넷 연결 해제됨");
    playlist_view::net_connected = 0;
}

int playlist_view_host::item_count() { return has_window() ? view_.get_item_count() : 0; }

int playlist_view_host::selected_indices(std::vector<int>& rows) {
    if (!has_window()) return 0;
    for (int i = view_.get_next_item(-1, LVNI_SELECTED); i >= 0; i = view_.get_next_item(i, LVNI_SELECTED))
        rows.push_back(i);
    return -1;
}

void playlist_view_host::selected_entries(std::vector<list_info*>& entries) {
    if (!has_window()) return;
    play_manager* music = services_.music_player();
    playlist* current = music ? music->current_playlist() : nullptr;
    if (!current) return;
    std::vector<int> rows;
    selected_indices(rows);
    std::vector<list_info*>& all = current->entries();
    for (int row : rows)
        if (row >= 0 && static_cast<size_t>(row) < all.size()) entries.push_back(all[static_cast<size_t>(row)]);
}

int playlist_view_host::selected_count() { return has_window() ? view_.get_selected_count() : 0; }

void playlist_view_host::select(int row, bool on) {
    if (!has_window()) return;
    if (on) {
        if (row >= 0) view_.set_item_state(row, LVIS_SELECTED | LVIS_FOCUSED, 3);
    } else {
        view_.set_item_state(row, 0, 3);
    }
}

void playlist_view_host::ensure_visible(int row) {
    if (!has_window()) return;
    const int top = view_.get_top_index();
    view_.ensure_visible(row, TRUE);
    view_.sync_vscroll(view_.vscroll().get_pos() + view_.get_top_index() - top);
    utility::message_pump(nullptr);
}

int playlist_view_host::top_index() { return has_window() ? view_.get_top_index() : 0; }

void playlist_view_host::scroll_to(int row) {
    if (!has_window()) return;
    view_.sync_vscroll(view_.vscroll().get_pos() + row - view_.get_top_index());
    utility::message_pump(nullptr);
}

int playlist_view_host::count_per_page() { return has_window() ? view_.get_count_per_page() : 0; }

playlist_view* create_playlist_view(HWND parent, const RECT* rect, playlist_view_skin* skin) {
    set_channel_view_counter(set_playlist_view_count);
    return library_playlist_view_host().create_view(parent, rect, skin);
}

void set_playlist_view_count(int n) {
    playlist_view& view = library_playlist_view_host().view();
    view.set_item_count(n);
    view.refresh_status();
}

void refresh_playlist_view_status() { library_playlist_view_host().view().refresh_status(); }

// ---------------------------------------------------------------------------
// player_control

void music_player_control::seek(double seconds) {
    play_manager* music = services_.music_player();
    if (music && music->is_seekable()) music->seek(seconds);
}

void music_player_control::set_volume(int volume) {
    if (services_.announcement_playing()) return;
    if (play_manager* music = services_.music_player()) music->set_volume(static_cast<unsigned>(volume));
}

void music_player_control::previous() {
    play_manager* music = services_.music_player();
    if (music && services_.skip_option() == 1) music->previous();
}

void music_player_control::next() {
    play_manager* music = services_.music_player();
    if (music && services_.skip_option() == 1) music->next();
}

void music_player_control::pause() {
    if (play_manager* music = services_.music_player()) music->pause();
}

void music_player_control::stop() {
    if (play_manager* music = services_.music_player()) music->stop(0);
}

void music_player_control::open_files() {
    std::vector<stringx> paths;
    if (!services_.choose_files(paths)) return;
    const std::vector<list_info> entries = services_.expand(paths);
    play_manager* music = services_.music_player();
    if (!music) return;
    music->stop(0);
    playlist* active = music->active_playlist();
    playlist* first = nullptr;
    if (active && music->playlist_index(active->id().c_str()) == 0) {
        first = active;
        first->clear();
    } else if ((first = music->playlist_at(0)) != nullptr) {
        first->clear();
        const std::wstring id = first->id();
        music->set_active_playlist(id.c_str());
        music->set_current_playlist(id.c_str());
    }
    if (playlist* current = music->current_playlist()) current->add(entries);
    services_.play_everywhere();
}

void music_player_control::play() {
    play_manager* music = services_.music_player();
    if (!music) return;
    playlist* current = music->current_playlist();
    if (!current) return;
    const std::wstring current_id = current->id();
    music->set_active_playlist(current_id.c_str());
    if (music->playlist_index(current_id.c_str()) != 0) {
        // The channel playlist: the current channel's tracks once more.
        const int id = services_.current_channel_id();
        if (id == 0) return;
        std::vector<track_record> tracks;
        if (!services_.select_channel(id, tracks, true)) {
            tracks.clear();
            services_.select_channel(id, tracks, false);
        }
        services_.load_channel(tracks);
        return;
    }
    if (current->count() == 0) {
        HWND library = services_.library_window();
        if (library && IsWindowVisible(library)) PostMessageW(library, msg_library_enqueue, 0, 0);
        return;
    }
    const std::vector<int> rows = services_.selected_rows();
    if (!rows.empty() && !music->is_playing()) {
        if (list_info* entry = current->at(static_cast<unsigned>(rows.front()))) music->play(entry);
        return;
    }
    if (!rows.empty() && !music->is_paused()) return;
    if (music->is_paused()) {
        music->pause();
    } else if (list_info* first = current->at(0)) {
        music->play(first);
    }
}

// ---------------------------------------------------------------------------
// The listeners

HWND playlist_play_listener::window() {
    HWND list = target_->list_window();
    return list && IsWindow(list) ? list : nullptr;
}

void playlist_play_listener::on_entry_added(const std::vector<list_info*>& added) {
    if (HWND list = window()) SendMessageW(list, msg_entry_added, 0, reinterpret_cast<LPARAM>(&added));
}

void playlist_play_listener::on_entry_inserted(int index, const std::vector<list_info*>& inserted) {
    if (HWND list = window())
        SendMessageW(list, msg_entry_inserted, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&inserted));
}

void playlist_play_listener::on_entry_removed(const std::vector<int>& indices) {
    if (HWND list = window()) SendMessageW(list, msg_entry_removed, 0, reinterpret_cast<LPARAM>(&indices));
}

void playlist_play_listener::on_entries_updated(const std::vector<int>& indices, const std::vector<list_info*>&) {
    HWND list = window();
    if (!list) return;
    changed_ = indices;
    PostMessageW(list, msg_entries_removed, 0, reinterpret_cast<LPARAM>(&changed_));
}

void playlist_play_listener::on_current_playlist(playlist* list) {
    if (HWND w = window()) SendMessageW(w, msg_playlist_changed, 0, reinterpret_cast<LPARAM>(list));
}

void playlist_engine_listener::post(UINT msg, WPARAM wparam, LPARAM lparam) {
    HWND list = target_->list_window();
    if (list && IsWindow(list)) PostMessageW(list, msg, wparam, lparam);
}

void playlist_engine_listener::on_start(playback_thread* thread, list_info* entry, bool) {
    auto_sync guard(lock_);
    current_ = thread;
    if (entry) track_.store(*entry);
    post(msg_track_started, 0, track_.as_lparam());
}

void playlist_engine_listener::on_format(playback_thread* thread, const audio_format*) {
    auto_sync guard(lock_);
    if (thread == current_) post(msg_track_format, 0, 0);
}

void playlist_engine_listener::on_finish(playback_thread* thread, list_info*, int stop_mode) {
    auto_sync guard(lock_);
    // A crossfaded predecessor ends after its successor started: not ours.
    if (thread != current_) return;
    current_ = nullptr;
    if (stop_mode == 0) post(msg_track_stopped, 0, 0);
    if (stop_mode == 1) post(msg_track_finished, 0, 0);
}

void playlist_engine_listener::on_error(playback_thread*, int code, const wchar_t*) {
    auto_sync guard(lock_);
    post(msg_play_error, static_cast<WPARAM>(code), 0);
}
