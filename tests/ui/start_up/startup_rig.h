#pragma once
// The start-up and the login dialog under test: the player's start-up
// services with a stand-in for what a test must control (the sound-device
// count, the launcher link, the equalizer, the main window, the pages
// opened, the registry keys, the INI file and the application-data folder),
// a record of what was asked of them, and a "user" that answers the modal
// windows of the test's thread (message boxes and the login dialog) by a
// script, from a thread timer that the modal loops dispatch.
#include <windows.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include "login_manager.h"
#include "player_login_services.h"
#include "player_options.h"
#include "player_window_service.h"
#include "startup_services.h"
#include "temp_folder.h"

// A plain top-level window standing in for the main player window. Its
// WM_CLOSE destroys it, as the real one's does (without the exit report).
class stand_in_main_window : public singleton_component<player_window_service> {
public:
    ~stand_in_main_window();
    HWND create(HINSTANCE ui) override;
    HWND main_window() override { return main_; }
    HWND playlist_window() override { return nullptr; }
    HWND info_window() override { return info_; }
    HWND library_window() override { return nullptr; }
    void set_login_tick(DWORD tick) override { login_tick = tick; }

    HWND main_ = nullptr;
    HWND info_ = nullptr;  // shown at creation, as the announcement window is
    DWORD login_tick = 0;
    bool closed = false;
    int creations = 0;
};

// The login services of the test: the player's own, with a launcher that
// "starts" when asked.
class rig_login_services : public player_login_services {
public:
    bool start_launcher(const wchar_t* user, const wchar_t* password, const wchar_t* stores) override;
    bool launcher_was_started = false;
    std::wstring launcher_stores;
};

struct shown_box {
    HWND owner;
    std::wstring text;
    UINT type;
};

class rig_services : public registry_startup_services {
public:
    rig_services();
    ~rig_services() override;

    // What the test sets.
    int sound_devices = 2;
    bool launcher_registered = false;
    bool launcher_connected = false;
    std::wstring launcher_id, launcher_password;
    int launcher_device = 1;
    bool has_equalizer = false;
    double bands[11] = {};

    // What happened, in order ("ui_ready", "tray_off", "sounds_off",
    // "listeners", "launcher_window", "launcher_report:<text>").
    std::vector<std::wstring> events;
    std::vector<shown_box> boxes;
    std::vector<std::wstring> pages;
    std::vector<std::wstring> anne_log;
    int listener_calls = 0;

    stand_in_main_window window;
    rig_login_services login_services;
    login_manager manager{login_services};
    temp_folder app_data{L"zel_startup"};
    std::wstring key_path;  // HKCU, removed at the end
    std::wstring ini_name;  // in the real application-data folder, removed at the end

    credential_key credentials() override;
    run_keys run_value_keys() override;
    stringx app_data_folder() override { return stringx(app_data.path().c_str()); }
    option_home& ini() override { return *ini_; }
    HINSTANCE ui_module() override { return GetModuleHandleW(nullptr); }
    int sound_device_count() override { return sound_devices; }
    int message_box(HWND owner, const wchar_t* text, UINT type) override;
    void open_page(const wchar_t* url) override { pages.push_back(url); }
    pc_identity collect_pc_identity(HINSTANCE host) override;
    login_manager& login() override { return manager; }
    player_window_service* player_window() override { return &window; }
    bool has_launcher_link() override { return launcher_registered; }
    bool launcher_connect(stringx& id, stringx& password, int& device) override;
    bool launcher_is_connected() override { return launcher_connected; }
    void launcher_add_window(HWND) override { events.push_back(L"launcher_window"); }
    void launcher_report(const wchar_t* text) override { events.push_back(std::wstring(L"launcher_report:") + text); }
    bool launcher_started() override { return login_services.launcher_was_started; }
    bool equalizer_bands(double (&values)[11]) override;
    void set_equalizer_bands(const double (&values)[11]) override;
    void tell_ui_ready() override { events.push_back(L"ui_ready"); }
    void hide_tray_icon() override { events.push_back(L"tray_off"); }
    void silence_system_sounds() override { events.push_back(L"sounds_off"); }
    bool announcement_playing() override { return false; }
    void tell_login_listeners() override;
    void write_anne_log(const wchar_t* text) override { anne_log.push_back(text); }

    // The stored credentials and INI values as the test sets and reads them.
    void store_credentials(const wchar_t* id, const wchar_t* password);
    std::wstring ini_value(const wchar_t* key);
    void set_ini(const wchar_t* key, const wchar_t* value);
    // The Run value ("" when missing) and whether a value exists.
    std::wstring run_value(bool* exists = nullptr);
    void put_player_value(const wchar_t* name, const wchar_t* text);
    bool player_value_exists(const wchar_t* name);

private:
    std::unique_ptr<option_home> ini_;
};

// The user: each step acts once on a window of the test's thread; a step
// that finds nothing to act on is tried again at the next tick. Steps act
// through SendMessageW, so a modal window that a step opens runs inside it
// and the next step answers that window.
class scripted_user {
public:
    typedef std::function<void()> action;
    // Finds the window a step acts on: the action, or null to wait.
    typedef std::function<action()> step;
    explicit scripted_user(std::vector<step> steps);
    ~scripted_user();
    size_t done() const { return next_; }
    bool finished() const { return next_ == steps_.size(); }
    // Windows that came after the last step (each was closed).
    int unexpected() const { return unexpected_; }

    // The enabled, visible message box of this thread (null when none).
    static HWND message_box();
    // The text of a message box.
    static std::wstring box_text(HWND box);
    // The login dialog of this thread (null when none or disabled).
    static HWND login_window();

    // Steps.
    // Answers the next message box with the button (IDOK, IDCANCEL...).
    static step answer_box(int button);
    // Does fn with the login dialog.
    static step with_dialog(std::function<void(HWND)> fn);

private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD);
    void run();
    std::vector<step> steps_;
    size_t next_ = 0;
    int unexpected_ = 0;
    UINT_PTR timer_ = 0;
};

// The dialog's fields as the user sees them.
struct dialog_fields {
    std::wstring id, password;
    bool password_visible = false;
    bool masked_visible = false;
};
dialog_fields read_dialog(HWND dialog);
