// The drive table: drives found by letter whatever their SCSI address, the
// disc of a drive opened and refreshed, titles that follow the disc, and
// the extractor started once, ended with its last user, never restarted
// after a failed start.
#include <gtest/gtest.h>

#include "cd_drive_table.h"
#include "cd_services_rig.h"
#include "critsec.h"

namespace {

cd_disc_track titled(int number, const wchar_t* title) {
    cd_disc_track t;
    t.track_number = static_cast<unsigned char>(number);
    t.record.set_track_number(number);
    t.record.set_title(title);
    return t;
}

}  // namespace

// A drive on the second SCSI port and one that cannot tell its address are
// found by their letters like one on port 0.
TEST(cd_drive_table, finds_drives_by_letter_on_any_port_and_without_an_address) {
    cd_services_rig rig;
    rig.add('E', 0, 0);
    rig.add('F', 1, 0);
    rig.add('H', 0, 0, "OTHER CD-ROM    ", false);
    cd_drive_table::extractor_hold hold;
    ASSERT_TRUE(hold.acquire());
    cd_drive_table::init();
    EXPECT_EQ(cd_drive_table::drive_index(L"E"), 0);
    EXPECT_EQ(cd_drive_table::drive_index(L"f"), 1);
    EXPECT_EQ(cd_drive_table::drive_index(L"H"), 2);
    EXPECT_EQ(cd_drive_table::drive_index(L"Q"), -1);
    EXPECT_EQ(cd_drive_table::drive_index(L""), -1);
    EXPECT_EQ(cd_drive_table::drive_index(L"EF"), -1);
    EXPECT_EQ(cd_drive_table::drive_letter(1), L'F');
    EXPECT_EQ(cd_drive_table::drive_letter(3), 0);
    // The lookups leave the current drive where it was.
    cd_ripper::select_drive(2);
    cd_drive_table::drive_index(L"E");
    EXPECT_EQ(cd_ripper::current_drive(), 2);
}

TEST(cd_drive_table, opens_each_drive_with_its_own_disc_even_while_another_drive_is_current) {
    cd_services_rig rig;
    rig.add('E', 0, 0).disc = virtual_disc::audio(3, 2000);
    rig.add('F', 0, 1).disc = virtual_disc::audio(5, 1000);
    cd_drive_table::extractor_hold hold;
    ASSERT_TRUE(hold.acquire());
    const unsigned e_id = cd_disc_id_of(virtual_disc::audio(3, 2000));
    const unsigned f_id = cd_disc_id_of(virtual_disc::audio(5, 1000));
    ASSERT_NE(e_id, f_id);

    // The second drive, already current, opens as it is.
    cd_ripper::select_drive(1);
    cd_disc* f = cd_drive_table::open_disc(1);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->disc_id(), f_id);
    EXPECT_EQ(f->track_count(), 5);
    EXPECT_EQ(cd_ripper::current_drive(), 1);

    // Drive 0 in use (as by a playing track); opening it again while drive
    // 1 is current reads drive 0's disc, not the current drive's.
    cd_disc* e = cd_drive_table::open_disc(0);
    ASSERT_NE(e, nullptr);
    cd_ripper::select_drive(1);
    EXPECT_EQ(cd_drive_table::open_disc(0), e);
    EXPECT_EQ(e->disc_id(), e_id);
    EXPECT_EQ(cd_drive_table::record(0)->use_count, 2);
    cd_drive_table::release_disc(e);
    cd_drive_table::release_disc(e);
    EXPECT_EQ(cd_drive_table::record(0)->disc, nullptr);
    // A disc no record holds, and null, change nothing.
    cd_drive_table::release_disc(nullptr);
    cd_drive_table::release_disc(e);
    EXPECT_EQ(cd_drive_table::record(0)->use_count, 0);
    EXPECT_EQ(cd_drive_table::record(1)->use_count, 1);

    EXPECT_EQ(cd_drive_table::open_disc(2), nullptr);
    EXPECT_EQ(cd_drive_table::open_disc(1000), nullptr);

    // Found by id: opened in the drive that holds it.
    cd_disc* found = cd_drive_table::find_disc(f_id);
    EXPECT_EQ(found, f);
    cd_drive_table::release_disc(found);
    EXPECT_EQ(cd_drive_table::index_of_disc(e_id), 0);
    EXPECT_EQ(cd_drive_table::index_of_disc(0x12345678), -1);
    EXPECT_EQ(cd_drive_table::find_disc(0x12345678), nullptr);
    EXPECT_EQ(cd_drive_table::record(0)->use_count, 0);
}

TEST(cd_drive_table, a_swapped_disc_loses_the_titles_of_the_old_one_and_the_same_disc_keeps_them) {
    cd_services_rig rig;
    rig.add('E', 0, 0).disc = virtual_disc::audio(3, 2000);
    cd_drive_table::extractor_hold hold;
    ASSERT_TRUE(hold.acquire());
    cd_disc* disc = cd_drive_table::open_disc(0);
    ASSERT_NE(disc, nullptr);
    cd_drive_record& r = *cd_drive_table::record(0);
    EXPECT_TRUE(r.titles.empty());
    EXPECT_EQ(r.titles_disc_id, disc->disc_id());
    r.titles = {titled(1, L"첫 곡"), titled(2, L"둘째 곡")};
    cd_drive_table::release_disc(disc);

    disc = cd_drive_table::open_disc(0);  // the same disc
    ASSERT_EQ(r.titles.size(), 2u);
    EXPECT_EQ(r.titles[0].record.title(), L"첫 곡");
    cd_drive_table::release_disc(disc);

    // A new disc (the drive reports the medium change once).
    rig.io.swap_disc('E', virtual_disc::audio(7, 500));
    disc = cd_drive_table::open_disc(0);
    ASSERT_NE(disc, nullptr);
    EXPECT_EQ(disc->track_count(), 7);
    EXPECT_TRUE(r.titles.empty());
    EXPECT_EQ(r.titles_disc_id, disc->disc_id());
    cd_drive_table::release_disc(disc);

    // Taken out: the drive still gives its disc, without tracks or id.
    rig.io.at('E').drive->medium = false;
    r.titles = {titled(1, L"old")};
    disc = cd_drive_table::open_disc(0);
    ASSERT_NE(disc, nullptr);
    EXPECT_LE(disc->track_count(), 0);
    EXPECT_EQ(disc->disc_id(), 0u);
    EXPECT_TRUE(r.titles.empty());
    cd_drive_table::release_disc(disc);
}

TEST(cd_drive_table, the_extractor_runs_while_it_has_users_and_each_user_counts_once) {
    cd_services_rig rig;
    rig.add('E', 0, 0);
    {
        cd_drive_table::extractor_hold a, b;
        ASSERT_TRUE(a.acquire());
        ASSERT_TRUE(a.acquire());
        EXPECT_EQ(cd_drive_table::extractor_users(), 1);
        ASSERT_TRUE(b.acquire());
        EXPECT_EQ(cd_drive_table::extractor_users(), 2);
        a.release();
        a.release();
        EXPECT_EQ(cd_drive_table::extractor_users(), 1);
        EXPECT_EQ(cd_ripper::drive_count(), 1);
    }
    // The last one let go: the extractor is gone, and the next user starts
    // it again.
    EXPECT_EQ(cd_drive_table::extractor_users(), 0);
    EXPECT_EQ(cd_ripper::drive_count(), 0);
    cd_drive_table::extractor_hold c;
    EXPECT_TRUE(c.acquire());
    EXPECT_EQ(cd_ripper::drive_count(), 1);
}

// A machine whose only drive letter is no CD drive: the start fails, and
// no later user starts it again (no second scan of the drives), however
// often it asks; each asks and gets its answer at once.
TEST(cd_drive_table, a_failed_extractor_start_is_never_tried_again) {
    cd_services_rig rig;
    rig.add('D', 0, 0).device_type = 0;
    cd_drive_table::extractor_hold first;
    EXPECT_FALSE(first.acquire());
    EXPECT_TRUE(cd_drive_table::extractor_failed());
    const size_t probes = rig.io.opens.size();
    EXPECT_GT(probes, 0u);
    first.release();
    for (int i = 0; i < 50; ++i) {
        cd_drive_table::extractor_hold again;
        EXPECT_FALSE(again.acquire());
        EXPECT_EQ(cd_drive_table::open_disc(0), nullptr);
        EXPECT_EQ(cd_drive_table::drive_index(L"D"), -1);
    }
    EXPECT_EQ(rig.io.opens.size(), probes);
    EXPECT_EQ(cd_drive_table::extractor_users(), 0);
}

TEST(cd_drive_table, the_current_drive_guard_puts_the_drive_back) {
    cd_services_rig rig;
    rig.add('E', 0, 0);
    rig.add('F', 0, 1);
    cd_drive_table::extractor_hold hold;
    ASSERT_TRUE(hold.acquire());
    {
        cd_current_drive keep;
        cd_drive_table::open_disc(1);
        EXPECT_EQ(cd_ripper::current_drive(), 1);
    }
    EXPECT_EQ(cd_ripper::current_drive(), 0);
    EXPECT_EQ(cd_drive_table::lock().get_lock_count(), 0);
}
