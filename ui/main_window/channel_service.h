#pragma once
// channel_service: the service client and the channel track list as the
// main window uses them: channels started by id, the restore of the last
// channel at login, the current channel, the announcement list's size and
// the channel state around the settings dialog.
//
// The fetches keep the tracks they got inside the service until
// load_fetched() hands them to the channel playlist, which plays the first.
// Every request is synchronous, on the user-interface thread.
#include "stringx.h"

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
};
