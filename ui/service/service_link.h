#pragma once
// service_link: what the service client's operations need around them. The
// announcement list, the announcement library, the store hours, the
// reservations, the store manager and the news ticker all post a request,
// read the reply, write the announcement log and, for an expired login, show
// the server notice; they take the logged-in store from the login manager.
// Each of them reaches all of that through one service_link, so that a test
// can point the requests at the stand-in and read back the log lines.
//
// User-interface thread only.
#include <vector>
#include "service_records.h"
#include "service_reply.h"
#include "service_request.h"
#include "stringx.h"

class service_link {
public:
    virtual ~service_link() {}

    // The logged-in store, its credentials, the PC identity and the volume
    // options as the requests carry them.
    virtual request_identity identity() = 0;
    virtual bool logged_in() = 0;
    // The store's guide number (login_manager::get_bcode), sent as
    // "storeguideno".
    virtual stringx guide_number() = 0;
    // The current announcement-info code (login_manager::get_anneinfo_code).
    virtual stringx anneinfo_code() = 0;

    // Posts the request and blocks until its reply has come.
    virtual service_reply post(const service_request& request) = 0;
    // A line of the announcement log (log_service::write_anne_log).
    virtual void write_anne_log(const wchar_t* text) = 0;
    // The server notice of an expired login (show_server_notice).
    virtual void show_notice(const service_reply& reply) = 0;

    // The announcement scheduler: a fresh list (anne_scheduler::reload) and
    // one changed announcement (anne_scheduler::update_record). Nothing
    // until the scheduler exists.
    virtual void scheduler_reload() {}
    virtual void scheduler_update(const anne_record&) {}
};

// The common reading of a reply, with the sender's log lines: without a
// connection it logs no_connection; for an expired login it logs expired and
// shows the server notice; without "Result=Success" it logs failed (a null
// failed makes no success test). True when the reply may be read on.
bool accept_reply(service_link& link, const service_reply& reply, const wchar_t* no_connection,
                  const wchar_t* expired, const wchar_t* failed);

// The player's own link (ui/channel/service_link_wiring.cpp): the
// store, the credentials and the codes of the login manager, the PC identity
// and the volumes of the options block, the request host of service_host,
// the registered log service, show_server_notice.
service_link& get_player_service_link();
// Hands the player's link the announcement scheduler's reload and
// update_record (the announcements library does, when the scheduler starts).
void set_player_scheduler_entries(void (*reload)(), void (*update)(const anne_record&));
