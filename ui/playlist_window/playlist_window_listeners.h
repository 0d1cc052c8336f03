#pragma once
// The playlist window's listener objects: the login and the colour skin
// reach the one playlist window (playlist_window::current()) when it
// exists, and nothing otherwise.
#include "login_listener.h"
#include "skin_listener.h"

class playlist_login_listener : public singleton_component<login_listener> {
public:
    void on_login(bool ok) override;
};

class playlist_skin_listener : public singleton_component<skin_listener> {
public:
    void on_skin(int colour) override;
};
