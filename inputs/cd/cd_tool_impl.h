#pragma once
// The cd_tool service over the drive table.
#include "cd_tool.h"

class cd_tool_impl : public singleton_component<cd_tool> {
public:
    bool cddb_dialog(HWND parent, wchar_t drive_letter) override;
    void list_drives(std::vector<wchar_t>& letters) override;
};
