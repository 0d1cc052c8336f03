// The option loads' calls on the registered components.
#include "component_option_targets.h"
#include "core.h"
#include "launcher_link.h"
#include "net_options.h"
#include "output.h"
#include "play_manager.h"
#include "player_options.h"
#include "playback_settings.h"
#include "service_client.h"
#include "track_cache.h"
#include "window_docker.h"

namespace {
// The service at index 0 for one call, released afterwards; nothing when
// it is not registered (the audio output component lies outside the player).
template <class Interface, class Fn>
void with_service(Fn call) {
    component* c = core::enum_create_component(Interface::iid, 0);
    if (!c) return;
    call(static_cast<Interface*>(c));
    c->release();
}
}  // namespace

component_option_targets& component_option_targets::instance() {
    static component_option_targets targets;
    return targets;
}

bool component_option_targets::launcher_connected() {
    bool connected = false;
    with_service<launcher_link>([&](launcher_link* l) { connected = l->is_connected(); });
    return connected;
}

void component_option_targets::set_packet_retry(bool on) {
    for_each_component<net_options>([on](net_options* n) { n->set_packet_retry(on); });
}

void component_option_targets::set_output(int buffer_ms, int output_type, int device) {
    with_service<output_manager>([&](output_manager* m) {
        m->set_buffer_ms(buffer_ms);
        m->select(output_type, device);
    });
}

void component_option_targets::set_playback(bool norm, int norm_scale, int priority) {
    with_service<playback_settings>([&](playback_settings* p) {
        p->set_normalize(norm, norm_scale);
        p->set_priority(priority);
    });
}

void component_option_targets::set_rate_limit(int bytes_per_second) {
    with_service<track_cache>([bytes_per_second](track_cache* t) { t->set_rate_limit(bytes_per_second); });
}

void component_option_targets::set_play_mode(int mode) {
    if (play_manager* music = core::get_player(true)) music->set_play_mode(mode);
}

void component_option_targets::set_music_volume(unsigned volume) {
    if (play_manager* music = core::get_player(true)) music->set_volume(volume);
}

void component_option_targets::set_music_mute(bool mute) {
    if (play_manager* music = core::get_player(true)) music->set_mute(mute);
}

void component_option_targets::set_always_on_top(bool on) {
    with_service<window_docker>([on](window_docker* d) { d->set_always_on_top(on); });
}

// The service client's list: a name already there (in any letter case) or
// an empty one is not added again.
void component_option_targets::clear_favourites() { get_service_client()->favourites()->clear(); }

void component_option_targets::add_favourite(const stringx& name) { get_service_client()->add_favourite(name); }

std::vector<stringx> component_option_targets::favourites() { return *get_service_client()->favourites(); }

void load_options() {
    store_home store;
    load_options(get_player_options(), store, component_option_targets::instance());
}
