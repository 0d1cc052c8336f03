// Registers zel_ui's main player window with the component registry; with
// it the user interface (main_ui) can start.
#include "main_window_service.h"
#include "service_factory.h"

namespace {
singleton_factory<player_window_service, main_window_service> g_main_window_node;
}  // namespace
