#pragma once
// seek_table: maps a time to the byte offset of a frame of a local MPEG file
// by counting frames as it reads ahead. It is built lazily, only as far as
// the latest time asked for, one 64-bit entry per frame.
//
// seek_table_cache: the process-wide cache of the tables of the eight files
// opened last (oldest first), so that repeated seeks and plays of a file do
// not count its frames again. One lock serialises every lookup (scanning
// included) and every table creation across all playback threads.
#include <cstdint>
#include <vector>

#include "critsec.h"
#include "stringx.h"

class stream;

class seek_table {
public:
    virtual ~seek_table() = default;

    // Where a seek lands: the stream offset of a frame, the time at which
    // that frame begins, and the time asked for, cut to the duration of the
    // frames the file holds.
    struct seek_point {
        int64_t offset;
        double frame_seconds;
        double seconds;
    };

    // Starts over: no frames counted, the data of the file starting at data_start.
    bool reset(int64_t data_start);
    // The frame ten frames before the one playing at seconds (the first
    // frame within the first ten frames; ten before the last counted frame
    // when the file ends earlier): decoding from there fills the decoder's
    // bit reservoir before the time asked for. Reads the stream on from
    // where the previous scan stopped when seconds lie beyond the frames
    // counted, and restores its position.
    seek_point locate(stream* source, double seconds);
    // The offset of locate().
    int64_t find(stream* source, double seconds) { return locate(source, seconds).offset; }
    // Counts the frames of the next n bytes of the data. A frame may run past
    // the end of the block, and 1 to 3 bytes at its end may start a header:
    // the next block continues both. False when memory runs out.
    bool scan(const unsigned char* block, int n);

    // Offsets from the data start: entry k is where frame k begins; the last
    // one is the end of the last counted frame.
    const std::vector<int64_t>& entries() const { return entries_; }
    double scanned_duration() const { return scanned_; }
    uint32_t frame_count() const { return frames_; }
    int64_t data_start() const { return data_start_; }
    // Offset from the data start at which the next block to scan begins.
    int64_t resume_offset() const { return scan_position_ + carry_count_; }

    // The length of the file the table was made for (the cache replaces a
    // table whose file changed).
    int64_t file_length = 0;

    static const int read_bytes = 2048;
    static const int frames_before = 10;

private:
    void count_frame(int64_t end);

    std::vector<int64_t> entries_{0};
    double scanned_ = 0.0;
    int64_t scan_position_ = 0;
    uint32_t frames_ = 0;
    int last_samples_per_frame_ = 0;
    int last_sample_rate_ = 0;
    int pending_ = 0;
    unsigned char carry_[3] = {};
    int carry_count_ = 0;
    int64_t data_start_ = 0;
    std::vector<unsigned char> joined_;
};

class seek_table_cache {
public:
    seek_table_cache() = default;
    ~seek_table_cache();
    seek_table_cache(const seek_table_cache&) = delete;
    seek_table_cache& operator=(const seek_table_cache&) = delete;

    // The cache of this library.
    static seek_table_cache& instance();
    // The key of a stream: the last "|" piece of its path.
    static stringx key_of(stream* source);

    // find() of the stream's table; negative when the cache holds none.
    int64_t lookup(stream* source, double seconds);
    // locate() of the stream's table; false when the cache holds none.
    bool locate(stream* source, double seconds, seek_table::seek_point* point);
    // Makes sure a table serves the stream: an existing one of its key serves
    // unchanged unless its data start or file length differ (the file was
    // rewritten); a new one is appended, the oldest dropped at eight.
    void add(stream* source, int64_t data_start, int64_t file_length);

    int count();
    bool holds(const wchar_t* key);
    void clear();

    static const int max_tables = 8;

private:
    int index_of(const stringx& key);  // under the lock; -1 when absent
    void remove_at(int index);

    critsec lock_;
    std::vector<seek_table*> tables_;
    std::vector<stringx> keys_;
};
