#include "channel_refill.h"
#include "service_client.h"

channel_refill::channel_refill(service_client& client, unsigned wait_ms, unsigned give_up_ms)
    : client_(client), wait_ms_(wait_ms), give_up_ms_(give_up_ms), worker_(new request_worker) {}

void channel_refill::give_up_when_stale() {
    // A service that holds the connection without a word would otherwise
    // keep every later refill waiting for this one reply: the request is
    // left to end on its own (its reply goes nowhere) and a new one is sent.
    if (worker_->busy() && GetTickCount() - started_ >= give_up_ms_) worker_.reset(new request_worker);
}

bool channel_refill::select(int chkey, std::vector<track_record>& out, HWND notify, UINT message) {
    service_reply reply;
    give_up_when_stale();
    if (worker_->busy()) {
        if (chkey_ == chkey) {
            // The request of an earlier refill: its reply serves this one.
            if (!worker_->wait(wait_ms_)) return false;
            worker_->take(reply);
            return client_.take_select_reply(chkey, previous_, reply, out);
        }
        if (!worker_->take(reply)) return false;  // another channel's, still running
    }
    service_request request(L"");
    if (!client_.select_request(chkey, request)) return false;
    chkey_ = chkey;
    previous_ = client_.current_channel()->id;
    if (!worker_->start(request, notify, message))
        return client_.take_select_reply(chkey, previous_, request.send(), out);
    started_ = GetTickCount();
    if (!worker_->wait(wait_ms_)) return false;  // still on its way: kept for the next refill
    worker_->take(reply);
    return client_.take_select_reply(chkey, previous_, reply, out);
}

bool channel_refill::late(int chkey, std::vector<track_record>& out) {
    if (!worker_->busy() || chkey_ != chkey) return false;
    service_reply reply;
    if (!worker_->take(reply)) return false;
    return client_.take_select_reply(chkey, previous_, reply, out);
}
