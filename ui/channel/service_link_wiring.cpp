// The player's service link: the login manager (store, credentials, guide
// number, announcement-info code), the options block (PC identity and
// volumes), the request host, the log service and the server notice; and the
// store manager and news ticker over it.
#include "core.h"
#include "log_service.h"
#include "login_manager.h"
#include "report_identity.h"
#include "request_worker.h"
#include "service_link.h"
#include "service_notice.h"
#include "store_manager.h"

namespace {

// The announcement scheduler's entries, once the announcements library has
// handed them over (set_player_scheduler_entries).
void (*g_scheduler_reload)() = nullptr;
void (*g_scheduler_update)(const anne_record&) = nullptr;

class player_service_link : public service_link {
public:
    request_identity identity() override { return current_request_identity(); }
    bool logged_in() override { return get_login_manager()->is_logged_in(); }
    stringx guide_number() override { return get_login_manager()->get_bcode().code; }
    stringx anneinfo_code() override { return stringx(get_login_manager()->get_anneinfo_code()); }
    // Sent on a worker while the windows answer. The operations run from
    // timers as well (the announcement list's reload): one that comes while
    // a post is on its way finds the service busy, as if it had not
    // answered, instead of stacking a second wait inside the first.
    service_reply post(const service_request& request) override {
        if (posting_) return service_reply();
        posting_ = true;
        const service_reply reply = send_answering(request);
        posting_ = false;
        return reply;
    }
    void write_anne_log(const wchar_t* text) override {
        component* c = core::enum_create_component(log_service::iid, 0);
        if (!c) return;
        static_cast<log_service*>(c)->write_anne_log(text);
        c->release();
    }
    void show_notice(const service_reply& reply) override { show_server_notice(reply); }
    void scheduler_reload() override {
        if (g_scheduler_reload) g_scheduler_reload();
    }
    void scheduler_update(const anne_record& record) override {
        if (g_scheduler_update) g_scheduler_update(record);
    }

private:
    bool posting_ = false;
};

}  // namespace

void set_player_scheduler_entries(void (*reload)(), void (*update)(const anne_record&)) {
    g_scheduler_reload = reload;
    g_scheduler_update = update;
}

service_link& get_player_service_link() {
    static player_service_link link;
    return link;
}

store_manager* get_store_manager() {
    static store_manager manager(get_player_service_link());
    return &manager;
}

news_ticker* get_news_ticker() {
    static news_ticker ticker(get_player_service_link());
    return &ticker;
}
