// The settings dialog's host over the player's components: see
// settings_dialog.h. The channel lists are the service client's
// (get_service_client), the categories the login manager's, and a skin
// change goes to every registered skin listener.
#include <windows.h>
#include "request_worker.h"
#include <wininet.h>

#include "core.h"
#include "instance_registry.h"
#include "launcher_link.h"
#include "log_service.h"
#include "login_manager.h"
#include "main_window_lamps.h"
#include "component_option_targets.h"
#include "output.h"
#include "player_options.h"
#include "report_identity.h"
#include "service_client.h"
#include "service_requests.h"
#include "settings_dialog.h"
#include "skin_listener.h"
#include "credentials.h"
#include "system_registry.h"
#include "utf.h"

namespace {

template <class Interface>
Interface* registered() {
    return static_cast<Interface*>(core::enum_create_component(Interface::iid, 0));
}

}  // namespace

void settings_dialog_host::register_window(HWND window) {
    if (launcher_link* link = registered<launcher_link>()) {
        link->add_window(window);
        link->release();
    }
}

bool settings_dialog_host::logged_in() {
    login_manager* login = get_login_manager();
    return login && login->is_logged_in();
}

bool settings_dialog_host::internet_connected() {
    DWORD flags = 0;
    return InternetGetConnectedState(&flags, 0) != FALSE;
}

// The list "auto" replaces the service client's live channel list; the
// windows that open the dialog keep theirs with save_channel_state.
std::vector<std::pair<stringx, int>> settings_dialog_host::auto_channels() {
    std::vector<channel_record> channels;
    get_service_client()->get_channel_list(stringx(L"auto"), channels);
    std::vector<std::pair<stringx, int>> items;
    for (const channel_record& c : channels) items.emplace_back(c.title, c.id);
    return items;
}

std::vector<stringx> settings_dialog_host::devices(int output_type) {
    std::vector<stringx> names;
    if (output_manager* output = registered<output_manager>()) {
        output->devices(output_type, names);
        output->release();
    }
    return names;
}

bool settings_dialog_host::has_instance_registry() {
    instance_registry* registry = registered<instance_registry>();
    if (registry)
        registry->release();
    return registry != nullptr;
}

bool settings_dialog_host::device_in_use(int device) {
    instance_registry* registry = registered<instance_registry>();
    if (!registry)
        return false;
    const bool in_use = registry->device_in_use(device);
    registry->release();
    return in_use;
}

void settings_dialog_host::set_device(int device) {
    if (instance_registry* registry = registered<instance_registry>()) {
        registry->set_device(device);
        registry->release();
    }
}

void settings_dialog_host::message(HWND owner, const wchar_t* text, UINT icon) {
    MessageBoxW(owner, text, L"VOLQUIN 플레이어", MB_OK | icon);
}

option_home& settings_dialog_host::ini() {
    static ini_home home;
    return home;
}

option_home& settings_dialog_host::store() {
    static store_home home;
    return home;
}

option_targets& settings_dialog_host::targets() { return component_option_targets::instance(); }

void settings_dialog_host::show_norm_lamp(bool on) { show_main_window_norm_lamp(on); }

bool settings_dialog_host::login_credentials(stringx& id, stringx& password) {
    if (!logged_in())
        return false;
    get_login_manager()->get_credentials(id, password);
    return true;
}

void settings_dialog_host::store_credentials(const stringx& id, const stringx& password) {
    write_credential(true, id);
    write_credential(false, password);
}

void settings_dialog_host::forget_credentials() { delete_caption_value(); }

int settings_dialog_host::apply_auto_start(bool on) {
    wchar_t path[MAX_PATH * 2] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    return ::apply_auto_start(on, path);
}

// The categories from the second one on that have a key, in order; each
// list is asked for afresh (check_channels), which leaves the service
// client's live list alone.
stringx settings_dialog_host::channel_list_of(int channel_id) {
    login_manager* login = get_login_manager();
    if (!login || !login->is_logged_in()) return stringx(L"");
    const std::vector<category_record> categories = login->get_categories(0);
    for (size_t i = 1; i < categories.size(); ++i) {
        const stringx& key = categories[i].key;
        if (key.length() == 0) continue;
        std::vector<channel_record> channels;
        get_service_client()->check_channels(key, channels);
        for (const channel_record& c : channels)
            if (c.id == channel_id) return key;
    }
    return stringx(L"");
}

void settings_dialog_host::skin_changed(int skin) {
    for_each_component<skin_listener>([skin](skin_listener* listener) { listener->on_skin(skin); });
}

unsigned settings_dialog_host::tick_count() { return GetTickCount(); }

stringx settings_dialog_host::request_pc_auth() {
    const service_reply reply = send_answering(pc_auth_request(current_request_identity()));
    return utf::ansi_to_utf16(reply.raw().c_str());
}

void settings_dialog_host::write_log(const wchar_t* line) {
    if (log_service* log = registered<log_service>()) {
        log->write_log(line);
        log->release();
    }
}

settings_dialog_host& default_settings_host() {
    static settings_dialog_host host;
    return host;
}
