#pragma once
// skin_listener: told the new colour skin when the login or the settings
// dialog changes it. Raised on the user-interface thread on every
// registered object, each released after the call.
#include "component.h"

class skin_listener : public component {
public:
    static constexpr GUID iid = {0xE5905E3D, 0x942E, 0x4FF6, {0x89, 0x36, 0xCD, 0xA8, 0x36, 0x01, 0x17, 0xFF}};

    // Slot 2: the colour skin number.
    virtual void on_skin(int colour) = 0;
};
