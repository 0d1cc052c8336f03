#pragma once
// net_options: the two network options of the track readers, which the
// user interface sets after login from the login reply's play settings.
// A singleton of zel_in_std (release does nothing); the values take effect
// at once, also for downloads and receive threads already running.
#include "component.h"

class net_options : public component {
public:
    static constexpr GUID iid = {0xF35E6013, 0x184A, 0x43A9, {0x9F, 0xA1, 0x2B, 0xF7, 0x6F, 0x06, 0xA1, 0x94}};

    // Slot 2: while on, the readers wait longer for a silent server (500
    // empty polls of 10 ms instead of 100).
    virtual void set_packet_retry(bool on) = 0;
    // Slot 3: how long a save reader stays unfinished after a complete
    // music download, in milliseconds.
    virtual void set_linger_ms(int ms) = 0;
};
