#pragma once
// The titles of a drive's disc when it has none yet. The disc's titles are
// looked up (the CDDB lookup and the disc's CD-Text belong here once they
// exist); when nothing was found every audio track keeps the titles its
// table of contents gives ("Audio Track %02d", no artist, no album), so
// that a disc nobody knows can still be listed and played. A disc without
// tracks gets no titles and no lookup.
//
// Called under the drive table's lock, with the disc opened.
#include <vector>

#include "cd_disc.h"

namespace cd_title_lookup {

// Fills titles when they are empty; nothing when they are not.
void ensure(const cd_disc& disc, std::vector<cd_disc_track>& titles);

// Appends one title entry per audio track of the disc, with the track's
// number and its table-of-contents record.
void table_of_contents_titles(const cd_disc& disc, std::vector<cd_disc_track>& titles);

}  // namespace cd_title_lookup
