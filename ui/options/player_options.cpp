// The player's options: their reads from the INI file and the per-user
// store, and the writes of the main window's end (see player_options.h).
#include "player_options.h"
#include <cmath>
#include <string>
#include "config_var.h"
#include "config_var2.h"
#include "option_targets.h"

namespace {
const wchar_t k_app[] = L"app";
const wchar_t k_folders[] = L"folders";
const wchar_t k_client[] = L"client";
// Favourites and folders are numbered keys from 0 to 999.
const int k_numbered_keys = 1000;

// The read rules of section "app". A missing or empty value gives the
// value of the rule; a value that is not a number reads as 0.
struct app_reader {
    option_home& home;

    bool flag(const wchar_t* key, bool missing) {
        stringx v = home.read(k_app, key);
        return v.length() == 0 ? missing : v.toint() != 0;
    }
    // Leaves the field as it is when the key is missing.
    void keep_flag(const wchar_t* key, bool& field) { field = flag(key, field); }
    int number(const wchar_t* key, int missing) {
        stringx v = home.read(k_app, key);
        return v.length() == 0 ? missing : v.toint();
    }
    void keep_number(const wchar_t* key, int& field) { field = number(key, field); }
    stringx text(const wchar_t* key) { return home.read(k_app, key); }
    // A volume 0 to 1000; what lies outside is brought to the nearest end.
    unsigned volume(const wchar_t* key) {
        int v = number(key, 1000);
        return static_cast<unsigned>(v < 0 ? 0 : v > 1000 ? 1000 : v);
    }
    // The download limit: outside 20 to 1000 (missing too) gives 60.
    int max_bps() {
        int v = number(L"max_bps", 0);
        return v < 20 || v > 1000 ? 60 : v;
    }
    // A percentage: not above 0 or above 100 gives 1.0.
    float volume_rate() {
        stringx v = home.read(k_app, L"music_volume_rate");
        double rate = (v.length() == 0 ? 100.0 : v.todouble()) * 0.01;
        return rate > 0.0 && rate <= 1.0 ? static_cast<float>(rate) : 1.0f;
    }
};

void write_number(option_home& home, const wchar_t* section, const wchar_t* key, long value) {
    stringx text;
    text.format(L"%ld", value);
    home.write(section, key, text);
}

void write_app_number(option_home& home, const wchar_t* key, long value) { write_number(home, k_app, key, value); }

stringx numbered_key(const wchar_t* prefix, int n) {
    stringx key;
    key.format(L"%s%d", prefix, n);
    return key;
}

// Writes the values under prefix0, prefix1 ... and empties every later key
// that holds a value. Keys that already hold their value are not written
// again (each write saves the whole file).
void write_numbered_list(option_home& store, const wchar_t* section, const wchar_t* prefix,
                         const std::vector<stringx>& values) {
    for (int n = 0; n < k_numbered_keys; ++n) {
        const stringx key = numbered_key(prefix, n);
        const stringx old = store.read(section, key);
        if (n < static_cast<int>(values.size())) {
            if (!old.equals(values[n])) store.write(section, key, values[n]);
        } else if (old.length() != 0) {
            store.write(section, key, L"");
        }
    }
}

// Both loads: the keys read from either home in the same order.
void read_shared_keys(player_options& o, app_reader& r) {
    o.max_bps = r.max_bps();
    o.last_channel = r.flag(L"last_channel", false);
    o.channel = r.text(L"channel");
    o.last_title = r.text(L"last_title");
    o.volume = r.volume(L"volume");
    o.music_volume_rate = r.volume_rate();
    o.info_volume = r.volume(L"info_volume");
    o.norm = r.flag(L"norm", false);
    o.norm_scale = r.number(L"norm_scale", 5);
    o.priority = r.number(L"priority", 1);
    o.packet_retry = r.flag(L"packet_retry", false);
}
}  // namespace

ini_home::ini_home(const wchar_t* file_name) : file_(new config_var(file_name)) {}
ini_home::~ini_home() { delete file_; }
stringx ini_home::read(const wchar_t* section, const wchar_t* key) { return file_->read(section, key); }
void ini_home::write(const wchar_t* section, const wchar_t* key, const wchar_t* value) {
    file_->write(section, key, value);
}

stringx store_home::read(const wchar_t* section, const wchar_t* key) { return config_var2().read(section, key); }
void store_home::write(const wchar_t* section, const wchar_t* key, const wchar_t* value) {
    config_var2().write(section, key, value);
}

player_options& get_player_options() {
    static player_options options;
    return options;
}

unsigned music_player_volume(const player_options& options) {
    return music_volume_of(options.volume, options.music_volume_rate);
}

void load_start_options(player_options& o, option_home& ini, option_targets& targets) {
    app_reader r{ini};
    o.password_save = r.flag(L"password_save", true);
    o.auto_login = r.flag(L"auto_login", true);
    o.auto_start = r.flag(L"auto_start", true);
    read_shared_keys(o, r);
    targets.set_packet_retry(o.packet_retry);

    r.keep_number(L"skin", o.skin);
    o.output_type = r.number(L"output_type", 0);
    o.output_buffer = r.number(L"output_buffer", 3000);
    o.device = r.number(L"device", 0);
    targets.set_output(o.output_buffer, o.output_type, o.device);

    r.keep_flag(L"always_top", o.always_top);
    r.keep_flag(L"tray_when_minimize", o.tray_when_minimize);
    r.keep_flag(L"show_title_when_tray", o.show_title_when_tray);
    o.play_method = r.number(L"play_method", 0);
    o.maximize = r.flag(L"maximize", false);
    o.eq_preset = r.number(L"eq_preset", 0);
}

void load_options(player_options& o, option_home& store, option_targets& targets) {
    app_reader r{store};
    read_shared_keys(o, r);
    targets.set_packet_retry(o.packet_retry);
    o.maximize = r.flag(L"maximize", false);
    r.keep_number(L"skin", o.skin);
    o.output_type = r.number(L"output_type", 0);
    o.output_buffer = r.number(L"output_buffer", 3000);
    // In multi-instance play the launcher's device stays and the window
    // does not start expanded.
    if (targets.launcher_connected())
        o.maximize = false;
    else
        o.device = r.number(L"device", 0);
    targets.set_output(o.output_buffer, o.output_type, o.device);

    r.keep_flag(L"always_top", o.always_top);
    r.keep_flag(L"tray_when_minimize", o.tray_when_minimize);
    r.keep_flag(L"show_title_when_tray", o.show_title_when_tray);
    o.mute = r.flag(L"mute", false);
    o.info_mute = r.flag(L"info_mute", false);
    o.play_method = r.number(L"play_method", 0);
    o.eq_preset = r.number(L"eq_preset", 0);

    // Every non-empty favourite key counts, holes and all.
    targets.clear_favourites();
    for (int n = 0; n < k_numbered_keys; ++n) {
        stringx name = store.read(k_app, numbered_key(L"favorates", n));
        if (name.length() != 0) targets.add_favourite(name);
    }

    targets.set_play_mode(play_mode_of(o.play_method));
    targets.set_playback(o.norm, o.norm_scale, o.priority);
    targets.set_rate_limit(o.max_bps * 1000);
    targets.set_music_volume(music_player_volume(o));
    targets.set_music_mute(o.mute);
    targets.set_always_on_top(o.always_top);
}

void save_options(const player_options& o, option_home& store, option_targets& targets, const stringx& channel,
                  bool expanded) {
    write_app_number(store, L"volume", o.volume);
    // Rounded: a rate kept in single precision (0.29 is 0.28999...) must not
    // lose a percent on every save.
    write_app_number(store, L"music_volume_rate", std::lround(o.music_volume_rate * 100.0));
    write_app_number(store, L"info_volume", o.info_volume);
    write_app_number(store, L"always_top", o.always_top);
    write_app_number(store, L"skin", o.skin);
    write_app_number(store, L"info_mute", o.info_mute);
    write_app_number(store, L"play_method", o.play_method);
    if (o.last_channel) store.write(k_app, L"channel", channel);
    write_numbered_list(store, k_app, L"favorates", targets.favourites());
    write_app_number(store, L"maximize", expanded);
    write_app_number(store, L"eq_preset", o.eq_preset);
}

stringx saved_channel_value(bool channel_list_active, const stringx& list_name, int channel_id) {
    stringx value;
    if (channel_list_active && channel_id != 0) value.format(L"%s|%d", list_name.wvalue(), channel_id);
    return value;
}

void save_folder_list(option_home& store, const std::vector<stringx>& folders) {
    write_numbered_list(store, k_folders, L"folder", folders);
}

std::vector<stringx> read_folder_list(option_home& store) {
    std::vector<stringx> folders;
    for (int n = 0; n < k_numbered_keys; ++n) {
        stringx folder = store.read(k_folders, numbered_key(L"folder", n));
        if (folder.length() != 0) folders.push_back(folder);
    }
    return folders;
}

void write_client_id(option_home& ini, const stringx& user_id) { ini.write(k_client, L"id", user_id); }

void write_client_server(option_home& ini, const stringx& server) {
    const std::wstring text = server.wvalue();
    const size_t bar = text.find(L'|');
    if (bar == std::wstring::npos || text.find(L'|', bar + 1) != std::wstring::npos) return;
    ini.write(k_client, L"address", text.substr(0, bar).c_str());
    ini.write(k_client, L"port", text.substr(bar + 1).c_str());
}
