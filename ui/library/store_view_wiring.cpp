// The store view's services over the running player.
#include "store_view_wiring.h"

#include <shellapi.h>

#include "core.h"
#include "login_manager.h"
#include "main_ui.h"
#include "service_client.h"
#include "service_host.h"
#include "store_view_page.h"
#include "timex.h"

namespace {

std::wstring w(const stringx& s) { return s.wvalue() ? s.wvalue() : L""; }

login_manager* logged() {
    login_manager* login = get_login_manager();
    return login && login->is_logged_in() ? login : nullptr;
}

}  // namespace

std::vector<store_record>& player_store_view_services::records() {
    store_manager* stores = get_store_manager();
    return stores ? stores->get_list() : none_;
}

std::wstring player_store_view_services::user_id() {
    login_manager* login = get_login_manager();
    if (!login) return L"";
    stringx id, password;
    login->get_credentials(id, password);
    return w(id);
}

std::wstring player_store_view_services::usertype() {
    login_manager* login = logged();
    return login ? w(login->get_store_info().usertype) : std::wstring();
}

int player_store_view_services::user_level() {
    login_manager* login = get_login_manager();
    return login ? login->get_user_level() : -1;
}

std::wstring player_store_view_services::current_channel_title() {
    service_client* client = get_service_client();
    channel_record* channel = client ? client->current_channel() : nullptr;
    return channel ? w(channel->title) : std::wstring();
}

bool player_store_view_services::expanded() {
    bool on = false;
    if (component* c = core::enum_create_component(main_ui::iid, 0)) {
        on = static_cast<main_ui*>(c)->expanded();
        c->release();
    }
    return on;
}

SYSTEMTIME player_store_view_services::now() {
    SYSTEMTIME st = {};
    if (!timex().get_system_time(st)) GetLocalTime(&st);
    return st;
}

std::wstring player_store_view_services::web_server() { return L"http://" + w(service_host::web_host()) + L"/"; }

void player_store_view_services::shell_open(const std::wstring& address) {
    ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void player_store_view_services::message_box(HWND owner, const std::wstring& text) {
    MessageBoxW(owner, text.c_str(), L"VOLQUIN 플레이어", MB_OK);
}

int player_store_view_services::run_note_dialog(HWND owner, bool group, const std::wstring& store_name) {
    send_note_dialog note(group, store_name);
    return note.modal(103, owner);
}
