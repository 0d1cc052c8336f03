// The login's favourites are the service client's list, the same one the
// options load and the main window fill (component_option_targets).
#include "component_option_targets.h"
#include "player_login_services.h"

void player_login_services::clear_favourites() { component_option_targets::instance().clear_favourites(); }

void player_login_services::add_favourite(const wchar_t* favourite) {
    if (favourite) component_option_targets::instance().add_favourite(stringx(favourite));
}
