#pragma once
// track_cache: the download cache of the service's track URLs. The user
// interface feeds it with the coming tracks of a channel and with each
// announcement file ahead of its air time; a 1000 ms timer works through the
// queue one download at a time (zel_save_reader), keeps at most a set
// number of files per cache folder and deletes the oldest music file while
// the disk has less than 100 MB free. The play reader later plays a complete
// cache file from disk.
//
// A singleton of zel_in_std (release does nothing). Every operation runs on
// the user-interface thread.
#include <vector>
#include "component.h"
#include "list_info.h"

class track_cache : public component {
public:
    static constexpr GUID iid = {0xA43107FC, 0xCE49, 0x485B, {0x93, 0x49, 0x6B, 0x68, 0xBD, 0x48, 0x9B, 0xF2}};

    // Slot 2: the download rate limit in bytes per second for every running
    // and coming download (102400 until set; 0 or less: no limit).
    virtual void set_rate_limit(int bytes_per_second) = 0;
    // Slot 3: the number of cached files that a new download may bring the
    // music and the announcement folder up to; the first value is unused.
    virtual void set_limits(int unused, int music_files, int info_files) = 0;
    // Slot 4: a channel's track list: the queue is emptied, then every entry
    // but the first is queued unless its path (ignoring case) is queued
    // already; downloads wait 4 ticks. A download in progress goes on.
    virtual void enqueue(int unused, const std::vector<list_info>* entries) = 0;
    // Slot 5: a copy of an announcement file's entry goes to the front.
    virtual void enqueue_info(const list_info* entry) = 0;
    // Slot 6: drops every queued entry that is not a "zel2://" path.
    virtual void drop_non_info() = 0;
    // Slot 7: empties the queue and stops the current download (its
    // incomplete file is deleted).
    virtual void clear() = 0;
};
