// The paranoia ripping mode: libcdparanoia reads the virtual drive through
// the extractor's reader, sector by sector, to the end of the range.
#include "cd_paranoia.h"

#include <gtest/gtest.h>

#include "cd_test_rig.h"

TEST(cd_paranoia, library_mode_of_each_level) {
    EXPECT_EQ(cd_paranoia_mode(0), 4);
    EXPECT_EQ(cd_paranoia_mode(1), 0xDE);
    EXPECT_EQ(cd_paranoia_mode(2), 0xC7);
    EXPECT_EQ(cd_paranoia_mode(3), 0xDF);
    EXPECT_EQ(cd_paranoia_mode(-1), 0xDF);
}

TEST(cd_paranoia, rips_a_range_exactly_at_every_level) {
    for (int level = 0; level < 4; ++level) {
        SCOPED_TRACE(level);
        cd_test_rig rig;
        virtual_cd_drive& drive = rig.add('D', 0, 0);
        ASSERT_EQ(rig.start(), 0);
        rig.change_settings([&](cd_drive_settings& s) {
            s.ripping_mode = 1;
            s.paranoia_level = level;
        });
        const cd_test_rig::rip_result r = cd_test_rig::rip(2000, 2099);
        EXPECT_TRUE(r.audio == drive.sectors(2000, 100));
        // 26 sectors a chunk; the last one stops at the end of the range.
        EXPECT_EQ(r.sizes, (std::vector<int>{26 * 2352, 26 * 2352, 26 * 2352, 22 * 2352, 0}));
        EXPECT_EQ(r.results.back(), cd_ripper::chunk_end);
    }
}

// libcdparanoia retries for as long as its reads deliver nothing: an
// aborted rip, or a range of which nothing can be read, used to keep the
// caller's thread in the library for ever.
TEST(cd_paranoia, ends_the_chunk_when_aborted_or_when_nothing_can_be_read) {
    for (bool abort : {true, false}) {
        SCOPED_TRACE(abort);
        cd_test_rig rig;
        virtual_cd_drive& drive = rig.add('D', 0, 0);
        if (!abort)
            for (long s = 1000; s < 3000; ++s) drive.bad_sectors.insert(s);
        ASSERT_EQ(rig.start(), 0);
        rig.change_settings([](cd_drive_settings& s) { s.ripping_mode = 1; });
        int chunk_bytes = 0;
        ASSERT_EQ(cd_ripper::open_ripper(chunk_bytes, 2000, 2099), 0);
        std::vector<unsigned char> chunk(static_cast<size_t>(chunk_bytes));
        int flag = abort ? 1 : 0, bytes = 0;
        EXPECT_EQ(cd_ripper::rip_chunk(chunk.data(), bytes, &flag), cd_ripper::failed);
        EXPECT_EQ(bytes, 0);
        flag = 0;
        EXPECT_EQ(cd_ripper::rip_chunk(chunk.data(), bytes, &flag),
                  cd_ripper::failed);  // the rip stays ended
        EXPECT_EQ(cd_ripper::close_ripper(), 0);
        EXPECT_LT(drive.log.size(), 1000u);
    }
}
