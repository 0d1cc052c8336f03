// player: playing, transport controls, volume and seeking. The playlist
// collection is in player_playlists.cpp, play modes in player_modes.cpp.
#include "player.h"

#include <cstdlib>
#include <ctime>
#include "core.h"
#include "play_listener.h"
#include "playback_engine.h"
#include "playlist.h"
#include "playlist_view_service.h"

namespace {

playback_engine* engine_from_registry() {
    return static_cast<playback_engine*>(core::enum_create_component(playback_engine::iid, 0));
}

}  // namespace

void player_random::seed() { srand(static_cast<unsigned>(time(nullptr))); }
unsigned player_random::next() { return static_cast<unsigned>(rand()); }

player::player(int index) : index_(index), make_engine_(engine_from_registry) {}

player::~player() {
    remove_all_playlists();
    release_wiring();
}

void player::release_wiring() {
    auto_sync guard(lock_);
    while (!listeners_.empty()) {
        listeners_.back()->release();
        listeners_.pop_back();
    }
    if (view_) view_->release();
    view_ = nullptr;
}

void player::add_listener(play_listener* listener) {
    auto_sync guard(lock_);
    if (listener) listeners_.push_back(listener);
}

void player::set_view(playlist_view_service* view) {
    auto_sync guard(lock_);
    if (view_ && view_ != view) view_->release();
    view_ = view;
}

void player::set_engine_maker(engine_maker maker) {
    auto_sync guard(lock_);
    make_engine_ = maker ? maker : engine_from_registry;
}

void player::set_random(player_random* random) {
    auto_sync guard(lock_);
    random_ = random ? random : &default_random_;
}

void player::play(list_info* entry) {
    auto_sync guard(lock_);
    if (!entry) return;
    // The old engine's thread plays on to its own end; callers that want it
    // silent stop first.
    if (engine_) engine_->release();
    engine_ = make_engine_();
    replace_current(*entry);
    if (!engine_) return;  // no engine component: nothing plays, nothing is told
    engine_->set_volume(static_cast<int>(volume_.load()));
    engine_->set_mute(muted_);
    engine_->play(entry, this);
    notify([&](play_listener* l) { l->on_play(entry); });
}

void player::stop(int stop_mode) {
    auto_sync guard(lock_);
    if (!engine_) return;
    engine_->stop(stop_mode);
    engine_->release();
    engine_ = nullptr;
    notify([&](play_listener* l) { l->on_stop(&current_entry_); });
}

bool player::is_playing() {
    auto_sync guard(lock_);
    return engine_ && engine_->is_playing();
}

bool player::is_paused() {
    auto_sync guard(lock_);
    return engine_ && engine_->is_paused();
}

void player::pause() {
    auto_sync guard(lock_);
    if (!engine_) return;
    engine_->pause();
    bool paused = engine_->is_paused();
    notify([&](play_listener* l) { l->on_pause(&current_entry_, paused); });
}

// Next and previous take the lock step by step: find, stop, tell, play. The
// entry found is copied while the playlist's lock is held, and the copy is
// what plays: the user may change the playlist in between.
void player::next() {
    list_info chosen;
    {
        auto_sync guard(lock_);
        playlist* list = active_;
        if (!list) return;
        auto_sync entries_guard(list->entries_lock());
        list_info* found = find_next();
        if (!found) return;
        chosen = *found;
    }
    stop(2);
    auto_sync guard(lock_);
    notify([&](play_listener* l) { l->on_next(&chosen); });
    play(&chosen);
}

void player::previous() {
    list_info chosen;
    {
        auto_sync guard(lock_);
        playlist* list = active_;
        if (!list) return;
        auto_sync entries_guard(list->entries_lock());
        list_info* found = find_previous();
        if (!found) return;
        chosen = *found;
    }
    stop(2);
    auto_sync guard(lock_);
    notify([&](play_listener* l) { l->on_previous(&chosen); });
    play(&chosen);
}

void player::select(const wchar_t* entry_id) {
    auto_sync guard(lock_);
    playlist* active = active_;
    if (!engine_ || !active) return;
    auto_sync entries_guard(active->entries_lock());
    if (list_info* e = active->find_by_id(entry_id)) current_entry_ = *e;
}

// The user interface reads and retitles the current entry holding only the
// active playlist's entry lock (it cannot reach the player's), so every
// replacement holds that lock too, after the player's own.
void player::replace_current(const list_info& entry) {
    playlist* active = active_;
    if (!active) {
        current_entry_ = entry;
        return;
    }
    auto_sync entries_guard(active->entries_lock());
    current_entry_ = entry;
}

list_info* player::current() {
    auto_sync guard(lock_);
    return engine_ ? &current_entry_ : nullptr;
}

std::wstring player::current_entry_id() {
    auto_sync guard(lock_);
    return engine_ && current_entry_.id ? current_entry_.id : L"";
}

void player::set_volume(unsigned volume) {
    auto_sync guard(lock_);
    if (volume > 1000) volume = 1000;
    volume_ = volume;
    if (engine_) engine_->set_volume(static_cast<int>(volume));
    notify([&](play_listener* l) { l->on_volume(volume); });
}

void player::set_mute(bool muted) {
    auto_sync guard(lock_);
    muted_ = muted;
    if (engine_) engine_->set_mute(muted);
    notify([&](play_listener* l) { l->on_mute(muted); });
}

void player::set_play_mode(int mode) {
    auto_sync guard(lock_);
    play_mode_ = mode;
}

void player::seek(double seconds) {
    auto_sync guard(lock_);
    if (!engine_ || !engine_->is_seekable()) return;
    engine_->seek(seconds);
    notify([&](play_listener* l) { l->on_seek(seconds); });
}

void player::seek_by(double delta) {
    auto_sync guard(lock_);
    if (!engine_ || !engine_->is_seekable()) return;
    double target = engine_->position() + delta;
    if (target < 0.0) target = 0.0;
    audio_format* format = engine_->info();
    if (format && target > format->length) target = format->length;
    engine_->seek(target);
    notify([&](play_listener* l) { l->on_seek(target); });
}

bool player::is_seekable() {
    auto_sync guard(lock_);
    return engine_ && engine_->is_seekable();
}

double player::position() {
    auto_sync guard(lock_);
    return engine_ ? engine_->position() : 0.0;
}
