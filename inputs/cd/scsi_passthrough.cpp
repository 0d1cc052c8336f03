#include "scsi_passthrough.h"

#include <ntddscsi.h>
#include <winioctl.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "aspi_srb.h"
#include "cd_device_io.h"

namespace scsi_passthrough {

namespace {

constexpr int slot_count = 26;
constexpr int inquiry_size = 36;
constexpr DWORD error_media_changed = 1110;  // ERROR_MEDIA_CHANGED
constexpr DWORD error_invalid_handle = 6;    // ERROR_INVALID_HANDLE
constexpr DWORD error_not_supported = 50;    // ERROR_NOT_SUPPORTED

struct drive_slot {
    BYTE adapter = 0;
    BYTE target = 0;
    BYTE lun = 0;
    BYTE letter = 0;
    int used = 0;
    HANDLE handle = INVALID_HANDLE_VALUE;
    BYTE inquiry[inquiry_size] = {};
};

// The request structure and the sense bytes: 76 bytes in the 32-bit
// program, with the sense at offset 44.
struct passthrough_buffer {
    SCSI_PASS_THROUGH_DIRECT request;
    UCHAR sense[32];
};
#if !defined(_WIN64)
static_assert(sizeof(passthrough_buffer) == 76, "pass-through buffer");
static_assert(offsetof(passthrough_buffer, sense) == 44, "sense offset");
#endif

drive_slot g_slots[slot_count];
std::vector<BYTE> g_adapters;

void close_slot_handle(drive_slot& slot) {
    if (slot.handle != INVALID_HANDLE_VALUE) cd_device::io().close_handle(slot.handle);
    slot.handle = INVALID_HANDLE_VALUE;
}

// Opens "\\.\X:": read and write on Windows 2000 and later, else read only;
// then once more with the write access and write sharing the other way.
HANDLE open_drive(int letter) {
    const wchar_t name[] = {L'\\', L'\\', L'.', L'\\', static_cast<wchar_t>(L'A' + letter), L':', 0};
    DWORD access = GENERIC_READ, share = FILE_SHARE_READ;
    if (cd_device::is_nt5_or_later()) {
        access |= GENERIC_WRITE;
        share |= FILE_SHARE_WRITE;
    }
    const cd_device_io& io = cd_device::io();
    HANDLE h = io.create_file(name, access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        h = io.create_file(name, access ^ GENERIC_WRITE, share ^ FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    return h;
}

// One pass-through request; false when device control fails (the Windows
// error is then the thread's last error) or the device answers with a
// status other than GOOD (its status is in *scsi_status).
bool pass_through(HANDLE h, const BYTE* cdb, int cdb_length, UCHAR direction, void* data, DWORD data_length,
                  ULONG timeout_s, int sense_length, BYTE* sense_out, BYTE* scsi_status) {
    passthrough_buffer buffer;
    memset(&buffer, 0, sizeof(buffer));
    SCSI_PASS_THROUGH_DIRECT& r = buffer.request;
    r.Length = sizeof(SCSI_PASS_THROUGH_DIRECT);
    r.CdbLength = static_cast<UCHAR>(std::min(cdb_length, 16));
    r.SenseInfoLength = static_cast<UCHAR>(std::min<int>(std::max(sense_length, 0), sizeof(buffer.sense)));
    r.DataIn = direction;
    r.DataTransferLength = data_length;
    r.TimeOutValue = timeout_s;
    r.DataBuffer = data;
    r.SenseInfoOffset = offsetof(passthrough_buffer, sense);
    memcpy(r.Cdb, cdb, r.CdbLength);
    DWORD returned = 0;
    const BOOL ok =
        cd_device::io().device_io_control(h, IOCTL_SCSI_PASS_THROUGH_DIRECT, &buffer, sizeof(buffer), &buffer,
                                          sizeof(buffer), &returned, nullptr);
    if (sense_out) memcpy(sense_out, buffer.sense, r.SenseInfoLength);
    *scsi_status = ok ? r.ScsiStatus : 0;
    return ok;
}

// Probes the drive of letter index i into its slot: INQUIRY, then the SCSI
// address. A drive without address support is still listed, with its letter
// index as adapter number. The handle is closed again.
bool probe(int i) {
    drive_slot& slot = g_slots[i];
    close_slot_handle(slot);
    slot = drive_slot{};
    HANDLE h = open_drive(i);
    if (h == INVALID_HANDLE_VALUE) return false;
    const BYTE inquiry[6] = {0x12, 0, 0, 0, inquiry_size, 0};
    BYTE scsi_status = 0;
    const bool answered = pass_through(h, inquiry, 6, SCSI_IOCTL_DATA_IN, slot.inquiry, inquiry_size, 5, 24,
                                       nullptr, &scsi_status) &&
                          scsi_status == 0;
    if (answered) {
        SCSI_ADDRESS address;
        memset(&address, 0, sizeof(address));
        address.Length = sizeof(address);
        DWORD returned = 0;
        if (cd_device::io().device_io_control(h, IOCTL_SCSI_GET_ADDRESS, nullptr, 0, &address,
                                              sizeof(address), &returned, nullptr)) {
            slot.adapter = address.PortNumber;
            slot.target = address.TargetId;
            slot.lun = address.Lun;
            slot.used = 1;
        } else if (GetLastError() == error_not_supported) {
            slot.adapter = static_cast<BYTE>(i);
            slot.used = 1;
        }
        slot.letter = static_cast<BYTE>(i);
    }
    cd_device::io().close_handle(h);
    if (!slot.used) memset(slot.inquiry, 0, sizeof(slot.inquiry));
    return slot.used != 0;
}

drive_slot* find_slot(int adapter, int target, int lun) {
    for (drive_slot& slot : g_slots)
        if (slot.used && slot.adapter == adapter && slot.target == target && slot.lun == lun) return &slot;
    return nullptr;
}

void adapter_inquiry(aspi::srb_adapter_inquiry& block, int index, int number) {
    block.adapter_count = static_cast<BYTE>(g_adapters.size());
    if (index >= static_cast<int>(g_adapters.size())) {
        block.header.status = aspi::status_invalid_adapter;
        return;
    }
    block.adapter_scsi_id = 7;
    memcpy(block.manager_id, "CDEXASPI v0.03  ", 16);
    block.manager_id[15] = 0;
    memcpy(block.adapter_id, "SCSI Adapter    ", 16);
    block.adapter_id[13] = static_cast<char>('0' + number);
    block.adapter_id[15] = 0;
    memset(block.parameters, 0, sizeof(block.parameters));
    block.parameters[3] = 8;
    const DWORD largest_transfer = 0x10000;
    memcpy(block.parameters + 4, &largest_transfer, 4);
    block.header.status = aspi::status_completed;
}

void device_type(aspi::srb_device_type& block, int number) {
    if (find_slot(number, block.target, block.lun)) {
        block.device_type = 5;
        block.header.status = aspi::status_completed;
    } else {
        block.device_type = 0x1F;
        block.header.status = aspi::status_no_device;
    }
}

void execute(aspi::srb_execute& block, int number) {
    drive_slot* slot = find_slot(number, block.target, block.lun);
    if (!slot) {
        block.header.status = aspi::status_error;
        return;
    }
    if (block.cdb[0] == 0x12) {  // INQUIRY: the data kept from the probe, the device is not asked
        if (block.data) memcpy(block.data, slot->inquiry, std::min<DWORD>(block.data_length, inquiry_size));
        block.header.status = aspi::status_completed;
        return;
    }
    const UCHAR direction = (block.header.flags & aspi::flag_data_in)    ? SCSI_IOCTL_DATA_IN
                            : (block.header.flags & aspi::flag_data_out) ? SCSI_IOCTL_DATA_OUT
                                                                         : SCSI_IOCTL_DATA_UNSPECIFIED;
    const int sense_length = std::min<int>(block.sense_length, sizeof(block.sense));
    const int letter = slot->letter;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (slot->handle == INVALID_HANDLE_VALUE) slot->handle = open_drive(letter);
        BYTE scsi_status = 0;
        if (pass_through(slot->handle, block.cdb, block.cdb_length, direction, block.data, block.data_length,
                         15, sense_length, block.sense, &scsi_status)) {
            // A device that answers CHECK CONDITION (or any status but GOOD)
            // did not do what was asked: an error with its sense data.
            block.target_status = scsi_status;
            block.header.status = scsi_status == 0 ? aspi::status_completed : aspi::status_error;
            return;
        }
        const DWORD error = GetLastError();
        block.header.status = aspi::status_error;
        block.target_status = aspi::status_error;
        block.header.reserved = error;
        if (attempt > 0 || (error != error_media_changed && error != error_invalid_handle)) return;
        if (error == error_media_changed) close_slot_handle(*slot);
        slot->handle = INVALID_HANDLE_VALUE;
        if (!probe(letter)) return;
    }
}

}  // namespace

int scan() {
    clear();
    int found = 0;
    for (int i = 2; i < slot_count; ++i) {
        const wchar_t root[] = {static_cast<wchar_t>(L'A' + i), L':', L'\\', 0};
        if (cd_device::io().get_drive_type(root) == DRIVE_CDROM && probe(i)) ++found;
    }
    for (const drive_slot& slot : g_slots)
        if (slot.used) g_adapters.push_back(slot.adapter);
    std::sort(g_adapters.begin(), g_adapters.end());
    g_adapters.erase(std::unique(g_adapters.begin(), g_adapters.end()), g_adapters.end());
    return found;
}

void clear() {
    for (drive_slot& slot : g_slots) {
        close_slot_handle(slot);
        slot = drive_slot{};
    }
    g_adapters.clear();
}

DWORD __cdecl support_info() {
    if (g_adapters.empty()) return aspi::status_no_adapters << 8;
    return (aspi::status_completed << 8) | static_cast<DWORD>(g_adapters.size() & 0xFF);
}

DWORD __cdecl send_request(void* request) {
    if (!request) return aspi::status_error;
    auto* header = static_cast<aspi::srb_header*>(request);
    const int index = header->adapter;
    const int number = index < static_cast<int>(g_adapters.size()) ? g_adapters[index] : 0;
    switch (header->command) {
        case aspi::cmd_host_adapter_inquiry:
            adapter_inquiry(*static_cast<aspi::srb_adapter_inquiry*>(request), index, number);
            break;
        case aspi::cmd_get_device_type:
            device_type(*static_cast<aspi::srb_device_type*>(request), number);
            break;
        case aspi::cmd_execute:
            execute(*static_cast<aspi::srb_execute*>(request), number);
            break;
        default:
            header->status = aspi::status_error;
            return aspi::status_error;
    }
    return header->status;
}

int letter_of_address(int adapter_number, int target, int lun) {
    for (int i = 2; i < slot_count; ++i) {
        const drive_slot& slot = g_slots[i];
        if (slot.used && slot.adapter == adapter_number && slot.target == target && slot.lun == lun) return i;
    }
    return 0;
}

int adapter_number(int index) {
    if (index < 0 || index >= static_cast<int>(g_adapters.size())) return -1;
    return g_adapters[index];
}

}  // namespace scsi_passthrough
