// Registers the music player's play-event bridge with the component registry.
#include "play_event_bridge.h"
#include "service_factory.h"

namespace {
singleton_factory<play_listener, play_listener_bridge> g_play_bridge_node;
singleton_factory<engine_listener, engine_listener_bridge> g_engine_bridge_node;
}  // namespace
