#include "player_login_services.h"
#include "device_dialog.h"
#include "login_manager.h"
#include "component_option_targets.h"
#include "player_options.h"

login_options& player_login_services::options() { return get_player_options(); }

void player_login_services::load_options() { ::load_options(); }

int player_login_services::choose_device(HWND parent, int, int) {
    device_dialog chooser;
    return chooser.modal(parent) == 1 && chooser.selection >= 0 ? chooser.selection : -1;
}

login_manager* get_login_manager() {
    static player_login_services services;
    static login_manager manager(services);
    return &manager;
}
