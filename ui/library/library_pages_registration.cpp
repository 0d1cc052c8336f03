// Registers the library pages' listener objects with the component registry.
#include "library_page_listeners.h"
#include "service_factory.h"

namespace {
singleton_factory<anne_progress_listener, today_anne_listener> g_today_anne_node;
singleton_factory<window_state_listener, library_page_state_listener> g_library_page_state_node;
}  // namespace
