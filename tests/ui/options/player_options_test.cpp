// The player options: their reads from the INI file and the per-user store
// with the rules of each key, what the loads send to the components, and the
// save of the main window's end.
#include <gtest/gtest.h>
#include <windows.h>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>
#include "core.h"
#include "option_targets.h"
#include "player_options.h"
#include "settings_store_impl.h"
#include "temp_folder.h"
#include "test_text.h"
#include "memory_home.h"

namespace {
// The per-user store of a settings store with a file of the test's own.
class own_store_home : public option_home {
public:
    temp_folder folder{L"options"};
    std::wstring path = folder / L"zel_player.xml";
    settings_store_impl store;
    int writes = 0;

    own_store_home() { store.set_file_path(path); }
    stringx read(const wchar_t* section, const wchar_t* key) override {
        return stringx(take_heap_text(store.read(section, key, nullptr)).c_str()).trim();
    }
    void write(const wchar_t* section, const wchar_t* key, const wchar_t* value) override {
        ++writes;
        store.write(section, key, value, nullptr);
    }
};


// An INI file of the test's own in the application-data folder, removed at
// the end.
struct own_ini {
    std::wstring name = L"options_test_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                        std::to_wstring(GetTickCount()) + L".ini";
    ini_home home{name.c_str()};
    std::wstring path() const {
        wchar_t* folder = core::get_appdata_path();
        std::wstring p = std::wstring(folder) + L"\\" + name;
        free(folder);
        return p;
    }
    ~own_ini() { DeleteFileW(path().c_str()); }
};

// Records what the loads send, in order.
struct recording_targets : option_targets {
    std::vector<std::string> calls;
    std::vector<stringx> favourite_list;
    bool launcher = false;

    void log(const char* what, long a = 0, long b = 0, long c = 0, int n = 1) {
        std::string line = std::string(what) + " " + std::to_string(a);
        if (n >= 2) line += " " + std::to_string(b);
        if (n >= 3) line += " " + std::to_string(c);
        calls.push_back(line);
    }
    bool launcher_connected() override { return launcher; }
    void set_packet_retry(bool on) override { log("packet_retry", on); }
    void set_output(int buffer_ms, int type, int device) override { log("output", buffer_ms, type, device, 3); }
    void set_playback(bool norm, int scale, int priority) override { log("playback", norm, scale, priority, 3); }
    void set_rate_limit(int bytes) override { log("rate_limit", bytes); }
    void set_play_mode(int mode) override { log("play_mode", mode); }
    void set_music_volume(unsigned volume) override { log("volume", volume); }
    void set_music_mute(bool mute) override { log("mute", mute); }
    void set_always_on_top(bool on) override { log("always_top", on); }
    void clear_favourites() override {
        calls.push_back("clear_favourites");
        favourite_list.clear();
    }
    void add_favourite(const stringx& name) override { favourite_list.push_back(name); }
    std::vector<stringx> favourites() override { return favourite_list; }

    std::string find(const char* prefix) const {
        for (const std::string& c : calls)
            if (c.rfind(prefix, 0) == 0) return c;
        return "";
    }
};

std::wstring w(const stringx& s) { return s.wvalue(); }
}  // namespace

TEST(player_options, an_empty_ini_file_gives_the_missing_values) {
    own_ini ini;
    recording_targets targets;
    player_options o;
    o.skin = 4;  // "skin" and the three window flags keep their value when missing
    o.always_top = true;
    o.tray_when_minimize = false;
    load_start_options(o, ini.home, targets);
    EXPECT_TRUE(o.password_save);
    EXPECT_TRUE(o.auto_login);
    EXPECT_TRUE(o.auto_start);
    EXPECT_EQ(o.max_bps, 60);
    EXPECT_FALSE(o.last_channel);
    EXPECT_EQ(o.volume, 1000u);
    EXPECT_EQ(o.info_volume, 1000u);
    EXPECT_FLOAT_EQ(o.music_volume_rate, 1.0f);
    EXPECT_FALSE(o.norm);  // a missing key reads as off although the block starts with it on
    EXPECT_EQ(o.norm_scale, 5);
    EXPECT_EQ(o.priority, 1);
    EXPECT_EQ(o.skin, 4);
    EXPECT_EQ(o.output_buffer, 3000);
    EXPECT_TRUE(o.always_top);
    EXPECT_FALSE(o.tray_when_minimize);
    EXPECT_TRUE(o.show_title_when_tray);
    EXPECT_EQ(targets.calls, (std::vector<std::string>{"packet_retry 0", "output 3000 0 0"}));

    // An empty store at login: the same rules; the INI-only keys stay.
    own_store_home store;
    o.max_bps = 300;
    o.volume = 10;
    o.mute = true;
    o.auto_start = false;
    recording_targets login;
    load_options(o, store, login);
    EXPECT_EQ(o.max_bps, 60);
    EXPECT_EQ(o.volume, 1000u);
    EXPECT_FALSE(o.mute);
    EXPECT_FALSE(o.auto_start);
    EXPECT_EQ(o.skin, 4);
    EXPECT_TRUE(o.always_top);
    EXPECT_EQ(login.calls, (std::vector<std::string>{"packet_retry 0", "output 3000 0 0", "clear_favourites",
                                                     "play_mode 1", "playback 0 5 1", "rate_limit 60000",
                                                     "volume 1000", "mute 0", "always_top 1"}));
}

// One key of section "app" at a time: the value stored, the field read back.
TEST(player_options, each_key_reads_by_its_rule_from_either_home) {
    struct row {
        const wchar_t* key;
        const wchar_t* value;
        std::function<std::string(const player_options&)> field;
        const char* expected;
        bool ini_only;
    };
    auto num = [](long v) { return std::to_string(v); };
    const row rows[] = {
        {L"max_bps", L"19", [&](const player_options& o) { return num(o.max_bps); }, "60", false},
        {L"max_bps", L"20", [&](const player_options& o) { return num(o.max_bps); }, "20", false},
        {L"max_bps", L"1000", [&](const player_options& o) { return num(o.max_bps); }, "1000", false},
        {L"max_bps", L"1001", [&](const player_options& o) { return num(o.max_bps); }, "60", false},
        {L"max_bps", L"abc", [&](const player_options& o) { return num(o.max_bps); }, "60", false},
        {L"music_volume_rate", L"0", [&](const player_options& o) { return num(std::lround(o.music_volume_rate * 1000)); }, "1000", false},
        {L"music_volume_rate", L"-20", [&](const player_options& o) { return num(std::lround(o.music_volume_rate * 1000)); }, "1000", false},
        {L"music_volume_rate", L"150", [&](const player_options& o) { return num(std::lround(o.music_volume_rate * 1000)); }, "1000", false},
        {L"music_volume_rate", L"50", [&](const player_options& o) { return num(std::lround(o.music_volume_rate * 1000)); }, "500", false},
        {L"music_volume_rate", L"100", [&](const player_options& o) { return num(std::lround(o.music_volume_rate * 1000)); }, "1000", false},
        {L"volume", L"350", [&](const player_options& o) { return num(o.volume); }, "350", false},
        {L"volume", L"-5", [&](const player_options& o) { return num(o.volume); }, "0", false},
        {L"info_volume", L"abc", [&](const player_options& o) { return num(o.info_volume); }, "0", false},
        {L"last_channel", L"2", [&](const player_options& o) { return num(o.last_channel); }, "1", false},
        {L"norm", L"1", [&](const player_options& o) { return num(o.norm); }, "1", false},
        {L"packet_retry", L"1", [&](const player_options& o) { return num(o.packet_retry); }, "1", false},
        {L"skin", L"6", [&](const player_options& o) { return num(o.skin); }, "6", false},
        {L"output_type", L"1", [&](const player_options& o) { return num(o.output_type); }, "1", false},
        {L"device", L"2", [&](const player_options& o) { return num(o.device); }, "2", false},
        {L"always_top", L"0", [&](const player_options& o) { return num(o.always_top); }, "0", false},
        {L"play_method", L"3", [&](const player_options& o) { return num(o.play_method); }, "3", false},
        {L"eq_preset", L"17", [&](const player_options& o) { return num(o.eq_preset); }, "17", false},
        {L"auto_start", L"0", [&](const player_options& o) { return num(o.auto_start); }, "0", true},
        {L"password_save", L"0", [&](const player_options& o) { return num(o.password_save); }, "0", true},
    };
    // Rows in rounds of distinct keys: one INI file and one store per round.
    std::vector<std::vector<const row*>> rounds;
    for (const row& r : rows) {
        auto fits = [&](const std::vector<const row*>& round) {
            for (const row* other : round)
                if (wcscmp(other->key, r.key) == 0) return false;
            return true;
        };
        size_t i = 0;
        while (i < rounds.size() && !fits(rounds[i])) ++i;
        if (i == rounds.size()) rounds.emplace_back();
        rounds[i].push_back(&r);
    }
    auto name = [](const row* r) {
        std::wstring t = std::wstring(r->key) + L"=" + r->value;
        return std::string(t.begin(), t.end());
    };
    for (const auto& round : rounds) {
        own_ini ini;
        own_store_home store;
        for (const row* r : round) {
            ini.home.write(L"app", r->key, r->value);
            store.write(L"app", r->key, r->value);
        }
        recording_targets targets;
        player_options from_ini, from_store;
        load_start_options(from_ini, ini.home, targets);
        load_options(from_store, store, targets);
        for (const row* r : round) {
            EXPECT_EQ(r->field(from_ini), r->expected) << "INI " << name(r);
            if (!r->ini_only) {
                EXPECT_EQ(r->field(from_store), r->expected) << "store " << name(r);
            }
        }
    }
}

TEST(player_options, the_login_load_sends_every_value_in_order) {
    own_store_home store;
    const std::pair<const wchar_t*, const wchar_t*> keys[] = {
        {L"max_bps", L"100"},   {L"volume", L"1000"},      {L"music_volume_rate", L"50"}, {L"norm", L"1"},
        {L"norm_scale", L"8"},  {L"priority", L"2"},       {L"packet_retry", L"1"},        {L"output_type", L"1"},
        {L"output_buffer", L"4000"}, {L"device", L"3"},    {L"mute", L"1"},                {L"always_top", L"1"},
        {L"play_method", L"7"},
    };
    for (const auto& k : keys) store.write(L"app", k.first, k.second);
    recording_targets targets;
    player_options o;
    load_options(o, store, targets);
    EXPECT_EQ(targets.calls,
              (std::vector<std::string>{"packet_retry 1", "output 4000 1 3", "clear_favourites", "play_mode 4",
                                        "playback 1 8 2", "rate_limit 100000", "volume 500", "mute 1",
                                        "always_top 1"}));

    // In multi-instance play the launcher's device stays and the window
    // does not start expanded.
    store.write(L"app", L"maximize", L"1");
    recording_targets multi;
    multi.launcher = true;
    o.device = 1;
    load_options(o, store, multi);
    EXPECT_EQ(multi.find("output"), "output 4000 1 1");
    EXPECT_FALSE(o.maximize);
}

TEST(player_options, play_methods_select_play_modes) {
    const int modes[][2] = {{0, 1}, {1, 0}, {2, 5}, {3, 4}, {7, 4}, {-1, 4}};
    for (const auto& m : modes) {
        memory_home store;
        store.write(L"app", L"play_method", std::to_wstring(m[0]).c_str());
        recording_targets targets;
        player_options o;
        load_options(o, store, targets);
        EXPECT_EQ(targets.find("play_mode"), "play_mode " + std::to_string(m[1])) << m[0];
    }
}

TEST(player_options, the_music_volume_is_rounded_not_cut) {
    player_options o;
    const struct {
        unsigned volume;
        float rate;
        unsigned expected;
    } rows[] = {{1000, 0.5f, 500}, {1000, 0.29f, 290}, {333, 0.57f, 190}, {999, 1.0f, 999}, {0, 0.3f, 0}};
    for (const auto& r : rows) {
        o.volume = r.volume;
        o.music_volume_rate = r.rate;
        EXPECT_EQ(music_player_volume(o), r.expected) << r.volume << " x " << r.rate;
    }
}

TEST(player_options, a_save_keeps_every_rate_percent_and_numbers_the_favourites_again) {
    own_store_home store;
    // Favourites with a hole at 2 and one far out.
    store.write(L"app", L"favorates0", L"a");
    store.write(L"app", L"favorates1", L"b");
    store.write(L"app", L"favorates3", L"c");
    store.write(L"app", L"favorates999", L"d");
    recording_targets targets;
    player_options o;
    load_options(o, store, targets);
    ASSERT_EQ(targets.favourite_list.size(), 4u);
    EXPECT_EQ(w(targets.favourite_list[2]), L"c");
    EXPECT_EQ(w(targets.favourite_list[3]), L"d");

    save_options(o, store, targets, L"음악방송|12", false);
    EXPECT_EQ(w(store.read(L"app", L"favorates2")), L"c");
    EXPECT_EQ(w(store.read(L"app", L"favorates3")), L"d");
    EXPECT_EQ(w(store.read(L"app", L"favorates999")), L"");
    recording_targets again;
    load_options(o, store, again);
    EXPECT_EQ(again.favourite_list.size(), 4u);

    // Every whole percent survives a save and a load unchanged (0.29 in
    // single precision is 0.28999...).
    memory_home memory;
    for (int percent = 1; percent <= 100; ++percent) {
        o.music_volume_rate = percent * 0.01f;
        save_options(o, memory, targets, L"", false);
        player_options back;
        recording_targets quiet;
        load_options(back, memory, quiet);
        EXPECT_EQ(std::lround(back.music_volume_rate * 100), percent);
        EXPECT_EQ(w(memory.read(L"app", L"music_volume_rate")), std::to_wstring(percent));
    }
}

TEST(player_options, the_saved_channel_follows_last_channel) {
    memory_home store;
    recording_targets targets;
    player_options o;
    store.write(L"app", L"channel", L"old|1");
    o.last_channel = false;
    save_options(o, store, targets, saved_channel_value(true, L"음악방송", 12), true);
    EXPECT_EQ(w(store.read(L"app", L"channel")), L"old|1");
    EXPECT_EQ(w(store.read(L"app", L"maximize")), L"1");
    o.last_channel = true;
    save_options(o, store, targets, saved_channel_value(true, L"음악방송", 12), false);
    EXPECT_EQ(w(store.read(L"app", L"channel")), L"음악방송|12");
    save_options(o, store, targets, saved_channel_value(false, L"Default", 12), false);
    EXPECT_EQ(w(store.read(L"app", L"channel")), L"");
    EXPECT_EQ(w(saved_channel_value(true, L"음악방송", 0)), L"");
}

TEST(player_options, korean_values_keep_their_bytes_under_code_page_949) {
    ASSERT_EQ(GetACP(), 949u);
    const wchar_t channel[] = L"음악방송|7";
    const wchar_t title[] = L"가요 ※ 베스트";
    own_ini ini;
    ini.home.write(L"app", L"channel", channel);
    ini.home.write(L"app", L"last_title", title);
    own_store_home store;
    store.write(L"app", L"channel", channel);
    store.write(L"app", L"last_title", title);
    recording_targets targets;
    player_options from_ini, from_store;
    load_start_options(from_ini, ini.home, targets);
    load_options(from_store, store, targets);
    EXPECT_EQ(w(from_ini.channel), channel);
    EXPECT_EQ(w(from_ini.last_title), title);
    EXPECT_EQ(w(from_store.channel), channel);
    EXPECT_EQ(w(from_store.last_title), title);
    // Both files hold the UTF-8 bytes, not the code page's.
    const std::string utf8_title = "\xEA\xB0\x80\xEC\x9A\x94 \xE2\x80\xBB \xEB\xB2\xA0\xEC\x8A\xA4\xED\x8A\xB8";
    EXPECT_NE(read_file_bytes(ini.path()).find("last_title=" + utf8_title), std::string::npos);
    EXPECT_NE(read_file_bytes(store.path).find("<last_title>" + utf8_title + "</last_title>"), std::string::npos);
}

TEST(player_options, folder_list_and_client_section) {
    own_store_home store;
    store.write(L"folders", L"folder0", L"C:\\old0");
    store.write(L"folders", L"folder5", L"C:\\old5");
    save_folder_list(store, {L"D:\\음악", L"E:\\b"});
    EXPECT_EQ(w(store.read(L"folders", L"folder0")), L"D:\\음악");
    EXPECT_EQ(w(store.read(L"folders", L"folder1")), L"E:\\b");
    EXPECT_EQ(w(store.read(L"folders", L"folder5")), L"");
    EXPECT_EQ(read_folder_list(store).size(), 2u);

    own_ini ini;
    write_client_id(ini.home, L"shop1");
    write_client_server(ini.home, L"10.0.0.1|8080");
    write_client_server(ini.home, L"a|b|c");  // not two parts: nothing
    write_client_server(ini.home, L"host");
    EXPECT_EQ(w(ini.home.read(L"client", L"id")), L"shop1");
    EXPECT_EQ(w(ini.home.read(L"client", L"address")), L"10.0.0.1");
    EXPECT_EQ(w(ini.home.read(L"client", L"port")), L"8080");
}
