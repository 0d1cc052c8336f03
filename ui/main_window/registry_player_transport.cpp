// The transport over the registered player_control objects.
#include "registry_player_transport.h"

#include "core.h"
#include "player_control.h"

void registry_player_transport::open_files() {
    for_each_component<player_control>([](player_control* c) { c->open_files(); });
}

void registry_player_transport::play() {
    for_each_component<player_control>([](player_control* c) { c->play(); });
}

void registry_player_transport::pause() {
    for_each_component<player_control>([](player_control* c) { c->pause(); });
}

void registry_player_transport::stop() {
    for_each_component<player_control>([](player_control* c) { c->stop(); });
}

void registry_player_transport::previous() {
    for_each_component<player_control>([](player_control* c) { c->previous(); });
}

void registry_player_transport::next() {
    for_each_component<player_control>([](player_control* c) { c->next(); });
}

void registry_player_transport::seek(double seconds) {
    for_each_component<player_control>([seconds](player_control* c) { c->seek(seconds); });
}

void registry_player_transport::set_volume(unsigned volume) {
    for_each_component<player_control>([volume](player_control* c) { c->set_volume(static_cast<int>(volume)); });
}
