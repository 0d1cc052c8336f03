// Registers the announcement scheduler's login listener with the component
// registry.
#include "player_announcements.h"
#include "service_factory.h"

namespace {
singleton_factory<login_listener, anne_scheduler_login> g_anne_scheduler_node;
}  // namespace
