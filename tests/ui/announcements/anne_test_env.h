#pragma once
// The announcements' surroundings for their tests: a clock and a tick count
// set by the test, an options block, the service's list, a recording
// listener, two fake players (the announcement player with a real playlist)
// and a counting volume ducker. start_announcement runs a real anne_starter
// when the test asks for it, and records the call either way.
#include <windows.h>
#include <memory>
#include <string>
#include <vector>
#include "anne_environment.h"
#include "anne_fades.h"
#include "anne_progress_listener.h"
#include "list_info.h"
#include "login_services.h"
#include "play_manager.h"
#include "playlist.h"
#include "volume_ducker.h"

// Every event as a line: "next A01", "next -", "prep A01", "air A01",
// "finished", "changed", "vol 984".
class recording_listener : public anne_progress_listener {
public:
    std::vector<std::string> events;
    bool volumes = true;  // record on_music_volume too

    const GUID* get_guid() override { return &iid; }
    void release() override {}
    void on_next_changed(const anne_record* r) override { events.push_back("next " + key(r)); }
    void on_preparing(const anne_record* r) override { events.push_back("prep " + key(r)); }
    void on_air(const anne_record* r) override { events.push_back("air " + key(r)); }
    void on_finished() override { events.push_back("finished"); }
    void on_schedule_changed() override { events.push_back("changed"); }
    void on_music_volume(unsigned v) override {
        if (volumes) events.push_back("vol " + std::to_string(v));
    }
    int count(const std::string& e) const {
        int n = 0;
        for (const auto& x : events) n += x == e;
        return n;
    }

private:
    static std::string key(const anne_record* r) {
        if (!r) return "-";
        std::string s;
        for (const wchar_t* p = r->code.wvalue(); *p; ++p) s += static_cast<char>(*p);
        return s;
    }
};

// A player whose volume, playing state and plays the test sees. The
// announcement player has a real playlist as its active one.
class fake_player : public play_manager {
public:
    explicit fake_player(int index) : index_(index), list_(nullptr, nullptr) {}
    unsigned vol = 1000;
    bool playing = false;
    bool paused = false;
    int pauses = 0;                       // pause calls
    bool has_playlist = true;
    std::vector<std::wstring> plays;      // paths handed to play
    std::vector<unsigned> set_volumes;    // every set_volume
    int stops = 0;
    bool muted = false;
    int mode = -1;

    const GUID* get_guid() override { return &iid; }
    void release() override {}
    int index() override { return index_; }
    void play(list_info* entry) override {
        plays.push_back(entry && entry->path ? entry->path : L"");
        if (entry) current_ = *entry;
        playing = true;
        paused = false;
    }
    void pause() override {
        ++pauses;
        if (playing) paused = !paused;
    }
    bool is_paused() override { return playing && paused; }
    list_info* current() override { return plays.empty() ? nullptr : &current_; }
    // Plays path as if another party had started it.
    void play_path(const wchar_t* path) {
        list_info e;
        list_info::set_string(e.path, path);
        play(&e);
    }
    bool is_playing() override { return playing; }
    void stop(int) override {
        ++stops;
        playing = false;
    }
    void set_mute(bool on) override { muted = on; }
    bool mute() override { return muted; }
    void set_play_mode(int m) override { mode = m; }
    playlist* current_playlist() override { return active_playlist(); }
    unsigned volume() override { return vol; }
    void set_volume(unsigned v) override {
        vol = v > 1000 ? 1000 : v;
        set_volumes.push_back(v);
    }
    playlist* active_playlist() override { return has_playlist ? &list_ : nullptr; }
    playlist& list() { return list_; }

private:
    int index_;
    playlist list_;
    list_info current_;
};

class counting_ducker : public volume_ducker {
public:
    std::vector<std::string> calls;  // "duck 6000 0", "restore 1000"
    const GUID* get_guid() override { return &iid; }
    void release() override {}
    void duck(unsigned time, int volume) override {
        calls.push_back("duck " + std::to_string(time) + " " + std::to_string(volume));
    }
    void restore(unsigned time) override { calls.push_back("restore " + std::to_string(time)); }
};

class test_anne_env : public anne_environment {
public:
    timex now = timex(2026, 3, 2, 9, 0, 0);
    DWORD ticks = 100000;
    unsigned ms = 0;  // into the service clock's second
    login_options opts;
    std::vector<anne_record> service_list;  // what the service answers
    bool service_ok = true;
    int fetches = 0;       // loads with fetch
    int cached_loads = 0;  // loads without
    recording_listener listener;
    std::vector<std::wstring> prefetched;
    fake_player music{0};
    fake_player announcements{1};
    counting_ducker counting;
    bool with_ducker = true;
    int schedule_posts = 0;
    // Every start_announcement as "A01@hh:mm:ss fade", with the clock of the call.
    std::vector<std::string> starts;
    bool run_starters = false;
    std::vector<std::unique_ptr<anne_starter>> starters;

    test_anne_env() {
        opts.volume = 1000;
        opts.info_volume = 1000;
        opts.music_volume_rate = 1.0f;
        opts.fadeinout_time = 6000;
    }

    timex service_now() override { return now; }
    DWORD tick_count() override { return ticks; }
    unsigned ms_into_second() override { return ms; }
    const login_options& options() override { return opts; }
    bool load_anne_list(std::vector<anne_record>& list, bool fetch) override {
        (fetch ? fetches : cached_loads) += 1;
        if (!service_ok) return false;
        list = service_list;
        return true;
    }
    std::vector<anne_progress_listener*> listeners() override { return {&listener}; }
    void prefetch(const list_info& entry) override { prefetched.push_back(entry.path ? entry.path : L""); }
    play_manager* player(bool is_music) override {
        return is_music ? static_cast<play_manager*>(&music) : &announcements;
    }
    volume_ducker* ducker() override { return with_ducker ? &counting : nullptr; }
    void post_schedule_changed() override { ++schedule_posts; }
    void start_announcement(const anne_record& record, unsigned fade_ms) override {
        char text[64];
        snprintf(text, sizeof text, "%ls@%02d:%02d:%02d %u", record.code.wvalue(), now.get_hour(), now.get_min(),
                 now.get_sec(), fade_ms);
        starts.push_back(text);
        if (run_starters) starters.emplace_back(new anne_starter(*this, record, fade_ms));
    }
};

// A record of the day's list.
inline anne_record anne(const wchar_t* code, int h, int m, int s, long length, bool enabled = true,
                        int volume = 100) {
    anne_record r;
    r.code = code;
    r.start = timex_span(0, h, m, s);
    r.length = timex_span(length);
    r.title = code;
    r.volume = volume;
    r.enabled = enabled ? 1 : 0;
    r.url = stringx(L"zel2://127.0.0.1/anne/") + stringx(code) + stringx(L".mp3");
    return r;
}
