#pragma once
// The track cache's implementation: the queue, the download of its front
// entry on each 1000 ms tick, the file limits and the low-disk eviction.
// An entry whose download could not start or did not end complete (the
// track's host did not answer: an outage) is put aside and queued again
// once the queue has been empty for retry_ticks ticks (twice that after a
// round that brought nothing, and so on up to 16 times), so that the cache
// fills again after the outage; a new queue or clear() forgets them.
//
// Seams for tests: the free-space query and the random source can be
// replaced, the folders prepared without a timer, and tick_now() runs one
// tick.
#include <cstdint>
#include <string>
#include <vector>
#include <windows.h>
#include "critsec.h"
#include "stringx.h"
#include "timer.h"
#include "track_cache.h"

class zel_save_reader;

class track_cache_impl : public singleton_component<track_cache>, public timer {
public:
    // Free bytes of the volume of root (all free bytes, not the caller's
    // quota); false when they cannot be read.
    typedef bool (*free_space_fn)(const wchar_t* root, uint64_t* free_bytes);
    static free_space_fn free_space_query;
    typedef int (*random_fn)();
    static random_fn random_source;

    static const int min_free_mb = 100;
    // Ticks of an empty queue after which the entries put aside are queued
    // again (the first time).
    int retry_ticks = 30;

    track_cache_impl() = default;
    ~track_cache_impl() override;

    void set_rate_limit(int bytes_per_second) override;
    void set_limits(int unused, int music_files, int info_files) override;
    void enqueue(int unused, const std::vector<list_info>* entries) override;
    void enqueue_info(const list_info* entry) override;
    void drop_non_info() override;
    void clear() override;

    // init_quit hooks.
    void on_ui_ready();
    void on_ui_closing();
    // on_ui_ready without the timer and the random seed: limits, counters
    // and the folders below track_url::cache_root().
    void prepare();

    void tick_now() { tick(); }

    // Test views.
    std::vector<std::wstring> queued_paths();
    std::vector<std::wstring> put_aside_paths();
    zel_save_reader* current_download() const { return saver_; }
    bool download_starting() const { return starting_ != nullptr; }
    // How long a tick waits for a download's start (the length check and
    // the request, on a thread of their own) before it leaves it to a later
    // tick: a host that answers at once starts its download in this tick,
    // one that does not answer never holds the tick's thread (the
    // user-interface thread) longer than this.
    static const DWORD start_wait_ms = 150;
    // A download whose start runs on its thread (track_cache_impl.cpp).
    struct starting;
    int wait_ticks() const { return wait_ticks_; }
    int info_delay() const { return info_delay_; }
    const stringx& music_folder() const { return music_folder_; }
    const stringx& info_folder() const { return info_folder_; }

protected:
    void tick() override;

private:
    bool disk_check();  // true when the tick ends here
    void start_next();
    // The download whose start runs on its thread: taken over once that has
    // ended (false while it runs); true when none was starting.
    bool take_started();
    // A start still running ends on its own and deletes its reader.
    void abandon_start();
    void enforce_limit(const stringx& folder, int limit, bool info);
    // Keeps entry for a later try unless its cache file is there.
    void put_aside_unless_cached(const list_info& entry);

    critsec lock_;
    int music_file_limit_ = 1000;
    int info_file_limit_ = 100;
    std::vector<list_info> queue_;
    zel_save_reader* saver_ = nullptr;
    starting* starting_ = nullptr;  // a download whose start runs
    list_info saving_;                // the entry saver_ downloads
    std::vector<list_info> put_aside_;  // entries to try again after an outage
    int idle_ticks_ = 0;
    int retry_rounds_ = 0;  // rounds of put-aside entries since one came in whole
    stringx music_folder_;
    stringx info_folder_;
    stringx drive_root_;
    int wait_ticks_ = 0;
    int tick_count_ = 0;
    int info_delay_ = -1;
};

// The "tmp" files of folder, oldest-created first (equal times by name).
std::vector<stringx> cache_files_by_age(const stringx& folder);
