// The command bytes the extractor sends, as the virtual drive logged them:
// the read command of every read method, the speed commands, MODE SELECT of
// the block size with its speed pages, and the tray lock.
#include <gtest/gtest.h>

#include "cd_test_rig.h"

namespace {

using bytes = std::vector<BYTE>;

// A drive on LUN 1 whose settings are set as custom, then changed by f.
template <typename F>
void custom_drive(cd_test_rig& rig, virtual_cd_drive*& drive, F f) {
    drive = &rig.add('D', 0, 0, "VIRTUAL CD-ROM  ", true, 1);
    ASSERT_EQ(rig.start(), 0);
    rig.change_settings([&](cd_drive_settings& s) {
        s.drive_type = cd_drive_type_custom;
        f(s);
    });
}

}  // namespace

TEST(cd_commands, read_command_of_every_read_method) {
    // LUN 1 in bits 5-7 of byte 1, sector 0x000007D0 (2000) in bytes 2-5,
    // 10 sectors in the two count bytes of the table.
    const struct {
        int method;
        bytes cdb;
    } cases[] = {
        {0, {0xBE, 0x20, 0, 0, 0x07, 0xD0, 0, 0, 10, 0xF8, 0, 0}},
        {1, {0x28, 0x20, 0, 0, 0x07, 0xD0, 0, 0, 10, 0}},
        {2, {0xD4, 0x20, 0, 0, 0x07, 0xD0, 0, 0, 10, 0}},
        {3, {0xD8, 0x20, 0, 0, 0x07, 0xD0, 0, 0, 0, 10, 0, 0}},
        {4, {0xBE, 0x24, 0, 0, 0x07, 0xD0, 0, 0, 10, 0xF8, 0, 0}},
        {5, {0xBE, 0x20, 0, 0, 0x07, 0xD0, 0, 0, 10, 0x10, 0, 0}},
        {6, {0xD4, 0x20, 0, 0, 0x07, 0xD0, 0, 0, 0, 10, 0, 0}},
        {7, {0xD5, 0x20, 0, 0, 0x07, 0xD0, 0, 0, 10, 0}},
        {8, {0xA8, 0x20, 0, 0, 0x07, 0xD0, 0, 0, 0, 10, 0, 0}},
        {9, {0xBE, 0x24, 0, 0, 0x07, 0xD0, 0, 0, 10, 0x10, 0, 0}},
        {10, {0x00, 0x20, 0, 0, 0x07, 0xD0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.method);
        cd_test_rig rig;
        virtual_cd_drive* drive = nullptr;
        custom_drive(rig, drive, [&](cd_drive_settings& s) {
            s.read_method = c.method;
            s.enable_mode = 1;  // 2352-byte blocks, which READ(10) and READ(12) need
        });
        cd_test_rig::rip(2000, 2000);
        const std::vector<scsi_command> reads = drive->commands(c.cdb[0]);
        ASSERT_FALSE(reads.empty());
        EXPECT_EQ(reads.front().cdb, c.cdb);
        EXPECT_EQ(reads.front().direction, 1);  // data in
        EXPECT_EQ(reads.front().length, 26u * 2352u);
    }
}

TEST(cd_commands, speed_command_by_speed_and_method) {
    const struct {
        int method, speed;
        bytes set_cd_speed;  // 0xBB, empty when none
        bytes mode_page;     // MODE SELECT(6) of method 2, empty when none
    } cases[] = {
        {1, 0, {}, {}},
        {1, -3, {}, {}},
        {1, 1, {0xBB, 0x20, 0x00, 0xB0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0}, {}},
        {1, 8, {0xBB, 0x20, 0x05, 0x80, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0}, {}},
        {1, 47, {0xBB, 0x20, 0x20, 0x50, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0}, {}},
        {1, 48, {0xBB, 0x20, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0}, {}},
        {1, 60, {0xBB, 0x20, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0}, {}},
        {2, 3, {}, {0, 0, 0, 0, 0x31, 2, 1, 0}},
        {2, 4, {}, {0, 0, 0, 0, 0x31, 2, 2, 0}},
        {2, 16, {}, {0, 0, 0, 0, 0x31, 2, 4, 0}},
        {3, 8, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.method * 100 + c.speed);
        cd_test_rig rig;
        virtual_cd_drive* drive = nullptr;
        custom_drive(rig, drive, [&](cd_drive_settings& s) {
            s.speed_method = c.method;
            s.speed = c.speed;
        });
        cd_test_rig::rip(2000, 2000);
        const std::vector<scsi_command> speeds = drive->commands(0xBB);
        if (c.set_cd_speed.empty()) {
            EXPECT_TRUE(speeds.empty());
        } else {
            ASSERT_EQ(speeds.size(), 1u);  // once, before the first chunk
            EXPECT_EQ(speeds[0].cdb, c.set_cd_speed);
            EXPECT_EQ(speeds[0].length, 0u);
        }
        const std::vector<scsi_command> pages = drive->commands(0x15);
        if (c.mode_page.empty()) {
            EXPECT_TRUE(pages.empty());
        } else {
            ASSERT_EQ(pages.size(), 1u);
            EXPECT_EQ(pages[0].cdb, (bytes{0x15, 0x10, 0, 0, 8, 0}));
            EXPECT_EQ(pages[0].data_out, c.mode_page);
        }
    }
}

// MODE SELECT of the block size: 2352 bytes with the drive's density (and a
// speed page for methods 4 and 5) when a rip opens, 2048 bytes with density
// 0x81 when it closes, in the six-byte form for non-ATAPI drives.
TEST(cd_commands, block_size_round_trip_of_a_rip) {
    const struct {
        int type, speed;
        bytes open_cdb, open_data, close_cdb, close_data;
    } cases[] = {
        // Type 1: density 0x82, no speed page (method 0).
        {1,
         8,
         {0x15, 0x00, 0, 0, 12, 0},
         {0, 0, 0, 8, 0x82, 0, 0, 0, 0, 0, 0x09, 0x30},
         {0x15, 0x00, 0, 0, 12, 0},
         {0, 0, 0, 8, 0x81, 0, 0, 0, 0, 0, 0x08, 0x00}},
        // Type 2: method 4, page 0x20 with 0x11 above speed 1.
        {2,
         2,
         {0x15, 0x10, 0, 0, 15, 0},
         {0, 0, 0, 8, 0x82, 0, 0, 0, 0, 0, 0x09, 0x30, 0x20, 0x01, 0x11},
         {0x15, 0x00, 0, 0, 12, 0},
         {0, 0, 0, 8, 0x81, 0, 0, 0, 0, 0, 0x08, 0x00}},
        {2,
         1,
         {0x15, 0x10, 0, 0, 15, 0},
         {0, 0, 0, 8, 0x82, 0, 0, 0, 0, 0, 0x09, 0x30, 0x20, 0x01, 0x10},
         {0x15, 0x00, 0, 0, 12, 0},
         {0, 0, 0, 8, 0x81, 0, 0, 0, 0, 0, 0x08, 0x00}},
        // Type 6: method 5, page 0x23 with the speed capped at 4; no page at speed 0.
        {6,
         8,
         {0x15, 0x10, 0, 0, 20, 0},
         {0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0x09, 0x30, 0x23, 0x06, 4, 0x01, 4, 0, 0, 0},
         {0x15, 0x00, 0, 0, 12, 0},
         {0, 0, 0, 8, 0x81, 0, 0, 0, 0, 0, 0x08, 0x00}},
        {6,
         0,
         {0x15, 0x00, 0, 0, 12, 0},
         {0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0x09, 0x30},
         {0x15, 0x00, 0, 0, 12, 0},
         {0, 0, 0, 8, 0x81, 0, 0, 0, 0, 0, 0x08, 0x00}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type * 100 + c.speed);
        cd_test_rig rig;
        virtual_cd_drive& drive = rig.add('D', 0, 0);
        drive.big_endian = c.type == 6;  // that family's samples come most significant byte first
        ASSERT_EQ(rig.start(), 0);
        ASSERT_EQ(cd_ripper::set_drive_type(c.type), 0);
        rig.change_settings([&](cd_drive_settings& s) { s.speed = c.speed; });
        const cd_test_rig::rip_result r = cd_test_rig::rip(2000, 2049);
        EXPECT_TRUE(r.audio == drive.sectors(2000, 50));  // the drive read 2352-byte blocks
        const std::vector<scsi_command> selects = drive.commands(0x15);
        ASSERT_EQ(selects.size(), 2u);
        EXPECT_EQ(selects[0].cdb, c.open_cdb);
        EXPECT_EQ(selects[0].data_out, c.open_data);
        EXPECT_EQ(selects[1].cdb, c.close_cdb);
        EXPECT_EQ(selects[1].data_out, c.close_data);
        EXPECT_EQ(drive.block_size, 2048);
    }
}

TEST(cd_commands, block_size_in_the_ten_byte_form_for_atapi_drives) {
    cd_test_rig rig;
    virtual_cd_drive* drive = nullptr;
    custom_drive(rig, drive, [](cd_drive_settings& s) {
        s.enable_mode = 1;
        s.atapi = 1;
        s.density = 0x33;
        s.speed_method = 5;
        s.speed = 1;
    });
    cd_test_rig::rip(2000, 2000);
    const std::vector<scsi_command> selects = drive->commands(0x55);
    ASSERT_EQ(selects.size(), 2u);
    EXPECT_EQ(selects[0].cdb, (bytes{0x55, 0x30, 0, 0, 0, 0, 0, 0, 24, 0}));  // LUN 1 | PF
    EXPECT_EQ(selects[0].data_out, (bytes{0, 0, 0,    0,    0,    0,    0, 8,    0x33, 0, 0, 0,
                                          0, 0, 0x09, 0x30, 0x23, 0x06, 1, 0x01, 1,    0, 0, 0}));
    EXPECT_EQ(selects[1].cdb, (bytes{0x55, 0x20, 0, 0, 0, 0, 0, 0, 16, 0}));
    EXPECT_EQ(selects[1].data_out, (bytes{0, 0, 0, 0, 0, 0, 0, 8, 0x81, 0, 0, 0, 0, 0, 0x08, 0x00}));
    EXPECT_TRUE(drive->commands(0x15).empty());
}

TEST(cd_commands, locks_the_tray_while_a_rip_is_open) {
    for (int lock : {1, 0}) {
        SCOPED_TRACE(lock);
        cd_test_rig rig;
        virtual_cd_drive* drive = nullptr;
        custom_drive(rig, drive, [&](cd_drive_settings& s) { s.lock_tray = lock; });
        int chunk_bytes = 0;
        ASSERT_EQ(cd_ripper::open_ripper(chunk_bytes, 2000, 2000), 0);
        const std::vector<scsi_command> at_open = drive->commands(0x1E);
        EXPECT_EQ(cd_ripper::close_ripper(), 0);
        EXPECT_EQ(cd_ripper::close_ripper(), 0);  // a second close sends nothing
        const std::vector<scsi_command> locks = drive->commands(0x1E);
        if (!lock) {
            EXPECT_TRUE(locks.empty());
            continue;
        }
        ASSERT_EQ(at_open.size(), 1u);
        ASSERT_EQ(locks.size(), 2u);
        EXPECT_EQ(locks[0].cdb, (bytes{0x1E, 0x20, 0, 0, 1, 0}));
        EXPECT_EQ(locks[1].cdb, (bytes{0x1E, 0x20, 0, 0, 0, 0}));
        EXPECT_EQ(locks[1].direction, 0);  // out

        // Ending the extractor with a rip open unlocks the tray as well.
        ASSERT_EQ(cd_ripper::open_ripper(chunk_bytes, 2000, 2000), 0);
        cd_ripper::deinit();
        const std::vector<scsi_command> at_end = drive->commands(0x1E);
        ASSERT_EQ(at_end.size(), 4u);
        EXPECT_EQ(at_end[3].cdb, (bytes{0x1E, 0x20, 0, 0, 0, 0}));
    }
}
