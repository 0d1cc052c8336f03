#include "cd_tool_impl.h"

#include "cd_device_io.h"
#include "cd_drive_table.h"
#include "cd_title_lookup.h"
#include "critsec.h"

bool cd_tool_impl::cddb_dialog(HWND, wchar_t drive_letter) {
    auto_sync guard(cd_drive_table::lock());
    cd_drive_table::extractor_hold hold;
    if (!hold.acquire()) return false;
    cd_drive_table::init();
    const wchar_t letter[2] = {drive_letter, 0};
    const int index = cd_drive_table::drive_index(letter);
    if (index < 0) return false;
    cd_current_drive keep;
    cd_disc* disc = cd_drive_table::open_disc(static_cast<unsigned>(index));
    if (!disc) return false;
    cd_drive_record& r = *cd_drive_table::record(index);
    cd_title_lookup::ensure(*disc, r.titles);
    const bool titled = !r.titles.empty();
    cd_drive_table::release_disc(disc);
    return titled;
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
