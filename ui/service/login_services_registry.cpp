// The login's services as the player has them: each looked up in the
// component registry at every call, a missing one skipped.
#include "config_var.h"
#include "config_var2.h"
#include "core.h"
#include "instance_registry.h"
#include "launcher_link.h"
#include "log_service.h"
#include "log_writer.h"
#include "login_services.h"
#include "net_options.h"
#include "output.h"
#include "play_manager.h"
#include "playback_settings.h"
#include "settings_store.h"
#include "track_cache.h"

namespace {

// Calls fn with the service registered first under Interface, if any.
template <class Interface, class Fn>
void with_service(Fn fn) {
    component* c = core::enum_create_component(Interface::iid, 0);
    if (!c) return;
    fn(static_cast<Interface*>(c));
    c->release();
}

}  // namespace

bool registry_login_services::has_settings_store() {
    bool found = false;
    with_service<settings_store>([&](settings_store*) { found = true; });
    return found;
}

void registry_login_services::set_store_user(const wchar_t* user) {
    with_service<settings_store>([&](settings_store* store) { store->set_user(user); });
}

stringx registry_login_services::store_read(const wchar_t* section, const wchar_t* key) {
    return config_var2().read(section, key);
}

void registry_login_services::store_write(const wchar_t* section, const wchar_t* key, const wchar_t* value) {
    config_var2().write(section, key, value);
}

stringx registry_login_services::ini_read(const wchar_t* section, const wchar_t* key) {
    return config_var().read(section, key);
}

void registry_login_services::ini_write(const wchar_t* section, const wchar_t* key, const wchar_t* value) {
    config_var().write(section, key, value);
}

int registry_login_services::output_device_count(int output_type) {
    int count = 0;
    with_service<output_manager>([&](output_manager* outputs) {
        std::vector<stringx> names;
        outputs->devices(output_type, names);
        count = static_cast<int>(names.size());
    });
    return count;
}

void registry_login_services::select_output(int output_type, int device) {
    with_service<output_manager>([&](output_manager* outputs) { outputs->select(output_type, device); });
}

void registry_login_services::set_output_buffer(int ms) {
    with_service<output_manager>([&](output_manager* outputs) { outputs->set_buffer_ms(ms); });
}

void registry_login_services::set_normalize(bool enabled, int scale) {
    with_service<playback_settings>([&](playback_settings* s) { s->set_normalize(enabled, scale); });
}

void registry_login_services::set_playback_priority(int priority) {
    with_service<playback_settings>([&](playback_settings* s) { s->set_priority(priority); });
}

void registry_login_services::set_packet_retry(bool on) {
    for_each_component<net_options>([&](net_options* n) { n->set_packet_retry(on); });
}

void registry_login_services::set_linger_ms(int ms) {
    for_each_component<net_options>([&](net_options* n) { n->set_linger_ms(ms); });
}

void registry_login_services::set_played_log(bool on) {
    with_service<log_service>([&](log_service* log) {
        if (log_writer* writer = dynamic_cast<log_writer*>(log)) writer->set_played_info(on);
    });
}

void registry_login_services::set_rate_limit(int bytes_per_second) {
    with_service<track_cache>([&](track_cache* cache) { cache->set_rate_limit(bytes_per_second); });
}

void registry_login_services::set_cache_limits(int first, int music_files, int info_files) {
    with_service<track_cache>([&](track_cache* cache) { cache->set_limits(first, music_files, info_files); });
}

void registry_login_services::set_play_mode(int mode) {
    if (play_manager* music = core::get_player(true)) music->set_play_mode(mode);
}

void registry_login_services::set_music_volume(unsigned volume) {
    if (play_manager* music = core::get_player(true)) music->set_volume(volume);
}

void registry_login_services::set_music_mute(bool mute) {
    if (play_manager* music = core::get_player(true)) music->set_mute(mute);
}

namespace {
void (*g_reservation_configurer)(const wchar_t*, bool, int) = nullptr;
}  // namespace

void set_reservation_configurer(void (*configure)(const wchar_t*, bool, int)) { g_reservation_configurer = configure; }

void registry_login_services::configure_reservation(const wchar_t* loginno, bool enabled, int seconds) {
    if (g_reservation_configurer) g_reservation_configurer(loginno, enabled, seconds);
}

void registry_login_services::write_log(const wchar_t* text) {
    with_service<log_service>([&](log_service* log) { log->write_log(text); });
}

namespace {
instance_registry* instances() {
    return static_cast<instance_registry*>(core::enum_create_component(instance_registry::iid, 0));
}
launcher_link* launcher() {
    return static_cast<launcher_link*>(core::enum_create_component(launcher_link::iid, 0));
}
}  // namespace

bool registry_login_services::user_in_use(const wchar_t* user) {
    instance_registry* r = instances();
    return r && r->is_registered(user);
}

bool registry_login_services::device_in_use(int device) {
    instance_registry* r = instances();
    return r && r->device_in_use(device);
}

void registry_login_services::register_instance(const wchar_t* user, int device) {
    if (instance_registry* r = instances()) r->register_user(user, device);
}

bool registry_login_services::launcher_connected() {
    launcher_link* l = launcher();
    return l && l->is_connected();
}

bool registry_login_services::start_launcher(const wchar_t* user, const wchar_t* password, const wchar_t* stores) {
    launcher_link* l = launcher();
    return l && l->start_launcher(user, password, stores);
}
