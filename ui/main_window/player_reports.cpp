// The stop and exit reports of the player to the service.
#include "player_reports.h"

#include <string>

#include "login_manager.h"
#include "main_window_host.h"
#include "service_requests.h"

void service_player_reports::post(const wchar_t* state) {
    const service_reply reply = play_state_request(get_login_manager()->get_store_info(), state).send();
    if (!reply.connected()) host_.write_anne_log((std::wstring(L"Failure: player_state - ") + state).c_str());
}

void service_player_reports::report_play_stop() { post(player_state::play_stop); }

void service_player_reports::report_exit() { post(player_state::player_exit); }
