// The drive settings: defaults, the drive-type table, the name of a second
// drive of one model, and the record as cd_ripper copies it out and in.
#include "cd_drive_settings.h"

#include <gtest/gtest.h>

#include <cstring>

#include "cd_test_rig.h"

namespace {

// Every field but the name, in record order.
std::vector<int> fields(const cd_drive_settings& s) {
    return {s.sectors_per_read,
            s.overlap_sectors,
            s.compare_sectors,
            s.offset_start,
            s.offset_end,
            s.speed,
            s.spin_up_seconds,
            s.jitter_correction,
            s.swap_channels,
            s.drive_type,
            s.read_method,
            s.speed_method,
            s.endian,
            s.enable_mode,
            s.density,
            s.atapi,
            s.target,
            s.adapter,
            s.lun,
            s.read_retry,
            s.lock_tray,
            s.ripping_mode,
            s.paranoia_level,
            s.cd_text};
}

}  // namespace

TEST(cd_drive_settings, defaults) {
    const cd_drive_settings s = cd_default_drive_settings();
    EXPECT_STREQ(s.drive_name, "DONTKNOW");
    EXPECT_EQ(fields(s),
              (std::vector<int>{26, 7, 1, 0, 0, 0, 0, 1, 0, 0, 0, 1, 1, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 1}));
}

TEST(cd_drive_settings, drive_type_table) {
    constexpr int unchanged = -1;
    const struct {
        int type;
        int read_method, speed_method, endian, enable_mode, density, atapi;
    } rows[] = {
        {0, 0, 1, 1, 0, 0, 1},          {1, 1, 0, 1, 1, 0x82, 0},       {3, 1, 0, 1, 1, 0x82, 0},
        {5, 1, 0, 1, 1, 0x82, 0},       {2, 1, 4, 1, 1, 0x82, 0},       {4, 2, 6, 1, 0, 0, 0},
        {6, 1, 5, 0, 1, 0, 0},          {9, 1, 5, 0, 1, 0, 0},          {13, 1, 5, 0, 1, 0, 0},
        {18, 1, 5, 0, 1, 0, 0},         {14, 3, 2, 1, 0, 0, 0},         {15, 3, 2, 1, 0, 0, 0},
        {16, unchanged, 3, 1, 1, 0, 0}, {17, unchanged, 0, 1, 0, 0, 0}, {20, unchanged, 0, 1, 0, 0, 0},
        {57, unchanged, 0, 1, 0, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.type);
        cd_drive_settings s = cd_default_drive_settings();
        s.read_method = 8;  // what an earlier type or the caller left
        s.speed_method = 9;
        s.endian = 7;
        s.enable_mode = 7;
        s.density = 0x55;
        s.atapi = 7;
        s.drive_type = row.type;
        cd_apply_drive_type(s);
        EXPECT_EQ(s.read_method, row.read_method == unchanged ? 8 : row.read_method);
        EXPECT_EQ(s.speed_method, row.speed_method);
        EXPECT_EQ(s.endian, row.endian);
        EXPECT_EQ(s.enable_mode, row.enable_mode);
        EXPECT_EQ(s.density, row.density);
        EXPECT_EQ(s.atapi, row.atapi);
    }
}

TEST(cd_drive_settings, custom_type_keeps_what_the_caller_set) {
    cd_test_rig rig;
    rig.add('D', 0, 0);
    ASSERT_EQ(rig.start(), 0);
    cd_drive_settings s;
    ASSERT_EQ(cd_ripper::get_drive_settings(s), 0);
    s.drive_type = cd_drive_type_custom;
    s.read_method = 8;
    s.speed_method = 2;
    s.endian = 0;
    s.enable_mode = 1;
    s.density = 0x7F;
    s.atapi = 0;
    s.ripping_mode = 1;
    s.paranoia_level = 2;
    s.cd_text = 0;
    strcpy(s.drive_name, "RENAMED");
    EXPECT_EQ(cd_ripper::set_drive_settings(s), 0);
    cd_drive_settings back;
    ASSERT_EQ(cd_ripper::get_drive_settings(back), 0);
    EXPECT_STREQ(back.drive_name, "ZELTEST VIRTUAL CD-ROM  ");  // the name is not written
    EXPECT_EQ(fields(back), fields(s));

    // A table type rewrites its fields; type 16 after 14 keeps 14's read
    // method.
    EXPECT_EQ(cd_ripper::set_drive_type(14), 0);
    EXPECT_EQ(cd_ripper::set_drive_type(16), 0);
    ASSERT_EQ(cd_ripper::get_drive_settings(back), 0);
    EXPECT_EQ(back.drive_type, 16);
    EXPECT_EQ(back.read_method, 3);
    EXPECT_EQ(back.speed_method, 3);
    EXPECT_EQ(back.ripping_mode, 1);

    s.drive_type = 6;
    s.read_method = 8;
    EXPECT_EQ(cd_ripper::set_drive_settings(s), 0);
    ASSERT_EQ(cd_ripper::get_drive_settings(back), 0);
    EXPECT_EQ(back.read_method, 1);
    EXPECT_EQ(back.speed_method, 5);
    EXPECT_EQ(back.endian, 0);
    EXPECT_EQ(back.paranoia_level, 2);
}

TEST(cd_drive_settings, counts_earlier_drives_of_the_same_model_in_the_name) {
    std::vector<cd_drive_settings> drives;
    drives.push_back(cd_new_drive_settings("ACME    CD-1            ", drives, 0, 0, 0));
    drives.push_back(cd_new_drive_settings("OTHER   CD-9            ", drives, 0, 1, 0));
    drives.push_back(cd_new_drive_settings("ACME    CD-1            ", drives, 1, 0, 0));
    drives.push_back(cd_new_drive_settings("ACME    CD-1            ", drives, 1, 2, 3));
    EXPECT_STREQ(drives[0].drive_name, "ACME    CD-1            ");
    EXPECT_STREQ(drives[1].drive_name, "OTHER   CD-9            ");
    EXPECT_STREQ(drives[2].drive_name, "ACME    CD-1            (1)");
    EXPECT_STREQ(drives[3].drive_name, "ACME    CD-1            (2)");
    EXPECT_EQ(drives[3].adapter, 1);
    EXPECT_EQ(drives[3].target, 2);
    EXPECT_EQ(drives[3].lun, 3);
    EXPECT_EQ(drives[3].sectors_per_read, 26);
}
