#pragma once
// main_window_host: the system around the main window that is not a window
// of its own: the user-interface service's expanded mode, the window
// docker, the launcher link, the logs, the channel broadcast, the modules'
// closing hook, the equalizer's state, the tray icon and the home page.
// system_main_window_host reaches the registered services (a missing one
// skips its step); tests put a recorder in its place.
#include <windows.h>

#include "stringx.h"

class main_window_host {
public:
    virtual ~main_window_host() = default;

    virtual bool expanded() = 0;
    // main_ui::set_expanded: sends msg_expanded_mode to the windows.
    virtual void set_expanded(bool on) = 0;

    virtual void docker_add(HWND window) = 0;
    virtual void docker_remove(HWND window) = 0;
    virtual void docker_always_on_top(bool on) = 0;
    // launcher_link::add_window when a launcher link is registered.
    virtual void launcher_add_window(HWND window) = 0;

    virtual void write_log(const wchar_t* line) = 0;
    virtual void write_anne_log(const wchar_t* line) = 0;
    virtual void write_played_log(const wchar_t* line) = 0;

    // channel_changed_event::on_channel_changed on every listener.
    virtual void channel_changed(const stringx& title) = 0;
    // init_quit::on_ui_closing on every registered object.
    virtual void ui_closing() = 0;
    // The equalizer's on state; -1 without an equalizer service.
    virtual int equalizer_enabled() = 0;

    virtual void add_tray_icon(HWND main) = 0;
    virtual void remove_tray_icon(HWND main) = 0;
    // The taskbar button of the main window while it sits in the tray.
    virtual void taskbar_tab(HWND main, bool shown) = 0;
    // Gives the Windows event sounds, parked while the player runs, back.
    virtual void give_back_system_sounds() = 0;
    // Releases the COM objects the host holds (the taskbar list); the main
    // window calls it as it ends, before it shuts COM down on its thread.
    virtual void release_shell_objects() = 0;
    // The service's home page in the browser.
    virtual void open_home_page() = 0;
};

// The registered services of the player; the tray icon comes from the
// resources of core::get_instance() (icon group 228).
class system_main_window_host : public main_window_host {
public:
    system_main_window_host();
    ~system_main_window_host() override;
    bool expanded() override;
    void set_expanded(bool on) override;
    void docker_add(HWND window) override;
    void docker_remove(HWND window) override;
    void docker_always_on_top(bool on) override;
    void launcher_add_window(HWND window) override;
    void write_log(const wchar_t* line) override;
    void write_anne_log(const wchar_t* line) override;
    void write_played_log(const wchar_t* line) override;
    void channel_changed(const stringx& title) override;
    void ui_closing() override;
    int equalizer_enabled() override;
    void add_tray_icon(HWND main) override;
    void remove_tray_icon(HWND main) override;
    void taskbar_tab(HWND main, bool shown) override;
    void give_back_system_sounds() override;
    void release_shell_objects() override;
    void open_home_page() override;

private:
    struct ITaskbarList* taskbar_;
};

// The address a click on the logo opens.
extern const wchar_t home_page_address[];
