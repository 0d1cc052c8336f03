#pragma once
// The requests of the service, one function each, built with their fields in
// wire order. Senders post the result (service_request::send) and read the
// reply by their own rules. Texts are UNI_CODE; a null text is sent empty.
#include "service_request.h"
#include "service_scripts.h"

// --- rux_login_check.php ---

// The login: "userid" and "userpw" (each only when not empty), "pg_ver"
// ("1.0.0.0.0" when empty), the PC group, the volume group, "channel" ("NULL"
// when empty), and "vmpc" (the output type) only when send_vmpc is set.
service_request login_request(const wchar_t* userid, const wchar_t* userpw, const wchar_t* pg_ver,
                              const pc_identity& pc, const volume_levels& volumes, const wchar_t* channel,
                              bool send_vmpc, int vmpc);

// --- rux_player_state.php ---

// The automatic login of a known PC: the PC group alone.
service_request pc_login_request(const pc_identity& pc);
// Ask for a PC authentication code: the report group.
service_request pc_auth_request(const request_identity& identity);
// A volume or mute change: the report group, then a second "player_state"
// ("music_volume", "music_volume_mute", "anne_volume" or "anne_volume_mute")
// and its "value" from identity.volumes.
service_request volume_report_request(const request_identity& identity, bool announcement, bool mute);
// An announcement put on air or stopped: the report group, "player_state",
// "player_title", "player_file".
service_request anne_direct_request(const request_identity& identity, bool on_air, const wchar_t* title,
                                    const wchar_t* file);
// "play_stop" or "player_exit": "storecode", "player_state".
service_request play_state_request(const store_info& store, const wchar_t* state);
// A favourite added or removed: "player_state", "chkey", "title",
// "storemother", "storecode", "storename", "storeid", then the PC group
// unless with_pc is false (the radio list page).
service_request favourite_request(const request_identity& identity, bool add, const wchar_t* chkey,
                                  const wchar_t* title, bool with_pc);
// A reserved channel started (control_value: the reason code) or stopped
// ("0"): "player_state", "control_value", "chkey", "chkeytitle", "loginno",
// "storemother", "storeno", "storename".
service_request schedule_play_request(const store_info& store, bool start, int control_value, int chkey,
                                      const wchar_t* title, const wchar_t* loginno);

// --- other senders' scripts ---

// The channel reservation timetable: "userid", "userpw", "loginno",
// "storemother", "storeno", "storename", "servertime" = "1".
service_request timetable_request(const request_identity& identity, const wchar_t* loginno);
// The detail of one branch store: "storetop", "storemother", "storecode",
// "storelevel" as given.
service_request store_detail_request(const wchar_t* storetop, const wchar_t* storemother,
                                     const wchar_t* storecode, const wchar_t* storelevel);
// The notices of the news ticker: the store group, "storelevel" (the user
// type), the volume group.
service_request notice_request(const request_identity& identity);
// The upload of a played-tracks log: "storetop", "storemother", "storecode",
// "storeid", the PC group, "log_content" = the text and "[DATA_END]".
service_request log_upload_request(const request_identity& identity, const wchar_t* log_text);

// --- rux_channel_check.php ---

// A channel list: the store group, "userpw", "flag" = the category key.
service_request channel_list_request(const request_identity& identity, const wchar_t* flag);
// A radio list: "flag", then the store group and "userid" when logged in,
// else "storetop", "storemother", "storecode" and "userid" all "0".
service_request radio_list_request(const request_identity& identity, const wchar_t* flag, bool logged_in);

// --- rux_song_check.php ---

enum class track_request_kind {
    channel_tracks,  // a channel started by id and title
    select,          // a channel of the current list
    select_checked,  // the restore of the last channel
    select_auto,     // a channel of the "auto" list
};
// The tracks of a channel; the fields and their order follow the kind (the
// auto kind sends no "ch_title").
service_request track_request(const request_identity& identity, track_request_kind kind, int chkey,
                              const wchar_t* ch_title);

// --- rux_anne_check.php, rux_anne_library.php ---

// The store's announcement list: "storeguideno", the store group, "userid",
// "userpw", the volume group.
service_request anne_list_request(const request_identity& identity, const wchar_t* storeguideno);
// The announcement library: the store group, "userid", "userpw",
// "usertype", "flag" = kind_letter only when not empty.
service_request anne_library_request(const request_identity& identity, const wchar_t* kind_letter);
// The store hours: "storeguideno", the store group, "userid", "userpw", the
// four hour and minute fields each only when not empty, "flag" = "update".
service_request store_hours_request(const request_identity& identity, const wchar_t* storeguideno,
                                    const wchar_t* open_hour, const wchar_t* open_minute,
                                    const wchar_t* close_hour, const wchar_t* close_minute);

// --- rux_anne_schedule.php, schedule_save_ok.php ---
// Every reservation request starts with the store group, "userid", "userpw"
// and "anneinfo_code".

// The values of a reservation as they are sent.
struct anne_schedule_values {
    timex_span playtime;   // "anne_playtime": whole seconds
    int weekday_mask = 0;  // "anne_weekdata": character i is "1" when bit i is set
    timex_span apptime;    // "anne_apptime": "hh:mm:ss"
    int volume = 0;        // "anne_volume"
    bool mute = false;     // "anne_mute": "1" or "0"
};

service_request anne_schedule_list_request(const request_identity& identity, const wchar_t* anneinfo_code);
// "flag" = "insert", "anne_code", "anneinfo_title", "category_k",
// "category_e", then the values.
service_request anne_schedule_insert_request(const request_identity& identity, const wchar_t* anneinfo_code,
                                             const wchar_t* anne_code, const wchar_t* title,
                                             const wchar_t* category_k, const wchar_t* category_e,
                                             const anne_schedule_values& values);
// "flag" = "update", "listkey", "comkey", then the values.
service_request anne_schedule_update_request(const request_identity& identity, const wchar_t* anneinfo_code,
                                             const wchar_t* listkey, const wchar_t* comkey,
                                             const anne_schedule_values& values);
// "flag" = "delete", "listkey", "comkey", "category_e".
service_request anne_schedule_delete_request(const request_identity& identity, const wchar_t* anneinfo_code,
                                             const wchar_t* listkey, const wchar_t* comkey,
                                             const wchar_t* category_e);
// "flag" = "select_com", "listkey".
service_request anne_schedule_detail_request(const request_identity& identity, const wchar_t* anneinfo_code,
                                             const wchar_t* listkey);
// Put the reservations into effect: "anneinfo_code" alone.
service_request schedule_apply_request(const wchar_t* anneinfo_code);
