#include "service_link.h"

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
