// The login, the requests to rux_player_state.php and those of the other
// senders (timetable, store detail, notices, log upload).
#include <string>
#include "service_requests.h"

namespace {
bool has_text(const wchar_t* text) { return text && *text; }
}  // namespace

service_request login_request(const wchar_t* userid, const wchar_t* userpw, const wchar_t* pg_ver,
                              const pc_identity& pc, const volume_levels& volumes, const wchar_t* channel,
                              bool send_vmpc, int vmpc) {
    service_request r(service_script::login_check);
    if (has_text(userid)) r.add(L"userid", userid);
    if (has_text(userpw)) r.add(L"userpw", userpw);
    r.add(L"pg_ver", has_text(pg_ver) ? pg_ver : L"1.0.0.0.0");
    r.add_pc_group(pc);
    r.add_volume_group(volumes);
    r.add(L"channel", has_text(channel) ? channel : L"NULL");
    if (send_vmpc) r.add_int(L"vmpc", vmpc);
    return r;
}

service_request pc_login_request(const pc_identity& pc) {
    service_request r(service_script::player_state);
    r.add_pc_group(pc);
    return r;
}

service_request pc_auth_request(const request_identity& identity) {
    service_request r(service_script::player_state);
    r.add_report_group(identity);
    return r;
}

service_request volume_report_request(const request_identity& identity, bool announcement, bool mute) {
    service_request r(service_script::player_state);
    r.add_report_group(identity);
    const volume_levels& v = identity.volumes;
    if (mute) {
        r.add(L"player_state", announcement ? player_state::anne_volume_mute : player_state::music_volume_mute);
        r.add(L"value", (announcement ? v.announcement_mute : v.music_mute) ? L"1" : L"0");
    } else {
        r.add(L"player_state", announcement ? player_state::anne_volume : player_state::music_volume);
        r.add_int(L"value", volume_field_value(announcement ? v.announcement : v.music));
    }
    return r;
}

service_request anne_direct_request(const request_identity& identity, bool on_air, const wchar_t* title,
                                    const wchar_t* file) {
    service_request r(service_script::player_state);
    r.add_report_group(identity);
    r.add(L"player_state", on_air ? player_state::anne_direct_play : player_state::anne_direct_stop);
    r.add(L"player_title", title);
    r.add(L"player_file", file);
    return r;
}

service_request play_state_request(const store_info& store, const wchar_t* state) {
    service_request r(service_script::player_state);
    r.add(L"storecode", store.storecode);
    r.add(L"player_state", state);
    return r;
}

service_request favourite_request(const request_identity& identity, bool add, const wchar_t* chkey,
                                  const wchar_t* title, bool with_pc) {
    service_request r(service_script::player_state);
    r.add(L"player_state", add ? player_state::favorite_ch : player_state::favorite_ch_del);
    r.add(L"chkey", chkey);
    r.add(L"title", title);
    r.add(L"storemother", identity.store.storemother);
    r.add(L"storecode", identity.store.storecode);
    r.add(L"storename", identity.store.storename);
    r.add(L"storeid", identity.store.storeid);
    if (with_pc) r.add_pc_group(identity.pc);
    return r;
}

service_request schedule_play_request(const store_info& store, bool start, int control_value, int chkey,
                                      const wchar_t* title, const wchar_t* loginno) {
    service_request r(service_script::player_state);
    r.add(L"player_state", start ? player_state::schedule_play : player_state::schedule_play_stop);
    r.add_int(L"control_value", start ? control_value : 0);
    r.add_int(L"chkey", chkey);
    r.add(L"chkeytitle", title);
    r.add(L"loginno", loginno);
    r.add(L"storemother", store.storemother);
    r.add(L"storeno", store.storecode);
    r.add(L"storename", store.storename);
    return r;
}

service_request timetable_request(const request_identity& identity, const wchar_t* loginno) {
    service_request r(service_script::timetable_check);
    r.add(L"userid", identity.userid);
    r.add(L"userpw", identity.userpw);
    r.add(L"loginno", loginno);
    r.add(L"storemother", identity.store.storemother);
    r.add(L"storeno", identity.store.storecode);
    r.add(L"storename", identity.store.storename);
    r.add(L"servertime", L"1");
    return r;
}

service_request store_detail_request(const wchar_t* storetop, const wchar_t* storemother,
                                     const wchar_t* storecode, const wchar_t* storelevel) {
    service_request r(service_script::mana_view);
    r.add(L"storetop", storetop);
    r.add(L"storemother", storemother);
    r.add(L"storecode", storecode);
    r.add(L"storelevel", storelevel);
    return r;
}

service_request notice_request(const request_identity& identity) {
    service_request r(service_script::notice_list);
    r.add_store_group(identity.store);
    r.add(L"storelevel", identity.store.usertype);
    r.add_volume_group(identity.volumes);
    return r;
}

service_request log_upload_request(const request_identity& identity, const wchar_t* log_text) {
    service_request r(service_script::log_check);
    r.add(L"storetop", identity.store.storetop);
    r.add(L"storemother", identity.store.storemother);
    r.add(L"storecode", identity.store.storecode);
    r.add(L"storeid", identity.store.storeid);
    r.add_pc_group(identity.pc);
    r.add(L"log_content", (std::wstring(log_text ? log_text : L"") + L"[DATA_END]").c_str());
    return r;
}
