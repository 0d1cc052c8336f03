#pragma once
// reservation_workers: the reservations' requests on threads of their own
// (request_worker), so that a service that answers slowly or not at all
// never holds the user-interface thread: one worker per request slot, and
// one more that sends the reports one after the other, in the order given.
// An abandoned request's thread ends on its own within http_post's bound.
//
// The owner's thread only (the user-interface thread).
#include <deque>
#include <memory>

#include "request_worker.h"
#include "reservation_environment.h"

class reservation_workers {
public:
    bool start(reservation_environment::slot s, const service_request& request);
    bool take(reservation_environment::slot s, service_reply& reply);
    void abandon(reservation_environment::slot s);
    // Queues a report and sends the next one whose turn it is.
    void send_report(const service_request& request);
    // Sends the next report once the one before it has been answered; the
    // owner calls it on its ticks.
    void pump_reports();
    size_t reports_waiting() const { return reports_.size(); }

private:
    std::unique_ptr<request_worker> workers_[2];
    request_worker report_worker_;
    std::deque<service_request> reports_;
};
