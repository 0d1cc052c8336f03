#pragma once
// The launcher link of zel_addv2 (interface: core/launcher_link.h).
//
// Under the launcher the player's registered windows cannot be shown by
// anything but the launcher's show message, and their close commands hide
// the player instead of ending it; only the launcher's quit message ends it.
// Texts of several fields travel joined and split by launcher_fields.h.
#include <windows.h>

#include <set>
#include <string>

#include "launcher_host.h"
#include "launcher_link.h"
#include "sound_devices.h"
#include "subclass.h"
#include "timer.h"
#include "window.h"

class launcher_link_impl;

// Brings the window to the foreground, working around the foreground lock.
void bring_to_front(HWND window);

// The window classes by which the link and the launcher find each other.
struct launcher_names {
    std::wstring launcher_class = L"ZELMultiWindow";
    std::wstring client_class = L"ZELMultiClient";
};

// Attached to each registered window: blocks showing while the player is
// hidden and turns the close commands into hiding.
class launcher_window_hook : public subclass {
public:
    launcher_window_hook(launcher_link_impl& link, std::set<launcher_window_hook*>& windows, bool& shown)
        : link_(link), windows_(windows), shown_(shown) {}
    void on_subclass() override;
    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override;

private:
    launcher_link_impl& link_;
    std::set<launcher_window_hook*>& windows_;
    bool& shown_;
};

class launcher_link_impl : public singleton_component<launcher_link> {
public:
    launcher_link_impl();
    launcher_link_impl(const launcher_names& names, launcher_host& host, sound_device_table& devices);
    ~launcher_link_impl();

    bool start_launcher(const wchar_t* id, const wchar_t* password, const wchar_t* ids) override;
    bool connect(const wchar_t** id, const wchar_t** password, int* device) override;
    bool is_connected() override { return connected_; }
    bool launcher_started() override { return launcher_started_; }
    bool report_message(const wchar_t* text) override;
    void add_window(HWND window) override;
    void hide_windows() override;

    // The close hook (the main window is being destroyed): leaves the
    // launcher and destroys the client window.
    void on_ui_closing();
    // The channel listener: tells the launcher the new title.
    void on_channel_changed(const wchar_t* title);

    // The module whose handle the client window is created with (zel_addv2's
    // own); null keeps core::get_instance.
    void set_module_source(HINSTANCE (*source)()) { module_source_ = source; }
    // The folder searched for zel_mtplayer.exe; by default the host
    // program's folder.
    void set_program_folder(const std::wstring& folder) { program_folder_ = folder; }
    // What brings the main window to the front when the launcher shows the
    // player (bring_to_front by default).
    void set_front_function(void (*front)(HWND)) { front_ = front; }

    HWND client_window() const { return client_.get_hwnd(); }
    const std::wstring& store_name() const { return name_; }
    int device() const { return device_; }
    bool shown() const { return shown_; }
    launcher_host& host() { return host_; }

private:
    friend class launcher_window_hook;

    class client_window_t : public window {
    public:
        explicit client_window_t(launcher_link_impl& link) : link_(link) {}
        LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override;

    private:
        launcher_link_impl& link_;
    };
    class report_timer_t : public timer {
    public:
        explicit report_timer_t(launcher_link_impl& link) : link_(link) {}
        void tick() override { link_.report_timer(); }

    private:
        launcher_link_impl& link_;
    };

    LRESULT client_window_proc(UINT msg, WPARAM wparam, LPARAM lparam);
    void on_copydata(ULONG_PTR code, const std::wstring& text);
    void report_timer();
    // Sends to the launcher's window, looked up anew; 0 when it is gone.
    LRESULT send(ULONG_PTR code, const std::wstring& text);
    HWND launcher_window();
    std::wstring pid_text() const;
    // After the launcher took this player's quit: forget the account and
    // close the main window.
    void left();
    void leave();
    void show_windows(bool show);

    launcher_names names_;
    launcher_host& host_;
    sound_device_table& devices_;
    HINSTANCE (*module_source_)() = nullptr;
    std::wstring program_folder_;
    void (*front_)(HWND);

    client_window_t client_;
    report_timer_t report_timer_;
    bool connected_ = false;
    bool launcher_started_ = false;
    std::wstring id_;
    std::wstring password_;
    std::wstring name_;
    int device_ = -1;
    bool shown_ = false;
    bool playing_ = false;
    std::set<launcher_window_hook*> windows_;
};
