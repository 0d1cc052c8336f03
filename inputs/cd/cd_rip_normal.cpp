// Ripping a sector range in normal mode: overlapping chunks, each aligned to
// the previous one by searching for the previous chunk's last bytes (jitter
// correction). Open, spin-up, re-seek and close serve the paranoia mode too.
#include <algorithm>
#include <cstring>
#include <new>

#include "cd_extractor.h"
#include "cd_paranoia.h"

namespace {
constexpr int min_range_sectors = 10;
}

int cd_extractor::open_rip(unsigned first, unsigned last, bool paranoia) {
    if (rip_.open) close_rip();
    const cd_drive_settings& d = drive();
    if (d.sectors_per_read < 1) return 1;
    rip_state r;
    r.open_speed = d.speed;
    r.chunk_sectors = d.sectors_per_read;
    r.buffer_bytes = r.chunk_sectors * cd_sector_bytes;
    try {
        r.read_buffer.assign(static_cast<size_t>(r.buffer_bytes), 0);
        if (d.compare_sectors >= 1) r.overlap_buffer.assign(static_cast<size_t>(r.buffer_bytes), 0);
    } catch (const std::bad_alloc&) {
        return 1;
    }
    const long long from = static_cast<long long>(first) + d.offset_start;
    const long long to = d.offset_end + std::max(static_cast<long long>(first) + min_range_sectors,
                                                 static_cast<long long>(last) + 1);
    r.first_sector = static_cast<long>(std::max<long long>(0, from));
    r.end_sector = static_cast<long>(to);
    r.bytes_left = std::max<long long>(0, (to - r.first_sector) * cd_sector_bytes);
    r.first_chunk = true;
    r.open = true;
    r.drive = current;
    r.paranoia_mode = paranoia;
    rip_ = std::move(r);
    if (d.enable_mode) mode_select_block_size(cd_sector_bytes);
    if (d.lock_tray) lock_medium(true);
    if (paranoia)
        rip_.paranoia =
            cd_paranoia_open(this, rip_.chunk_sectors, rip_.first_sector, rip_.end_sector, d.paranoia_level);
    return 0;
}

void cd_extractor::close_rip() {
    if (!rip_.open) return;
    if (rip_.paranoia) cd_paranoia_close(rip_.paranoia);
    rip_ = rip_state();
    const cd_drive_settings& d = drive();
    if (d.enable_mode) mode_select_block_size(2048);
    if (d.lock_tray) lock_medium(false);
}

// The first chunk of a rip: the speed, then (for spin_up_seconds) reads of
// the first sector while the drive comes up to speed.
void cd_extractor::spin_up() {
    rip_.cursor = rip_.first_sector;
    const cd_drive_settings& d = drive();
    set_speed(d.speed);
    if (d.spin_up_seconds <= 0) return;
    const DWORD limit = static_cast<DWORD>(d.spin_up_seconds) * 1000;
    const DWORD started = GetTickCount();
    while (GetTickCount() - started < limit)
        read_sectors(rip_.read_buffer.data(), rip_.buffer_bytes, rip_.cursor, 1);
}

// After a failed read at a sector: one read of a whole chunk far from it
// (near the end of the range when the sector lies in its second half, else
// at its start), so that the drive seeks before the read is tried again.
void cd_extractor::reseek(long sector) {
    const long middle = (rip_.first_sector + rip_.end_sector) / 2;
    const long at = sector > middle ? rip_.end_sector - rip_.chunk_sectors - 10 : rip_.first_sector;
    read_sectors(rip_.read_buffer.data(), rip_.buffer_bytes, std::max(at, 0L), rip_.chunk_sectors);
}

// Where the new chunk continues the previous one: the previous chunk's last
// compare_sectors are looked for around the expected place, in 4-byte steps
// outward from the centre of the search span, the earlier place first.
int cd_extractor::overlap_search(int chunk_bytes, bool& matched) {
    matched = true;
    const cd_drive_settings& d = drive();
    if (rip_.overlap_buffer.empty() || rip_.read_buffer.empty() || chunk_bytes <= 0) return 0;
    const int compare = d.compare_sectors * cd_sector_bytes;
    const long long span =
        std::min<long long>(static_cast<long long>(d.overlap_sectors) * 2 * cd_sector_bytes, chunk_bytes) -
        compare;
    if (span < 1) return 0;
    const int centre = static_cast<int>(span / 2);
    const unsigned char* chunk = rip_.read_buffer.data();
    const unsigned char* tail = rip_.overlap_buffer.data();
    int offset = -1;
    for (int step = 0; step < centre; step += 4) {
        if (memcmp(chunk + centre - step, tail, compare) == 0) {
            offset = centre - step + compare;
            break;
        }
        if (memcmp(chunk + centre + step, tail, compare) == 0) {
            offset = centre + step + compare;
            break;
        }
    }
    if (offset < 0) {
        offset = centre;
        if (chunk_bytes > compare) matched = false;
    }
    return std::min(offset, chunk_bytes - 1);
}

int cd_extractor::rip_chunk_normal(unsigned char* out, int* bytes) {
    const cd_drive_settings& d = drive();
    const int overlap = d.jitter_correction && d.overlap_sectors >= 1 ? d.overlap_sectors : 0;
    if (!bytes || !out || rip_.read_buffer.empty()) return 1;
    *bytes = 0;
    if (rip_.first_chunk) {
        rip_.cursor = rip_.first_sector;
        rip_.sectors_left = rip_.end_sector - rip_.cursor;
        spin_up();
    }
    if (rip_.bytes_left <= 0) return 4;
    long n = std::min<long>(rip_.sectors_left, rip_.chunk_sectors);
    if (n <= overlap) n = std::min<long>(rip_.sectors_left + overlap, rip_.chunk_sectors);
    if (n < 1) {  // nothing left to read although bytes are owed: the range is done
        rip_.bytes_left = 0;
        return 4;
    }
    const int chunk_bytes = static_cast<int>(n) * cd_sector_bytes;
    unsigned char* chunk = rip_.read_buffer.data();
    if (!read_sectors(chunk, rip_.buffer_bytes, rip_.cursor, static_cast<int>(n)) && d.read_retry > 0) {
        reseek(rip_.cursor);
        set_speed(1);
        read_sectors(chunk, rip_.buffer_bytes, rip_.cursor, static_cast<int>(n));
    }
    bool matched = true;
    int start = 0;
    if (rip_.first_chunk)
        rip_.first_chunk = false;
    else if (overlap > 0)
        start = overlap_search(chunk_bytes, matched);
    if (d.compare_sectors > 0 && !rip_.overlap_buffer.empty()) {
        const int keep = std::min(d.compare_sectors * cd_sector_bytes, chunk_bytes);
        memcpy(rip_.overlap_buffer.data(), chunk + chunk_bytes - keep, static_cast<size_t>(keep));
    }
    const int delivered = static_cast<int>(std::min<long long>(chunk_bytes - start, rip_.bytes_left));
    memcpy(out, chunk + start, static_cast<size_t>(delivered));
    *bytes = delivered;
    rip_.cursor += n - overlap;
    rip_.sectors_left -= n - overlap;
    rip_.bytes_left -= delivered;
    return matched ? 0 : 3;
}
