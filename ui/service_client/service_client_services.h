#pragma once
// What the service client needs of the rest of the player: who is logged in
// and what the requests carry for it, the two logs, the timed message box,
// the server notice and the option `channel_title`. A test stands in for
// all of them; the player's own (player_service_client_services, in the
// main window's library) reaches the login manager, the log service, the
// options block and the main window.
//
// User-interface thread.
#include <vector>
#include "service_reply.h"
#include "service_request.h"
#include "stringx.h"

class service_link;

class service_client_services {
public:
    virtual ~service_client_services() {}

    virtual bool logged_in() = 0;
    // The store group, the credentials, the PC identity and the volumes of
    // the logged-in store (empty texts before a login).
    virtual request_identity identity() = 0;

    // A line of the general log and of the announcement log.
    virtual void write_log(const wchar_t* text) = 0;
    virtual void write_anne_log(const wchar_t* text) = 0;

    // A box with text over the main window at the next timer tick; returns
    // at once.
    virtual void show_timed_box(const wchar_t* text) = 0;
    // The notice of an expired login (show_server_notice).
    virtual void show_notice(const service_reply& reply) = 0;

    // The option `channel_title`: the title of the channel being selected.
    virtual void set_channel_title(const wchar_t* title) = 0;
    virtual stringx channel_title() = 0;

    // The link the announcement and reservation requests go through; null
    // when there is none (those operations then fail).
    virtual service_link* link() { return nullptr; }

    // The track lines of a channel's last successful track reply, kept
    // beyond this run (one channel at a time: a later channel replaces an
    // earlier one), and given back for that channel only. By default nothing
    // is kept.
    virtual void keep_track_lines(int chkey, const std::vector<stringx>& lines) {
        (void)chkey;
        (void)lines;
    }
    virtual std::vector<stringx> kept_track_lines(int chkey) {
        (void)chkey;
        return std::vector<stringx>();
    }
};
