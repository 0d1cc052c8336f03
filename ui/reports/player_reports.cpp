#include "player_reports.h"
#include "request_worker.h"

#include "core.h"
#include "log_service.h"
#include "play_manager.h"
#include "report_identity.h"
#include "service_requests.h"

request_identity report_env::identity() { return current_request_identity(); }

void report_env::stop_players() {
    if (play_manager* music = core::get_player(true))
        music->stop(0);
}

void report_env::write_anne_log(const wchar_t* line) {
    if (component* c = core::enum_create_component(log_service::iid, 0)) {
        static_cast<log_service*>(c)->write_anne_log(line);
        c->release();
    }
}

report_env& default_report_env() {
    static report_env env;
    return env;
}

void report_player_state(int kind, report_env& env) {
    send_answering(volume_report_request(env.identity(), false, kind != 1));
}

namespace {

// answering: sent on a worker while the window goes on answering; the exit
// report, part of the window's close, is sent straight.
void report_state(report_env& env, const wchar_t* state, const wchar_t* failure, bool answering) {
    const service_request request = play_state_request(env.identity().store, state);
    const service_reply reply = answering ? send_answering(request) : request.send();
    if (!reply.connected())
        env.write_anne_log(failure);
}

}  // namespace

void report_play_stop(report_env& env) {
    env.stop_players();
    report_state(env, player_state::play_stop, L"Failure: player_state - play_stop", true);
}

void report_player_exit(report_env& env) {
    report_state(env, player_state::player_exit, L"Failure: player_state - player_exit", false);
}
