// The CD-Text reader: packs of READ TOC format 5 from a virtual drive become
// the album, performers and titles of the disc's entries, in a table of
// discs whose packs trip the rules up.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cd_disc.h"
#include "cd_services_rig.h"
#include "cd_text_packs.h"

using namespace cd_text_packs;

namespace {

struct text_case {
    const char* name;
    std::vector<unsigned char> cd_text;
    std::vector<std::wstring> titles;   // of entries 0 .. 2
    std::vector<std::wstring> artists;  // of entries 0 .. 2
    std::wstring album;                 // of every entry
};

}  // namespace

TEST(cd_text, packs_name_the_album_performers_and_tracks) {
    cd_services_rig rig;
    virtual_cd_drive& drive = rig.add('E', 0, 0);
    drive.disc = cd_disc_of({{1, 0, 0}, {2, 0, 15000}, {3, 0, 30000}}, 45000);
    ASSERT_EQ(rig.start(), cd_ripper::ok);

    const std::wstring none = L"아티스트 없음";
    const std::wstring no_album = L"앨범 없음";
    const std::vector<std::wstring> defaults = {L"Audio Track 01", L"Audio Track 02", L"Audio Track 03"};
    const std::string a1100(1100, 'A');
    const text_case cases[] = {
        {"album and first title in one pack", pack(0x80, 0, std::string("Album\0Song\0", 11)),
         {L"Song", L"Audio Track 02", L"Audio Track 03"}, {none, none, none}, L"Album"},
        {"titles and performers over several packs",
         packs(0x80, 0, {"The Album", "First song title", "Second", "Third song"}) +
             packs(0x81, 0, {"The Band", "Guest singer", "", "The Band"}),
         {L"First song title", L"Second", L"Third song"}, {L"Guest singer", L"The Band", L"The Band"}, L"The Album"},
        {"titles without performers keep the default artist", packs(0x80, 1, {"One", "Two", "Three"}),
         {L"One", L"Two", L"Three"}, {none, none, none}, no_album},
        {"another language block changes nothing",
         packs(0x80, 0, {"Album", "One"}) + packs(0x80, 0, {"Other", "Uno", "Dos"}, 1),
         {L"One", L"Audio Track 02", L"Audio Track 03"}, {none, none, none}, L"Album"},
        {"Korean text in the ANSI code page", packs(0x80, 0, {"\xB0\xA1\xB3\xAA", "\xB4\xD9"}),
         {L"다", L"Audio Track 02", L"Audio Track 03"}, {none, none, none}, L"가나"},
        {"text for a track the disc lacks is dropped", packs(0x80, 3, {"Three", "Four", "Five"}),
         {L"Audio Track 01", L"Audio Track 02", L"Three"}, {none, none, none}, no_album},
        {"a string longer than the buffer is dropped, the next one kept",
         packs(0x80, 1, {a1100, "Two", "Three"}), {L"Audio Track 01", L"Two", L"Three"}, {none, none, none},
         no_album},
        {"a string that never ends is dropped", packs(0x80, 1, {"One"}) + pack(0x80, 2, "unterminated"),
         {L"One", L"Audio Track 02", L"Audio Track 03"}, {none, none, none}, no_album},
        {"binary packs do not run into titles",
         pack(0x88, 0, "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C") + packs(0x80, 1, {"One"}) +
             pack(0x8F, 0, "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C"),
         {L"One", L"Audio Track 02", L"Audio Track 03"}, {none, none, none}, no_album},
        {"a pack cut short at the end is not read", packs(0x80, 1, {"One"}) + std::vector<unsigned char>(10, 'x'),
         {L"One", L"Audio Track 02", L"Audio Track 03"}, {none, none, none}, no_album},
    };
    for (const text_case& c : cases) {
        SCOPED_TRACE(c.name);
        drive.disc.cd_text = c.cd_text;
        cd_disc disc;
        ASSERT_TRUE(disc.read_toc());
        ASSERT_TRUE(disc.read_cd_text());
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(disc.track(i).record.title(), c.titles[static_cast<size_t>(i)]) << "entry " << i;
            EXPECT_EQ(disc.track(i).record.artist(), c.artists[static_cast<size_t>(i)]) << "entry " << i;
            EXPECT_EQ(disc.track(i).record.album(), c.album) << "entry " << i;
        }
        EXPECT_EQ(disc.track(3).record.album(), c.album) << "the lead-out";
    }

    // A disc without CD-Text: the read fails and the entries keep their
    // table-of-contents titles.
    drive.disc.cd_text.clear();
    cd_disc disc;
    ASSERT_TRUE(disc.read_toc());
    EXPECT_FALSE(disc.read_cd_text());
    for (int i = 0; i < 3; ++i) EXPECT_EQ(disc.track(i).record.title(), defaults[static_cast<size_t>(i)]);
}
