// player: the collection of playlists, the active and current playlist, and
// the list view's rows kept per playlist.
#include <cstdio>
#include <cwchar>
#include "play_listener.h"
#include "player.h"
#include "playlist.h"
#include "playlist_view_service.h"
#include "utility.h"

namespace {

const wchar_t* text_of(const wchar_t* s) { return s ? s : L""; }

}  // namespace

playlist* player::find_locked(const wchar_t* id, size_t* position) {
    for (size_t i = 0; i < playlists_.size(); ++i) {
        if (_wcsicmp(playlists_[i]->id().c_str(), text_of(id)) == 0) {
            if (position) *position = i;
            return playlists_[i];
        }
    }
    return nullptr;
}

void player::save_view_state(playlist* list) {
    if (!list || !view_) return;
    std::vector<int> rows;
    view_->selected_indices(rows);
    std::wstring id = list->id();
    saved_selection_[id] = rows;
    saved_top_index_[id] = view_->top_index();
}

void player::restore_view_state(playlist* list) {
    if (!list || !view_) return;
    std::wstring id = list->id();
    int rows = view_->item_count();
    for (int i = 0; i < rows; ++i) view_->set_selected(i, false);
    auto selection = saved_selection_.find(id);
    if (selection != saved_selection_.end())
        for (int row : selection->second) view_->set_selected(row, true);
    auto top = saved_top_index_.find(id);
    view_->set_top_index(top != saved_top_index_.end() ? top->second : 0);
}

void player::remember_row(const std::wstring& playlist_id, int row) {
    auto_sync guard(lock_);
    saved_selection_[playlist_id] = std::vector<int>{row};
    saved_top_index_[playlist_id] = row;
}

playlist* player::create_playlist(const wchar_t* name, bool make_current) {
    auto_sync guard(lock_);
    playlist* created = new playlist(this, &listeners_);
    created->set_name(name);
    save_view_state(current_);
    playlists_.push_back(created);
    notify([&](play_listener* l) { l->on_playlist_created(created); });
    if (make_current) {
        current_ = created;
        notify([&](play_listener* l) { l->on_current_playlist(created); });
    }
    if (!active_) {
        active_ = created;
        notify([&](play_listener* l) { l->on_active_playlist(created); });
    }
    return created;
}

void player::remove_playlist(const wchar_t* id) {
    auto_sync guard(lock_);
    size_t position = 0;
    playlist* gone = find_locked(id, &position);
    if (playlists_.size() == 1 || !gone || gone != current_) return;
    if (gone == active_) active_ = nullptr;
    notify([&](play_listener* l) { l->on_playlist_removed(gone); });
    playlist* neighbour = playlists_[position == 0 ? 1 : position - 1];
    current_ = neighbour;
    if (!active_) active_ = neighbour;
    std::wstring gone_id = gone->id();
    playlists_.erase(playlists_.begin() + position);
    delete gone;
    saved_selection_.erase(gone_id);
    saved_top_index_.erase(gone_id);
    notify([&](play_listener* l) {
        l->on_current_playlist(current_);
        l->on_active_playlist(active_);
    });
    restore_view_state(current_);
    std::wstring file = static_cast<const wchar_t*>(utility::find_system_folder(utility::folder_appdata));
    file += L"\\playlist\\" + gone_id + L".cpl";
    _wremove(file.c_str());
}

void player::remove_all_playlists() {
    auto_sync guard(lock_);
    while (!playlists_.empty()) {
        playlist* last = playlists_.back();
        notify([&](play_listener* l) { l->on_playlist_removed(last); });
        playlists_.pop_back();
        if (last == current_) current_ = nullptr;
        if (last == active_) active_ = nullptr;
        delete last;
    }
    active_ = nullptr;
    current_ = nullptr;
    saved_selection_.clear();
    saved_top_index_.clear();
}

int player::playlist_count() {
    auto_sync guard(lock_);
    return static_cast<int>(playlists_.size());
}

int player::playlist_index(const wchar_t* id) {
    size_t position = 0;
    auto_sync guard(lock_);
    return find_locked(id, &position) ? static_cast<int>(position) : -1;
}

playlist* player::find_playlist(const wchar_t* id) {
    auto_sync guard(lock_);
    return find_locked(id);
}

std::vector<playlist*>& player::playlists() {
    auto_sync guard(lock_);
    return playlists_;
}

playlist* player::playlist_at_unlocked(unsigned index) {
    return index < playlists_.size() ? playlists_[index] : nullptr;
}

playlist* player::playlist_at(unsigned index) {
    auto_sync guard(lock_);
    return playlist_at_unlocked(index);
}

void player::set_active_playlist(const wchar_t* id) {
    auto_sync guard(lock_);
    playlist* found = find_locked(id);
    if (found) {
        found->ensure_loaded();
        active_ = found;
        notify([&](play_listener* l) { l->on_active_playlist(found); });
    } else if (active_) {
        active_ = nullptr;
        notify([&](play_listener* l) { l->on_active_playlist(nullptr); });
    }
}

void player::set_current_playlist(const wchar_t* id) {
    auto_sync guard(lock_);
    save_view_state(current_);
    playlist* found = find_locked(id);
    if (!found) return;
    found->ensure_loaded();
    if (found == current_) return;
    current_ = found;
    notify([&](play_listener* l) { l->on_current_playlist(found); });
    restore_view_state(found);
}

void player::move_playlist_up(const wchar_t* id) {
    auto_sync guard(lock_);
    size_t i = 0;
    playlist* moved = find_locked(id, &i);
    if (!moved || i == 0) return;
    std::swap(playlists_[i], playlists_[i - 1]);
    notify([&](play_listener* l) { l->on_playlist_moved(moved); });
}

void player::move_playlist_down(const wchar_t* id) {
    auto_sync guard(lock_);
    size_t i = 0;
    playlist* moved = find_locked(id, &i);
    if (!moved || i + 1 >= playlists_.size()) return;
    std::swap(playlists_[i], playlists_[i + 1]);
    notify([&](play_listener* l) { l->on_playlist_moved(moved); });
}
