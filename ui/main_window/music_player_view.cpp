// The main window's view of the music player, over the playlist library's
// play_manager.
#include "music_player_view.h"

#include "core.h"
#include "play_manager.h"
#include "playlist.h"

namespace {
play_manager* music() { return core::get_player(true); }

int position_of(play_manager* p, playlist* list) {
    if (!p || !list) return -1;
    return p->playlist_index(list->id().c_str());
}
}  // namespace

list_info current_entry_copy(play_manager* p) {
    list_info copy;
    list_info* entry = p ? p->current() : nullptr;
    if (!entry) return copy;
    playlist* active = p->active_playlist();
    if (!active) return *entry;  // nothing advances without an active playlist
    auto_sync guard(active->entries_lock());
    copy = *entry;
    return copy;
}

void core_music_player_view::set_play_mode(int mode) {
    if (play_manager* p = music()) p->set_play_mode(mode);
}

void core_music_player_view::set_volume(unsigned volume) {
    if (play_manager* p = music()) p->set_volume(volume);
}

void core_music_player_view::set_mute(bool mute) {
    if (play_manager* p = music()) p->set_mute(mute);
}

void core_music_player_view::stop() {
    if (play_manager* p = music()) p->stop(0);
}

bool core_music_player_view::is_playing() {
    play_manager* p = music();
    return p && p->is_playing();
}

bool core_music_player_view::is_seekable() {
    play_manager* p = music();
    return p && p->is_seekable();
}

bool core_music_player_view::is_paused() {
    play_manager* p = music();
    return p && p->is_paused();
}

int core_music_player_view::active_playlist_position() {
    play_manager* p = music();
    return p ? position_of(p, p->active_playlist()) : -1;
}

int core_music_player_view::current_playlist_position() {
    play_manager* p = music();
    return p ? position_of(p, p->current_playlist()) : -1;
}

int core_music_player_view::active_index_of(const list_info& entry) {
    play_manager* p = music();
    playlist* active = p ? p->active_playlist() : nullptr;
    return active && entry.id ? active->index_of(entry.id) : -1;
}

list_info* core_music_player_view::current_entry() {
    play_manager* p = music();
    if (!p) return nullptr;
    list_info* entry = p->current();
    playlist* active = p->active_playlist();
    if (!entry || !active) return nullptr;
    // The playback thread may be replacing the entry: its id is read under
    // the lock that replacement holds.
    auto_sync guard(active->entries_lock());
    if (!entry->id) return nullptr;
    const int index = active->index_of(entry->id);
    return index >= 0 && static_cast<unsigned>(index) < active->count() ? entry : nullptr;
}

critsec* core_music_player_view::current_entry_lock() {
    play_manager* p = music();
    playlist* active = p ? p->active_playlist() : nullptr;
    return active ? &active->entries_lock() : nullptr;
}

void core_music_player_view::reset_first_playlist() {
    play_manager* p = music();
    if (!p) return;
    p->stop(0);
    if (playlist* active = p->active_playlist()) active->clear();
    playlist* first = p->playlist_at(0);
    if (!first) return;
    first->clear();
    p->set_active_playlist(first->id().c_str());
    p->set_current_playlist(first->id().c_str());
}

void core_music_player_view::add_to_first(const std::vector<list_info>& entries) {
    play_manager* p = music();
    if (playlist* first = p ? p->playlist_at(0) : nullptr) first->add(entries);
}

int core_music_player_view::first_count() {
    play_manager* p = music();
    playlist* first = p ? p->playlist_at(0) : nullptr;
    return first ? static_cast<int>(first->count()) : 0;
}

void core_music_player_view::play_first() {
    play_manager* p = music();
    playlist* first = p ? p->playlist_at(0) : nullptr;
    if (first && first->count() > 0) p->play(first->at(0));
}
