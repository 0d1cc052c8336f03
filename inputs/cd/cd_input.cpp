#include "cd_input.h"

#include <windows.h>

#include <algorithm>
#include <cmath>

#include "cd_disc.h"
#include "cd_ripper.h"
#include "cd_track_name.h"
#include "critsec.h"
#include "list_info.h"
#include "stream.h"

namespace {

HANDLE g_ripper_free = nullptr;

constexpr DWORD ripper_wait_ms = 10000;
constexpr double bytes_per_second = 176400.0;
constexpr int overlap_sectors = 7;
constexpr int spare_chunk_bytes = 4096;

}  // namespace

void cd_input::create_ripper_free_event() {
    if (!g_ripper_free) g_ripper_free = CreateEventW(nullptr, FALSE, TRUE, nullptr);
}

void cd_input::close_ripper_free_event() {
    if (g_ripper_free) CloseHandle(g_ripper_free);
    g_ripper_free = nullptr;
}

cd_input::cd_input() : format_{1, 2, 44100, 16, 0, 0.0, 1411.2} {}

cd_input::~cd_input() {
    close();
    auto_sync guard(cd_drive_table::lock());
    hold_.release();
}

bool cd_input::accepts(stream* source, const wchar_t* path) {
    if (path && *path) return cd_track_name::claims(path);
    return source && cd_track_name::claims(source->path);
}

bool cd_input::open(stream*, list_info* info) {
    if (ripper_open_ || disc_) close();
    if (!g_ripper_free || WaitForSingleObject(g_ripper_free, ripper_wait_ms) != WAIT_OBJECT_0) return false;
    bool opened = false;
    {
        auto_sync guard(cd_drive_table::lock());
        opened = open_locked(info);
        if (!opened) fail_open();
    }
    if (!opened) SetEvent(g_ripper_free);
    return opened;
}

void cd_input::fail_open() {
    cd_drive_table::release_disc(disc_);
    disc_ = nullptr;
    drive_ = -1;
}

bool cd_input::open_locked(list_info* info) {
    cd_track_name::parts name;
    if (!cd_track_name::parse(info && info->path ? info->path : L"", name)) return false;
    if (!hold_.acquire()) return false;
    track_ = name.track;
    cd_drive_table::init();
    const wchar_t letter[2] = {name.letter, 0};
    const int index = cd_drive_table::drive_index(letter);
    if (index < 0) return false;
    disc_ = cd_drive_table::open_disc(static_cast<unsigned>(index));
    if (!disc_ || disc_->disc_id() != name.disc_id) return false;
    drive_ = index;

    // Seven sectors of overlap for the jitter correction, the drive's own
    // speed. The channels stay in the order the drive delivers: left first,
    // as the engine takes them.
    cd_drive_settings settings;
    if (cd_ripper::get_drive_settings(settings) == cd_ripper::ok) {
        settings.overlap_sectors = overlap_sectors;
        settings.speed = 0;
        cd_ripper::set_drive_settings(settings);
    }

    const int entry = disc_->index_of_track(track_);
    if (track_ < 1 || track_ > disc_->track_count() || entry < 0 || !disc_->track(entry).is_audio()) return false;
    start_sector_ = disc_->track(entry).start_sector;
    last_sector_ = disc_->track_end_sector(track_);
    // The track ends where its last sector ends: before a data session that
    // is well before the next entry's start.
    total_bytes_ = static_cast<long long>(disc_->track_sectors(track_)) * cd_disc::sector_bytes;
    if (total_bytes_ <= 0) return false;

    int chunk_bytes = 0;
    if (cd_ripper::open_ripper(chunk_bytes, static_cast<unsigned>(start_sector_),
                               static_cast<unsigned>(last_sector_)) != cd_ripper::ok)
        return false;
    ripper_open_ = true;
    chunk_.resize(chunk_bytes + spare_chunk_bytes);
    fifo_.clear();
    finished_ = false;
    delivered_ = 0;
    position_ = 0.0;
    format_ = {1, 2, 44100, 16, 0, static_cast<double>(total_bytes_) / bytes_per_second, 1411.2};
    return true;
}

void cd_input::close() {
    finished_ = true;
    bool signal = false;
    {
        auto_sync guard(cd_drive_table::lock());
        if (ripper_open_) cd_ripper::close_ripper();
        fifo_.clear();
        cd_drive_table::release_disc(disc_);
        disc_ = nullptr;
        signal = ripper_open_;
        ripper_open_ = false;
    }
    if (signal && g_ripper_free) SetEvent(g_ripper_free);
}

void cd_input::seek(double seconds) {
    auto_sync guard(cd_drive_table::lock());
    if (!ripper_open_) return;
    const double length = format_.length;
    if (!(seconds > 0.0)) seconds = 0.0;
    if (seconds > length) seconds = length;
    // The rip restarts at the sector that holds the target byte.
    long long at = length > 0.0 ? static_cast<long long>(seconds / length * static_cast<double>(total_bytes_)) : 0;
    at -= at % cd_disc::sector_bytes;
    delivered_ = at;
    fifo_.clear();
    {
        cd_current_drive keep;
        cd_ripper::select_drive(drive_);
        cd_ripper::close_ripper();
        int chunk_bytes = 0;
        cd_ripper::open_ripper(chunk_bytes, static_cast<unsigned>(start_sector_ + at / cd_disc::sector_bytes),
                               static_cast<unsigned>(last_sector_));
    }
    position_ = seconds;
}

audio_format* cd_input::get_format(audio_format* format) {
    if (format) *format = format_;
    return format;
}

int cd_input::read(void* buffer, int bytes) {
    if (!buffer || bytes <= 0) return 0;
    auto_sync guard(cd_drive_table::lock());
    while (fifo_.size() < bytes && !finished_) {
        int got = 0;
        const int result = cd_ripper::rip_chunk(chunk_.data, got, nullptr);
        if (result == cd_ripper::chunk_end) {
            finished_ = true;
            break;
        }
        if (result != cd_ripper::ok && result != cd_ripper::chunk_no_match) break;
        // The rip may run on past the track (it reads at least ten sectors):
        // what lies beyond the track's end is not delivered.
        const int keep = static_cast<int>(std::min<long long>(got, std::max(0LL, total_bytes_ - delivered_)));
        if (!fifo_.append(chunk_.data, keep)) break;
        delivered_ += keep;
        position_ += keep / bytes_per_second;
        if (delivered_ >= total_bytes_) finished_ = true;
    }
    if (fifo_.size() == 0) return -1;
    return fifo_.take(buffer, bytes);
}

double cd_input::position() {
    auto_sync guard(cd_drive_table::lock());
    const double queued = fifo_.size() / (format_.bits_per_sample * format_.channels * format_.sample_rate / 8.0);
    return std::max(0.0, position_ - queued);
}
