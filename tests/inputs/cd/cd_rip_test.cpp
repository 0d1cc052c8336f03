// Ripping in normal mode on the virtual drive, whose audio tells every
// byte's position: jitter corrected to the byte, chunk sizes, the shortest
// range, a restart in the middle, unreadable sectors, byte and channel order,
// and a rip that keeps to its drive.
#include <gtest/gtest.h>

#include <algorithm>

#include "cd_test_rig.h"

namespace {

constexpr int sector = 2352;

// A rig with one drive whose disc has three tracks of 2000 sectors; track 2
// (sectors 2000 to 3999) has audio on both sides.
struct one_drive {
    one_drive() : drive(rig.add('D', 0, 0)) { EXPECT_EQ(rig.start(), 0); }
    cd_test_rig rig;
    virtual_cd_drive& drive;
};

bool all_zero(const std::vector<unsigned char>& bytes, size_t from, size_t n) {
    return std::all_of(bytes.begin() + from, bytes.begin() + from + n,
                       [](unsigned char b) { return b == 0; });
}

}  // namespace

TEST(cd_rip, corrects_jitter_to_the_byte_over_a_whole_track) {
    for (int steps : {0, 64, 1000}) {  // shifts up to 0, 256 and 4000 bytes either way
        SCOPED_TRACE(steps);
        one_drive d;
        d.drive.jitter_steps = steps;  // every read after the first
        const cd_test_rig::rip_result r = cd_test_rig::rip(2000, 3999);
        EXPECT_TRUE(r.audio == d.drive.sectors(2000, 2000));
        EXPECT_EQ(r.audio.size(), 2000u * sector);
        ASSERT_FALSE(r.results.empty());
        EXPECT_EQ(r.results.back(), cd_ripper::chunk_end);
        EXPECT_EQ(std::count(r.results.begin(), r.results.end(), 0), static_cast<long>(r.results.size()) - 1);
    }
}

TEST(cd_rip, delivers_a_whole_first_chunk_then_the_new_part_of_each_overlapping_read) {
    one_drive d;
    const cd_test_rig::rip_result r = cd_test_rig::rip(2000, 3999);
    ASSERT_GE(r.sizes.size(), 3u);
    EXPECT_EQ(r.sizes[0], 26 * sector);  // 61152
    EXPECT_EQ(r.sizes[1], 19 * sector);  // 26 read, 7 of them again: found at 16464
    EXPECT_EQ(r.sizes[2], 19 * sector);
    // Every read after the first starts 7 sectors before the previous end.
    const std::vector<scsi_command> reads = d.drive.commands(0xBE);
    ASSERT_GE(reads.size(), 3u);
    auto lba = [](const scsi_command& c) {
        return (c.cdb[2] << 24) | (c.cdb[3] << 16) | (c.cdb[4] << 8) | c.cdb[5];
    };
    EXPECT_EQ(lba(reads[0]), 2000);
    EXPECT_EQ(lba(reads[1]), 2019);
    EXPECT_EQ(lba(reads[2]), 2038);
}

TEST(cd_rip, rips_at_least_ten_sectors) {
    one_drive d;
    const cd_test_rig::rip_result r = cd_test_rig::rip(500, 502);
    EXPECT_TRUE(r.audio == d.drive.sectors(500, 10));
    EXPECT_EQ(r.results, (std::vector<int>{0, cd_ripper::chunk_end}));
}

// A seek reopens the rip from the sector that holds the target byte.
TEST(cd_rip, restarts_in_the_middle_of_a_track) {
    one_drive d;
    int chunk_bytes = 0;
    ASSERT_EQ(cd_ripper::open_ripper(chunk_bytes, 2000, 3999), 0);
    std::vector<unsigned char> chunk(static_cast<size_t>(chunk_bytes));
    int bytes = 0;
    ASSERT_EQ(cd_ripper::rip_chunk(chunk.data(), bytes, nullptr), 0);
    ASSERT_EQ(cd_ripper::close_ripper(), 0);
    const unsigned half = 2000 + (2000 * sector / 2) / sector;
    const cd_test_rig::rip_result r = cd_test_rig::rip(half, 3999);
    EXPECT_TRUE(r.audio == d.drive.sectors(3000, 1000));
}

// One sector that cannot be read (2030 lies in the second read only): its
// chunk comes back as zeros with no match found, and the rip goes on to the
// end of the range, where the audio is the disc's again.
TEST(cd_rip, delivers_silence_for_an_unreadable_chunk_and_goes_on) {
    for (int retry : {0, 1}) {
        SCOPED_TRACE(retry);
        one_drive d;
        d.drive.bad_sectors.insert(2030);
        d.rig.change_settings([&](cd_drive_settings& s) {
            s.read_retry = retry;
            s.speed = 8;
        });
        const cd_test_rig::rip_result r = cd_test_rig::rip(2000, 3999);
        ASSERT_FALSE(r.results.empty());
        EXPECT_EQ(r.results.back(), cd_ripper::chunk_end);
        size_t at = 0;
        int zero_chunks = 0;
        for (size_t i = 0; i < r.results.size(); ++i) {
            if (r.results[i] == cd_ripper::chunk_no_match && all_zero(r.audio, at, r.sizes[i])) ++zero_chunks;
            at += static_cast<size_t>(r.sizes[i]);
        }
        EXPECT_EQ(zero_chunks, 1);
        // The last 1000 sectors delivered are the disc's, in one piece.
        const std::vector<unsigned char> source = d.drive.sectors(2000, 2000);
        ASSERT_GT(r.audio.size(), 1000u * sector);
        const auto tail = r.audio.end() - 1000 * sector;
        EXPECT_NE(std::search(source.begin(), source.end(), tail, r.audio.end()), source.end());
        // With a retry: a read far from the bad one, speed 1, the read again.
        const std::vector<scsi_command> speeds = d.drive.commands(0xBB);
        const bool slowed = std::any_of(speeds.begin(), speeds.end(), [](const scsi_command& c) {
            return c.cdb[2] == 0 && c.cdb[3] == 176;
        });
        EXPECT_EQ(slowed, retry == 1);
    }
}

TEST(cd_rip, puts_channels_and_bytes_in_order) {
    const struct {
        bool big_endian_drive;
        int endian, swap_channels;
        bool left_first;
    } cases[] = {
        {false, 1, 0, true},
        {false, 1, 1, false},
        {true, 0, 0, true},
        {true, 0, 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.big_endian_drive * 100 + c.endian * 10 + c.swap_channels);
        one_drive d;
        d.drive.big_endian = c.big_endian_drive;
        d.rig.change_settings([&](cd_drive_settings& s) {
            s.drive_type = cd_drive_type_custom;
            s.endian = c.endian;
            s.swap_channels = c.swap_channels;
        });
        const cd_test_rig::rip_result r = cd_test_rig::rip(2000, 2009);
        ASSERT_EQ(r.audio.size(), 10u * sector);
        // Frame 2000 x 588 = 0x11F1C0: left 0xF1C0, right 0x0011 ^ 0x5A5A ^ salt.
        const unsigned left = 0xF1C0, right = (0x0011 ^ 0x5A5A ^ d.drive.salt) & 0xFFFF;
        const unsigned first = r.audio[0] | (r.audio[1] << 8), second = r.audio[2] | (r.audio[3] << 8);
        EXPECT_EQ(first, c.left_first ? left : right);
        EXPECT_EQ(second, c.left_first ? right : left);
    }
}

// The extraction layer has one current drive for the whole process; a rip
// that followed it would read another drive's disc after any selection
// (to list or look up another drive) made during playback.
TEST(cd_rip, keeps_reading_the_drive_it_was_opened_on) {
    cd_test_rig rig;
    virtual_cd_drive& first = rig.add('D', 0, 0);
    virtual_cd_drive& second = rig.add('E', 0, 1);
    ASSERT_EQ(rig.start(), 0);
    int chunk_bytes = 0;
    ASSERT_EQ(cd_ripper::open_ripper(chunk_bytes, 2000, 2099), 0);
    cd_ripper::select_drive(1);
    cd_ripper::update_drive();
    ASSERT_EQ(cd_ripper::read_toc(), 0);
    std::vector<unsigned char> audio, chunk(static_cast<size_t>(chunk_bytes));
    int bytes = 0;
    while (cd_ripper::rip_chunk(chunk.data(), bytes, nullptr) != cd_ripper::chunk_end)
        audio.insert(audio.end(), chunk.begin(), chunk.begin() + bytes);
    EXPECT_EQ(cd_ripper::current_drive(), 1);
    EXPECT_TRUE(audio == first.sectors(2000, 100));
    EXPECT_TRUE(second.commands(0xBE).empty());
    EXPECT_EQ(cd_ripper::close_ripper(), 0);
    EXPECT_EQ(first.commands(0x1E).size(), 2u);  // locked and unlocked on the rip's drive
    EXPECT_TRUE(second.commands(0x1E).empty());
}

TEST(cd_rip, spins_up_on_the_first_sector_before_the_first_chunk) {
    one_drive d;
    d.rig.change_settings([](cd_drive_settings& s) { s.spin_up_seconds = 1; });
    const cd_test_rig::rip_result r = cd_test_rig::rip(2000, 2099);
    EXPECT_TRUE(r.audio == d.drive.sectors(2000, 100));
    const std::vector<scsi_command> reads = d.drive.commands(0xBE);
    ASSERT_GE(reads.size(), 3u);
    EXPECT_EQ(reads[0].cdb[8], 1);  // one sector
    EXPECT_EQ(reads[0].cdb[5], 2000 & 0xFF);
    EXPECT_EQ(reads[1].cdb[8], 1);
}
