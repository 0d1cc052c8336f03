// Registers the announcement scheduler's login listener, the announcement
// window's listeners (announcements, its player's engine, login, skin) and the channel
// reservations' listeners and hooks with the component registry, and hands
// the login the reservations' configuration.
#include "info_window_listeners.h"
#include "login_services.h"
#include "player_announcements.h"
#include "player_reservation.h"
#include "service_factory.h"

namespace {
singleton_factory<login_listener, anne_scheduler_login> g_anne_scheduler_node;
singleton_factory<anne_progress_listener, info_progress_listener> g_info_progress_node;
singleton_factory<engine_listener, info_engine_listener> g_info_engine_node;
singleton_factory<login_listener, info_login_listener> g_info_login_node;
singleton_factory<skin_listener, info_skin_listener> g_info_skin_node;
singleton_factory<login_listener, reservation_login> g_reservation_login_node;
singleton_factory<channel_changed_event, reservation_channel_listener> g_reservation_channel_node;
singleton_factory<init_quit, reservation_hooks> g_reservation_hooks_node;
singleton_factory<engine_listener, reservation_error_listener> g_reservation_errors_node;

struct reservation_configuration {
    reservation_configuration() { set_reservation_configurer(configure_player_reservation); }
} g_reservation_configuration;
}  // namespace
