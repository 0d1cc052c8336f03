#pragma once
// launcher_window: the launcher's only window (dialog 102, class
// "ZELMultiWindow"): the skinned frame with the store logo, the store rows,
// the clock in the service's time and the version; players and the
// installer find it by its class, and the players' WM_COPYDATA messages
// arrive here. Closing it saves the settings and the account's credentials,
// and its rows stop every running player.
//
// Placement at start: the saved rectangle (back to the work area's
// bottom-right corner when its centre lies outside the work area), or the
// bottom-right corner of the work area, 100 pixels taller from two stores.
#include <windows.h>

#include <string>

#include "device_row_list.h"
#include "dialog_base.h"
#include "launcher_settings.h"
#include "launcher_skin.h"

class launcher_window : public dialog_base {
public:
    static constexpr const wchar_t* class_name = L"ZELMultiWindow";
    static constexpr unsigned template_id = 102;
    static constexpr unsigned logo_id = 1005;

    launcher_window();
    ~launcher_window() override;

    // Registers "ZELMultiWindow" as a copy of the dialog class in module.
    static bool register_class(HINSTANCE module);

    // One key=value argument of the command line (id, pw, time, ids, dev).
    void parse_argument(const std::wstring& argument);
    // Places the logo, the captions and the rows for the client size.
    void layout();

    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override;

    launcher_skin& frame() { return skin_; }
    device_row_list& rows() { return rows_; }

    std::wstring account_id, account_password, default_device;
    int row_count = 0;

    // Where the settings are read and written; the default file unless set
    // before the window is made.
    std::wstring settings_path;
    std::wstring logo_path;
    credential_key credentials;
    // Whether its end posts the quit message that ends the program.
    bool quit_on_destroy = true;

protected:
    // Asks whether the players are to be ended; true for yes.
    virtual bool confirm_close();
    void on_init_dialog();
    void place(const RECT& saved);
    void update_clock();
    void save_settings();
    LRESULT on_copydata(HWND from, const COPYDATASTRUCT* data);

private:
    launcher_skin skin_;
    RECT previous_client_;
    RECT initial_client_;
    device_row_list rows_;
};
