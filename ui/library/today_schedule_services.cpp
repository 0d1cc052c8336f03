// Today's schedule page in the player: the service client's cached
// announcement list, the login's store code, the scheduler, the options and
// the announcement window; and the page's maker for the page factory.
#include "core.h"
#include "login_manager.h"
#include "main_ui.h"
#include "player_options.h"
#include "service_client.h"
#include "service_link.h"
#include "timex.h"
#include "today_schedule_page.h"
#include "window_messages.h"

namespace {

// Without a login nothing is asked: the page stays empty rather than
// reporting requests that cannot succeed.
bool logged_in() {
    login_manager* login = get_login_manager();
    return login && login->is_logged_in();
}

class player_services : public today_page_services {
public:
    bool load_anne_list(std::vector<anne_record>& out, bool refresh) override {
        service_client* client = get_service_client();
        return client && logged_in() && client->load_anne_list(out, refresh);
    }
    void reload_anne_records(const std::vector<anne_record>& list) override {
        if (service_client* client = get_service_client()) client->reload_anne_records(list);
    }
    void update_anne_record(const anne_record& record) override {
        if (service_client* client = get_service_client()) client->update_anne_record(record);
    }
    stringx store_code() override {
        login_manager* login = get_login_manager();
        return login ? login->get_bcode().code : stringx(L"");
    }
    void set_store_code(const stringx& code) override {
        // The announcement requests send the login's store code; the page
        // of another store's node takes its place.
        if (login_manager* login = get_login_manager()) const_cast<bcode_info&>(login->get_bcode()).code = code;
    }
    bool post_store_code() override {
        service_client* client = get_service_client();
        return client && logged_in() && client->update_store_hours(stringx(), stringx(), stringx(), stringx());
    }
    void scheduler_reload() override { get_player_service_link().scheduler_reload(); }
    bool live_anne_on() override { return get_player_options().live_anne_on; }
    HWND info_window() override {
        component* c = core::enum_create_component(main_ui::iid, 0);
        if (!c) return nullptr;
        HWND window = static_cast<main_ui*>(c)->info_window();
        c->release();
        return window;
    }
    void clear_info_title() override {
        if (HWND window = info_window()) SendMessageW(window, msg_info_clear_title, 0, 0);
    }
    int seconds_of_day() override { return timex().get_seconds_of_day(); }
};

}  // namespace

today_page_services& player_today_services() {
    static player_services services;
    return services;
}

page_view* make_today_page(const stringx& text, HWND parent, const RECT& rect, library_skin* skin) {
    auto* page = new today_schedule_list(player_today_services());
    if (!page->create(text, parent, rect, skin)) {
        delete page;
        return nullptr;
    }
    return page;
}
