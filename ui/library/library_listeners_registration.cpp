// Registers the library window's listener objects with the component registry.
#include "library_listeners.h"
#include "service_factory.h"

namespace {
singleton_factory<cd_drive_listener, library_drive_listener> g_library_drive_node;
singleton_factory<engine_listener, library_engine_listener> g_library_engine_node;
singleton_factory<skin_listener, library_skin_listener> g_library_skin_node;
}  // namespace
