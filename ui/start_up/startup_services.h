#pragma once
// startup_services: what the start-up (main_ui::run, start_up.h) and the
// login dialog need of the platform and of the other components. The
// player's own (registry_startup_services) reaches the registered
// components at every call and skips a step whose component is missing;
// tests stand in for any single operation.
//
// User-interface thread only.
#include <windows.h>
#include "credentials.h"
#include "service_reply.h"
#include "stringx.h"
#include "system_registry.h"

class login_manager;
class option_home;
class option_targets;
class player_window_service;
struct pc_identity;

class startup_services {
public:
    virtual ~startup_services() = default;

    // --- the platform ---
    // DirectSound's entries (count_sound_devices).
    virtual int sound_device_count() = 0;
    // A message box with the caption "VOLQUIN 플레이어"; the button chosen.
    virtual int message_box(HWND owner, const wchar_t* text, UINT type) = 0;
    // Opens a page of the service in Internet Explorer.
    virtual void open_page(const wchar_t* url) = 0;
    // Where the credentials and the Run value live.
    virtual credential_key credentials() = 0;
    virtual run_keys run_value_keys() = 0;
    // The application-data folder (no trailing "\").
    virtual stringx app_data_folder() = 0;
    // The INI file's home for the options.
    virtual option_home& ini() = 0;
    // The module whose templates and images the windows use (zel_ui).
    virtual HINSTANCE ui_module() = 0;
    // The PC identity (collected once, at start).
    virtual pc_identity collect_pc_identity(HINSTANCE host) = 0;
    // The automatic login of a known PC: rux_player_state.php with the PC
    // group.
    virtual service_reply post_pc_login(const pc_identity& pc) = 0;

    // --- the components ---
    virtual login_manager& login() = 0;
    // Where the option loads send their values.
    virtual option_targets& targets() = 0;
    // The main window's service; null when none is registered.
    virtual player_window_service* player_window() = 0;

    // The launcher link of multi-instance play (false and nothing done when
    // no launcher link is registered).
    virtual bool has_launcher_link() = 0;
    virtual bool launcher_connect(stringx& id, stringx& password, int& device) = 0;
    virtual bool launcher_is_connected() = 0;
    virtual void launcher_add_window(HWND window) = 0;
    virtual void launcher_report(const wchar_t* text) = 0;
    virtual bool launcher_started() = 0;

    // The equalizer's eleven values (preamplifier first); false without an
    // equalizer.
    virtual bool equalizer_bands(double (&values)[11]) = 0;
    virtual void set_equalizer_bands(const double (&values)[11]) = 0;

    // init_quit::on_ui_ready on every registered object.
    virtual void tell_ui_ready() = 0;
    // system_tray::show(false) on the first tray service.
    virtual void hide_tray_icon() = 0;
    // set_system_sounds(false): the event sounds are silent while the player runs.
    virtual void silence_system_sounds() = 0;
    // Whether the announcement player is playing.
    virtual bool announcement_playing() = 0;
    // login_listener::on_login(true) on every registered object.
    virtual void tell_login_listeners() = 0;
    // A line of the announcement log.
    virtual void write_anne_log(const wchar_t* text) = 0;
};

// The player's own.
class registry_startup_services : public startup_services {
public:
    // ui gives the module of zel_ui (its templates and images), known once
    // the library is loaded.
    explicit registry_startup_services(HINSTANCE (*ui)());
    ~registry_startup_services() override;
    registry_startup_services(const registry_startup_services&) = delete;
    registry_startup_services& operator=(const registry_startup_services&) = delete;

    int sound_device_count() override;
    int message_box(HWND owner, const wchar_t* text, UINT type) override;
    void open_page(const wchar_t* url) override;
    credential_key credentials() override { return credential_key(); }
    run_keys run_value_keys() override { return run_keys(); }
    stringx app_data_folder() override;
    option_home& ini() override;
    HINSTANCE ui_module() override;
    pc_identity collect_pc_identity(HINSTANCE host) override;
    service_reply post_pc_login(const pc_identity& pc) override;
    login_manager& login() override;
    option_targets& targets() override;
    player_window_service* player_window() override;
    bool has_launcher_link() override;
    bool launcher_connect(stringx& id, stringx& password, int& device) override;
    bool launcher_is_connected() override;
    void launcher_add_window(HWND window) override;
    void launcher_report(const wchar_t* text) override;
    bool launcher_started() override;
    bool equalizer_bands(double (&values)[11]) override;
    void set_equalizer_bands(const double (&values)[11]) override;
    void tell_ui_ready() override;
    void hide_tray_icon() override;
    void silence_system_sounds() override;
    bool announcement_playing() override;
    void tell_login_listeners() override;
    void write_anne_log(const wchar_t* text) override;

private:
    option_home* ini_;
    HINSTANCE (*ui_)();
};

// The caption of every message box of the player.
extern const wchar_t k_player_caption[];
