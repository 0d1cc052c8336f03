#pragma once
// store_view_services: what the store view reaches outside itself: the store
// list, the logged-in store, the main window's mode, the clock, the shell
// and the note dialog. The running player sets the real ones; tests set
// fakes. Without any set the page shows an empty list and acts on nothing.
// User-interface thread only.
#include <windows.h>

#include <string>
#include <vector>

#include "store_manager.h"

class store_view_services {
public:
    virtual ~store_view_services() = default;

    // The store manager's list (the page may write a channel title into it).
    virtual std::vector<store_record>& records() = 0;
    // The logged-in store's user id, usertype and user level.
    virtual std::wstring user_id() = 0;
    virtual std::wstring usertype() = 0;
    virtual int user_level() = 0;
    // The title of the channel playing now.
    virtual std::wstring current_channel_title() = 0;
    // The main window's expanded mode.
    virtual bool expanded() = 0;
    // Local time now, with the server's clock offset.
    virtual SYSTEMTIME now() = 0;
    // The service web server's base address, such as "http://host/".
    virtual std::wstring web_server() = 0;
    // Opens an address with the shell ("open", SW_SHOWNORMAL).
    virtual void shell_open(const std::wstring& address) = 0;
    // A message box with the player's caption and an OK button.
    virtual void message_box(HWND owner, const std::wstring& text) = 0;
    // Runs the note dialog (resource 103) modally over owner: to the
    // selected stores (group) or to the named store. 1 after a sent text,
    // 2 after a cancel.
    virtual int run_note_dialog(HWND owner, bool group, const std::wstring& store_name) = 0;
};

// The services every store view uses; null clears them.
void set_store_view_services(store_view_services* services);
store_view_services* get_store_view_services();
