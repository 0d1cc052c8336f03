// The paranoia ripping mode: sector by sector through libcdparanoia, whose
// reads come back to the extractor through the drive functions that the
// library expects of its host (cdda_read and friends, defined here over one
// audio track that spans the rip's range).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <type_traits>

#include "cd_extractor.h"
#include "cd_paranoia.h"

extern "C" {
#include <cdda_interface.h>
#include <cdda_paranoia.h>
}

// libcdparanoia retries for as long as its reads deliver nothing (it gives
// up early only on an error code that this platform does not have), so an
// aborted rip or a range that cannot be read at all would never end. The
// session therefore gives up by itself when the caller aborts or after
// max_failures failed reads in a row: from then on the library's reads are
// answered with silence at once, and no sector of the session is delivered.
class cd_paranoia_session {
public:
    static constexpr int max_failures = 100;  // failed reads of audio in a row

    cdrom_drive drive;  // first member: the library hands it back to the drive functions
    int chunk_sectors = 0;
    cd_extractor* extractor = nullptr;
    cdrom_paranoia* paranoia = nullptr;
    int failures_in_row = 0;
    bool given_up = false;
};

static_assert(std::is_standard_layout<cd_paranoia_session>::value, "the drive must sit at the session's start");

namespace {

// The library's progress callback has no context of its own; only one rip is
// ever open, so the skip flag of the sector being read is process-wide.
bool g_skipped = false;

void progress(long, int event) {
    if (event == PARANOIA_CB_SKIP) g_skipped = true;
}

cd_paranoia_session* session_of(cdrom_drive* d) { return reinterpret_cast<cd_paranoia_session*>(d); }

bool is_track(cdrom_drive* d, int track) { return d && d->opened && track >= 1 && track <= d->tracks; }

}  // namespace

// The drive functions, over the session's table: one audio track from the
// range's first sector, the lead-out at its end.
extern "C" {

long cdda_read_timed(cdrom_drive* d, void* buffer, long beginsector, long sectors, int* milliseconds) {
    if (milliseconds) *milliseconds = -1;
    if (!d || !d->opened) return -400;
    const DWORD started = GetTickCount();
    cd_paranoia_session* s = session_of(d);
    long result = s->given_up ? sectors : s->extractor->paranoia_read_callback(buffer, beginsector, sectors);
    // Only reads of audio count; the library's reads without a buffer time
    // its seeks, often far from the range.
    if (result == -999 || (buffer && result < 0 && ++s->failures_in_row >= cd_paranoia_session::max_failures))
        s->given_up = true;
    if (s->given_up) {
        if (buffer && sectors > 0) memset(buffer, 0, static_cast<size_t>(sectors) * cd_sector_bytes);
        result = sectors;
    } else if (buffer && result >= 0) {
        s->failures_in_row = 0;
    }
    if (milliseconds) *milliseconds = static_cast<int>(GetTickCount() - started);
    return result;
}

long cdda_read(cdrom_drive* d, void* buffer, long beginsector, long sectors) {
    return cdda_read_timed(d, buffer, beginsector, sectors, nullptr);
}

long cdda_tracks(cdrom_drive* d) { return d && d->opened ? d->tracks : -400; }

int cdda_track_audiop(cdrom_drive* d, int track) {
    if (track == 0) track = 1;
    if (!is_track(d, track)) return -401;
    return (d->disc_toc[track - 1].bFlags & 4) ? 0 : 1;
}

long cdda_track_firstsector(cdrom_drive* d, int track) {
    return is_track(d, track) ? d->disc_toc[track - 1].dwStartSector : -401;
}

long cdda_track_lastsector(cdrom_drive* d, int track) {
    return is_track(d, track) ? d->disc_toc[track].dwStartSector - 1 : -401;
}

long cdda_disc_firstsector(cdrom_drive* d) { return cdda_track_firstsector(d, 1); }

long cdda_disc_lastsector(cdrom_drive* d) {
    return d && d->opened ? cdda_track_lastsector(d, d->tracks) : -400;
}

int cdda_sector_gettrack(cdrom_drive* d, long sector) {
    if (!d || !d->opened) return -400;
    if (sector < d->disc_toc[0].dwStartSector) return 0;
    for (int i = 0; i < d->tracks; ++i)
        if (sector >= d->disc_toc[i].dwStartSector && sector < d->disc_toc[i + 1].dwStartSector) return i + 1;
    return -1;
}

}  // extern "C"

int cd_paranoia_mode(int level) {
    switch (level) {
        case 0:
            return PARANOIA_MODE_OVERLAP;  // 4
        case 1:
            return 222;
        case 2:
            return 199;
        default:
            return 223;
    }
}

cd_paranoia_session* cd_paranoia_open(cd_extractor* extractor, int chunk_sectors, long first_sector,
                                      long end_sector, int level) {
    if (end_sector <= first_sector) return nullptr;
    auto* s = new cd_paranoia_session();
    memset(&s->drive, 0, sizeof(s->drive));
    s->chunk_sectors = chunk_sectors;
    s->extractor = extractor;
    cdrom_drive& d = s->drive;
    d.opened = 1;
    d.nsectors = chunk_sectors;
    d.bigendianp = 0;  // samples arrive in the host's order
    d.tracks = 1;
    d.disc_toc[0].bTrack = 1;
    d.disc_toc[0].dwStartSector = static_cast<int32_t>(first_sector);
    d.disc_toc[1].bTrack = 0xAA;
    d.disc_toc[1].dwStartSector = static_cast<int32_t>(end_sector);
    s->paranoia = paranoia_init(&d);
    if (!s->paranoia) {
        delete s;
        return nullptr;
    }
    paranoia_modeset(s->paranoia, cd_paranoia_mode(level));
    if (paranoia_seek(s->paranoia, first_sector, SEEK_SET) < 0) {
        cd_paranoia_close(s);
        return nullptr;
    }
    return s;
}

const unsigned char* cd_paranoia_read(cd_paranoia_session* session, bool& skipped) {
    if (!session || !session->paranoia || session->given_up) return nullptr;
    g_skipped = false;
    const int16_t* sector = paranoia_read_limited(session->paranoia, &progress, 20);
    if (g_skipped) skipped = true;
    return session->given_up ? nullptr : reinterpret_cast<const unsigned char*>(sector);
}

void cd_paranoia_close(cd_paranoia_session* session) {
    if (!session) return;
    if (session->paranoia) paranoia_free(session->paranoia);
    delete session;
}

int cd_extractor::rip_chunk_paranoia(unsigned char* out, int* bytes, int* abort) {
    if (!bytes || !out) return 1;
    *bytes = 0;
    rip_.abort_flag = abort;
    if (rip_.bytes_left <= 0) return 4;
    if (rip_.first_chunk) {
        spin_up();
        rip_.first_chunk = false;
    }
    if (!rip_.paranoia) return 1;
    bool skipped = false;
    for (int i = 0; i < rip_.chunk_sectors; ++i) {
        const unsigned char* sector = cd_paranoia_read(rip_.paranoia, skipped);
        if (!sector) return 1;
        memcpy(out + *bytes, sector, cd_sector_bytes);
        *bytes += cd_sector_bytes;
        rip_.bytes_left -= std::min<long long>(rip_.bytes_left, cd_sector_bytes);
        if (rip_.bytes_left == 0) return 0;
    }
    rip_.cursor += rip_.chunk_sectors;
    return skipped ? 3 : 0;
}

long cd_extractor::paranoia_read_callback(void* buffer, long first, long count) {
    unsigned char* target = static_cast<unsigned char*>(buffer);
    const long long bytes = count > 0 ? static_cast<long long>(count) * cd_sector_bytes : 0;
    if (!target && bytes > 0) {
        // The library also reads with no buffer (to time a seek).
        if (static_cast<long long>(scratch_.size()) < bytes) scratch_.resize(static_cast<size_t>(bytes));
        target = scratch_.data();
    }
    long result = count;
    if (count > 0 && !read_sectors(target, static_cast<int>(bytes), first, static_cast<int>(count))) {
        reseek(first);
        if (rip_.open_speed > 1) {
            set_speed(1);
            rip_.open_speed = 1;
        }
        read_sectors(target, static_cast<int>(bytes), first, static_cast<int>(count));
        result = -1;
    }
    if (rip_.abort_flag && *rip_.abort_flag != 0) return -999;
    return result;
}
