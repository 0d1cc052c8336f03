// Drive names expanded into track entries, linked in directly (the ".cda"
// files, which need the file stream of zel_in_std, are in the component
// tests).
#include <gtest/gtest.h>

#include "cd_drive_table.h"
#include "cd_services_rig.h"
#include "cda_expander.h"

namespace {

struct expander_rig {
    expander_rig() {
        rig.add('E', 0, 0).disc = cd_disc_of({{1, 0, 0}, {2, 0, 15000}, {3, 0, 30000}}, 45000);
    }
    cd_services_rig rig;
    cda_expander expander;
    std::vector<list_info> entries;
};

std::wstring text(const wchar_t* s) { return s ? s : L""; }

}  // namespace

// The example disc (0x00094200) without titles: every audio track gets the
// titles of its table of contents.
TEST(cda_expander, a_drive_name_in_either_case_gives_one_entry_per_track) {
    for (const wchar_t* name : {L"cdda://E.cda", L"cdda://e.cda", L"CDDA://e.CDA"}) {
        SCOPED_TRACE(name);
        expander_rig r;  // the table persists: the titles of the first run stay
        r.entries.resize(1);  // entries are appended after what is there
        ASSERT_TRUE(r.expander.expand(name, r.entries));
        ASSERT_EQ(r.entries.size(), 4u);
        const wchar_t* paths[] = {L"cdda://01|00094200|E.cda", L"cdda://02|00094200|E.cda",
                                  L"cdda://03|00094200|E.cda"};
        for (int i = 0; i < 3; ++i) {
            const list_info& e = r.entries[static_cast<size_t>(i) + 1];
            EXPECT_EQ(text(e.path), paths[i]);
            EXPECT_EQ(text(e.title), std::wstring(L"Audio Track 0") + wchar_t(L'1' + i));
            EXPECT_EQ(text(e.artist), L"아티스트 없음");
            EXPECT_EQ(text(e.album), L"앨범 없음");
            EXPECT_EQ(text(e.genre), L"Other");
            EXPECT_EQ(e.track, i + 1);
            EXPECT_EQ(e.time, 200.0);
            EXPECT_EQ(e.channel, 2);
            EXPECT_EQ(e.samplerate, 44100);
            EXPECT_EQ(e.bitrate, 1411);
            EXPECT_EQ(e.filename, nullptr);
            EXPECT_EQ(e.date, nullptr);
        }
    }
}

// Titles already known are used as they are (no lookup replaces them);
// times are whole seconds, a half going up.
TEST(cda_expander, known_titles_are_listed_with_whole_second_times) {
    expander_rig r;
    virtual_disc eleven;
    for (int i = 0; i < 11; ++i) eleven.tracks.push_back({i + 1, 0, i * 1000L + (i == 5 ? 37 : 0)});
    eleven.lead_out = 11000;
    r.rig.io.at('E').drive->disc = eleven;
    {
        cd_drive_table::extractor_hold hold;
        ASSERT_TRUE(hold.acquire());
        cd_disc* disc = cd_drive_table::open_disc(0);
        ASSERT_NE(disc, nullptr);
        std::vector<cd_disc_track>& titles = cd_drive_table::record(0)->titles;
        for (int i = 1; i <= 11; ++i) {
            cd_disc_track t = disc->track(i - 1);
            t.record.set_track_number(i);
            t.record.set_title(L"곡 " + std::to_wstring(i));
            t.record.set_artist(L"가수");
            titles.push_back(t);
        }
        cd_drive_table::release_disc(disc);
    }
    ASSERT_TRUE(r.expander.expand(L"cdda://E.cda", r.entries));
    ASSERT_EQ(r.entries.size(), 11u);
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(text(r.entries[i].title), L"곡 " + std::to_wstring(i + 1));
        EXPECT_EQ(text(r.entries[i].artist), L"가수");
    }
    EXPECT_EQ(r.entries[0].time, 13.0);  // 1000 sectors: 13.33 s
    EXPECT_EQ(r.entries[4].time, 14.0);  // 1037 sectors: 13.83 s
    EXPECT_EQ(r.entries[5].time, 13.0);  // 963 sectors: 12.84 s
    EXPECT_EQ(text(r.entries[10].path).substr(0, 10), L"cdda://11|");
}

// A data track first: the entries are the audio tracks, named by their own
// numbers.
TEST(cda_expander, a_disc_with_a_data_track_first_lists_its_audio_tracks_by_number) {
    expander_rig r;
    r.rig.io.at('E').drive->disc = cd_disc_of({{1, 4, 0}, {2, 0, 12000}, {3, 0, 30000}}, 50000);
    ASSERT_TRUE(r.expander.expand(L"cdda://E.cda", r.entries));
    ASSERT_EQ(r.entries.size(), 2u);
    EXPECT_EQ(text(r.entries[0].path), L"cdda://02|00085600|E.cda");
    EXPECT_EQ(text(r.entries[0].title), L"Audio Track 02");
    EXPECT_EQ(r.entries[0].time, 240.0);
    EXPECT_EQ(text(r.entries[1].path), L"cdda://03|00085600|E.cda");
}

TEST(cda_expander, leaves_other_paths_and_missing_drives_and_discs_to_the_core) {
    expander_rig r;
    r.rig.add('F', 0, 1).medium = false;
    cd_drive_table::extractor_hold hold;  // keeps the current drive observable
    ASSERT_TRUE(hold.acquire());
    cd_ripper::select_drive(1);
    const wchar_t* refused[] = {L"", L"C:\\music\\a.mp3", L"cdda://E.wav", L"cdda://Q.cda", L"cdda://F.cda"};
    for (const wchar_t* path : refused) {
        EXPECT_FALSE(r.expander.expand(path, r.entries)) << path;
        EXPECT_EQ(cd_ripper::current_drive(), 1) << path;
    }
    EXPECT_FALSE(r.expander.expand(nullptr, r.entries));
    EXPECT_TRUE(r.entries.empty());
    EXPECT_TRUE(r.expander.expand(L"cdda://E.cda", r.entries));
    EXPECT_EQ(cd_ripper::current_drive(), 1);
    EXPECT_EQ(cd_drive_table::extractor_users(), 1);
}
