// The SCSI pass-through transport over the fake device layer: drives found
// by letter, adapter numbering, the request blocks it answers, the INQUIRY
// cache, the medium-changed retry and device errors.
#include <gtest/gtest.h>

#include <cstring>

#include "aspi_manager.h"
#include "aspi_srb.h"
#include "cd_test_rig.h"

namespace {

// One execute block to a drive address, completed synchronously.
struct executed {
    BYTE status;
    BYTE target_status;
    DWORD windows_error;
    BYTE sense[aspi::sense_size + 2];
};

executed execute(int adapter, int target, int lun, const BYTE* cdb, int cdb_length, void* data, DWORD length,
                 BYTE flags = aspi::flag_data_in) {
    aspi::srb_execute b;
    memset(&b, 0, sizeof(b));
    b.header.command = aspi::cmd_execute;
    b.header.adapter = static_cast<BYTE>(adapter);
    b.header.flags = flags;
    b.target = static_cast<BYTE>(target);
    b.lun = static_cast<BYTE>(lun);
    b.data_length = length;
    b.data = static_cast<BYTE*>(data);
    b.sense_length = aspi::sense_size;
    b.cdb_length = static_cast<BYTE>(cdb_length);
    memcpy(b.cdb, cdb, cdb_length);
    const DWORD returned = aspi_manager::send_request(&b);
    EXPECT_EQ(returned, b.header.status);  // the pass-through never leaves a request pending
    executed e{b.header.status, b.target_status, b.header.reserved, {}};
    memcpy(e.sense, b.sense, sizeof(e.sense));
    return e;
}

const BYTE read_toc_cdb[10] = {0x43, 0, 0, 0, 0, 0, 1, 0x08, 0x00, 0};

}  // namespace

TEST(scsi_passthrough, finds_drives_by_letter_and_numbers_adapters_in_port_order) {
    cd_test_rig rig;
    rig.add('D', 0, 0);
    rig.add('E', 0, 1);                             // the same model on the same port
    rig.add('F', 0, 0, "NO ADDRESS DRIVE", false);  // no SCSI address: adapter = letter index 5
    rig.add('G', 2, 0, "SECOND PORT     ");         // port 2
    ASSERT_EQ(rig.start(), 0);
    EXPECT_EQ(aspi_manager::support_info(), 0x0103u);  // completed, three adapters: 0, 2, 5
    ASSERT_EQ(cd_ripper::drive_count(), 4);

    // Scan order: adapter index, then target; the second drive of one model
    // gets "(1)" right after the 24 characters of the name.
    const struct {
        const char* name;
        int adapter, target;
        char letter;
    } expected[] = {
        {"ZELTEST VIRTUAL CD-ROM  ", 0, 0, 'D'},
        {"ZELTEST VIRTUAL CD-ROM  (1)", 0, 1, 'E'},
        {"ZELTEST SECOND PORT     ", 1, 0, 'G'},
        {"ZELTEST NO ADDRESS DRIVE", 2, 0, 'F'},
    };
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        cd_ripper::select_drive(i);
        cd_drive_settings s;
        ASSERT_EQ(cd_ripper::get_drive_settings(s), 0);
        EXPECT_STREQ(s.drive_name, expected[i].name);
        EXPECT_EQ(s.adapter, expected[i].adapter);
        EXPECT_EQ(s.target, expected[i].target);
        EXPECT_EQ(s.lun, 0);
        EXPECT_EQ('A' + aspi_manager::letter_of_drive(s.adapter, s.target, s.lun), expected[i].letter);
    }
    EXPECT_EQ(rig.io.malformed_requests, 0);
    EXPECT_EQ(rig.io.open_handles(), 0);  // the probes closed their handles
}

// The drive settings hold an index into the adapter list, the drive table of
// the pass-through holds adapter numbers (ports, or the letter index of a
// drive without address support): looking a letter up by the index alone
// finds no drive on port 2 nor one without address support.
TEST(scsi_passthrough, letter_lookup_translates_the_adapter_index_into_its_number) {
    cd_test_rig rig;
    rig.add('H', 2, 1, "SECOND PORT     ");
    rig.add('K', 0, 0, "NO ADDRESS DRIVE", false);
    ASSERT_EQ(rig.start(), 0);
    EXPECT_EQ(aspi_manager::letter_of_address(2, 1, 0), 'H' - 'A');
    EXPECT_EQ(aspi_manager::letter_of_address(10, 0, 0), 'K' - 'A');
    EXPECT_EQ(aspi_manager::letter_of_address(0, 1, 0), 0);
    EXPECT_EQ(aspi_manager::letter_of_drive(0, 1, 0), 'H' - 'A');  // index 0 = port 2
    EXPECT_EQ(aspi_manager::letter_of_drive(1, 0, 0), 'K' - 'A');  // index 1 = number 10
    EXPECT_EQ(aspi_manager::letter_of_drive(2, 0, 0), 0);          // past the adapter list
}

TEST(scsi_passthrough, answers_adapter_inquiry_device_type_and_unknown_blocks) {
    cd_test_rig rig;
    rig.add('D', 0, 0);
    rig.add('E', 3, 1);
    ASSERT_EQ(rig.start(), 0);

    aspi::srb_adapter_inquiry inquiry;
    memset(&inquiry, 0xCC, sizeof(inquiry));
    inquiry.header = {aspi::cmd_host_adapter_inquiry, 0, 1, 0, 0};
    EXPECT_EQ(aspi_manager::send_request(&inquiry), aspi::status_completed);
    EXPECT_EQ(inquiry.adapter_count, 2);
    EXPECT_EQ(inquiry.adapter_scsi_id, 7);
    EXPECT_EQ(memcmp(inquiry.manager_id, "CDEXASPI v0.03 \0", 16), 0);
    EXPECT_EQ(memcmp(inquiry.adapter_id, "SCSI Adapter 3 \0", 16), 0);  // the adapter's number, port 3
    const BYTE parameters[16] = {0, 0, 0, 8, 0x00, 0x00, 0x01, 0x00};
    EXPECT_EQ(memcmp(inquiry.parameters, parameters, 16), 0);
    inquiry.header = {aspi::cmd_host_adapter_inquiry, 0, 2, 0, 0};
    EXPECT_EQ(aspi_manager::send_request(&inquiry), aspi::status_invalid_adapter);
    EXPECT_EQ(inquiry.adapter_count, 2);

    aspi::srb_device_type type;
    memset(&type, 0, sizeof(type));
    type.header = {aspi::cmd_get_device_type, 0, 1, 0, 0};
    type.target = 1;
    EXPECT_EQ(aspi_manager::send_request(&type), aspi::status_completed);
    EXPECT_EQ(type.device_type, 5);
    type.target = 0;
    EXPECT_EQ(aspi_manager::send_request(&type), aspi::status_no_device);
    EXPECT_EQ(type.device_type, 0x1F);

    aspi::srb_header unknown = {9, 0, 0, 0, 0};
    EXPECT_EQ(aspi_manager::send_request(&unknown), aspi::status_error);
    EXPECT_EQ(unknown.status, aspi::status_error);
    EXPECT_EQ(aspi_manager::send_request(nullptr), aspi::status_error);
    BYTE data[2048];
    EXPECT_EQ(execute(0, 5, 0, read_toc_cdb, 10, data, sizeof(data)).status,
              aspi::status_error);  // no drive there
}

TEST(scsi_passthrough, answers_inquiry_from_the_probe_without_asking_the_drive) {
    cd_test_rig rig;
    virtual_cd_drive& drive = rig.add('D', 0, 0);
    ASSERT_EQ(rig.start(), 0);
    drive.medium = false;
    drive.vendor = "CHANGED ";
    const int calls = rig.io.at('D').passthrough_calls;
    const BYTE inquiry[6] = {0x12, 0, 0, 0, 36, 0};
    BYTE data[36] = {};
    EXPECT_EQ(execute(0, 0, 0, inquiry, 6, data, sizeof(data)).status, aspi::status_completed);
    EXPECT_EQ(memcmp(data + 8, "ZELTEST VIRTUAL CD-ROM  ", 24), 0);
    EXPECT_EQ(rig.io.at('D').passthrough_calls, calls);
}

// An ejected and re-inserted disc makes the first request fail with
// ERROR_MEDIA_CHANGED (an invalid handle with error 6): the drive is probed
// again and the request repeated once, and it reads the new disc.
TEST(scsi_passthrough, repeats_a_request_once_after_the_medium_changed) {
    cd_test_rig rig;
    virtual_cd_drive& drive = rig.add('D', 0, 0);
    ASSERT_EQ(rig.start(), 0);
    ASSERT_EQ(cd_ripper::read_toc(), 0);
    EXPECT_EQ(cd_ripper::toc_count(), 3);
    EXPECT_EQ(rig.io.open_handles(), 1);  // the request's handle stays open

    rig.io.swap_disc('D', virtual_disc::audio(5, 1000));
    const size_t opens = rig.io.opens.size();
    const size_t commands = drive.log.size();
    ASSERT_EQ(cd_ripper::read_toc(), 0);
    EXPECT_EQ(cd_ripper::toc_count(), 5);
    EXPECT_EQ(rig.io.opens.size(), opens + 2);  // the probe, then the repeated request
    EXPECT_EQ(drive.log.size(), commands + 2);  // the probe's INQUIRY and the READ TOC
    EXPECT_EQ(rig.io.open_handles(), 1);        // the stale handle was closed

    rig.io.swap_disc('D', virtual_disc::audio(7, 1000));
    rig.io.at('D').fail_next = ERROR_INVALID_HANDLE;
    ASSERT_EQ(cd_ripper::read_toc(), 0);
    EXPECT_EQ(cd_ripper::toc_count(), 7);

    // Any other device error is not repeated: the request fails with the
    // Windows error in the block.
    rig.io.at('D').fail_next = ERROR_ACCESS_DENIED;
    BYTE data[2048];
    const int calls = rig.io.at('D').passthrough_calls;
    const executed e = execute(0, 0, 0, read_toc_cdb, 10, data, sizeof(data));
    EXPECT_EQ(e.status, aspi::status_error);
    EXPECT_EQ(e.target_status, aspi::status_error);
    EXPECT_EQ(e.windows_error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(rig.io.at('D').passthrough_calls, calls + 1);
}

// A drive that answers CHECK CONDITION did not do what was asked; the device
// control call itself succeeds, so the status byte decides.
TEST(scsi_passthrough, reports_check_condition_as_an_error_with_its_sense) {
    cd_test_rig rig;
    virtual_cd_drive& drive = rig.add('D', 0, 0);
    drive.medium = false;
    ASSERT_EQ(rig.start(), 0);
    BYTE data[2048];
    memset(data, 0x5C, sizeof(data));
    const executed e = execute(0, 0, 0, read_toc_cdb, 10, data, sizeof(data));
    EXPECT_EQ(e.status, aspi::status_error);
    EXPECT_EQ(e.target_status, 2);  // CHECK CONDITION
    EXPECT_EQ(e.sense[0], 0x70);
    EXPECT_EQ(e.sense[2], 2);      // not ready
    EXPECT_EQ(e.sense[12], 0x3A);  // medium not present

    // The table of contents stays empty (no lead-out: -1 tracks).
    ASSERT_EQ(cd_ripper::read_toc(), 0);
    EXPECT_EQ(cd_ripper::toc_count(), -1);
    EXPECT_EQ(cd_ripper::toc_entry(0), 0u);
}

TEST(scsi_passthrough, opens_drives_for_writing_on_nt5_and_flips_the_access_once) {
    const struct {
        int major;
        bool refuse_write;
        DWORD first_access, second_access;
    } cases[] = {
        {6, false, GENERIC_READ | GENERIC_WRITE, 0},
        {6, true, GENERIC_READ | GENERIC_WRITE, GENERIC_READ},
        {4, false, GENERIC_READ, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.major * 10 + c.refuse_write);
        cd_test_rig rig;
        rig.add('D', 0, 0);
        rig.io.major_version = c.major;
        rig.io.refuse_write_open = c.refuse_write;
        ASSERT_EQ(rig.start(), 0);
        ASSERT_GE(rig.io.opens.size(), 1u);
        EXPECT_EQ(rig.io.opens[0].name, L"\\\\.\\D:");
        EXPECT_EQ(rig.io.opens[0].access, c.first_access);
        EXPECT_EQ(rig.io.opens[0].share, (c.first_access & GENERIC_WRITE)
                                             ? DWORD(FILE_SHARE_READ | FILE_SHARE_WRITE)
                                             : DWORD(FILE_SHARE_READ));
        if (c.second_access) {
            ASSERT_GE(rig.io.opens.size(), 2u);
            EXPECT_EQ(rig.io.opens[1].access, c.second_access);
            EXPECT_EQ(rig.io.opens[1].share, DWORD(FILE_SHARE_READ));
        }
        EXPECT_EQ(cd_ripper::drive_count(), 1);
    }
}

TEST(scsi_passthrough, closes_every_handle_when_the_extractor_ends) {
    cd_test_rig rig;
    rig.add('D', 0, 0);
    rig.add('E', 1, 0);
    ASSERT_EQ(rig.start(), 0);
    for (int i = 0; i < 2; ++i) {
        cd_ripper::select_drive(i);
        cd_ripper::read_toc();
    }
    EXPECT_EQ(rig.io.open_handles(), 2);
    cd_ripper::deinit();
    EXPECT_EQ(rig.io.open_handles(), 0);
    EXPECT_EQ(aspi_manager::support_info(), 0xE800u);
}
