#pragma once
// login_dialog: "로그인", the skinned modal dialog (template 102, face PNG
// 104, default logo PNG 189) that asks for the user id and password when the
// start-up cannot log in by itself. It shows three checks for the login
// options (password saving, automatic login, start with Windows), a login
// and a close button and four links to pages of the service.
//
// The start-up fills user_id, password and saved_password before modal().
// With a saved password the password edit is hidden behind a masked field
// ("*****"); an empty password then logs in with the saved one.
//
// modal() answers 1 after a successful login (the dialog has then stored
// the checks and the id, refreshed the logos, told the login listeners and
// cleared the music cache when the service turned it off) and 2 when the
// user gave up: the close button (or Escape) stores the checks, the
// window's close command stores nothing.
#include <windows.h>
#include <memory>
#include "dialog.h"
#include "stringx.h"

class skin;
class startup_services;

class login_dialog : public dialog {
public:
    enum {
        template_id = 102,
        face_png = 104,
        logo_png = 189,
        id_edit = 1000,
        password_edit = 1001,
        masked_field = 1057,
        link_first = 101,  // to 104: "rux/loginpage.php?mode=1" to "mode=4"
        check_password_save = 105,
        check_auto_login = 106,
        check_auto_start = 107,
    };

    explicit login_dialog(startup_services& services);
    ~login_dialog() override;

    // Runs the dialog modally over owner: 1 logged in, 2 given up.
    int modal(HWND owner);
    LRESULT dialog_proc(UINT message, WPARAM wparam, LPARAM lparam) override;

    stringx user_id;
    stringx password;
    stringx saved_password;

    // The skin while the dialog is up (tests read its checks).
    skin* get_skin() const { return skin_.get(); }

private:
    void on_init();
    bool login();
    void store_checks();
    void on_destroy();
    bool checked(unsigned id) const;
    void build_skin();

    startup_services& services_;
    std::unique_ptr<skin> skin_;
};
