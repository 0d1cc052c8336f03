#pragma once
// channel_changed_event: told the title of the channel now playing whenever
// it changes; an empty title means no channel. Raised on the user-interface
// thread on every registered object, each released after the call.
#include "component.h"

class channel_changed_event : public component {
public:
    static constexpr GUID iid = {0x0AAB8C20, 0xC868, 0x4026, {0xB8, 0x84, 0x55, 0x7D, 0x78, 0x0D, 0xB7, 0xDA}};

    // Slot 2: the new title, valid during the call.
    virtual void on_channel_changed(const wchar_t* title) = 0;
};
