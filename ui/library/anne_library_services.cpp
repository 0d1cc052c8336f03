// The announcement library page in the player: the service client, the
// login manager, the options and the announcement window; and the page's
// maker for the page factory.
#include "anne_library_page.h"
#include "core.h"
#include "login_manager.h"
#include "main_ui.h"
#include "player_options.h"
#include "reservation_list_service.h"
#include "service_client.h"

namespace {

class player_services : public anne_library_services {
public:
    bool load_library(const stringx& key, std::vector<anne_record>& out) override {
        // Without a login nothing is asked: the page stays empty rather than
        // reporting a request that cannot succeed.
        service_client* client = get_service_client();
        return client && logged_in() && client->load_anne_library(key, out);
    }
    bool insert(const stringx& code, const anne_schedule_record& r, std::vector<anne_schedule_record>& out) override {
        service_client* client = get_service_client();
        return client && client->insert_anne_schedule(code, r.title, r.category_k, r.category_e, r.playtime,
                                                      r.weekdays, r.apptime, r.volume, r.auto_mute != 0, out);
    }
    bool logged_in() override {
        login_manager* login = get_login_manager();
        return login && login->is_logged_in();
    }
    stringx usertype() override {
        login_manager* login = get_login_manager();
        return login && login->is_logged_in() ? login->get_store_info().usertype : stringx(L"");
    }
    bool live_anne_on() override { return get_player_options().live_anne_on; }
    HWND info_window() override {
        component* c = core::enum_create_component(main_ui::iid, 0);
        if (!c) return nullptr;
        HWND window = static_cast<main_ui*>(c)->info_window();
        c->release();
        return window;
    }
    reservation_services& reservations() override { return player_reservation_services(); }
};

}  // namespace

anne_library_services& player_anne_library_services() {
    static player_services services;
    return services;
}

page_view* make_anne_library_page(const stringx& text, HWND parent, const RECT& rect, library_skin* skin) {
    auto* page = new anne_library_list(player_anne_library_services());
    if (!page->create(text, parent, rect, skin)) {
        delete page;
        return nullptr;
    }
    return page;
}
