#pragma once
// Recorders and fakes behind the main window's seams, and a fixture that
// builds the window on them with the stand-in companion windows.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "channel_service.h"
#include "companion_windows.h"
#include "core.h"
#include "drop_services.h"
#include "event_record.h"
#include "main_window_host.h"
#include "music_player_view.h"
#include "option_targets.h"
#include "player_options.h"
#include "window_reports.h"
#include "player_transport.h"
#include "player_window.h"
#include "store_list.h"
#include "window_messages.h"
#include "window_rig.h"

// Whether the skin's button of that id is checked (false when it has none).
inline bool is_checked(skin* s, unsigned id) {
    auto* b = s ? dynamic_cast<skin_button*>(s->get_control(id)) : nullptr;
    return b && b->checked;
}

// Every call as one line of text, in order.
struct call_log {
    std::vector<std::string> calls;
    void add(const std::string& c) { calls.push_back(c); }
    int count(const std::string& c) const {
        int n = 0;
        for (const auto& x : calls) n += x == c;
        return n;
    }
    bool has(const std::string& c) const { return count(c) > 0; }
};

std::string narrow(const std::wstring& w);
inline std::string narrow(const stringx& s) { return narrow(std::wstring(s.wvalue())); }

struct recording_transport : player_transport, call_log {
    void open_files() override { add("open_files"); }
    void play() override { add("play"); }
    void pause() override { add("pause"); }
    void stop() override { add("stop"); }
    void previous() override { add("previous"); }
    void next() override { add("next"); }
    void seek(double s) override { add("seek " + std::to_string(static_cast<int>(s))); }
    void set_volume(unsigned v) override { add("volume " + std::to_string(v)); }
};

struct fake_player : music_player_view, call_log {
    int mode = -1;
    unsigned volume = 0;
    bool mute = false;
    bool playing = false, seekable = true, paused = false;
    int active = 0, current = 0;
    std::vector<std::wstring> active_ids;  // entry ids of the active playlist
    list_info entry;
    bool has_entry = false;
    std::vector<list_info> first;

    void set_play_mode(int m) override { mode = m; add("mode " + std::to_string(m)); }
    void set_volume(unsigned v) override { volume = v; }
    void set_mute(bool m) override { mute = m; }
    void stop() override { add("stop"); }
    bool is_playing() override { return playing; }
    bool is_seekable() override { return seekable; }
    bool is_paused() override { return paused; }
    int active_playlist_position() override { return active; }
    int current_playlist_position() override { return current; }
    int active_index_of(const list_info& e) override {
        for (size_t i = 0; i < active_ids.size(); ++i)
            if (e.id && active_ids[i] == e.id) return static_cast<int>(i);
        return -1;
    }
    list_info* current_entry() override { return has_entry ? &entry : nullptr; }
    critsec entry_lock;  // held by a test's stand-in playback thread while it replaces the entry
    critsec* current_entry_lock() override { return &entry_lock; }
    void reset_first_playlist() override {
        add("reset_first");
        first.clear();
    }
    void add_to_first(const std::vector<list_info>& e) override { first.insert(first.end(), e.begin(), e.end()); }
    int first_count() override { return static_cast<int>(first.size()); }
    void play_first() override { add("play_first"); }
};

struct fake_channels : channel_service, call_log {
    bool logged_in = true;
    bool fetch_ok = true, list_ok = true, checked_ok = true;
    unsigned current_id = 0;
    std::wstring current_title, list_name = L"음악방송";
    double offset = 0;
    int anne_today = 1, anne_all = 1;

    bool is_logged_in() override { return logged_in; }
    bool fetch_channel_tracks(unsigned id, const stringx& t) override {
        add("fetch " + std::to_string(id) + " " + narrow(t));
        return fetch_ok;
    }
    void set_single_channel(unsigned id, const stringx& t) override {
        add("single " + std::to_string(id) + " " + narrow(t));
    }
    void select_channel_by_key(unsigned id) override { add("select " + std::to_string(id)); }
    void set_title(const stringx& t) override { add("title " + narrow(t)); }
    void load_fetched() override { add("load"); }
    bool get_channel_list(const stringx& name) override {
        add("list " + narrow(name));
        return list_ok;
    }
    bool select_channel_checked() override {
        add("checked");
        return checked_ok;
    }
    unsigned current_channel_id() override { return current_id; }
    stringx current_channel_title() override { return stringx(current_title.c_str()); }
    stringx list_title() override { return stringx(list_name.c_str()); }
    double first_track_offset() override { return offset; }
    int announcement_count(int kind) override { return kind == 0 ? anne_today : anne_all; }
    void save_channel_state() override { add("save_state"); }
    void restore_channel_state() override { add("restore_state"); }

    bool saved_ok = false, refused = false, start_ok = true;
    fetch_result next_result = fetch_failed;
    bool fetch_saved_tracks() override {
        add("saved");
        return saved_ok;
    }
    bool start_checked_fetch(HWND, UINT message) override {
        add("start_fetch");
        fetch_message = message;
        return start_ok;
    }
    fetch_result finish_checked_fetch() override {
        add("finish_fetch");
        return next_result;
    }
    bool last_check_refused() override { return refused; }
    UINT fetch_message = 0;
};

struct recording_reports : window_reports, call_log {
    void report_state(int kind) override { add("state " + std::to_string(kind)); }
    void report_play_stop() override { add("play_stop"); }
    // Called at the exit report (it looks at what was saved by then).
    std::function<void()> on_exit;
    void report_exit() override {
        add("exit");
        if (on_exit) on_exit();
    }
    void upload_tick() override {}
};

struct fake_stores : store_list, call_log {
    std::vector<std::vector<std::wstring>> stores;  // eleven fields each
    std::vector<std::wstring> updated;
    void set_list(const stringx& text) override { add("set_list " + narrow(text)); }
    bool update_store(const std::vector<stringx>& fields) override {
        for (auto& s : stores) {
            if (fields.size() == 11 && s.size() == 11 && s[3] == fields[3].wvalue()) {
                for (size_t i = 0; i < 11; ++i) s[i] = fields[i].wvalue();
                updated = s;
                return true;
            }
        }
        return false;
    }
    LPARAM updated_copy() override { return reinterpret_cast<LPARAM>(new std::vector<std::wstring>(updated)); }
};

struct fake_drop : drop_services, call_log {
    std::map<std::wstring, std::vector<std::wstring>> folders;  // folder -> its files
    bool is_folder(const stringx& p) override { return folders.count(p.wvalue()) > 0; }
    void find_files(const stringx& folder, std::vector<stringx>& files) override {
        for (const auto& f : folders[folder.wvalue()]) files.push_back(stringx(f.c_str()));
    }
    void expand(const stringx& path, std::vector<list_info>& entries) override {
        list_info e;
        e.path = _wcsdup(path.wvalue());
        entries.push_back(e);
    }
    std::vector<list_info> expand_with_progress(HWND, const std::vector<stringx>& files) override {
        add("progress " + std::to_string(files.size()));
        std::vector<list_info> out;
        for (const auto& f : files) expand(f, out);
        return out;
    }
    void library_add(const stringx& folder) override { add("library_add " + narrow(folder)); }
};

struct memory_home : option_home {
    std::map<std::wstring, std::wstring> values;  // "section/key"
    stringx read(const wchar_t* section, const wchar_t* key) override {
        auto it = values.find(std::wstring(section) + L"/" + key);
        return stringx(it == values.end() ? L"" : it->second.c_str());
    }
    void write(const wchar_t* section, const wchar_t* key, const wchar_t* value) override {
        values[std::wstring(section) + L"/" + key] = value ? value : L"";
    }
    std::wstring get(const wchar_t* section, const wchar_t* key) { return read(section, key).wvalue(); }
};

struct recording_targets : option_targets, call_log {
    std::vector<stringx> favs;
    bool launcher_connected() override { return false; }
    void set_packet_retry(bool) override {}
    void set_output(int, int, int) override {}
    void set_playback(bool, int, int) override { add("playback"); }
    void set_rate_limit(int b) override { add("rate " + std::to_string(b)); }
    void set_play_mode(int) override {}
    void set_music_volume(unsigned) override {}
    void set_music_mute(bool) override {}
    void set_always_on_top(bool) override {}
    void clear_favourites() override { favs.clear(); }
    void add_favourite(const stringx& n) override { favs.push_back(n); }
    std::vector<stringx> favourites() override { return favs; }
};

// The user-interface service's part: set_expanded tells the main window.
struct fake_host : main_window_host, call_log {
    bool is_expanded = false;
    HWND main = nullptr;
    int eq = -1;
    std::vector<std::wstring> channel_titles;
    std::vector<std::wstring> played_lines;
    bool expanded() override { return is_expanded; }
    void set_expanded(bool on) override {
        add(on ? "expand on" : "expand off");
        is_expanded = on;
        if (main) SendMessageW(main, msg_expanded_mode, on ? 1 : 0, 0);
    }
    void docker_add(HWND) override { add("docker_add"); }
    void docker_remove(HWND) override { add("docker_remove"); }
    void docker_always_on_top(bool on) override { add(on ? "top on" : "top off"); }
    void launcher_add_window(HWND) override {}
    void write_log(const wchar_t*) override {}
    void write_anne_log(const wchar_t* l) override { add("anne_log " + narrow(std::wstring(l))); }
    void write_played_log(const wchar_t* l) override { played_lines.push_back(l); }
    void channel_changed(const stringx& t) override { channel_titles.push_back(t.wvalue()); }
    void ui_closing() override { add("ui_closing"); }
    int equalizer_enabled() override { return eq; }
    void add_tray_icon(HWND) override { add("tray_add"); }
    void remove_tray_icon(HWND) override { add("tray_remove"); }
    void taskbar_tab(HWND, bool) override {}
    void give_back_system_sounds() override { add("sounds_on"); }
    // Records whether COM still ran on this thread when the window let go of
    // its shell objects (a probe: CoInitializeEx says S_FALSE when it did).
    void release_shell_objects() override {
        const HRESULT probe = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (SUCCEEDED(probe)) CoUninitialize();
        add(probe == S_FALSE ? "release_shell com_on" : "release_shell com_off");
    }
    void open_home_page() override { add("home_page"); }
};

// The main window on the fakes, shown without activation.
struct player_window_test : ::testing::Test {
    recording_transport transport;
    fake_player player;
    fake_channels channels;
    stand_in_companions companions;
    recording_reports reports;
    fake_stores stores;
    fake_drop drop;
    fake_host host;
    player_options options;
    memory_home store, ini;
    recording_targets targets;
    window_reports* reports_used = &reports;
    std::unique_ptr<player_window> window;
    // Swallows the skin's move loop, which a press beside the controls starts.
    window_rig::message_recorder recorder;

    void SetUp() override;
    void TearDown() override;
    // Builds and shows the window (the options as the test set them).
    void open();
    HWND hwnd() const { return window->hwnd(); }
    skin* look() const { return window->current_skin(); }
    void command(unsigned id) {
        SendMessageW(hwnd(), WM_COMMAND, id, 0);
        window_rig::pump();
    }
};
