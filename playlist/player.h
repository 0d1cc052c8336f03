#pragma once
// player: the play_manager of zel_playlist. Two static objects, index 0 (the
// music player) and 1 (the announcement player). A player owns its
// playlists, plays one entry at a time on a new playback engine per entry,
// steps through its active playlist by play mode and tells its listeners.
//
// Locking: `lock_` is recursive and guards every field; listeners are called
// with it held. The current entry is also replaced only while the active
// playlist's entry lock is held, so that the user interface, which sees only
// play_manager, can read and retitle it under that lock alone. Lock order: the player's lock, then a playlist's lock, never
// the reverse. advance runs on playback threads; everything else normally on
// the user-interface thread.
#include <atomic>
#include <list>
#include <map>
#include <string>
#include <utility>
#include <vector>
#include "critsec.h"
#include "list_info.h"
#include "play_manager.h"
#include "service_factory.h"

class playback_engine;
class play_listener;
class playlist_view_service;

// The pseudo-random source of random order and its seeding; by default the C
// runtime's srand/rand with the current time. Tests put in a fixed one.
class player_random {
public:
    virtual void seed();
    virtual unsigned next();
    virtual ~player_random() {}
};

enum player_play_mode {
    mode_sequential = 0,
    mode_repeat_all = 1,
    mode_repeat_one = 2,
    mode_single = 3,
    mode_random = 4,
    mode_random_repeat = 5,
};

class player : public singleton_component<play_manager> {
public:
    explicit player(int index);
    ~player() override;

    int index() override { return index_; }
    void play(list_info* entry) override;
    void stop(int stop_mode) override;
    bool is_playing() override;
    bool is_paused() override;
    void pause() override;
    void next() override;
    void previous() override;
    list_info* advance(bool make_current) override;
    void select(const wchar_t* entry_id) override;
    list_info* current() override;
    // A copy of the current entry's id ("" while nothing plays): safe while
    // the playback thread moves the current entry on.
    std::wstring current_entry_id();
    unsigned volume() override { return volume_; }
    void set_volume(unsigned volume) override;
    void set_mute(bool muted) override;
    bool mute() override { return muted_; }
    void set_play_mode(int mode) override;
    int play_mode() override { return play_mode_; }
    void seek(double seconds) override;
    void seek_by(double delta) override;
    bool is_seekable() override;
    double position() override;
    playlist* create_playlist(const wchar_t* name, bool make_current) override;
    void remove_playlist(const wchar_t* id) override;
    void remove_all_playlists() override;
    int playlist_count() override;
    int playlist_index(const wchar_t* id) override;
    playlist* find_playlist(const wchar_t* id) override;
    std::vector<playlist*>& playlists() override;
    playlist* playlist_at_unlocked(unsigned index) override;
    playlist* playlist_at(unsigned index) override;
    void set_active_playlist(const wchar_t* id) override;
    playlist* active_playlist() override { return active_; }
    void set_current_playlist(const wchar_t* id) override;
    playlist* current_playlist() override { return current_; }
    void move_playlist_up(const wchar_t* id) override;
    void move_playlist_down(const wchar_t* id) override;

    // Play modes and random order (player_modes.cpp), under the lock.
    list_info* find_next();
    list_info* find_previous();
    std::wstring random_pick(const std::wstring& current_id, bool new_pass);
    std::wstring random_previous(const std::wstring& current_id);
    void clear_random_history();
    std::vector<std::wstring> random_history();

    // Wiring done by the start hook (not slots).
    void add_listener(play_listener* listener);
    void set_view(playlist_view_service* view);
    playlist_view_service* view() { return view_; }
    // The row to select and show on top when the playlist with this id is
    // next shown.
    void remember_row(const std::wstring& playlist_id, int row);
    // Seams: where engines come from (default: the registry) and the random
    // source (not owned; null restores the default).
    using engine_maker = playback_engine* (*)();
    void set_engine_maker(engine_maker maker);
    void set_random(player_random* random);
    // Releases the listeners and the view (unload, and tests).
    void release_wiring();

private:
    playlist* find_locked(const wchar_t* id, size_t* position = nullptr);
    std::wstring current_id();
    void save_view_state(playlist* list);
    void restore_view_state(playlist* list);
    void prune_handed();
    void replace_current(const list_info& entry);
    template <class Fn>
    void notify(Fn fn) {
        for (play_listener* l : listeners_) fn(l);
    }

    critsec lock_;
    int index_;
    std::vector<play_listener*> listeners_;
    playback_engine* engine_ = nullptr;
    list_info current_entry_;
    std::vector<playlist*> playlists_;
    std::atomic<playlist*> active_{nullptr};
    std::atomic<playlist*> current_{nullptr};
    std::atomic<int> play_mode_{mode_sequential};
    std::atomic<unsigned> volume_{1000};
    std::atomic<bool> muted_{false};
    std::vector<std::wstring> random_history_;
    // The entry advance last handed to each calling thread (a list: its
    // nodes never move); pruned of ended threads as it grows.
    std::list<std::pair<DWORD, list_info>> handed_;
    static const size_t max_handed_before_pruning = 16;
    std::map<std::wstring, std::vector<int>> saved_selection_;
    std::map<std::wstring, int> saved_top_index_;
    playlist_view_service* view_ = nullptr;
    engine_maker make_engine_;
    player_random default_random_;
    player_random* random_ = &default_random_;
};
