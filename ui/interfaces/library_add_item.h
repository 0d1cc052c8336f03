#pragma once
// library_add_item: the music library window's open folder page, as the
// main window and the now-playing list hand it the folders of dropped
// files. Registered by the library window; called on the user-interface
// thread.
#include "component.h"

class library_add_item : public component {
public:
    static constexpr GUID iid = {0x63CD1C6A, 0x9CA5, 0x4C59, {0x91, 0xF1, 0x51, 0xD2, 0x7B, 0x2E, 0xAD, 0x0B}};

    // Slot 2: adds the folder (wide path) to the open folder page's list;
    // the row it took, 0 when no folder page is open.
    virtual int add(const wchar_t* path) = 0;
};
