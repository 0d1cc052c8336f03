#pragma once
// cd_tool: the Audio CD service that the library window calls. A singleton
// of zel_in_std; release does nothing. Both operations run on the
// user-interface thread.
#include <vector>

#include "component.h"

class cd_tool : public component {
public:
    static constexpr GUID iid = {0x2506563E, 0x49F3, 0x4F4B, {0x91, 0xE4, 0x46, 0x55, 0xAC, 0x63, 0x42, 0xE9}};

    // Makes sure that the disc in the drive with this letter has titles,
    // looking them up when it has none (parent owns what the lookup shows).
    // True when titles exist afterwards; false without a drive or disc.
    virtual bool cddb_dialog(HWND parent, wchar_t drive_letter) = 0;
    // Appends, in alphabetical order, the letters of the CD drives that hold
    // a readable medium.
    virtual void list_drives(std::vector<wchar_t>& letters) = 0;
};
