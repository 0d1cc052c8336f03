// The login's window services as the player has them: the window docker
// (zel_core's) and every registered skin listener.
#include "core.h"
#include "login_services.h"
#include "interfaces/skin_listener.h"
#include "window_docker.h"

void registry_login_services::set_always_on_top(bool on) {
    component* c = core::enum_create_component(window_docker::iid, 0);
    if (!c) return;
    static_cast<window_docker*>(c)->set_always_on_top(on);
    c->release();
}

void registry_login_services::tell_skin(int skin) {
    for_each_component<skin_listener>([skin](skin_listener* listener) { listener->on_skin(skin); });
}
