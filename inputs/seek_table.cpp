#include "seek_table.h"

#include <cstring>
#include <new>

#include "mpeg_parser.h"
#include "stream.h"

bool seek_table::reset(int64_t data_start) {
    entries_.assign(1, 0);
    scanned_ = 0.0;
    scan_position_ = 0;
    frames_ = 0;
    last_samples_per_frame_ = last_sample_rate_ = 0;
    pending_ = 0;
    carry_count_ = 0;
    data_start_ = data_start;
    return true;
}

void seek_table::count_frame(int64_t end) {
    ++frames_;
    if (last_sample_rate_ > 0) scanned_ += double(last_samples_per_frame_) / last_sample_rate_;
    entries_.push_back(end);
}

bool seek_table::scan(const unsigned char* block, int n) {
    if (!block || n < 0) n = 0;
    int i = 0;
    if (pending_ > 0) {
        if (pending_ > n) {
            pending_ -= n;
            i = n;
        } else {
            i = pending_;
            pending_ = 0;
            count_frame(scan_position_ + i);
        }
    }
    const unsigned char* p = block;
    if (carry_count_ > 0) {
        // Only a block that no frame runs into has carried bytes before it.
        try {
            joined_.resize(size_t(carry_count_) + size_t(n));
        } catch (const std::bad_alloc&) {
            return false;
        }
        memcpy(joined_.data(), carry_, size_t(carry_count_));
        if (n > 0) memcpy(joined_.data() + carry_count_, block, size_t(n));
        p = joined_.data();
        n += carry_count_;
        carry_count_ = 0;
    }
    while (i + 4 <= n) {
        frame_header f;
        if (!mpeg_frame_check(mpeg_word(p + i), f)) {
            ++i;
            continue;
        }
        last_samples_per_frame_ = mpeg_samples_per_frame(f.lsf, f.layer);
        last_sample_rate_ = mpeg_sample_rate(f.sampling_frequency);
        const int length = mpeg_frame_bytes(f);
        if (n - i < length) {
            pending_ = length - (n - i);
            i = n;
            break;
        }
        i += length;
        count_frame(scan_position_ + i);
    }
    const int rest = n - i;
    if (rest > 0) {
        memcpy(carry_, p + i, size_t(rest));
        carry_count_ = rest;
    }
    scan_position_ += n - rest;
    return true;
}

seek_table::seek_point seek_table::locate(stream* source, double seconds) {
    if (!(seconds >= 0.0)) seconds = 0.0;
    if (scanned_ < seconds && source) {
        const int64_t home = source->tell();
        if (source->seek(data_start_ + resume_offset(), 0) == 0) {
            unsigned char block[read_bytes];
            while (scanned_ < seconds) {
                const int n = source->read(block, read_bytes);
                if (n <= 0 || !scan(block, n)) break;
            }
        }
        source->seek(home, 0);
    }
    if (seconds > scanned_) seconds = scanned_;
    if (frames_ == 0 || !(scanned_ > 0.0)) return {data_start_, 0.0, 0.0};
    int index = int(seconds / scanned_ * frames_ + 0.5);
    index = index > frames_before ? index - frames_before : 0;
    if (size_t(index) >= entries_.size()) index = int(entries_.size()) - 1;
    // The frames of one file share their duration.
    return {data_start_ + entries_[size_t(index)], scanned_ / frames_ * index, seconds};
}
