// The CD input on its own: a track ripped whole and in place, seeks, the
// end, the one-rip-at-a-time rule, and a playing track that keeps its drive
// while other work changes the current drive.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <limits>
#include <memory>
#include <thread>

#include "cd_drive_table.h"
#include "cd_input.h"
#include "cd_services_rig.h"
#include "cd_track_name.h"

namespace {

constexpr int sector = 2352;

// Drive E holds three tracks of 300 sectors (4 s), F another disc.
struct input_rig {
    input_rig() {
        rig.add('E', 0, 0).disc = virtual_disc::audio(3, 300);
        rig.add('F', 0, 1).disc = virtual_disc::audio(2, 450);
    }
    virtual_cd_drive& drive(wchar_t letter) { return *rig.io.at(letter).drive; }
    std::wstring name(int track, wchar_t letter = L'E') {
        return cd_track_name::make(track, cd_disc_id_of(drive(letter).disc), letter);
    }
    bool open(cd_input& in, const std::wstring& path) {
        list_info e = cd_entry(path);
        return in.open(nullptr, &e);
    }
    // The drive's own bytes of sectors first .. first + count - 1.
    std::vector<unsigned char> source(wchar_t letter, long first, long count) {
        return drive(letter).sectors(first, count);
    }
    cd_services_rig rig;
};

}  // namespace

// The drive delivers each frame left sample first, as the engine takes
// them: the input keeps that order (no channel swap), and the jitter of the
// drive's reads does not show.
TEST(cd_input, delivers_a_track_exactly_as_the_disc_holds_it_left_and_right_in_place) {
    input_rig r;
    // Every read after the drive's first starts up to 800 bytes off.
    r.drive('E').jitter_steps = 200;
    cd_input in;
    ASSERT_TRUE(r.open(in, r.name(2)));
    audio_format f = {};
    in.get_format(&f);
    EXPECT_EQ(f.format_tag, 1);
    EXPECT_EQ(f.channels, 2);
    EXPECT_EQ(f.sample_rate, 44100);
    EXPECT_EQ(f.bits_per_sample, 16);
    EXPECT_DOUBLE_EQ(f.length, 4.0);
    EXPECT_DOUBLE_EQ(f.bitrate, 1411.2);
    EXPECT_EQ(in.position(), 0.0);
    const std::vector<unsigned char> got = cd_read_all(in);
    const std::vector<unsigned char> want = r.source('E', 300, 300);
    ASSERT_EQ(got.size(), want.size());
    EXPECT_TRUE(got == want);
    // Left = low 16 bits of the frame number: frame 300 x 588 comes first.
    EXPECT_EQ(got[0] | (got[1] << 8), (300 * 588) & 0xFFFF);
    EXPECT_EQ(in.read(nullptr, 100), 0);
    EXPECT_LT(in.read(std::vector<unsigned char>(100).data(), 100), 0);
    EXPECT_DOUBLE_EQ(in.position(), 4.0);
    // The drive settings the input wrote: seven sectors of overlap, the
    // drive's own speed, channels as delivered.
    cd_drive_settings s;
    cd_ripper::select_drive(0);
    cd_ripper::get_drive_settings(s);
    EXPECT_EQ(s.overlap_sectors, 7);
    EXPECT_EQ(s.speed, 0);
    EXPECT_EQ(s.swap_channels, 0);
}

TEST(cd_input, a_seek_to_half_restarts_at_the_sector_of_the_middle_byte_and_reports_the_target) {
    input_rig r;
    r.drive('E').disc = virtual_disc::audio(3, 301);  // an odd length: the middle lies inside a sector
    cd_input in;
    ASSERT_TRUE(r.open(in, r.name(2)));
    std::vector<unsigned char> head(30000);
    ASSERT_EQ(in.read(head.data(), 30000), 30000);
    const int reads = r.drive('E').reads;
    const double half = 301 / 75.0 / 2;
    in.seek(half);
    EXPECT_DOUBLE_EQ(in.position(), half);
    const long restart = 301 + 301 * sector / 2 / sector;  // sector 150 of the track
    const std::vector<unsigned char> got = cd_read_all(in);
    EXPECT_GT(r.drive('E').reads, reads);
    const std::vector<unsigned char> want = r.source('E', restart, 301 + 301 - restart);
    ASSERT_EQ(got.size(), want.size());
    EXPECT_TRUE(got == want);

    // A seek back after the end does not start the track again.
    in.seek(0.0);
    EXPECT_LT(in.read(head.data(), 100), 0);
}

// Past the end, into the last sectors, and nonsense targets: no sample of
// the next track, never a crash.
TEST(cd_input, seeks_stay_inside_the_track) {
    input_rig r;
    const struct {
        double target;
        long restart;  // sector of the track
        double reported;
    } cases[] = {
        {-3.0, 0, 0.0}, {0.0, 0, 0.0}, {3.96, 297, 3.96}, {4.0, 300, 4.0}, {60.0, 300, 4.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        cd_input in;
        ASSERT_TRUE(r.open(in, r.name(1)));
        in.seek(c.target);
        EXPECT_DOUBLE_EQ(in.position(), c.reported);
        const std::vector<unsigned char> got = cd_read_all(in);
        EXPECT_TRUE(got == r.source('E', c.restart, 300 - c.restart));
        in.close();
    }
    cd_input in;
    ASSERT_TRUE(r.open(in, r.name(1)));
    in.seek(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(in.position(), 0.0);
    EXPECT_EQ(cd_read_all(in).size(), 300u * sector);
}

TEST(cd_input, delivers_what_is_queued_after_the_end_then_reports_the_end) {
    input_rig r;
    cd_input in;
    ASSERT_TRUE(r.open(in, r.name(3)));
    std::vector<unsigned char> all(300 * sector + 1000);
    // One request bigger than the track: a short count, then the end.
    EXPECT_EQ(in.read(all.data(), static_cast<int>(all.size())), 300 * sector);
    EXPECT_EQ(in.read(all.data(), 4), -1);
    EXPECT_EQ(in.read(all.data(), 4), -1);
}

TEST(cd_input, refuses_what_it_cannot_play_and_leaves_the_next_input_free) {
    input_rig r;
    r.rig.add('G', 0, 2).disc = cd_disc_of({{1, 0, 0}, {2, 4, 5000}}, 9000);
    const unsigned e_id = cd_disc_id_of(r.drive('E').disc);
    const std::wstring refused[] = {
        L"E:\\Track01.cda",                           // a track file given straight
        L"cdda://E.cda",                              // a drive name
        L"cdda://01|" + std::to_wstring(e_id),        // two fields
        cd_track_name::make(1, e_id, L'F'),           // the disc is not in F
        cd_track_name::make(1, e_id, L'Q'),           // no drive Q
        cd_track_name::make(4, e_id, L'E'),           // no track 4
        cd_track_name::make(0, e_id, L'E'),
        cd_track_name::make(2, cd_disc_id_of(r.drive('G').disc), L'G'),  // data
        L"",
    };
    for (const std::wstring& path : refused) {
        cd_input in;
        EXPECT_FALSE(r.open(in, path)) << path;
    }
    cd_input none;
    EXPECT_FALSE(none.open(nullptr, nullptr));
    // Each refusal gave the rip free again: a rip still held would make this
    // open wait its 10 s and fail.
    cd_input in;
    EXPECT_TRUE(r.open(in, r.name(1)));
    EXPECT_EQ(cd_drive_table::record(1)->use_count, 0);  // F was let go
}

// One rip at a time: a second input opens once the first closes, or fails
// after waiting 10 s.
TEST(cd_input, a_second_track_opens_when_the_first_closes_and_not_before) {
    input_rig r;
    auto first = std::make_unique<cd_input>();
    ASSERT_TRUE(r.open(*first, r.name(1)));
    std::atomic<int> second_result{-1};
    cd_input second;
    std::thread opener([&] { second_result = r.open(second, r.name(2)) ? 1 : 0; });
    Sleep(500);
    EXPECT_EQ(second_result.load(), -1);  // still waiting
    std::vector<unsigned char> some(5000);
    EXPECT_EQ(first->read(some.data(), 5000), 5000);  // the first plays on meanwhile
    first.reset();
    opener.join();
    EXPECT_EQ(second_result.load(), 1);
    EXPECT_TRUE(cd_read_all(second) == r.source('E', 300, 300));

    const DWORD begin = GetTickCount();
    cd_input third;
    EXPECT_FALSE(r.open(third, r.name(3)));
    const DWORD waited = GetTickCount() - begin;
    EXPECT_GE(waited, 9500u);
    EXPECT_LT(waited, 20000u);  // it gives up, with room for a busy machine
    second.close();
    EXPECT_TRUE(r.open(third, r.name(3)));
}

// Other work on the drives (a track file looked for in every drive, a tag
// of another drive) changes the process's current drive; the playing track
// goes on reading its own drive, also after a seek.
TEST(cd_input, a_playing_track_keeps_reading_its_own_drive_while_others_are_used) {
    input_rig r;
    cd_input in;
    ASSERT_TRUE(r.open(in, r.name(1)));
    std::vector<unsigned char> got(70000);
    ASSERT_EQ(in.read(got.data(), 70000), 70000);
    const std::vector<unsigned char> head = r.source('E', 0, 30);
    EXPECT_TRUE(std::equal(got.begin(), got.end(), head.begin()));
    {
        cd_drive_table::extractor_hold hold;
        ASSERT_TRUE(hold.acquire());
        EXPECT_EQ(cd_drive_table::index_of_disc(0x12345678), -1);  // opens every drive
        cd_disc* f = cd_drive_table::open_disc(1);
        cd_drive_table::release_disc(f);
    }
    EXPECT_EQ(cd_ripper::current_drive(), 1);
    got.resize(140000);
    ASSERT_EQ(in.read(got.data() + 70000, 70000), 70000);
    const std::vector<unsigned char> more = r.source('E', 0, 60);
    EXPECT_TRUE(std::equal(got.begin(), got.end(), more.begin()));

    // The rip reopens on its own drive, and the current drive stays.
    in.seek(2.0);
    const std::vector<unsigned char> after = cd_read_all(in);
    EXPECT_TRUE(after == r.source('E', 150, 150));
    EXPECT_EQ(cd_ripper::current_drive(), 1);
}

// The last audio track of an enhanced CD ends before the data session: its
// length and its audio stop there.
TEST(cd_input, the_last_audio_track_before_a_data_session_ends_with_its_audio) {
    input_rig r;
    r.drive('E').disc = cd_disc_of({{1, 0, 0}, {2, 0, 300}, {3, 4, 12000}}, 13000);
    cd_input in;
    ASSERT_TRUE(r.open(in, r.name(2)));
    audio_format f = {};
    in.get_format(&f);
    EXPECT_DOUBLE_EQ(f.length, (12000 - 11400 - 300) / 75.0);
    EXPECT_TRUE(cd_read_all(in) == r.source('E', 300, 300));
}
