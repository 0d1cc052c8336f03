// Registers the main window's listener objects with the component registry.
#include "main_window_listeners.h"
#include "service_factory.h"

namespace {
singleton_factory<login_listener, main_login_listener> g_login_node;
singleton_factory<stream_title_listener, main_stream_title_listener> g_stream_title_node;
singleton_factory<skin_listener, main_skin_listener> g_skin_node;
singleton_factory<window_state_listener, main_window_state_listener> g_window_state_node;
}  // namespace
