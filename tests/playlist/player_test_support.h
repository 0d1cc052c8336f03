#pragma once
// Test doubles for the players: an engine that records what the player asks
// of it, a listener that records the calls it hears, a random source that
// answers from a script, and helpers that build playlists.
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>
#include "audio_format.h"
#include "list_info.h"
#include "play_listener.h"
#include "playback_engine.h"
#include "player.h"
#include "playlist.h"

class fake_engine : public playback_engine {
public:
    const GUID* get_guid() override { return &playback_engine::iid; }
    void release() override { released = true; }
    bool play(list_info* entry, play_manager*) override {
        played.push_back(entry && entry->path ? entry->path : L"");
        playing = true;
        return true;
    }
    void stop(int mode) override {
        stops.push_back(mode);
        playing = false;
    }
    void pause() override { paused = !paused; }
    bool is_paused() override { return paused; }
    bool is_playing() override { return playing; }
    double position() override { return at; }
    void seek(double seconds) override {
        seeks.push_back(seconds);
        at = seconds;
    }
    bool is_seekable() override { return seekable; }
    void set_volume(int v) override { volume_set = v; }
    int volume() override { return volume_set; }
    void set_mute(bool m) override { muted = m; }
    audio_format* info() override { return &format; }

    std::vector<std::wstring> played;
    std::vector<int> stops;
    std::vector<double> seeks;
    bool released = false, playing = false, paused = false, muted = false, seekable = true;
    int volume_set = -1;
    double at = 0.0;
    audio_format format{1, 2, 44100, 16, 0, 200.0, 128.0};
};

// Every engine the players made in this process, newest last.
inline std::vector<std::unique_ptr<fake_engine>>& fake_engines() {
    static std::vector<std::unique_ptr<fake_engine>> engines;
    return engines;
}
inline playback_engine* make_fake_engine() {
    fake_engines().emplace_back(new fake_engine());
    return fake_engines().back().get();
}
inline fake_engine* last_engine() { return fake_engines().empty() ? nullptr : fake_engines().back().get(); }

// Answers next() from a script (then 0); counts the seeds.
class scripted_random : public player_random {
public:
    explicit scripted_random(std::initializer_list<unsigned> values = {}) : values_(values) {}
    void seed() override { ++seeds; }
    unsigned next() override {
        if (values_.empty()) return 0;
        unsigned v = values_.front();
        values_.pop_front();
        return v;
    }
    int seeds = 0;

private:
    std::deque<unsigned> values_;
};

struct heard {
    std::string what;
    std::vector<int> indices;
    std::vector<std::wstring> paths;
};

class recording_listener : public play_listener {
public:
    explicit recording_listener(int index = 0) : index_(index) {}
    const GUID* get_guid() override { return &play_listener::iid; }
    void release() override {}
    int index() override { return index_; }
    void on_volume(unsigned v) override { log("volume", {static_cast<int>(v)}); }
    void on_mute(bool m) override { log("mute", {m ? 1 : 0}); }
    void on_seek(double s) override { log("seek", {static_cast<int>(s * 1000)}); }
    void on_play(list_info* e) override { log("play", {}, {e}); }
    void on_stop(list_info* e) override { log("stop", {}, {e}); }
    void on_pause(list_info* e, bool p) override { log("pause", {p ? 1 : 0}, {e}); }
    void on_next(list_info* e) override { log("next", {}, {e}); }
    void on_previous(list_info* e) override { log("previous", {}, {e}); }
    void on_entry_added(const std::vector<list_info*>& a) override { log("added", {}, a); }
    void on_entry_inserted(int i, const std::vector<list_info*>& a) override { log("inserted", {i}, a); }
    void on_entry_removed(const std::vector<int>& r) override { log("removed", r); }
    void on_list_reordered() override { log("reordered", {}); }
    void on_entries_updated(const std::vector<int>& i, const std::vector<list_info*>& v) override {
        log("updated", i, v);
    }
    void on_entries_swapped(int a, int b) override { log("swapped", {a, b}); }
    void on_playlist_created(playlist*) override { log("created", {}); }
    void on_playlist_removed(playlist*) override { log("list_removed", {}); }
    void on_active_playlist(playlist* p) override { log("active", {p ? 1 : 0}); }
    void on_current_playlist(playlist* p) override { log("current", {p ? 1 : 0}); }
    void on_playlist_moved(playlist*) override { log("moved", {}); }

    std::vector<heard> calls() {
        std::lock_guard<std::mutex> g(m_);
        return calls_;
    }
    std::vector<std::string> names() {
        std::vector<std::string> n;
        for (const heard& h : calls()) n.push_back(h.what);
        return n;
    }
    void clear() {
        std::lock_guard<std::mutex> g(m_);
        calls_.clear();
    }

private:
    void log(const char* what, std::vector<int> i, const std::vector<list_info*>& e = {}) {
        heard h{what, std::move(i), {}};
        for (list_info* x : e) h.paths.push_back(x && x->path ? x->path : L"");
        std::lock_guard<std::mutex> g(m_);
        calls_.push_back(h);
    }
    int index_;
    std::mutex m_;
    std::vector<heard> calls_;
};

inline list_info entry_at(const std::wstring& path, const wchar_t* artist = nullptr) {
    list_info e;
    list_info::set_string(e.path, path.c_str());
    list_info::set_string(e.filename, path.c_str());
    if (artist) list_info::set_string(e.artist, artist);
    return e;
}

inline std::vector<list_info> entries_at(std::initializer_list<const wchar_t*> paths) {
    std::vector<list_info> v;
    for (const wchar_t* p : paths) v.push_back(entry_at(p));
    return v;
}

inline std::vector<std::wstring> paths_in(playlist& list) {
    std::vector<std::wstring> v;
    for (unsigned i = 0; i < list.count(); ++i) v.push_back(list.at(i)->path ? list.at(i)->path : L"");
    return v;
}

inline std::wstring path_of(const list_info* e) { return e ? (e->path ? e->path : L"") : L"(none)"; }

// A player with fake engines and one active, current playlist.
struct test_player {
    explicit test_player(std::initializer_list<const wchar_t*> paths = {}, int index = 0) : p(index) {
        p.set_engine_maker(make_fake_engine);
        p.set_random(&random);
        p.add_listener(&listener);
        list = p.create_playlist(L"list", true);
        list->add(entries_at(paths));
        listener.clear();
    }
    ~test_player() { p.remove_all_playlists(); }
    list_info* entry(const wchar_t* path) {
        for (list_info* e : list->entries())
            if (path_of(e) == path) return e;
        return nullptr;
    }
    scripted_random random;
    recording_listener listener;
    player p;
    playlist* list;
};
