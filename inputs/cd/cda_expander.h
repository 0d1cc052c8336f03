#pragma once
// cda_expander: turns audio CD paths into playlist entries whose paths are
// CD track names. A drive name ("cdda://%c.cda", any case) becomes one
// entry per titled track of the disc in that drive; a ".cda" track file
// (44 bytes of RIFF "CDDA" that Windows shows on an audio CD) becomes the
// entry of its track, found by the disc id it carries in whichever drive
// holds that disc. Titles come from the drive table; a disc without titles
// gets them first (cd_title_lookup).
//
// A singleton; expand runs on the calling thread under the drive table's
// lock and leaves the current drive as it found it.
#include <vector>

#include "list_info.h"
#include "path_expander.h"

class cd_track_record;

class cda_expander : public singleton_component<path_expander> {
public:
    bool expand(const wchar_t* path, std::vector<list_info>& entries) override;

    // The entry of a track of this title record, disc id and drive letter,
    // whose length is sectors long.
    static list_info entry(const cd_track_record& title, unsigned disc_id, wchar_t letter, long long sectors);

private:
    bool expand_drive(wchar_t letter, std::vector<list_info>& entries);
    bool expand_file(const wchar_t* path, std::vector<list_info>& entries);
};
