// Registers zel_ui's main player window with the component registry; with
// it the user interface (main_ui) can start.
#include "player_companions.h"
#include "service_factory.h"

namespace {
singleton_factory<player_window_service, player_main_window_service> g_main_window_node;
}  // namespace
