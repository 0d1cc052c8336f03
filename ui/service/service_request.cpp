#include "service_request.h"
#include "http_post.h"
#include "service_host.h"

int volume_field_value(int volume) {
    int value = volume / 10;
    return value < 1 ? 1 : value;
}

service_request::service_request(const wchar_t* script) : script_(script ? script : L"") {}

void service_request::add(const wchar_t* name, const wchar_t* value) {
    fields_.emplace_back(name ? name : L"", value ? value : L"");
}

void service_request::add(const wchar_t* name, const stringx& value) { add(name, value.wvalue()); }

void service_request::add_int(const wchar_t* name, int value) {
    stringx text;
    text.format(L"%d", value);
    add(name, text);
}

void service_request::add_store_group(const store_info& store) {
    add(L"storetop", store.storetop);
    add(L"storemother", store.storemother);
    add(L"storecode", store.storecode);
}

void service_request::add_pc_group(const pc_identity& pc) {
    add(L"usermac", pc.usermac);
    add(L"pc_ostime", pc.pc_ostime);
    add(L"pc_pgtime", pc.pc_pgtime);
    add(L"hddidx", pc.hddidx);
}

void service_request::add_volume_group(const volume_levels& volumes) {
    add_int(L"music_volume", volume_field_value(volumes.music));
    add_int(L"anne_volume", volume_field_value(volumes.announcement));
    add(L"music_volume_mute", volumes.music_mute ? L"1" : L"0");
    add(L"anne_volume_mute", volumes.announcement_mute ? L"1" : L"0");
}

void service_request::add_report_group(const request_identity& identity) {
    add(L"player_state", L"player_att");
    add(L"userid", identity.userid);
    add(L"storemother", identity.store.storemother);
    add(L"storecode", identity.store.storecode);
    add(L"storename", identity.store.storename);
    add(L"storeid", identity.store.storeid);
    add_pc_group(identity.pc);
}

service_reply service_request::send() const {
    stringx host = service_host::request_host();
    return send_to(host.wvalue());
}

service_reply service_request::send_to(const wchar_t* host) const {
    http_post post;
    for (const auto& field : fields_) post.add_field(field.first.c_str(), field.second.c_str());
    unsigned size = 0;
    // An empty host is no connection: nothing is sent.
    const char* text = host && *host ? post.submit(host, script_.c_str(), size) : nullptr;
    // submit's size counts the terminator.
    return service_reply(text, text && size > 0 ? size - 1 : 0, post.reply_cut());
}
