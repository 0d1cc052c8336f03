// The common reading of a reply, and the player's own service link: the
// login manager, the request host, the registered log service and the server
// notice box.
#include "core.h"
#include "log_service.h"
#include "login_manager.h"
#include "service_link.h"
#include "service_notice.h"

bool accept_reply(service_link& link, const service_reply& reply, const wchar_t* no_connection,
                  const wchar_t* expired, const wchar_t* failed) {
    if (!reply.connected()) {
        link.write_anne_log(no_connection);
        return false;
    }
    if (reply.login_expired()) {
        link.write_anne_log(expired);
        link.show_notice(reply);
        return false;
    }
    if (failed && !reply.has_success()) {
        link.write_anne_log(failed);
        return false;
    }
    return true;
}

namespace {
player_service_link::identity_filler g_filler = nullptr;
}  // namespace

void player_service_link::set_identity_filler(identity_filler filler) { g_filler = filler; }

request_identity player_service_link::identity() {
    request_identity id;
    login_manager* login = get_login_manager();
    id.store = login->get_store_info();
    login->get_credentials(id.userid, id.userpw);
    if (g_filler) g_filler(id);
    return id;
}

bool player_service_link::logged_in() { return get_login_manager()->is_logged_in(); }

stringx player_service_link::guide_number() { return get_login_manager()->get_bcode().code; }

stringx player_service_link::anneinfo_code() { return stringx(get_login_manager()->get_anneinfo_code()); }

service_reply player_service_link::post(const service_request& request) { return request.send(); }

void player_service_link::write_anne_log(const wchar_t* text) {
    component* c = core::enum_create_component(log_service::iid, 0);
    if (!c) return;
    static_cast<log_service*>(c)->write_anne_log(text);
    c->release();
}

void player_service_link::show_notice(const service_reply& reply) { show_server_notice(reply); }

service_link& get_player_service_link() {
    static player_service_link link;
    return link;
}
