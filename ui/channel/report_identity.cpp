#include "report_identity.h"

#include "login_manager.h"
#include "player_options.h"

request_identity current_request_identity() {
    request_identity identity;
    const player_options& options = get_player_options();
    if (login_manager* login = get_login_manager()) {
        identity.store = login->get_store_info();
        login->get_credentials(identity.userid, identity.userpw);
    }
    identity.pc.usermac = options.usermac;
    identity.pc.pc_ostime = options.pc_ostime;
    identity.pc.pc_pgtime = options.pc_pgtime;
    identity.pc.hddidx = options.hddidx;
    identity.volumes.music = static_cast<int>(options.volume);
    identity.volumes.announcement = static_cast<int>(options.info_volume);
    identity.volumes.music_mute = options.mute;
    identity.volumes.announcement_mute = options.info_mute;
    return identity;
}
