#pragma once
// cd_drive_table: the process-wide table of the CD drives. For every drive
// the extraction layer found it holds the drive's cd_disc and the track
// titles that a lookup left for the disc in it, and it owns the extractor:
// started when the first user needs it, ended when the last lets go. A start
// that failed once is never tried again in the process.
//
// Every operation takes the table's lock, a re-entrant critsec; callers may
// hold it across several calls (the CD input on its playback thread, the
// expansion and the tag on the user-interface thread), and every call into
// the extraction layer is made under it. The extraction layer has one
// current drive for the whole process: operations that change it say so,
// and cd_current_drive puts it back for a scope.
#include <vector>

#include "cd_disc.h"
#include "critsec.h"

struct cd_drive_record {
    cd_disc* disc = nullptr;  // while the drive is in use
    std::vector<cd_disc_track> titles;
    unsigned titles_disc_id = 0;  // the disc the titles belong to
    int use_count = 0;
};

namespace cd_drive_table {

constexpr int max_drives = 100;

critsec& lock();

// One user's hold on the extractor: counted once however often it asks; the
// destructor lets go.
class extractor_hold {
public:
    extractor_hold() = default;
    ~extractor_hold() { release(); }
    extractor_hold(const extractor_hold&) = delete;
    extractor_hold& operator=(const extractor_hold&) = delete;

    // True when the extractor is available.
    bool acquire();
    void release();
    bool held() const { return held_; }

private:
    bool held_ = false;
};

// Sets up one empty disc per drive, once per process, the first time the
// extractor is available.
void init();

// Makes the drive current, re-reads its disc and counts one more user; null
// for an index outside the table or a drive that cannot be selected. A new
// disc in the drive drops the titles of the old one.
cd_disc* open_disc(unsigned index);
// One user less; the record becomes free at none. Null, or a disc that no
// record holds, does nothing.
void release_disc(cd_disc* disc);
// The first drive, by index, whose disc has this id, opened; null when none.
cd_disc* find_disc(unsigned disc_id);
// The index of that drive (the disc left released), -1 when none.
int index_of_disc(unsigned disc_id);
// The index of the drive with this letter (case-insensitive), -1 when none.
int drive_index(const wchar_t* letter);
// The letter of the drive with this index ('A' when its address names no
// letter), 0 outside the table.
wchar_t drive_letter(int index);

// Makes the drive with this index current in the extraction layer; false
// (the previous one current again) when it cannot be selected.
bool select_drive(int index);

// Lets go of the table's lock for a scope, however deeply the calling
// thread holds it, and takes it again as deeply at the end: for a long wait
// (a modal lookup) that must not stop the other users of the drives. What
// was read from the table before may have changed when the scope ends.
class released_lock {
public:
    released_lock();
    ~released_lock();
    released_lock(const released_lock&) = delete;
    released_lock& operator=(const released_lock&) = delete;

private:
    int depth_ = 0;
};

// The record of a drive index (0 .. 99), null outside; the record of an
// opened disc.
cd_drive_record* record(int index);
int index_of(const cd_disc* disc);

// Deletes every disc (at the end of the process).
void delete_discs();

// What the extractor does, for tests: its holders, and whether a start
// failed for good.
int extractor_users();
bool extractor_failed();

}  // namespace cd_drive_table

// Selects, at the end of a scope, the drive that was current at its start.
// Made and ended under the table's lock.
class cd_current_drive {
public:
    cd_current_drive();
    ~cd_current_drive();
    cd_current_drive(const cd_current_drive&) = delete;
    cd_current_drive& operator=(const cd_current_drive&) = delete;

private:
    int saved_;
};

// One use of the drive with a letter, for a scope: the table's lock, the
// extractor held, the drive's disc opened; at the end the disc is let go,
// the drive that was current before is current again and the extractor is
// released. disc() is null when the extractor, the drive or its disc is
// missing.
class cd_drive_use {
public:
    explicit cd_drive_use(wchar_t letter);
    ~cd_drive_use();
    cd_drive_use(const cd_drive_use&) = delete;
    cd_drive_use& operator=(const cd_drive_use&) = delete;

    cd_disc* disc() const { return disc_; }
    int index() const { return index_; }
    // The drive's record; only while disc() is not null.
    cd_drive_record& record() const { return *cd_drive_table::record(index_); }

private:
    class scope_lock {
    public:
        scope_lock() { cd_drive_table::lock().enter(); }
        ~scope_lock() { cd_drive_table::lock().leave(); }
    };
    scope_lock lock_;
    cd_drive_table::extractor_hold hold_;
    cd_current_drive keep_;
    int index_ = -1;
    cd_disc* disc_ = nullptr;
};
