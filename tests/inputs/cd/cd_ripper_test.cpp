// The extraction API: its failure values without drives, the start codes,
// the current drive, the table of contents and the raw CD-Text.
#include <gtest/gtest.h>

#include <cstring>

#include "cd_test_rig.h"

namespace {

struct window_count {
    DWORD process;
    int count;
};

BOOL CALLBACK count_own_window(HWND window, LPARAM context) {
    auto* c = reinterpret_cast<window_count*>(context);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == c->process && IsWindowVisible(window)) ++c->count;
    return TRUE;
}

void expect_failure_values() {
    cd_drive_settings s;
    memset(&s, 0x5A, sizeof(s));
    EXPECT_EQ(cd_ripper::get_drive_settings(s), 1);
    EXPECT_EQ(s.sectors_per_read, 0);  // zeroed all the same
    EXPECT_EQ(cd_ripper::set_drive_settings(cd_default_drive_settings()), 1);
    EXPECT_EQ(cd_ripper::drive_count(), 0);
    cd_ripper::select_drive(0);
    EXPECT_EQ(cd_ripper::current_drive(), 1);
    EXPECT_EQ(cd_ripper::update_drive(), 1);
    EXPECT_EQ(cd_ripper::set_drive_type(0), 1);
    int chunk_bytes = -5;
    EXPECT_EQ(cd_ripper::open_ripper(chunk_bytes, 0, 100), 1);
    EXPECT_EQ(chunk_bytes, -5);
    unsigned char buffer[61152];
    int bytes = 7;
    EXPECT_EQ(cd_ripper::rip_chunk(buffer, bytes, nullptr), 1);
    EXPECT_EQ(bytes, 0);
    EXPECT_EQ(cd_ripper::close_ripper(), 1);
    EXPECT_EQ(cd_ripper::read_toc(), 1);
    EXPECT_EQ(cd_ripper::toc_count(), 0);
    EXPECT_EQ(cd_ripper::toc_entry(0), 0u);
    int length = 9;
    EXPECT_EQ(cd_ripper::read_cd_text(buffer, sizeof(buffer), length), 1);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(cd_ripper::transport(), 0);
}

}  // namespace

// Plain Wine: no CD drive, no fake. The start answers "no drive" from the
// pass-through, every later call its failure value, and nothing shows a
// window.
TEST(cd_ripper, answers_failure_values_on_a_machine_without_cd_drives) {
    expect_failure_values();  // before any start
    EXPECT_EQ(cd_ripper::init(cd_ripper::transport_passthrough), cd_ripper::no_passthrough);
    expect_failure_values();
    window_count windows{GetCurrentProcessId(), 0};
    EnumWindows(&count_own_window, reinterpret_cast<LPARAM>(&windows));
    EXPECT_EQ(windows.count, 0);
    EXPECT_EQ(cd_ripper::deinit(), 0);
    expect_failure_values();
}

TEST(cd_ripper, start_codes) {
    {
        cd_test_rig rig;  // no drive letters at all
        EXPECT_EQ(rig.start(), cd_ripper::no_passthrough);
    }
    {
        cd_test_rig rig;  // a letter whose device is no CD drive
        rig.add('D', 0, 0).device_type = 0;
        EXPECT_EQ(rig.start(), cd_ripper::no_drive);
        EXPECT_EQ(cd_ripper::drive_count(), 0);
        EXPECT_EQ(cd_ripper::transport(), 0);
    }
    {
        cd_test_rig rig;  // a write-once drive counts
        rig.add('D', 0, 0).device_type = 4;
        EXPECT_EQ(rig.start(), 0);
        EXPECT_EQ(cd_ripper::drive_count(), 1);
        EXPECT_EQ(cd_ripper::transport(), cd_ripper::transport_passthrough);
        // A second start ends the first and finds the drives again.
        EXPECT_EQ(rig.start(), 0);
        EXPECT_EQ(cd_ripper::drive_count(), 1);
        EXPECT_EQ(rig.io.open_handles(), 0);
    }
}

TEST(cd_ripper, selects_and_clamps_the_current_drive) {
    cd_test_rig rig;
    rig.add('D', 0, 0);
    rig.add('E', 0, 1);
    ASSERT_EQ(rig.start(), 0);
    EXPECT_EQ(cd_ripper::current_drive(), 0);
    cd_ripper::select_drive(1);
    EXPECT_EQ(cd_ripper::current_drive(), 1);
    cd_ripper::select_drive(0x105);  // the low 8 bits
    EXPECT_EQ(cd_ripper::current_drive(), 5);
    // A current index past the drives names no drive until it is clamped.
    cd_drive_settings s;
    EXPECT_EQ(cd_ripper::get_drive_settings(s), 1);
    EXPECT_EQ(cd_ripper::read_toc(), 1);
    EXPECT_EQ(cd_ripper::update_drive(), 0);
    EXPECT_EQ(cd_ripper::current_drive(), 1);
    EXPECT_EQ(cd_ripper::get_drive_settings(s), 0);
    EXPECT_EQ(s.target, 1);
}

TEST(cd_ripper, reads_the_table_of_contents_of_the_current_drive) {
    cd_test_rig rig;
    rig.add('D', 0, 0).disc = virtual_disc::audio(12, 15000);
    virtual_cd_drive& second = rig.add('E', 0, 1);
    second.disc = virtual_disc::audio(2, 1000);
    second.disc.tracks.push_back({3, 4, 13000});  // a data track after the audio
    second.disc.lead_out = 20000;
    ASSERT_EQ(rig.start(), 0);

    EXPECT_EQ(cd_ripper::toc_count(), -1);  // not read yet: no lead-out
    ASSERT_EQ(cd_ripper::read_toc(), 0);
    EXPECT_EQ(cd_ripper::toc_count(), 12);
    EXPECT_EQ(cd_ripper::toc_entry(0), 0x0000011000000000ull);
    EXPECT_EQ(cd_ripper::toc_entry(11), 0x00000C1000000000ull | 165000u);
    EXPECT_EQ(cd_ripper::toc_entry(12), 0x0000AA1000000000ull | 180000u);  // lead-out
    EXPECT_EQ(cd_ripper::toc_entry(13), 0u);
    EXPECT_EQ(cd_ripper::toc_entry(-1), 0u);
    const std::vector<scsi_command> reads = rig.io.at('D').drive->commands(0x43);
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_EQ(reads[0].cdb, (std::vector<BYTE>{0x43, 0, 0, 0, 0, 0, 1, 0x08, 0x00, 0}));
    EXPECT_EQ(reads[0].length, 2048u);

    cd_ripper::select_drive(1);
    ASSERT_EQ(cd_ripper::read_toc(), 0);
    EXPECT_EQ(cd_ripper::toc_count(), 3);
    EXPECT_EQ(cd_ripper::toc_entry(2), 0x0000031400000000ull | 13000u);  // control 0x14: data
    cd_ripper::select_drive(0);
    EXPECT_EQ(cd_ripper::toc_count(), 12);  // each drive keeps its own table
}

TEST(cd_ripper, reads_raw_cd_text_when_the_drive_may) {
    cd_test_rig rig;
    virtual_cd_drive& drive = rig.add('D', 0, 0, "VIRTUAL CD-ROM  ", true, 2);
    std::vector<unsigned char> packs(3 * 18);
    for (size_t i = 0; i < packs.size(); ++i) packs[i] = static_cast<unsigned char>(i + 1);
    drive.disc.cd_text = packs;
    ASSERT_EQ(rig.start(), 0);

    unsigned char buffer[4096];
    memset(buffer, 0xEE, sizeof(buffer));
    int length = 0;
    ASSERT_EQ(cd_ripper::read_cd_text(buffer, sizeof(buffer), length), 0);
    EXPECT_EQ(length, 4 + 54);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(buffer[1], 56);
    EXPECT_EQ(memcmp(buffer + 4, packs.data(), packs.size()), 0);
    const std::vector<scsi_command> asked = drive.commands(0x43);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].cdb, (std::vector<BYTE>{0x43, 0x40, 5, 0, 0, 0, 1, 0, 4, 0}));  // LUN 2
    EXPECT_EQ(asked[1].cdb, (std::vector<BYTE>{0x43, 0x40, 5, 0, 0, 0, 1, 0, 58, 0}));

    // A buffer too small, a drive not allowed to, a disc without CD-Text.
    EXPECT_EQ(cd_ripper::read_cd_text(buffer, 57, length), 1);
    EXPECT_EQ(length, 0);
    rig.change_settings([](cd_drive_settings& s) { s.cd_text = 0; });
    EXPECT_EQ(cd_ripper::read_cd_text(buffer, sizeof(buffer), length), 1);
    rig.change_settings([](cd_drive_settings& s) { s.cd_text = 1; });
    drive.disc.cd_text.clear();
    const size_t commands = drive.log.size();
    EXPECT_EQ(cd_ripper::read_cd_text(buffer, sizeof(buffer), length), 1);
    EXPECT_EQ(drive.log.size(), commands + 1);  // the CHECK CONDITION ends it at the header
}

TEST(cd_ripper, refuses_a_ripping_mode_it_does_not_know) {
    cd_test_rig rig;
    virtual_cd_drive& drive = rig.add('D', 0, 0);
    ASSERT_EQ(rig.start(), 0);
    rig.change_settings([](cd_drive_settings& s) { s.ripping_mode = 2; });
    const size_t commands = drive.log.size();
    int chunk_bytes = 0;
    EXPECT_EQ(cd_ripper::open_ripper(chunk_bytes, 0, 100), 1);
    unsigned char buffer[61152];
    int bytes = 0;
    EXPECT_EQ(cd_ripper::rip_chunk(buffer, bytes, nullptr), 1);
    EXPECT_EQ(drive.log.size(), commands);  // no block size, no lock, no read

    rig.change_settings([](cd_drive_settings& s) {
        s.ripping_mode = 0;
        s.sectors_per_read = 0;
    });
    EXPECT_EQ(cd_ripper::open_ripper(chunk_bytes, 0, 100), 1);
    rig.change_settings([](cd_drive_settings& s) { s.sectors_per_read = 10; });
    EXPECT_EQ(cd_ripper::open_ripper(chunk_bytes, 0, 100), 0);
    EXPECT_EQ(chunk_bytes, 10 * 2352);
}
