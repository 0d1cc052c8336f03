#pragma once
// reservation_environment: everything the channel reservations reach outside
// themselves. The player's own (player_reservation.cpp) reads the service
// clock and GetTickCount, sends the requests on worker threads, and reaches
// the service client, the channel track list and the music player; tests put
// a fake clock, canned or stand-in replies and a recording player behind it
// and drive the ticks by hand.
//
// Requests never block the caller: start_request hands a request to the
// worker of its slot (one request at a time per slot), take_reply collects
// the reply once it is there. User-interface thread only.
#include <windows.h>

#include <vector>

#include "service_records.h"
#include "service_reply.h"
#include "service_request.h"
#include "stringx.h"
#include "timex.h"

class reservation_environment {
public:
    // The timetable and the channel tracks are asked for on workers of their
    // own, so a silent timetable never holds a channel start back.
    enum slot { timetable_slot, tracks_slot };

    virtual ~reservation_environment() {}

    // The service clock (timex with the server offset).
    virtual timex service_now() = 0;
    // The service clock is set to server_now (timex::set_normal_time).
    virtual void set_service_clock(const timex& server_now) = 0;
    // Milliseconds of a free-running counter (GetTickCount); wraps at 2^32.
    virtual DWORD tick_count() = 0;
    // The logged-in store and its credentials, as the requests carry them.
    virtual request_identity identity() = 0;

    // Starts request on the slot's worker; false while that worker is busy
    // or when it could not start.
    virtual bool start_request(slot s, const service_request& request) = 0;
    // The reply of the slot's request once it is there (the slot is free
    // again); false while it runs or when none was started.
    virtual bool take_reply(slot s, service_reply& reply) = 0;
    // Gives up the slot's running request; its reply is dropped when it
    // comes and the slot is free at once.
    virtual void abandon(slot s) = 0;
    // Sends a report whose reply nobody reads; reports leave in the order
    // given, without holding the caller.
    virtual void send_report(const service_request& request) = 0;

    // The service client's current channel and the title of its list.
    virtual int current_channel_id() = 0;
    virtual stringx current_channel_title() = 0;
    virtual stringx list_title() = 0;
    // A channel's tracks in two steps (service_client::get_channel_tracks):
    // the request, then its reply read into out (false when it failed; the
    // service client logs why).
    virtual service_request tracks_request(int chkey, const stringx& title) = 0;
    virtual bool take_tracks_reply(int chkey, const service_reply& reply, std::vector<track_record>& out) = 0;
    // The channel becomes the service client's only and current one under
    // list_title, its title the login's channel title, and the music player
    // plays its tracks (channel_track_list::load).
    virtual void play_channel(int chkey, const stringx& title, const stringx& list_title,
                              const std::vector<track_record>& tracks) = 0;
    // The store's own channel as the login and the settings name it
    // ("<list title>|<id>" and the channel title); false when none is named.
    virtual bool home_channel(int& chkey, stringx& title, stringx& list_title) = 0;

    virtual bool music_playing() = 0;
    // play_manager::stop(0) on the music player.
    virtual void stop_music() = 0;
    // A line of the general log.
    virtual void write_log(const wchar_t* text) = 0;
};
