#pragma once
// login_listener: told after every successful login. Whoever completes a
// login (the start-up or the login dialog) calls on_login on every
// registered object and releases each after the call.
#include "component.h"

class login_listener : public component {
public:
    static constexpr GUID iid = {0xF6E3D75C, 0x3AB1, 0x4151, {0x85, 0xCC, 0xFD, 0x2F, 0x24, 0x35, 0x6B, 0x14}};

    // Slot 2: runs on the user-interface thread; ok is the login's result.
    virtual void on_login(bool ok) = 0;
};
