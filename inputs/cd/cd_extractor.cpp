#include "cd_extractor.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>

#include "aspi_manager.h"
#include "aspi_srb.h"

cd_extractor::~cd_extractor() {
    // An open rip is closed first, so that the tray is not left locked.
    if (rip_.open && has_current()) close_rip();
}

void cd_extractor::clamp_current() {
    if (current < 0) current = 0;
    if (current >= static_cast<int>(drives.size())) current = static_cast<int>(drives.size()) - 1;
}

void cd_extractor::scan() {
    const DWORD info = aspi_manager::support_info();
    if (((info >> 8) & 0xFF) != aspi::status_completed) return;
    adapter_count = static_cast<unsigned char>(info & 0xFF);
    for (int adapter = 0; adapter < adapter_count; ++adapter)
        for (int target = 0; target < 16; ++target)
            for (int lun = 0; lun < 8; ++lun) {
                BYTE data[36] = {};
                const BYTE inquiry[6] = {0x12, 0, 0, 0, sizeof(data), 0};
                if (send_to(adapter, target, lun, true, inquiry, 6, data, sizeof(data)) !=
                    aspi::status_completed)
                    continue;
                const int type = data[0] & 0x1F;
                if (type != 5 && type != 4) continue;
                char name[25] = {};
                memcpy(name, data + 8, 24);
                add_drive(name, static_cast<unsigned char>(adapter), static_cast<unsigned char>(target),
                          static_cast<unsigned char>(lun));
            }
}

void cd_extractor::add_drive(const char* name, unsigned char adapter, unsigned char target,
                             unsigned char lun) {
    drives.push_back(cd_new_drive_settings(name, drives, adapter, target, lun));
    tocs.emplace_back();
}

BYTE cd_extractor::send_request(bool data_in, const BYTE* cdb, int cdb_length, void* data, DWORD length) {
    if (!has_current()) return aspi::status_error;
    const cd_drive_settings& d = drives[current];
    return send_to(d.adapter, d.target, d.lun, data_in, cdb, cdb_length, data, length);
}

BYTE cd_extractor::send_to(int adapter, int target, int lun, bool data_in, const BYTE* cdb, int cdb_length,
                           void* data, DWORD length) {
    // A manager that has not completed the request when the wait ends may
    // still write its block, its data area and signal its event later. So
    // the block carries a data area of its own (copied from and to the
    // caller's buffer around the request), and a timed-out request keeps the
    // block, the area and the event for good: the caller's buffer, which it
    // frees on return, is never handed to the manager.
    struct request {
        aspi::srb_execute block;
        BYTE area[1];  // length bytes, allocated with the block
    };
    void* memory = operator new(sizeof(request) + (length ? length : 1), std::nothrow);
    if (!memory) return aspi::status_error;
    auto* r = new (memory) request();
    aspi::srb_execute* block = &r->block;
    BYTE* area = reinterpret_cast<BYTE*>(memory) + offsetof(request, area);
    if (data && length && !data_in) memcpy(area, data, length);
    block->header.command = aspi::cmd_execute;
    block->header.adapter = static_cast<BYTE>(adapter);
    block->header.flags = aspi::flag_post_event | (data_in ? aspi::flag_data_in : aspi::flag_data_out);
    block->target = static_cast<BYTE>(target);
    block->lun = static_cast<BYTE>(lun);
    block->data_length = length;
    block->data = data ? area : nullptr;
    block->sense_length = aspi::sense_size;
    block->cdb_length = static_cast<BYTE>(std::min(std::max(cdb_length, 0), 16));
    memcpy(block->cdb, cdb, block->cdb_length);
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    block->event = event;
    if (aspi_manager::send_request(block) == aspi::status_pending && event)
        WaitForSingleObject(event, request_timeout_ms);
    BYTE status = *static_cast<volatile BYTE*>(&block->header.status);
    const bool pending = status == aspi::status_pending;
    if (pending) {
        status = aspi::status_timed_out;  // block, area and event stay with the manager
    } else {
        if (data && length && data_in) memcpy(data, area, length);
        if (event) CloseHandle(event);
        operator delete(memory);
    }
    last_status = status;
    return status;
}
