#pragma once
// The store view's services over the running player: the store manager's
// list, the login, the main window's mode, the server clock, the shell and
// the note dialog.
#include "store_view_services.h"

class player_store_view_services : public store_view_services {
public:
    std::vector<store_record>& records() override;
    std::wstring user_id() override;
    std::wstring usertype() override;
    int user_level() override;
    std::wstring current_channel_title() override;
    bool expanded() override;
    SYSTEMTIME now() override;
    std::wstring web_server() override;
    void shell_open(const std::wstring& address) override;
    void message_box(HWND owner, const std::wstring& text) override;
    int run_note_dialog(HWND owner, bool group, const std::wstring& store_name) override;

private:
    std::vector<store_record> none_;
};
