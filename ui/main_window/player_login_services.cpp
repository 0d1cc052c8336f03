#include "player_login_services.h"
#include "login_manager.h"
#include "player_options.h"

login_options& player_login_services::options() { return get_player_options(); }

void player_login_services::load_options() { ::load_options(); }

login_manager* get_login_manager() {
    static player_login_services services;
    static login_manager manager(services);
    return &manager;
}
