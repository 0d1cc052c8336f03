#include "reservation_workers.h"

bool reservation_workers::start(reservation_environment::slot s, const service_request& request) {
    std::unique_ptr<request_worker>& w = workers_[s];
    if (!w) w.reset(new request_worker);
    return w->start(request, nullptr, 0);
}

bool reservation_workers::take(reservation_environment::slot s, service_reply& reply) {
    return workers_[s] && workers_[s]->take(reply);
}

void reservation_workers::abandon(reservation_environment::slot s) {
    // The worker's object goes; its thread drops the reply when it comes.
    workers_[s].reset();
}

void reservation_workers::send_report(const service_request& request) {
    reports_.push_back(request);
    pump_reports();
}

void reservation_workers::pump_reports() {
    service_reply unread;
    if (report_worker_.busy() && !report_worker_.take(unread)) return;
    if (reports_.empty()) return;
    if (report_worker_.start(reports_.front(), nullptr, 0)) reports_.pop_front();
}
