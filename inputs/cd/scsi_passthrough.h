#pragma once
// The SCSI pass-through transport: the two ASPI for Win32 entry points
// emulated over Windows device control on the CD drives' own handles
// (IOCTL_SCSI_PASS_THROUGH_DIRECT, IOCTL_SCSI_GET_ADDRESS). The drives are
// found by drive letter; a host adapter of a request block is an index into
// the ascending list of the distinct adapter numbers found.
//
// Process-wide state without a lock: the drive table's lock serialises
// every use. Every device call goes through cd_device::io().
#include <windows.h>

namespace scsi_passthrough {

// Clears the slots, then probes every CD-ROM letter from C: to Z:. Returns
// the number of drives found.
int scan();

// Closes every open handle and clears the slots and adapters.
void clear();

// Entry points (aspi_srb.h).
DWORD __cdecl support_info();
DWORD __cdecl send_request(void* block);

// Letter index (2 = C: ... 25 = Z:) of the first drive with this adapter
// number, target and LUN; 0 when none.
int letter_of_address(int adapter_number, int target, int lun);

// The adapter number at that index of the adapter list; -1 past its end.
int adapter_number(int index);

}  // namespace scsi_passthrough
