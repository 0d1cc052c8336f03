#pragma once
// channel_track_list: the last step of every channel start. It takes the
// track records that the service client fetched for a channel, puts them
// into the music player's channel playlist ("음악방송", the playlist at
// index 1), plays the first, hands the tracks to the track cache, remembers
// the channel in the per-user settings ("app"/"channel" = "<list title>|<id>")
// and keeps the records that the now-playing list shows (at most 40 of them,
// listed_tracks) while the channel plays.
//
// The player's object lives as long as zel_ui (get_channel_track_list). It
// reaches the player, the track cache, the settings and the now-playing list
// through channel_track_services, which tests replace. User-interface thread
// only; load never fails.
#include <vector>
#include "service_records.h"
#include "stringx.h"

class play_manager;
class track_cache;

// Told after every load.
class channel_list_listener {
public:
    virtual void on_channel_loaded() = 0;

protected:
    ~channel_list_listener() = default;
};

class channel_track_services {
public:
    virtual ~channel_track_services() {}
    // The music player; null when there is none.
    virtual play_manager* music_player() = 0;
    // The track cache when it exists and the login's music cache setting (the
    // first play setting) is on; null otherwise. Released with release_cache.
    virtual track_cache* music_cache() = 0;
    virtual void release_cache(track_cache* cache) = 0;
    // The current channel and list title of the service client.
    virtual int current_channel_id() = 0;
    virtual stringx list_title() = 0;
    // A value of the per-user settings.
    virtual void store_write(const wchar_t* section, const wchar_t* key, const wchar_t* value) = 0;
    // The now-playing list's number of rows.
    virtual void set_view_count(int rows) = 0;
};

class channel_track_list {
public:
    enum { max_listed = 40 };

    explicit channel_track_list(channel_track_services& services);
    channel_track_list(const channel_track_list&) = delete;
    channel_track_list& operator=(const channel_track_list&) = delete;
    virtual ~channel_track_list();

    // Slot 0: null clears it; not owned.
    virtual void set_listener(channel_list_listener* listener);
    // Slot 1: every record of the last load, in the service's order.
    virtual std::vector<track_record>* tracks();
    // Slot 2: see the file comment; the records are copied.
    virtual void load(const std::vector<track_record>& records);

    // The first records of the track vector (at most 40), valid until the
    // next load; the now-playing list reads and rebuilds them.
    std::vector<track_record*>& listed_tracks() { return listed_; }
    // Rebuilds listed_tracks from the track vector (after the now-playing
    // list rotated or refilled it) and tells the listener.
    void relist();
    // Hands tracks to the track cache when the music cache is on: the first
    // plays now and is queued last (the cache leaves it while it still plays
    // from the server), so that the channel's next round finds every track
    // on disk.
    void cache_tracks(const std::vector<list_info>& entries);

private:
    channel_track_services& services_;
    std::vector<track_record> tracks_;
    channel_list_listener* listener_ = nullptr;
    std::vector<track_record*> listed_;
};

// The user interface's channel track list.
channel_track_list* get_channel_track_list();
// Where that list's row count goes (the now-playing list, once it exists).
void set_channel_view_counter(void (*counter)(int rows));
