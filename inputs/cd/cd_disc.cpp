#include "cd_disc.h"

#include <cstdint>
#include <cwchar>

#include "cd_ripper.h"

namespace {

// Entry 0 reporting a start this late (80 minutes, or a negative start read
// as unsigned) is taken to start at 0.
constexpr unsigned late_first_entry = 360000;

// Sectors between the last audio track of an enhanced CD and its data
// track that belong to no track: the first session's lead-out (6750), the
// second session's lead-in (4500) and the data track's pregap (150).
constexpr int session_gap_sectors = 11400;

constexpr unsigned lead_in_sectors = 150;
constexpr unsigned sectors_per_second = 75;

std::wstring default_title(const cd_disc_track& t) {
    if (!t.is_audio()) return L"Data Track";
    wchar_t text[32];
    _snwprintf(text, 31, L"Audio Track %02d", static_cast<int>(t.track_number));
    text[31] = 0;
    return text;
}

unsigned digit_sum(unsigned n) {
    unsigned sum = 0;
    for (; n > 0; n /= 10) sum += n % 10;
    return sum;
}

unsigned absolute(const cd_disc_track& t) { return static_cast<unsigned>(t.start_sector) + lead_in_sectors; }

}  // namespace

bool cd_disc::read_toc() {
    track_count_ = 0;
    cddb_id_ = 0;
    disc_id_ = 0;
    tracks_.clear();
    if (cd_ripper::read_toc() != 0) return false;
    track_count_ = cd_ripper::toc_count();
    if (track_count_ < 0) return false;
    for (int i = 0; i <= track_count_; ++i) {
        const uint64_t e = cd_ripper::toc_entry(i);
        cd_disc_track t;
        unsigned start = static_cast<unsigned>(e & 0xFFFFFFFFu);
        if (i == 0 && start >= late_first_entry) start = 0;
        t.start_sector = static_cast<int>(start);
        t.control = static_cast<unsigned char>(e >> 32);
        t.track_number = static_cast<unsigned char>(e >> 40);
        t.record.set_title(default_title(t));
        tracks_.push_back(t);
    }
    disc_id_ = compute_disc_id(tracks_, track_count_);
    cddb_id_ = compute_cddb_id(tracks_, track_count_);
    return true;
}

void cd_disc::copy_table_from(const cd_disc& other) {
    track_count_ = other.track_count_;
    cddb_id_ = other.cddb_id_;
    disc_id_ = other.disc_id_;
    tracks_ = other.tracks_;
}

const cd_disc_track& cd_disc::track(int index) const {
    static const cd_disc_track none;
    return index >= 0 && index < static_cast<int>(tracks_.size()) ? tracks_[static_cast<size_t>(index)] : none;
}

int cd_disc::index_of_track(int number) const {
    for (int i = 0; i < track_count_ && i < static_cast<int>(tracks_.size()); ++i)
        if (tracks_[static_cast<size_t>(i)].track_number == number) return i;
    return -1;
}

int cd_disc::track_end_sector(int number) const {
    const int i = index_of_track(number);
    if (i < 0 || i + 1 >= static_cast<int>(tracks_.size())) return 0;
    const cd_disc_track& t = tracks_[static_cast<size_t>(i)];
    const cd_disc_track& next = tracks_[static_cast<size_t>(i) + 1];
    // Only an audio track followed by a data track ends a session early; a
    // data track that comes first ends right before the audio.
    if (t.is_audio() && !next.is_audio() && i + 1 < track_count_) return next.start_sector - session_gap_sectors - 1;
    return next.start_sector - 1;
}

int cd_disc::track_sectors(int number) const {
    const int i = index_of_track(number);
    if (i < 0) return 0;
    const int sectors = track_end_sector(number) + 1 - tracks_[static_cast<size_t>(i)].start_sector;
    return sectors > 0 ? sectors : 0;
}

unsigned cd_disc::compute_disc_id(const std::vector<cd_disc_track>& entries, int tracks) {
    const int n = tracks < static_cast<int>(entries.size()) ? tracks : static_cast<int>(entries.size());
    uint32_t sum = 0;
    for (int i = 0; i < n; ++i) {
        const cd_disc_track& t = entries[static_cast<size_t>(i)];
        if (i >= 2 && t.control != entries[static_cast<size_t>(i) - 1].control) break;
        const unsigned a = absolute(t);
        sum += ((a / 4500) << 16) + (((a / sectors_per_second) % 60) << 8) + a % sectors_per_second;
    }
    if (tracks >= 2) return sum;
    for (size_t i = 0; i < entries.size(); ++i) {
        const cd_disc_track& t = entries[i];
        if (!t.is_audio() || t.track_number == lead_out_number || static_cast<int>(i) == tracks) {
            sum += static_cast<uint32_t>(t.start_sector);
            break;
        }
    }
    return sum;
}

unsigned cd_disc::compute_cddb_id(const std::vector<cd_disc_track>& entries, int tracks) {
    if (tracks <= 0 || static_cast<int>(entries.size()) <= tracks) return 0;
    unsigned digits = 0;
    unsigned seconds = 0;
    for (int i = 0; i < tracks; ++i) {
        const unsigned s = absolute(entries[static_cast<size_t>(i)]) / sectors_per_second;
        digits += digit_sum(s);
        seconds += absolute(entries[static_cast<size_t>(i) + 1]) / sectors_per_second - s;
    }
    return ((digits % 255) << 24) | (seconds << 8) | static_cast<unsigned>(tracks);
}
