// Reading the keys of a login reply into the store's data, in the order the
// service's keys are read. A value that cannot be read (too few fields, a
// time that is not one) is logged and skipped; the other keys are read all
// the same, so that a malformed value never stops the login half-way.
#include <algorithm>
#include <cwchar>
#include "login_manager.h"
#include "login_services.h"

namespace {

std::vector<stringx> fields_of(const reply_map& keys, const wchar_t* key, const wchar_t* delimiter) {
    return split_fields(keys.get(key), delimiter);
}

// "%d:%d" as seconds after midnight; false when the text is not that.
bool clock_seconds(const stringx& text, int& seconds) {
    int hours = 0, minutes = 0;
    if (swscanf(text.wvalue(), L"%d:%d", &hours, &minutes) != 2) return false;
    seconds = hours * 3600 + minutes * 60;
    return true;
}

// A volume of the reply (0 to 100) as an option (0 to 1000).
unsigned volume_option(const stringx& text) {
    const int volume = text.toint() * 10;
    return static_cast<unsigned>(volume < 0 ? 0 : volume > 1000 ? 1000 : volume);
}

}  // namespace

void login_manager::read_reply(const reply_map& keys) {
    // Each reply's lists replace those of an earlier attempt: appending to
    // them would show every category, entry and set once per login.
    anneinfo_.clear();
    for (auto& list : categories_) list.clear();
    schedule_sets_.clear();

    login_options& options = services_.options();
    const stringx maximize = keys.get(L"Maximize");
    if (maximize.length() > 0) options.server_maximize = maximize.toint();
    read_store_data(keys);

    const std::vector<stringx> volumes = fields_of(keys, L"Music_Volume", L"|");
    if (volumes.size() > 0) options.volume = volume_option(volumes[0]);
    if (volumes.size() > 1) options.mute = volumes[1].toint() != 0;
    if (volumes.size() > 2) options.info_volume = volume_option(volumes[2]);
    if (volumes.size() > 3) options.info_mute = volumes[3].toint() != 0;

    read_categories(keys);
    read_play_settings(keys);
    remote_ = keys.get(L"remote").toint() != 0;
    skin_ = keys.get(L"skin").toint();
    const stringx level = keys.get(L"duplicate");
    user_level_ = level.length() > 0 ? level.toint() : 1;

    if (keys.get(L"logo").length() > 0) {
        const std::vector<stringx> logo = fields_of(keys, L"logo", L"^");
        if (logo.size() == 2) {
            logo_url_ = logo[0];
            main_logo_url_ = logo[1];
        }
    }
}

void login_manager::read_store_data(const reply_map& keys) {
    const std::vector<stringx> store = fields_of(keys, L"storeinfo", L"^");
    store_ = store_info();
    if (store.size() >= 6) {
        store_.usertype = store[0];
        store_.storetop = store[1];
        store_.storemother = store[2];
        store_.storecode = store[3];
        store_.storeid = store[4];
        store_.storename = store[5];
    }

    const std::vector<stringx> payment = fields_of(keys, L"payment", L"^");
    payment_ = payment_info();
    if (!payment.empty()) {
        payment_.paid = payment[0].toint() != 0;
        if (payment.size() > 1 && payment[1].length() > 0) {
            int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
            if (swscanf(payment[1].wvalue(), L"%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s) == 6)
                payment_.expiry = timex(y, mo, d, h, mi, s);
            else
                malformed();
        }
    }

    server_time_ = keys.get(L"servertime");

    for (const stringx& field : fields_of(keys, L"anneinfo", L"^")) {
        const std::vector<stringx> parts = split_fields(field, L"|");
        anneinfo_entry entry;
        if (parts.size() >= 2) {
            entry.code = parts[0];
            entry.title = parts[1];
        }
        anneinfo_.push_back(entry);
    }

    const std::vector<stringx> bcode = fields_of(keys, L"bcode", L"^");
    bcode_ = bcode_info();
    if (bcode.size() >= 3) {
        bcode_.code = bcode[0];
        if (!clock_seconds(bcode[1], bcode_.open_time) || !clock_seconds(bcode[2], bcode_.close_time)) {
            bcode_.open_time = bcode_.close_time = -1;
            malformed();
        }
    }

    const std::vector<stringx> ad = fields_of(keys, L"ad", L"^");
    if (ad.size() == 2 && ad[0].toint() != 0) ad_ = ad[1];
}

void login_manager::read_categories(const reply_map& keys) {
    const wchar_t* const names[3] = {L"libraryitem1", L"libraryitem2", L"libraryitem3"};
    for (int list = 0; list < 3; ++list) {
        for (const stringx& text : fields_of(keys, names[list], L"^")) {
            const std::vector<stringx> f = split_fields(text, L"|");
            category_record item;
            if (f.size() == 4 || f.size() == 5) {
                item.level = f[0].toint();
                item.kind = f[1].toint();
                item.key = f[2];
                item.caption = f[3];
                if (f.size() == 5) item.extra = f[4];
            } else if (f.size() >= 3) {
                item.level = f[0].toint();
                item.kind = 7;
                item.key = f[1];
                item.caption = f[2];
            } else {
                malformed();
                continue;
            }
            categories_[list].push_back(item);
        }
    }
}

void login_manager::read_play_settings(const reply_map& keys) {
    int values[play_setting_count];
    std::copy(default_play_settings, default_play_settings + play_setting_count, values);
    const std::vector<stringx> type = fields_of(keys, L"playtype", L"|");
    if (type.size() >= 5) {
        for (int i = 0; i < 4; ++i) values[i] = type[i].toint();
        values[8] = type[4].toint();
        if (type.size() >= 6) values[9] = type[5].toint();
    } else if (!type.empty()) {
        malformed();
    }
    values[4] = keys.get(L"musicquality").toint();
    values[5] = keys.get(L"priority").toint();
    values[6] = keys.get(L"output").toint();
    values[7] = keys.get(L"nor").toint();
    std::copy(values, values + play_setting_count, play_settings_);
}
