#pragma once
// channel_refill: the refill of the playing channel (the service client's
// select_channel, forced) with its request on a worker, so that a service
// that answers late or not at all holds the user-interface thread for
// wait_ms at most instead of the request's whole bound. A reply that comes
// later is kept for the channel's next refill; meanwhile the refill reports
// false (the caller plays on from the tracks it has).
//
// User-interface thread only.
#include <memory>
#include <vector>
#include <windows.h>
#include "request_worker.h"
#include "service_records.h"

class service_client;

class channel_refill {
public:
    // The client stays the caller's and must outlive the object.
    // A request still without a reply after give_up_ms is given up at the
    // next refill, which sends a new one.
    explicit channel_refill(service_client& client, unsigned wait_ms = 1500, unsigned give_up_ms = 10000);
    channel_refill(const channel_refill&) = delete;
    channel_refill& operator=(const channel_refill&) = delete;

    // select_channel(chkey, out, true) as the service client does it, the
    // request sent on the worker: true with the tracks when a reply for chkey
    // is there within wait_ms (or came after an earlier call); false when
    // it failed or is still on its way. A request that is sent posts message
    // to notify when its reply is there (nothing when notify is null).
    bool select(int chkey, std::vector<track_record>& out, HWND notify = nullptr, UINT message = 0);
    // The reply for chkey of a request that select left on its way, once it
    // is there: true with the tracks as select gives them. Never sends.
    bool late(int chkey, std::vector<track_record>& out);

private:
    service_client& client_;
    unsigned wait_ms_;
    void give_up_when_stale();

    unsigned give_up_ms_;
    std::unique_ptr<request_worker> worker_;
    DWORD started_ = 0;  // when worker_'s request was sent
    int chkey_ = 0;     // the channel the worker asks for
    int previous_ = 0;  // the current channel when it was asked
};
