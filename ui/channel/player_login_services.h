#pragma once
// The login's services as the user interface has them: the registered
// components (registry_login_services) over the one options block of the
// library (get_player_options), whose per-user load is the player options'
// own (load_options in player_options.h). The favourites are the service
// client's (player_login_favourites.cpp). A stored sound device that another
// instance plays on is replaced through the sound-device chooser.
#include "login_services.h"

class player_login_services : public registry_login_services {
public:
    login_options& options() override;
    void load_options() override;
    void clear_favourites() override;
    void add_favourite(const wchar_t* favourite) override;
    // The chooser (device_dialog), modal over parent: the device chosen, -1
    // when the user cancelled. The list is DirectSound's, whatever the type.
    int choose_device(HWND parent, int output_type, int device) override;
};
