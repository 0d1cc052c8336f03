// The start-up's services as the player has them: the platform's calls and
// the registered components, each looked up at every call.
#include "startup_services.h"
#include <shellapi.h>
#include <cstdlib>
#include "core.h"
#include "equalizer.h"
#include "init_quit.h"
#include "launcher_link.h"
#include "log_service.h"
#include "login_listener.h"
#include "login_manager.h"
#include "request_worker.h"
#include "component_option_targets.h"
#include "pc_identity.h"
#include "play_manager.h"
#include "player_options.h"
#include "player_window_service.h"
#include "service_requests.h"
#include "system_tray.h"

const wchar_t k_player_caption[] = L"VOLQUIN 플레이어";

namespace {
// The first object registered under Interface, or null. Singletons: no
// release needed, but released all the same as the registry asks.
template <class Interface, class Fn>
bool with_first(Fn fn) {
    component* c = core::enum_create_component(Interface::iid, 0);
    if (!c) return false;
    fn(static_cast<Interface*>(c));
    c->release();
    return true;
}
}  // namespace

registry_startup_services::registry_startup_services(HINSTANCE (*ui)()) : ini_(nullptr), ui_(ui) {}
registry_startup_services::~registry_startup_services() { delete ini_; }

int registry_startup_services::sound_device_count() { return count_sound_devices(); }

int registry_startup_services::message_box(HWND owner, const wchar_t* text, UINT type) {
    return MessageBoxW(owner, text, k_player_caption, type);
}

void registry_startup_services::open_page(const wchar_t* url) {
    ShellExecuteW(nullptr, L"open", L"iexplore", url, nullptr, SW_SHOWNORMAL);
}

stringx registry_startup_services::app_data_folder() {
    wchar_t* path = core::get_appdata_path();
    stringx folder(path);
    free(path);
    return folder;
}

// Made at the first use, not while the library loads.
option_home& registry_startup_services::ini() {
    if (!ini_) ini_ = new ini_home();
    return *ini_;
}
HINSTANCE registry_startup_services::ui_module() { return ui_(); }

pc_identity registry_startup_services::collect_pc_identity(HINSTANCE host) { return pc_identity::collect(host); }

service_reply registry_startup_services::post_pc_login(const pc_identity& pc) {
    return send_answering(pc_login_request(pc));
}

login_manager& registry_startup_services::login() { return *get_login_manager(); }
option_targets& registry_startup_services::targets() { return component_option_targets::instance(); }

player_window_service* registry_startup_services::player_window() {
    return static_cast<player_window_service*>(core::enum_create_component(player_window_service::iid, 0));
}

bool registry_startup_services::has_launcher_link() {
    return with_first<launcher_link>([](launcher_link*) {});
}

bool registry_startup_services::launcher_connect(stringx& id, stringx& password, int& device) {
    bool ok = false;
    with_first<launcher_link>([&](launcher_link* link) {
        const wchar_t* i = nullptr;
        const wchar_t* p = nullptr;
        ok = link->connect(&i, &p, &device);
        id = i;
        password = p;
    });
    return ok;
}

bool registry_startup_services::launcher_is_connected() {
    bool connected = false;
    with_first<launcher_link>([&](launcher_link* link) { connected = link->is_connected(); });
    return connected;
}

void registry_startup_services::launcher_add_window(HWND window) {
    with_first<launcher_link>([&](launcher_link* link) { link->add_window(window); });
}

void registry_startup_services::launcher_report(const wchar_t* text) {
    with_first<launcher_link>([&](launcher_link* link) { link->report_message(text); });
}

bool registry_startup_services::launcher_started() {
    bool started = false;
    with_first<launcher_link>([&](launcher_link* link) { started = link->launcher_started(); });
    return started;
}

bool registry_startup_services::equalizer_bands(double (&values)[11]) {
    return with_first<equalizer>([&](equalizer* eq) {
        const double* bands = nullptr;
        eq->bands(&bands);
        for (int i = 0; i < 11; ++i) values[i] = bands ? bands[i] : 0.0;
    });
}

void registry_startup_services::set_equalizer_bands(const double (&values)[11]) {
    with_first<equalizer>([&](equalizer* eq) { eq->set_bands(values); });
}

void registry_startup_services::tell_ui_ready() {
    for_each_component<init_quit>([](init_quit* hooks) { hooks->on_ui_ready(); });
}

void registry_startup_services::hide_tray_icon() {
    with_first<system_tray>([](system_tray* tray) { tray->show(false); });
}

void registry_startup_services::silence_system_sounds() { park_system_sounds(); }

bool registry_startup_services::announcement_playing() {
    play_manager* player = core::get_player(false);
    return player && player->is_playing();
}

void registry_startup_services::tell_login_listeners() {
    for_each_component<login_listener>([](login_listener* listener) { listener->on_login(true); });
}

void registry_startup_services::write_anne_log(const wchar_t* text) {
    with_first<log_service>([&](log_service* log) { log->write_anne_log(text); });
}
