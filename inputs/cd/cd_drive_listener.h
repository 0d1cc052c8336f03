#pragma once
// cd_drive_listener: told when a medium arrives in or leaves a CD drive. The
// media-change window of zel_in_std enumerates the registered listeners
// once, when it is created at on_ui_ready, and calls them on the
// user-interface thread from inside the system's broadcast; a listener
// answers quickly (the library window posts itself a message). Listeners
// are singletons and are never released.
#include "component.h"

class cd_drive_listener : public component {
public:
    static constexpr GUID iid = {0xA5C148B4, 0x9434, 0x4A82, {0x9A, 0x55, 0x5A, 0xA5, 0x4E, 0x43, 0x41, 0x22}};

    // arrived: 1 = a medium arrived in the drive, 0 = it was removed.
    virtual void on_drive_change(wchar_t drive_letter, int arrived) = 0;
};
