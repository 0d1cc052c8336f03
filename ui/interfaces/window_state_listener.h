#pragma once
// window_state_listener: told when one of the player's windows is shown or
// hidden. Window ids: 0 announcement window, 1 playlist window, 2 library
// window, 3 equalizer window. Raised on the user-interface thread on every
// registered object, each released after the call.
#include "component.h"

class window_state_listener : public component {
public:
    static constexpr GUID iid = {0x50B381CD, 0x6735, 0x4B9F, {0xA9, 0xEF, 0x76, 0x8B, 0xA4, 0xA5, 0xAE, 0xD8}};

    // Slot 2.
    virtual void on_window_state(int window_id, bool hidden) = 0;
};
