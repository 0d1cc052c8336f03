#pragma once
// The titles of a drive's disc when it has none yet: the lookup dialog asks
// the CDDB server and, failing that, reads the disc's CD-Text; when neither
// found anything every audio track keeps the titles its table of contents
// gives ("Audio Track %02d", no artist, no album), so that a disc nobody
// knows can still be listed and played. A disc without tracks gets no titles
// and no lookup.
//
// Called on the user-interface thread under the drive table's lock, with the
// disc opened and its drive current. The lock is let go while the lookup
// dialog runs (others may use the drives meanwhile) and taken again before
// the titles are stored; the disc's drive is made current again. The
// dialog's modal loop serves the thread's windows meanwhile; a title request
// that arrives through them while a lookup runs gets no titles rather than a
// second lookup.
#include <windows.h>

#include <vector>

#include "cd_disc.h"

namespace cd_title_lookup {

// Fills titles when they are empty (the dialog owned by parent); nothing
// when they are not.
void ensure(HWND parent, cd_disc& disc, std::vector<cd_disc_track>& titles);

// Appends one title entry per audio track of the disc, with the track's
// number and its table-of-contents record.
void table_of_contents_titles(const cd_disc& disc, std::vector<cd_disc_track>& titles);

// The main window (of the first main_ui service), owner of a lookup that
// has no window of its own to hang on; null when there is none.
HWND main_window();

}  // namespace cd_title_lookup
