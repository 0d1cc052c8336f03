#pragma once
// The transport behind the extractor: the two ASPI for Win32 entry points,
// supplied either by the SCSI pass-through emulation (transport 1, what the
// player uses) or by an ASPI manager library ("wnaspi32.dll", transport 0).
//
// Process-wide, without a lock of its own (the drive table's lock covers it).
#include <windows.h>

namespace aspi_manager {

// Loads a transport: 1 = pass-through, any other value = the ASPI manager
// library. 0 on success; 10 when the pass-through finds no CD drive; 12
// (Windows NT) or 9 when no ASPI manager library loads, 9 when it lacks an
// entry point.
int load(int transport);

// Frees the library, closes the pass-through's handles, forgets the entry
// points.
void unload();

// The entry points of the loaded transport. Without one, support_info
// answers "no host adapters" and send_request status 4 (error).
DWORD support_info();
DWORD send_request(void* block);

// Letter index (2 = C: ... 25 = Z:) of the pass-through drive with this
// adapter number, target and LUN; 0 when none.
int letter_of_address(int adapter_number, int target, int lun);

// The same for an address as the drive settings hold it, whose adapter is
// an index into the transport's host-adapter list.
int letter_of_drive(int adapter_index, int target, int lun);

}  // namespace aspi_manager
