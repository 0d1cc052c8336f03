// Registers the playlist services with the component registry: the
// now-playing list's service, the music player's transport and the two
// listeners that carry the player's events to the list.
#include "playlist_services.h"
#include "service_factory.h"

player_control& library_player_control();

namespace {
template <class Interface, class Object, Object& (*get)()>
class library_object_node : public service_factory {
public:
    library_object_node() : service_factory(Interface::iid) {}
    component* create() override { return &get(); }
};

library_object_node<playlist_view_service, playlist_view_host, library_playlist_view_host> g_view_node;
library_object_node<player_control, player_control, library_player_control> g_control_node;
singleton_factory<play_listener, playlist_play_listener> g_play_node;
singleton_factory<engine_listener, playlist_engine_listener> g_engine_node;
}  // namespace
