// A disc's table of contents as the player reads it from a drive: its
// entries and default titles, its two identifiers, and where each track
// ends, for the discs that trip the rules up.
#include <gtest/gtest.h>

#include "cd_disc.h"
#include "cd_services_rig.h"
#include "cd_track_record.h"

namespace {

// The disc read from a virtual drive holding it.
struct read_disc {
    explicit read_disc(const virtual_disc& d) {
        rig.add('E', 0, 0).disc = d;
        started = rig.start() == cd_ripper::ok;
        read = disc.read_toc();
    }
    cd_test_rig rig;
    cd_disc disc;
    bool started = false;
    bool read = false;
};

}  // namespace

TEST(cd_track_record, a_new_record_has_the_default_texts) {
    cd_track_record r;
    EXPECT_EQ(r.title(), L"");
    EXPECT_EQ(r.artist(), L"아티스트 없음");
    EXPECT_EQ(r.album(), L"앨범 없음");
    EXPECT_EQ(r.comment(), L"");
    EXPECT_EQ(r.genre(), L"Other");
    EXPECT_EQ(r.track_number(), 0);
    EXPECT_EQ(r.year(), 0);
    r.set_title(L"제목");
    r.set_year(1999);
    cd_track_record copy = r;
    EXPECT_EQ(copy.title(), L"제목");
    EXPECT_EQ(copy.year(), 1999);
    EXPECT_EQ(copy.album(), L"앨범 없음");
}

TEST(cd_disc, the_three_track_example_gives_its_published_identifiers_and_default_titles) {
    read_disc r(cd_disc_of({{1, 0, 0}, {2, 0, 15000}, {3, 0, 30000}}, 45000));
    ASSERT_TRUE(r.started);
    ASSERT_TRUE(r.read);
    EXPECT_EQ(r.disc.track_count(), 3);
    EXPECT_EQ(r.disc.cddb_id(), 0x0C025803u);
    EXPECT_EQ(r.disc.disc_id(), 0x00094200u);
    const wchar_t* titles[] = {L"Audio Track 01", L"Audio Track 02", L"Audio Track 03"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(r.disc.track(i).record.title(), titles[i]);
        EXPECT_EQ(r.disc.track(i).track_number, i + 1);
        EXPECT_TRUE(r.disc.track(i).is_audio());
        EXPECT_EQ(r.disc.track(i).record.artist(), L"아티스트 없음");
    }
    EXPECT_EQ(r.disc.track(3).track_number, cd_disc::lead_out_number);
    EXPECT_EQ(r.disc.track(3).start_sector, 45000);
    EXPECT_EQ(r.disc.track_end_sector(1), 14999);
    EXPECT_EQ(r.disc.track_end_sector(3), 44999);
    EXPECT_EQ(r.disc.track_end_sector(4), 0);
    EXPECT_EQ(r.disc.track_sectors(2), 15000);
}

// Every case: the identifiers and, per track, its end sector and length.
TEST(cd_disc, discs_with_data_tracks_one_track_or_a_late_first_entry_end_their_tracks_soundly) {
    struct track_end {
        int number;
        int end;
        int sectors;
    };
    const struct {
        const char* name;
        virtual_disc disc;
        unsigned disc_id;
        unsigned cddb_id;
        std::vector<track_end> ends;
    } cases[] = {
        // Audio, audio, then a data session: the last audio track ends where
        // the first session's lead-out begins, 11400 sectors before the data
        // (lead-out, lead-in and pregap belong to no track). Its length
        // counts no silence past the audio.
        {"enhanced",
         cd_disc_of({{1, 0, 0}, {2, 0, 20000}, {3, 4, 40000}}, 60000),
         0x00041E32u,
         0x1F032003u,
         {{1, 19999, 20000}, {2, 28599, 8600}, {3, 59999, 20000}}},
        // A data track first: it ends right before the audio (never a
        // negative length), the audio tracks as usual.
        {"data first",
         cd_disc_of({{1, 4, 0}, {2, 0, 12000}, {3, 0, 30000}}, 50000),
         0x00085600u,
         0x11029A03u,
         {{1, 11999, 12000}, {2, 29999, 18000}, {3, 49999, 20000}}},
        // One track: the lead-out's start is added to the sum.
        {"one track", cd_disc_of({{1, 0, 0}}, 20000), 0x00000200u + 20000u, 0x02010A01u, {{1, 19999, 20000}}},
        // Entry 0 reporting 150 sectors before the start (as unsigned, very
        // late) is read as starting at 0, and so is one past 80 minutes.
        {"negative first entry",
         cd_disc_of({{1, 0, -150}, {2, 0, 15000}, {3, 0, 30000}}, 45000),
         0x00094200u,
         0x0C025803u,
         {{1, 14999, 15000}}},
        {"first entry past 80 minutes",
         cd_disc_of({{1, 0, 400000}, {2, 0, 15000}, {3, 0, 30000}}, 45000),
         0x00094200u,
         0x0C025803u,
         {{1, 14999, 15000}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        read_disc r(c.disc);
        ASSERT_TRUE(r.read);
        EXPECT_EQ(r.disc.disc_id(), c.disc_id);
        EXPECT_EQ(r.disc.cddb_id(), c.cddb_id);
        for (const track_end& e : c.ends) {
            EXPECT_EQ(r.disc.track_end_sector(e.number), e.end) << "track " << e.number;
            EXPECT_EQ(r.disc.track_sectors(e.number), e.sectors) << "track " << e.number;
        }
    }
}

TEST(cd_disc, data_tracks_are_titled_as_data) {
    read_disc r(cd_disc_of({{1, 4, 0}, {2, 0, 12000}}, 30000));
    ASSERT_TRUE(r.read);
    EXPECT_FALSE(r.disc.track(0).is_audio());
    EXPECT_EQ(r.disc.track(0).record.title(), L"Data Track");
    EXPECT_EQ(r.disc.track(1).record.title(), L"Audio Track 02");
}

TEST(cd_disc, an_empty_drive_gives_no_entries_and_both_identifiers_zero) {
    cd_test_rig rig;
    virtual_cd_drive& drive = rig.add('E', 0, 0);
    ASSERT_EQ(rig.start(), cd_ripper::ok);
    cd_disc disc;
    ASSERT_TRUE(disc.read_toc());
    EXPECT_NE(disc.disc_id(), 0u);
    drive.medium = false;
    EXPECT_FALSE(disc.read_toc());
    EXPECT_LE(disc.track_count(), 0);
    EXPECT_EQ(disc.disc_id(), 0u);
    EXPECT_EQ(disc.cddb_id(), 0u);
    EXPECT_EQ(disc.track_end_sector(1), 0);
    EXPECT_EQ(disc.track(0).track_number, 0);  // an empty entry, not a crash
    EXPECT_EQ(disc.index_of_track(1), -1);
}
