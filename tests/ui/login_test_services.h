#pragma once
// The login's services for the login tests: a per-user settings store in
// memory, an INI file in memory, an instance registry that says "in use" for
// the users and devices a test names, a launcher link and a device chooser
// that answer as told, and a record of every call to the other services in
// call order ("select_output(0,1)").
#include <cwctype>
#include <map>
#include <set>
#include <string>
#include <vector>
#include "login_services.h"

class fake_login_services : public login_services {
public:
    login_options opts;

    bool store_present = true;
    // Per-user values of the store, keyed "user/section/key" in lower case.
    std::map<std::wstring, std::wstring> store_values;
    std::wstring store_user;  // as set_store_user had it last
    std::vector<std::wstring> store_users;  // every user set, in order
    std::map<std::wstring, std::wstring> ini_values;  // "section/key"

    std::set<std::wstring> users_in_use;
    std::set<int> devices_in_use;
    bool under_launcher = false;
    int device_count = 2;
    int chooser_answer = -1;  // the device the chooser picks; -1: cancel

    std::vector<std::wstring> calls;
    std::vector<std::wstring> log;
    std::vector<std::wstring> favourites;

    // Forwards set_store_user (as the settings store tells its listeners).
    void (*on_user)(const wchar_t* user, void* context) = nullptr;
    void* on_user_context = nullptr;

    void set_store(const wchar_t* user, const wchar_t* key, const wchar_t* value) {
        store_values[lower(std::wstring(user) + L"/app/" + key)] = value;
    }
    std::wstring stored(const wchar_t* user, const wchar_t* section, const wchar_t* key) const {
        auto found = store_values.find(lower(std::wstring(user) + L"/" + section + L"/" + key));
        return found == store_values.end() ? std::wstring() : found->second;
    }
    bool called(const std::wstring& call) const {
        for (const auto& c : calls)
            if (c == call) return true;
        return false;
    }
    // Position of the first call that starts with prefix; -1 when none.
    int position(const std::wstring& prefix) const {
        for (size_t i = 0; i < calls.size(); ++i)
            if (calls[i].compare(0, prefix.size(), prefix) == 0) return static_cast<int>(i);
        return -1;
    }

    login_options& options() override { return opts; }

    bool has_settings_store() override { return store_present; }
    void set_store_user(const wchar_t* user) override {
        store_user = user;
        store_users.push_back(user);
        if (on_user) on_user(user, on_user_context);
    }
    stringx store_read(const wchar_t* section, const wchar_t* key) override {
        if (!store_present) return stringx(L"");
        std::wstring user = store_user.empty() ? L"Local" : store_user;
        return stringx(stored(user.c_str(), section, key).c_str());
    }
    void store_write(const wchar_t* section, const wchar_t* key, const wchar_t* value) override {
        if (!store_present) return;
        std::wstring user = store_user.empty() ? L"Local" : store_user;
        store_values[lower(user + L"/" + section + L"/" + key)] = value;
    }
    stringx ini_read(const wchar_t* section, const wchar_t* key) override {
        auto found = ini_values.find(std::wstring(section) + L"/" + key);
        return stringx(found == ini_values.end() ? L"" : found->second.c_str());
    }
    void ini_write(const wchar_t* section, const wchar_t* key, const wchar_t* value) override {
        ini_values[std::wstring(section) + L"/" + key] = value;
    }

    bool user_in_use(const wchar_t* user) override { return users_in_use.count(user) > 0; }
    bool device_in_use(int device) override { return devices_in_use.count(device) > 0; }
    void register_instance(const wchar_t* user, int device) override { record(L"register_instance", user, device); }
    bool launcher_connected() override { return under_launcher; }
    bool start_launcher(const wchar_t* user, const wchar_t* password, const wchar_t* stores) override {
        calls.push_back(std::wstring(L"start_launcher(") + user + L"," + password + L"," + stores + L")");
        return true;
    }
    int choose_device(HWND, int output_type, int device) override {
        record(L"choose_device", output_type, device);
        return chooser_answer;
    }
    int output_device_count(int) override { return device_count; }
    void select_output(int output_type, int device) override { record(L"select_output", output_type, device); }
    void set_output_buffer(int ms) override { record(L"set_output_buffer", ms); }
    void set_normalize(bool enabled, int scale) override { record(L"set_normalize", enabled, scale); }
    void set_playback_priority(int priority) override { record(L"set_playback_priority", priority); }
    void set_packet_retry(bool on) override { record(L"set_packet_retry", on); }
    void set_linger_ms(int ms) override { record(L"set_linger_ms", ms); }
    void set_played_log(bool on) override { record(L"set_played_log", on); }
    void set_rate_limit(int bytes) override { record(L"set_rate_limit", bytes); }
    void set_cache_limits(int a, int b, int c) override { record(L"set_cache_limits", a, b, c); }
    void set_play_mode(int mode) override { record(L"set_play_mode", mode); }
    void set_music_volume(unsigned volume) override { record(L"set_music_volume", static_cast<int>(volume)); }
    void set_music_mute(bool mute) override { record(L"set_music_mute", mute); }
    void set_always_on_top(bool on) override { record(L"set_always_on_top", on); }
    void clear_favourites() override {
        favourites.clear();
        calls.push_back(L"clear_favourites()");
    }
    void add_favourite(const wchar_t* favourite) override { favourites.push_back(favourite); }
    void tell_skin(int skin) override { record(L"tell_skin", skin); }
    void configure_reservation(const wchar_t* loginno, bool enabled, int seconds) override {
        record(L"configure_reservation", loginno, enabled, seconds);
    }
    void write_log(const wchar_t* text) override { log.push_back(text); }

private:
    static std::wstring lower(std::wstring text) {
        for (wchar_t& c : text) c = static_cast<wchar_t>(towlower(c));
        return text;
    }
    static std::wstring text_of(const wchar_t* v) { return v; }
    static std::wstring text_of(int v) { return std::to_wstring(v); }
    static std::wstring text_of(bool v) { return v ? L"1" : L"0"; }
    template <class... Args>
    void record(const wchar_t* name, Args... args) {
        std::wstring call = std::wstring(name) + L"(";
        bool first = true;
        for (const std::wstring& a : {text_of(args)...}) {
            if (!first) call += L",";
            call += a;
            first = false;
        }
        calls.push_back(call + L")");
    }
};
