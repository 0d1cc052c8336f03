#pragma once
// settings_dialog: "환경 설정" (template 109), the modal dialog over the
// player options: login and start options, the channel played at start,
// the skin colour, download limit and packet retry, normalisation,
// playback priority, output type, sound device and output buffer, window
// options, and the request of a PC authentication code. OK checks the three
// numbers, stores and applies the options and ends with 1; Cancel or
// closing ends with 2 and changes nothing.
//
// Everything beyond the options block is reached through
// settings_dialog_host, so that tests can stand in for the service, the
// registry, the sound devices and the message boxes.
#include <windows.h>

#include <utility>
#include <vector>

#include "dialog.h"
#include "stringx.h"

class option_home;
class option_targets;

class settings_dialog_host {
public:
    virtual ~settings_dialog_host() = default;
    // The launcher link learns the window (so that the launcher can hide it).
    virtual void register_window(HWND window);
    virtual bool logged_in();
    virtual bool internet_connected();
    // The channels of the list "auto": title and channel id.
    virtual std::vector<std::pair<stringx, int>> auto_channels();
    // The output component's device names for the output type.
    virtual std::vector<stringx> devices(int output_type);
    // The instance registry: whether there is one, whether another instance
    // plays on the device, and this instance's device.
    virtual bool has_instance_registry();
    virtual bool device_in_use(int device);
    virtual void set_device(int device);
    // A message box (caption "VOLQUIN 플레이어") with the icon (MB_ICON...).
    virtual void message(HWND owner, const wchar_t* text, UINT icon);
    virtual option_home& ini();
    virtual option_home& store();
    virtual option_targets& targets();
    // The main window's normalisation lamp.
    virtual void show_norm_lamp(bool on);
    // The login's id and password; false when nobody is logged in.
    virtual bool login_credentials(stringx& id, stringx& password);
    virtual void store_credentials(const stringx& id, const stringx& password);
    virtual void forget_credentials();
    // The Run value follows auto_start; 0 done, negative failed.
    virtual int apply_auto_start(bool on);
    // The key of the first channel category (from the second one on) whose
    // list holds the channel; "" when none does.
    virtual stringx channel_list_of(int channel_id);
    // Every skin listener learns the new skin number.
    virtual void skin_changed(int skin);
    virtual unsigned tick_count();
    // Posts the PC authentication request; the reply text ("" without one).
    virtual stringx request_pc_auth();
    virtual void write_log(const wchar_t* line);
};

// The time before which a new PC authentication request is refused, for the
// whole process. The comparison survives the tick count's wrap after 49.7
// days.
class pc_auth_guard {
public:
    // True (and the next 60 s are taken) when no request was made in the
    // last 60 seconds.
    bool try_start(unsigned now);
    void clear() { armed_ = false; }

private:
    bool armed_ = false;
    unsigned until_ = 0;
};
pc_auth_guard& module_pc_auth_guard();

class settings_dialog : public dialog {
public:
    // host: not owned.
    explicit settings_dialog(settings_dialog_host& host);

    // 1 (stored) or 2 (cancelled).
    int modal(HWND owner);
    LRESULT dialog_proc(UINT message, WPARAM wparam, LPARAM lparam) override;

    // OK: checks, stores and applies; false keeps the dialog open.
    bool apply();
    void request_pc_auth_code();

private:
    void on_init();
    void fill_channels();
    void fill_devices(int output_type, bool marks);
    int selected(int id);
    bool checked(int id);
    void check(int id, bool on);

    settings_dialog_host& host_;
};

// The host over the registered components and the player's own services.
settings_dialog_host& default_settings_host();
