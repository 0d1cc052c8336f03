#pragma once
// The request blocks and entry points of the ASPI for Win32 interface, as
// the CD transports use them. The blocks are byte-packed; in the 32-bit
// program every field sits at its documented offset (checked below). The
// 64-bit build keeps the field order with pointer-sized pointers.
#include <windows.h>

#include <cstddef>

namespace aspi {

// Commands.
constexpr BYTE cmd_host_adapter_inquiry = 0;
constexpr BYTE cmd_get_device_type = 1;
constexpr BYTE cmd_execute = 2;

// Status values of a block and of the support-information answer.
constexpr BYTE status_pending = 0;
constexpr BYTE status_completed = 1;
constexpr BYTE status_timed_out = 2;  // the extractor's own: still pending after its wait
constexpr BYTE status_error = 4;
constexpr BYTE status_invalid_adapter = 0x81;
constexpr BYTE status_no_device = 0x82;
constexpr BYTE status_no_adapters = 0xE8;

// Flags.
constexpr BYTE flag_post_event = 0x40;
constexpr BYTE flag_data_in = 0x08;
constexpr BYTE flag_data_out = 0x10;

constexpr int sense_size = 14;

#pragma pack(push, 1)

struct srb_header {
    BYTE command;
    BYTE status;
    BYTE adapter;
    BYTE flags;
    DWORD reserved;  // the pass-through stores the Windows error code here
};

struct srb_adapter_inquiry {
    srb_header header;
    BYTE adapter_count;
    BYTE adapter_scsi_id;
    char manager_id[16];
    char adapter_id[16];
    BYTE parameters[16];  // [3] number of targets, [4..7] largest transfer
    BYTE reserved[2];
};

struct srb_device_type {
    srb_header header;
    BYTE target;
    BYTE lun;
    BYTE device_type;
    BYTE reserved;
};

struct srb_execute {
    srb_header header;
    BYTE target;
    BYTE lun;
    WORD reserved1;
    DWORD data_length;
    BYTE* data;
    BYTE sense_length;
    BYTE cdb_length;
    BYTE adapter_status;
    BYTE target_status;
    HANDLE event;
    void* reserved2;
    BYTE reserved3[16];
    BYTE cdb[16];
    BYTE sense[sense_size + 2];
};

#pragma pack(pop)

#if !defined(_WIN64)
static_assert(sizeof(srb_header) == 8, "block header");
static_assert(offsetof(srb_adapter_inquiry, manager_id) == 10, "manager id");
static_assert(offsetof(srb_adapter_inquiry, adapter_id) == 26, "adapter id");
static_assert(offsetof(srb_adapter_inquiry, parameters) == 42, "adapter parameters");
static_assert(offsetof(srb_device_type, device_type) == 10, "device type");
static_assert(offsetof(srb_execute, data_length) == 12, "data length");
static_assert(offsetof(srb_execute, data) == 16, "data buffer");
static_assert(offsetof(srb_execute, sense_length) == 20, "sense length");
static_assert(offsetof(srb_execute, target_status) == 23, "target status");
static_assert(offsetof(srb_execute, event) == 24, "event");
static_assert(offsetof(srb_execute, cdb) == 48, "command block");
static_assert(offsetof(srb_execute, sense) == 64, "sense area");
#endif

// The two entry points: support information (bits 8-15 status, 0-7 adapter
// count) and send request (0 while pending; the block's event is signalled
// when it completes).
using support_info_fn = DWORD(__cdecl*)();
using send_request_fn = DWORD(__cdecl*)(void* block);

}  // namespace aspi
