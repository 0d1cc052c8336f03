// The CD tag: what it tells of a track of the disc in the named drive, its
// properties and fields, and that it lets go of the extractor and the
// current drive whatever happens.
#include <gtest/gtest.h>

#include "cd_drive_table.h"
#include "cd_input.h"
#include "cd_services_rig.h"
#include "cd_tag.h"
#include "cd_track_name.h"
#include "info_list.h"

namespace {

// Drive E holds the three-track example disc (15000 sectors a track),
// drive F a disc of two tracks; the tag of a track of E is opened.
struct tag_rig {
    tag_rig() {
        rig.add('E', 0, 0).disc = cd_disc_of({{1, 0, 0}, {2, 0, 15000}, {3, 0, 30000}}, 45000);
        rig.add('F', 0, 1).disc = cd_disc_of({{1, 0, 0}, {2, 4, 20000}}, 40000);
    }
    bool open(cd_tag& t, const std::wstring& path) {
        list_info e = cd_entry(path);
        return t.open(&s, &e);
    }
    // Titles on a drive, as a lookup leaves them.
    void set_titles(int drive, std::vector<cd_disc_track> titles) {
        cd_drive_table::extractor_hold hold;
        hold.acquire();
        cd_disc* d = cd_drive_table::open_disc(static_cast<unsigned>(drive));
        cd_drive_table::record(drive)->titles = std::move(titles);
        cd_drive_table::release_disc(d);
    }
    cd_services_rig rig;
    cd_null_stream s;
};

cd_disc_track title_of(int number, const wchar_t* title, int year) {
    cd_disc_track t;
    t.record.set_track_number(number);
    t.record.set_title(title);
    t.record.set_artist(L"가수");
    t.record.set_album(L"음반");
    t.record.set_genre(L"Jazz");
    t.record.set_year(year);
    return t;
}

}  // namespace

TEST(cd_tag, describes_a_track_with_exactly_its_four_properties_in_order) {
    tag_rig r;
    cd_tag t;
    EXPECT_EQ(t.get_info_list(), nullptr);
    EXPECT_STREQ(t.path(), L"");
    ASSERT_TRUE(r.open(t, L"cdda://02|00094200|E.cda"));
    const info_list* p = t.get_info_list();
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(p->count, 4);
    const wchar_t* names[] = {L"Path", L"FileSize", L"Format", L"Decoder"};
    const wchar_t* values[] = {L"E:\\Track02.cda", L"44", L"Audio CD", L"ZEL AudioCD Decoder"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_STREQ(p->pairs[i].name, names[i]);
        EXPECT_STREQ(p->pairs[i].value, values[i]);
    }
    EXPECT_STREQ(t.path(), L"E:\\Track02.cda");
    const audio_format* f = t.info();
    EXPECT_EQ(f->format_tag, 1);
    EXPECT_EQ(f->channels, 2);
    EXPECT_EQ(f->sample_rate, 44100);
    EXPECT_EQ(f->bits_per_sample, 16);
    EXPECT_EQ(f->channel_mask, 0);
    EXPECT_EQ(f->length, 200.0);  // 15000 sectors
    EXPECT_EQ(f->bitrate, 1411.0);
    // Without titles the texts stay empty.
    EXPECT_STREQ(t.get_field(L"Title"), L"");
    EXPECT_STREQ(t.get_field(L"Track"), L"");

    // Opening again replaces the list.
    ASSERT_TRUE(r.open(t, L"cdda://03|00094200|e.cda"));
    ASSERT_NE(t.get_info_list(), nullptr);
    EXPECT_EQ(t.get_info_list()->count, 4);
    EXPECT_STREQ(t.get_info_list()->get(L"Path"), L"e:\\Track03.cda");
    // Read only.
    t.set_field(L"Title", L"x");
    EXPECT_STREQ(t.get_field(L"Title"), L"");
    EXPECT_FALSE(t.update());
}

TEST(cd_tag, gives_the_titles_of_the_track_number_from_the_drive_record) {
    tag_rig r;
    // Titles listed out of order: the track number decides.
    r.set_titles(0, {title_of(3, L"셋", 0), title_of(2, L"둘", 2003)});
    cd_tag t;
    // The name's disc id is not the disc in E: the disc in E is described.
    ASSERT_TRUE(r.open(t, L"cdda://02|DEADBEEF|E.cda"));
    const struct {
        const wchar_t* name;
        const wchar_t* value;
    } fields[] = {{L"Title", L"둘"},   {L"artist", L"가수"},       {L"ALBUM", L"음반"},
                  {L"Comment", L""},   {L"Year", L"2003"},         {L"Track", L"2"},
                  {L"Genre", L"Jazz"}, {L"lyrics", L""},           {L"replaygain_track_gain", L""},
                  {L"Composer", L""},  {L"replaygain_album_peak", L""}};
    for (const auto& f : fields) EXPECT_STREQ(t.get_field(f.name), f.value) << f.name;
    EXPECT_STREQ(t.get_field(nullptr), L"");

    cd_tag third;
    ASSERT_TRUE(r.open(third, L"cdda://3|0|E.cda"));
    EXPECT_STREQ(third.get_field(L"Title"), L"셋");
    EXPECT_STREQ(third.get_field(L"Year"), L"0");
}

// Whatever fails, the tag lets go of the extractor (the last user ends it)
// and leaves the current drive as it was.
TEST(cd_tag, refuses_bad_names_data_tracks_and_unknown_drives_and_lets_go_of_the_extractor) {
    tag_rig r;
    const wchar_t* refused[] = {
        L"cdda://E.cda",               // a drive name, not a track name
        L"cdda://02|00094200",         // two fields
        L"cdda://02|00094200|E|x.cda",  // four fields
        L"cdda://02|00094200|Q.cda",   // no drive Q
        L"cdda://04|00094200|E.cda",   // past the last track
        L"cdda://00|00094200|E.cda",   // below the first
        L"cdda://02|00000000|F.cda",   // a data track
        L"E:\\Track02.cda",
        L"",
    };
    cd_drive_table::extractor_hold hold;  // makes the current drive observable
    ASSERT_TRUE(hold.acquire());
    cd_ripper::select_drive(1);
    for (const wchar_t* path : refused) {
        cd_tag t;
        EXPECT_FALSE(r.open(t, path)) << path;
        EXPECT_EQ(cd_drive_table::extractor_users(), 1) << path;
        EXPECT_EQ(cd_ripper::current_drive(), 1) << path;
    }
    cd_tag t;
    EXPECT_TRUE(r.open(t, L"cdda://01|00000000|E.cda"));
    EXPECT_EQ(cd_ripper::current_drive(), 1);
    list_info e = cd_entry(L"cdda://01|00094200|E.cda");
    EXPECT_FALSE(t.open(nullptr, &e));
    hold.release();
    cd_tag last;
    EXPECT_FALSE(r.open(last, L"cdda://02|00094200|Q.cda"));
    EXPECT_EQ(cd_drive_table::extractor_users(), 0);
    EXPECT_EQ(cd_ripper::drive_count(), 0);  // ended
}

// The input and the tag claim the same paths: CD track and drive names and
// ".cda" files, in any case, by the path given or else the stream's own.
TEST(cd_tag, the_cd_input_and_tag_claim_cd_names_and_cda_files_in_any_case) {
    cd_tag t;
    cd_input in;
    const struct {
        const wchar_t* path;
        const wchar_t* stream_path;
        bool claimed;
    } cases[] = {
        {L"CDDA://01|00000000|E.cda", L"", true}, {L"cdda://E.cda", L"", true},
        {L"Cdda://x", L"", true},                 {L"E:\\Track01.CDA", L"", true},
        {L"E:\\song.mp3", L"", false},           {L"", L"", false},
        {nullptr, L"", false},                    {L"", L"F:\\Track02.cda", true},
        {nullptr, L"F:\\Track02.cda", true},     {nullptr, L"F:\\a.wav", false},
        {L"F:\\a.wav", L"F:\\Track02.cda", false},
    };
    for (const auto& c : cases) {
        cd_null_stream s;
        wcscpy(s.path, c.stream_path);
        stream* source = *c.stream_path ? &s : nullptr;
        EXPECT_EQ(t.accepts(source, c.path), c.claimed) << (c.path ? c.path : L"(null)") << " " << c.stream_path;
        EXPECT_EQ(in.accepts(source, c.path), c.claimed) << (c.path ? c.path : L"(null)") << " " << c.stream_path;
    }
    EXPECT_FALSE(in.accepts_content_type(L"cda"));
    EXPECT_FALSE(in.busy());
}
