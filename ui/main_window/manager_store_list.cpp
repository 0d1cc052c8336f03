// The remote commands' store list over the store manager.
#include "manager_store_list.h"

void manager_store_list::set_list(const stringx& text) { get_store_manager()->set_list(text.wvalue()); }

bool manager_store_list::update_store(const std::vector<stringx>& f) {
    if (f.size() < 11) return false;
    for (store_record& r : get_store_manager()->get_list()) {
        if (!(r.userid == f[3])) continue;
        r.storetop = f[0];
        r.storemother = f[1];
        r.storecode = f[2];
        r.userid = f[3];
        r.storename = f[4];
        r.phone = f[5];
        r.connections = f[6].toint();
        r.waiting = f[7].toint();
        r.access_time = f[8];
        r.channel_title = f[9];
        r.extra_text = f[10];
        updated_.reset(new store_record(r));
        return true;
    }
    return false;
}

LPARAM manager_store_list::updated_copy() {
    if (!updated_) return 0;
    return reinterpret_cast<LPARAM>(new store_record(*updated_));
}
