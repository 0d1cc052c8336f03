// The requests of the service client: channel and radio lists, channel
// tracks, announcements, store hours and announcement reservations.
#include "service_requests.h"

namespace {

bool has_text(const wchar_t* text) { return text && *text; }

void add_credentials(service_request& r, const request_identity& identity) {
    r.add(L"userid", identity.userid);
    r.add(L"userpw", identity.userpw);
}

service_request schedule_head(const request_identity& identity, const wchar_t* anneinfo_code) {
    service_request r(service_script::anne_schedule);
    r.add_store_group(identity.store);
    add_credentials(r, identity);
    r.add(L"anneinfo_code", anneinfo_code);
    return r;
}

void add_schedule_values(service_request& r, const anne_schedule_values& v) {
    r.add_int(L"anne_playtime", static_cast<int>(v.playtime.total_seconds()));
    wchar_t days[8];
    for (int i = 0; i < 7; ++i) days[i] = (v.weekday_mask >> i) & 1 ? L'1' : L'0';
    days[7] = 0;
    r.add(L"anne_weekdata", days);
    stringx time;
    time.format(L"%02d:%02d:%02d", static_cast<int>(v.apptime.hours()), static_cast<int>(v.apptime.minutes()),
                static_cast<int>(v.apptime.seconds()));
    r.add(L"anne_apptime", time);
    r.add_int(L"anne_volume", v.volume);
    r.add_int(L"anne_mute", v.mute ? 1 : 0);
}

}  // namespace

service_request channel_list_request(const request_identity& identity, const wchar_t* flag) {
    service_request r(service_script::channel_check);
    r.add_store_group(identity.store);
    r.add(L"userpw", identity.userpw);
    r.add(L"flag", flag);
    return r;
}

service_request radio_list_request(const request_identity& identity, const wchar_t* flag, bool logged_in) {
    service_request r(service_script::channel_check);
    r.add(L"flag", flag);
    if (logged_in) {
        r.add_store_group(identity.store);
        r.add(L"userid", identity.userid);
    } else {
        for (const wchar_t* name : {L"storetop", L"storemother", L"storecode", L"userid"}) r.add(name, L"0");
    }
    return r;
}

service_request track_request(const request_identity& identity, track_request_kind kind, int chkey,
                              const wchar_t* ch_title) {
    service_request r(service_script::song_check);
    r.add_store_group(identity.store);
    r.add(L"userpw", identity.userpw);
    r.add(L"brotype", L"3");
    switch (kind) {
    case track_request_kind::channel_tracks:
        r.add(L"ch_title", ch_title);
        r.add_pc_group(identity.pc);
        r.add_volume_group(identity.volumes);
        r.add_int(L"chkey", chkey);
        r.add(L"clickchk", L"1");
        break;
    case track_request_kind::select:
        r.add(L"ch_title", ch_title);
        r.add_pc_group(identity.pc);
        r.add_int(L"chkey", chkey);
        r.add(L"clickchk", L"0");
        break;
    case track_request_kind::select_checked:
        r.add(L"ch_title", ch_title);
        r.add_int(L"chkey", chkey);
        r.add(L"clickchk", L"1");
        r.add_pc_group(identity.pc);
        break;
    case track_request_kind::select_auto:
        r.add_int(L"chkey", chkey);
        r.add(L"clickchk", L"1");
        r.add_pc_group(identity.pc);
        break;
    }
    return r;
}

service_request anne_list_request(const request_identity& identity, const wchar_t* storeguideno) {
    service_request r(service_script::anne_check);
    r.add(L"storeguideno", storeguideno);
    r.add_store_group(identity.store);
    add_credentials(r, identity);
    r.add_volume_group(identity.volumes);
    return r;
}

service_request anne_library_request(const request_identity& identity, const wchar_t* kind_letter) {
    service_request r(service_script::anne_library);
    r.add_store_group(identity.store);
    add_credentials(r, identity);
    r.add(L"usertype", identity.store.usertype);
    if (has_text(kind_letter)) r.add(L"flag", kind_letter);
    return r;
}

service_request store_hours_request(const request_identity& identity, const wchar_t* storeguideno,
                                    const wchar_t* open_hour, const wchar_t* open_minute,
                                    const wchar_t* close_hour, const wchar_t* close_minute) {
    service_request r(service_script::anne_check);
    r.add(L"storeguideno", storeguideno);
    r.add_store_group(identity.store);
    add_credentials(r, identity);
    if (has_text(open_hour)) r.add(L"storeopen_hour", open_hour);
    if (has_text(open_minute)) r.add(L"storeopen_minute", open_minute);
    if (has_text(close_hour)) r.add(L"storeclose_hour", close_hour);
    if (has_text(close_minute)) r.add(L"storeclose_minute", close_minute);
    r.add(L"flag", L"update");
    return r;
}

service_request anne_schedule_list_request(const request_identity& identity, const wchar_t* anneinfo_code) {
    return schedule_head(identity, anneinfo_code);
}

service_request anne_schedule_insert_request(const request_identity& identity, const wchar_t* anneinfo_code,
                                             const wchar_t* anne_code, const wchar_t* title,
                                             const wchar_t* category_k, const wchar_t* category_e,
                                             const anne_schedule_values& values) {
    service_request r = schedule_head(identity, anneinfo_code);
    r.add(L"flag", L"insert");
    r.add(L"anne_code", anne_code);
    r.add(L"anneinfo_title", title);
    r.add(L"category_k", category_k);
    r.add(L"category_e", category_e);
    add_schedule_values(r, values);
    return r;
}

service_request anne_schedule_update_request(const request_identity& identity, const wchar_t* anneinfo_code,
                                             const wchar_t* listkey, const wchar_t* comkey,
                                             const anne_schedule_values& values) {
    service_request r = schedule_head(identity, anneinfo_code);
    r.add(L"flag", L"update");
    r.add(L"listkey", listkey);
    r.add(L"comkey", comkey);
    add_schedule_values(r, values);
    return r;
}

service_request anne_schedule_delete_request(const request_identity& identity, const wchar_t* anneinfo_code,
                                             const wchar_t* listkey, const wchar_t* comkey,
                                             const wchar_t* category_e) {
    service_request r = schedule_head(identity, anneinfo_code);
    r.add(L"flag", L"delete");
    r.add(L"listkey", listkey);
    r.add(L"comkey", comkey);
    r.add(L"category_e", category_e);
    return r;
}

service_request anne_schedule_detail_request(const request_identity& identity, const wchar_t* anneinfo_code,
                                             const wchar_t* listkey) {
    service_request r = schedule_head(identity, anneinfo_code);
    r.add(L"flag", L"select_com");
    r.add(L"listkey", listkey);
    return r;
}

service_request schedule_apply_request(const wchar_t* anneinfo_code) {
    service_request r(service_script::schedule_save);
    r.add(L"anneinfo_code", anneinfo_code);
    return r;
}
