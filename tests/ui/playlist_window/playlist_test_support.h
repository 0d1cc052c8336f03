#pragma once
// The now-playing list's tests: a music player of two real playlists
// ("Default" and "음악방송") that records its transport, the list's
// services with the skin's stand-in, and drop helpers over a table of
// folders.
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "channel_track_list.h"
#include "dib.h"
#include "drop_services.h"
#include "list_info.h"
#include "play_manager.h"
#include "player_options.h"
#include "playlist.h"
#include "playlist_services.h"
#include "playlist_view_services.h"
#include "memory_home.h"

namespace playlist_test {

inline std::wstring text(const wchar_t* s) { return s ? s : L""; }

// A player of two playlists whose transport is a log.
class fake_player : public play_manager {
public:
    std::vector<play_listener*> listeners;
    std::vector<std::wstring> log;  // "play <path>", "stop", "next", "pause", ...
    bool playing = false;
    bool paused = false;
    bool seekable = false;
    list_info now;          // the current entry (a copy, as the player keeps it)
    bool has_now = false;
    list_info* following = nullptr;  // what advance answers
    int mode = -1;
    unsigned vol = 0;

    fake_player() {
        lists[0].reset(new playlist(this, &listeners));
        lists[0]->set_name(L"Default");
        lists[1].reset(new playlist(this, &listeners));
        lists[1]->set_name(L"음악방송");
        active_ = current_ = lists[0].get();
    }
    playlist* first() { return lists[0].get(); }
    playlist* channel() { return lists[1].get(); }
    int count(const wchar_t* what) const {
        int n = 0;
        for (const std::wstring& l : log) n += l == what;
        return n;
    }
    std::vector<std::wstring> plays() const {
        std::vector<std::wstring> out;
        for (const std::wstring& l : log)
            if (l.compare(0, 5, L"play ") == 0) out.push_back(l.substr(5));
        return out;
    }

    const GUID* get_guid() override { return &play_manager::iid; }
    void release() override {}
    int index() override { return 0; }
    void play(list_info* entry) override {
        now = *entry;
        has_now = true;
        playing = true;
        paused = false;
        log.push_back(L"play " + text(entry->path));
    }
    void stop(int) override {
        playing = paused = false;
        log.push_back(L"stop");
    }
    bool is_playing() override { return playing; }
    bool is_paused() override { return paused; }
    void pause() override {
        paused = !paused;
        log.push_back(L"pause");
    }
    void next() override { log.push_back(L"next"); }
    void previous() override { log.push_back(L"previous"); }
    list_info* advance(bool) override { return following; }
    list_info* current() override { return has_now ? &now : nullptr; }
    void set_volume(unsigned v) override { vol = v; }
    void set_play_mode(int m) override { mode = m; }
    void seek(double s) override { log.push_back(L"seek " + std::to_wstring(static_cast<int>(s))); }
    bool is_seekable() override { return seekable; }
    int playlist_count() override { return 2; }
    int playlist_index(const wchar_t* id) override {
        for (int i = 0; i < 2; ++i)
            if (id && lists[i]->id() == id) return i;
        return -1;
    }
    playlist* playlist_at(unsigned i) override { return i < 2 ? lists[i].get() : nullptr; }
    playlist* find_playlist(const wchar_t* id) override {
        const int i = playlist_index(id);
        return i >= 0 ? lists[i].get() : nullptr;
    }
    void set_active_playlist(const wchar_t* id) override {
        if (playlist* p = find_playlist(id)) active_ = p;
    }
    playlist* active_playlist() override { return active_; }
    void set_current_playlist(const wchar_t* id) override {
        playlist* p = find_playlist(id);
        if (!p || p == current_) return;
        current_ = p;
        for (play_listener* l : listeners) l->on_current_playlist(p);
    }
    playlist* current_playlist() override { return current_; }

private:
    std::unique_ptr<playlist> lists[2];
    playlist* active_;
    playlist* current_;
};

// Folders are a table; a file becomes one entry of that path.
class fake_drop : public drop_services {
public:
    std::map<std::wstring, std::vector<std::wstring>> folders;
    int progress_runs = 0;
    std::vector<std::wstring> library;

    bool is_folder(const stringx& path) override { return folders.count(path.wvalue()) > 0; }
    void find_files(const stringx& folder, std::vector<stringx>& files) override {
        for (const std::wstring& f : folders[folder.wvalue()]) files.push_back(f.c_str());
    }
    void expand(const stringx& path, std::vector<list_info>& entries) override {
        list_info e;
        list_info::set_string(e.path, path.wvalue());
        e.time = 10;
        entries.push_back(e);
    }
    std::vector<list_info> expand_with_progress(HWND, const std::vector<stringx>& files) override {
        ++progress_runs;
        std::vector<list_info> entries;
        for (const stringx& f : files) expand(f, entries);
        return entries;
    }
    void library_add(const stringx& folder) override { library.push_back(folder.wvalue()); }
};

// The channel track list's services over the fake player.
class channel_services : public channel_track_services {
public:
    explicit channel_services(fake_player& player) : player_(player) {}
    int channel_id = 0;
    std::function<void(int)> view_count;  // set_playlist_view_count's place
    play_manager* music_player() override { return &player_; }
    track_cache* music_cache() override { return nullptr; }
    void release_cache(track_cache*) override {}
    int current_channel_id() override { return channel_id; }
    stringx list_title() override { return L"음악방송"; }
    void store_write(const wchar_t*, const wchar_t*, const wchar_t*) override {}
    void set_view_count(int rows) override {
        if (view_count) view_count(rows);
    }

private:
    fake_player& player_;
};

// The list's services: the fake player, a channel track list over it, and
// a record of the logs, cache clears and channel-title notices. The track
// requests go to select (when set).
class view_services : public playlist_view_services {
public:
    explicit view_services(fake_player& player) : player_(player), channel_svc(player), tracks(channel_svc) {}

private:
    fake_player& player_;

public:
    channel_services channel_svc;
    channel_track_list tracks;
    std::function<bool(int, std::vector<track_record>&, bool)> select;
    int select_calls = 0;
    unsigned limit = 10;
    int method = 0;
    int cache_clears = 0;
    int fades_off_calls = 0;
    std::vector<std::wstring> log, played;
    std::wstring channel_title = L"채널";  // the main window's last channel title
    std::vector<std::wstring> titles_told;
    std::wstring version;
    bool connected = true;
    fake_drop drops;
    memory_home store;

    play_manager* music_player() override { return &player_; }
    void fades_off() override { ++fades_off_calls; }
    channel_track_list* channel_tracks() override { return &tracks; }
    int current_channel_id() override { return channel_svc.channel_id; }
    bool select_channel(int id, std::vector<track_record>& out, bool force) override {
        ++select_calls;
        return select ? select(id, out, force) : false;
    }
    unsigned list_limit() override { return limit; }
    int play_method() override { return method; }
    void clear_track_cache() override { ++cache_clears; }
    void write_log(const wchar_t* line) override { log.push_back(line); }
    void write_played_log(const wchar_t* line) override { played.push_back(line); }
    void forget_channel_title() override {
        if (channel_title.empty()) return;
        channel_title.clear();
        titles_told.push_back(L"");
    }
    stringx ini_version() override { return version.c_str(); }
    stringx clock_text() override { return L"2026-12-11 09:00:00"; }
    bool internet_connected() override { return connected; }
    drop_services& drop() override { return drops; }
    option_home& folders_store() override { return store; }
    HWND progress_owner() override { return nullptr; }
    // The mouse as a drag of rows sees it (screen coordinates); the
    // display's own pointer is shared by every test program.
    POINT cursor = {0, 0};
    bool cursor_position(POINT& screen) override {
        screen = cursor;
        return true;
    }
};

// The playlist window skin's stand-in: solid images and a status strip that
// remembers its texts as the real one does.
class skin_stand_in : public playlist_view_skin {
public:
    skin_stand_in() {
        for (int i = 0; i < 4; ++i) {
            solid(h[i], i == 1 ? 53 : 9, 9, 0xC0C0C0);
            solid(v[i], 9, i == 1 ? 53 : 9, 0xC0C0C0);
        }
        for (int n = 4; n <= 7; ++n) solid(icons[n], 20, 9, RGB(0, 0, 200 + n));
        solid(icons[8], 1, 14, 0xEEEEEE);
    }
    std::wstring left, right;
    std::vector<int> hidden;
    int draws = 0;
    std::map<int, dib> icons;
    dib h[4], v[4];

    dib* image(int number) override {
        auto it = icons.find(number);
        return it == icons.end() ? nullptr : &it->second;
    }
    void hscroll_images(dib* out[4]) override {
        for (int i = 0; i < 4; ++i) out[i] = &h[i];
    }
    void vscroll_images(dib* out[4]) override {
        for (int i = 0; i < 4; ++i) out[i] = &v[i];
    }
    void draw_status_text(const RECT&, const wchar_t* l, const wchar_t* r) override {
        ++draws;
        if (l && *l) left = l;
        if (r && *r) right = r;
    }
    void set_control_visible(int id, bool visible) override {
        if (!visible) hidden.push_back(id);
    }

private:
    static void solid(dib& image, int w, int h, COLORREF colour) {
        image.create(w, h, 24);
        RECT all = {0, 0, w, h};
        dib::fill_solid_rect(image.get_memdc(), &all, colour);
    }
};

// Entries with paths "C:\music\<name>.mp3", titles "<name>" and the times.
inline std::vector<list_info> entries(const std::vector<std::wstring>& names, double seconds = 60) {
    std::vector<list_info> out;
    for (const std::wstring& n : names) {
        list_info e;
        list_info::set_string(e.path, (L"C:\\music\\" + n + L".mp3").c_str());
        list_info::set_string(e.title, n.c_str());
        list_info::set_string(e.artist, (L"가수 " + n).c_str());
        e.time = seconds;
        out.push_back(e);
    }
    return out;
}

}  // namespace playlist_test
