#pragma once
// channel_service: the service client and the channel track list as the
// main window uses them: channels started by id, the restore of the last
// channel at login, the current channel, the announcement list's size and
// the channel state around the settings dialog.
//
// The fetches keep the tracks they got inside the service until
// load_fetched() hands them to the channel playlist, which plays the first.
// Every request is synchronous, on the user-interface thread, but the
// checked selection's retry, whose request runs on a worker
// (start_checked_fetch, finish_checked_fetch).
#include <windows.h>
#include "stringx.h"

// How long the player waits before it asks again for a channel whose request
// failed: 2 s after the first failure, doubling up to 60 s.
inline int channel_retry_delay_ms(int failures) {
    int delay = 2000;
    for (int i = 1; i < failures && delay < 60000; ++i) delay *= 2;
    return delay < 60000 ? delay : 60000;
}

class channel_service {
public:
    virtual ~channel_service() = default;
    virtual bool is_logged_in() = 0;

    // The tracks of a channel by id and title; false keeps the previous ones.
    virtual bool fetch_channel_tracks(unsigned id, const stringx& title) = 0;
    virtual void set_single_channel(unsigned id, const stringx& title) = 0;
    virtual void select_channel_by_key(unsigned id) = 0;
    virtual void set_title(const stringx& title) = 0;
    // The channel track list takes the fetched tracks and plays the first.
    virtual void load_fetched() = 0;

    // The last-channel restore: the channel list of the list name, then the
    // tracks of the current channel through the checked selection.
    virtual bool get_channel_list(const stringx& list_name) = 0;
    virtual bool select_channel_checked() = 0;

    virtual unsigned current_channel_id() = 0;
    virtual stringx current_channel_title() = 0;
    // The list name the service client keeps (its get_title).
    virtual stringx list_title() = 0;
    // The start offset in seconds of the channel track list's first track;
    // 0 when the list is empty.
    virtual double first_track_offset() = 0;

    // The number of announcements of the store (kind 0: today's, 1: all).
    virtual int announcement_count(int kind) = 0;

    virtual void save_channel_state() = 0;
    virtual void restore_channel_state() = 0;

    // The current channel's tracks as the service last sent them (also in an
    // earlier run) into the fetched tracks; false when none are kept. While
    // the service does not answer, the channel plays on from these (the
    // cached ones play from the track cache).
    virtual bool fetch_saved_tracks() = 0;
    // The checked selection of the current channel with its request on a
    // worker: message is posted to window when the reply is there. False
    // when it could not start (one is running already).
    virtual bool start_checked_fetch(HWND window, UINT message) = 0;
    enum fetch_result { fetch_pending, fetch_done, fetch_failed, fetch_refused, fetch_stale };
    // After that message: fetch_done when the tracks are fetched
    // (load_fetched plays them), fetch_failed when the request failed (ask
    // again later), fetch_refused for an expired login (its notice is shown;
    // do not ask again), fetch_stale when another channel became current
    // meanwhile, fetch_pending while the request still runs.
    virtual fetch_result finish_checked_fetch() = 0;
    // True when the last checked selection (select_channel_checked or a
    // worker's) failed because the login expired: asking again is of no use.
    virtual bool last_check_refused() = 0;
};
