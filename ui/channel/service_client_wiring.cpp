// The player's service client: its services are the login manager (store
// and credentials), the options block (PC identity, volumes,
// `channel_title`), the log service and the main window's timed boxes.
#include <cstdlib>
#include <string>
#include "core.h"
#include "kept_track_lines.h"
#include "log_service.h"
#include "login_manager.h"
#include "main_ui.h"
#include "player_options.h"
#include "report_identity.h"
#include "service_client.h"
#include "service_client_services.h"
#include "service_link.h"
#include "service_notice.h"
#include "timed_message_box.h"
#include "utility.h"

namespace {

template <class Interface, class Fn>
void with_first(Fn fn) {
    component* c = core::enum_create_component(Interface::iid, 0);
    if (!c) return;
    fn(static_cast<Interface*>(c));
    c->release();
}

class player_service_client_services : public service_client_services {
public:
    bool logged_in() override { return get_login_manager()->is_logged_in(); }

    request_identity identity() override { return current_request_identity(); }

    void write_log(const wchar_t* text) override {
        with_first<log_service>([&](log_service* log) { log->write_log(text); });
    }
    void write_anne_log(const wchar_t* text) override {
        with_first<log_service>([&](log_service* log) { log->write_anne_log(text); });
    }

    void show_timed_box(const wchar_t* text) override {
        HWND owner = nullptr;
        with_first<main_ui>([&](main_ui* ui) { owner = ui->main_window(); });
        show_timed_message_box(owner, text);
    }
    void show_notice(const service_reply& reply) override { show_server_notice(reply); }

    void set_channel_title(const wchar_t* title) override { get_player_options().channel_title = title; }
    stringx channel_title() override { return get_player_options().channel_title; }

    service_link* link() override { return &get_player_service_link(); }

    // "<application data>\channel_tracks.txt".
    void keep_track_lines(int chkey, const std::vector<stringx>& lines) override {
        wchar_t* folder = core::get_appdata_path();
        if (folder && *folder) utility::check_directory(folder);
        free(folder);
        write_kept_track_lines(kept_lines_path().c_str(), chkey, lines);
    }
    std::vector<stringx> kept_track_lines(int chkey) override {
        return read_kept_track_lines(kept_lines_path().c_str(), chkey);
    }

private:
    static std::wstring kept_lines_path() {
        wchar_t* folder = core::get_appdata_path();
        std::wstring path = folder && *folder ? std::wstring(folder) + L"\\channel_tracks.txt" : std::wstring();
        free(folder);
        return path;
    }
};

}  // namespace

service_client* get_service_client() {
    static player_service_client_services services;
    static service_client client(services);
    return &client;
}
