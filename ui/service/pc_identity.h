#pragma once
// The PC identity: the four values by which the service recognises the
// computer a player runs on. Start-up collects them once, before any request,
// and every request that carries the PC group sends them in the order
// "usermac", "pc_ostime", "pc_pgtime", "hddidx". The client only reports
// them; the service decides what it accepts.
//
// The functions keep no state and never fail outward: a value that cannot be
// found is "NON_MAC" (the MAC text) or empty (the others). They reach the
// system through a pc_platform (the real one unless a test passes its own).
#include <windows.h>
#include "stringx.h"

class pc_platform;
// The platform's own calls (pc_platform.h).
pc_platform& system_pc_platform();

struct pc_identity {
    stringx usermac;    // MAC text of the adapter with the lowest interface index
    stringx pc_ostime;  // creation time of the system folder (UTC)
    stringx pc_pgtime;  // creation time of the program folder (UTC)
    stringx hddidx;     // serial number of the system disk
    // The full path of the host program, held for the run (not sent).
    stringx program_path;

    // Collects the four values in the order of start-up: MAC, system folder
    // time, program folder time (the folder of host's executable), disk
    // serial of the system folder's drive (the program folder's drive when
    // the system folder cannot be read).
    static pc_identity collect(HINSTANCE host, pc_platform& platform = system_pc_platform());
};

// One network adapter as the adapter list gives it.
struct adapter_info {
    unsigned index = 0;  // interface index
    unsigned address_length = 0;
    unsigned char address[8] = {};
};

// The hardware address of the adapter with the lowest interface index (the
// first of equal ones in list order) as upper-case hexadecimal digit pairs
// without separators ("001A2B3C4D5E"); "NON_MAC" without adapters or when the
// adapter list cannot be read; empty when the list changed while it was read.
stringx get_mac_address(pc_platform& platform = system_pc_platform());
// "YYYYMMDD_hhmmss" (UTC) of the creation of the system folder; empty when it
// cannot be found.
stringx get_system_folder_time(pc_platform& platform = system_pc_platform());
// "YYYYMMDD_hhmmss" (UTC) of the creation of the file or folder at path;
// empty when it cannot be found.
stringx get_creation_time(const wchar_t* path, pc_platform& platform = system_pc_platform());
// The serial number of the physical disk that holds drive ("C:"), from the
// disk's identify data, without trailing blanks; empty when the disk cannot
// be asked (no right to open the volume, no SMART support).
stringx get_disk_serial(const wchar_t* drive, pc_platform& platform = system_pc_platform());
