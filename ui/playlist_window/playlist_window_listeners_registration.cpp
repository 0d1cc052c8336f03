// Registers the playlist window's listener objects with the component registry.
#include "playlist_window_listeners.h"
#include "service_factory.h"

namespace {
singleton_factory<login_listener, playlist_login_listener> g_playlist_login_node;
singleton_factory<skin_listener, playlist_skin_listener> g_playlist_skin_node;
singleton_factory<anne_progress_listener, playlist_anne_listener> g_playlist_anne_node;
}  // namespace
