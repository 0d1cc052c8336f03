#include "cd_tool_impl.h"

#include "cd_device_io.h"
#include "cd_drive_table.h"
#include "cd_title_lookup.h"

bool cd_tool_impl::cddb_dialog(HWND parent, wchar_t drive_letter) {
    cd_drive_use drive(drive_letter);
    if (!drive.disc()) return false;
    cd_title_lookup::ensure(parent, *drive.disc(), drive.record().titles);
    return !drive.record().titles.empty();
}

// Through the CD layer's device calls (the Windows ones unless a test put
// its own drives there). An empty drive answers with an error, not with the
// system's "no disk" message box.
void cd_tool_impl::list_drives(std::vector<wchar_t>& letters) {
    const cd_device_io& io = cd_device::io();
    const UINT mode = SetErrorMode(SEM_FAILCRITICALERRORS);
    for (wchar_t letter = L'C'; letter <= L'Z'; ++letter) {
        const wchar_t root[] = {letter, L':', L'\\', 0};
        if (io.get_drive_type(root) != DRIVE_CDROM) continue;
        if (!io.get_volume_information(root, nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0)) continue;
        letters.push_back(letter);
    }
    SetErrorMode(mode);
}
