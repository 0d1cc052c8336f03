#pragma once
// service_request: one form POST to a script of the service, built field by
// field in wire order and sent through http_post (core/http_post.h) to the
// request host (core/service_host.h). The shared runs of fields (store, PC,
// volume and report groups) are added here so that every sender writes them
// alike.
//
// Synchronous: send() blocks the calling thread until the whole reply has
// arrived or the exchange failed; nothing is retried. One object per request
// on the sender's thread.
#include <string>
#include <utility>
#include <vector>
#include "pc_identity.h"
#include "service_records.h"
#include "service_reply.h"

// The volume options as the volume group sends them.
struct volume_levels {
    int music = 0;             // option `volume`, 0 to 1000
    int announcement = 0;      // option `info_volume`, 0 to 1000
    bool music_mute = false;   // option `mute`
    bool announcement_mute = false;  // option `info_mute`
};

// What the requests of a logged-in store carry besides their own values.
struct request_identity {
    store_info store;
    stringx userid;  // the logged-in user's credentials (UNI_CODE)
    stringx userpw;
    pc_identity pc;
    volume_levels volumes;
};

// A volume option (0 to 1000) as the service takes it: divided by 10, the
// remainder dropped, at least 1.
int volume_field_value(int volume);

class service_request {
public:
    typedef std::vector<std::pair<std::wstring, std::wstring>> field_list;

    // script: a path of service_scripts.h, e.g. "rux/rux_login_check.php".
    explicit service_request(const wchar_t* script);

    // Appends one field; a null value is sent empty. A name may occur twice.
    void add(const wchar_t* name, const wchar_t* value);
    void add(const wchar_t* name, const stringx& value);  // a UNI_CODE value
    void add_int(const wchar_t* name, int value);         // "%d"

    // "storetop", "storemother", "storecode".
    void add_store_group(const store_info& store);
    // "usermac", "pc_ostime", "pc_pgtime", "hddidx".
    void add_pc_group(const pc_identity& pc);
    // "music_volume", "anne_volume" (volume_field_value), "music_volume_mute",
    // "anne_volume_mute" ("1" or "0").
    void add_volume_group(const volume_levels& volumes);
    // "player_state" = "player_att", "userid", "storemother", "storecode",
    // "storename", "storeid", then the PC group.
    void add_report_group(const request_identity& identity);

    const std::wstring& script() const { return script_; }
    const field_list& fields() const { return fields_; }

    // Posts the fields to the request host of service_host.
    service_reply send() const;
    // Posts the fields to host ("name" or "name:port").
    service_reply send_to(const wchar_t* host) const;

private:
    std::wstring script_;
    field_list fields_;
};
