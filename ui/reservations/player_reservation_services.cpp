// The reservation list's services in the player: the service client, the
// login manager, the options and the user-interface service.
#include "core.h"
#include "login_manager.h"
#include "main_ui.h"
#include "player_options.h"
#include "reservation_list_service.h"
#include "service_client.h"
#include "timed_message_box.h"

namespace {

class player_services : public reservation_services {
public:
    bool list(std::vector<anne_schedule_record>& out) override {
        return get_service_client()->list_anne_schedule(out);
    }
    bool update(const anne_schedule_record& r, std::vector<anne_schedule_record>& out) override {
        return get_service_client()->update_anne_schedule(r.listkey, r.comkey, r.playtime, r.weekdays, r.apptime,
                                                          r.volume, r.auto_mute != 0, out);
    }
    bool remove(const anne_schedule_record& r, std::vector<anne_schedule_record>& out) override {
        return get_service_client()->delete_anne_schedule(r.listkey, r.comkey, r.category_e, out);
    }
    bool detail(const stringx& listkey, std::vector<anne_schedule_record>& out) override {
        return get_service_client()->get_anne_schedule(listkey, out);
    }
    bool apply() override { return get_service_client()->apply_anne_schedule(); }
    void reload_day() override {
        std::vector<anne_record> day;
        get_service_client()->load_anne_list(day, true);
        get_service_client()->reload_anne_records(day);
    }
    bool has_rights() override {
        login_manager* login = get_login_manager();
        if (!login || !login->is_logged_in()) return false;
        return usertype_may_reserve(login->get_store_info().usertype);
    }
    bool live_anne_on() override { return get_player_options().live_anne_on; }
    int info_volume() override { return static_cast<int>(get_player_options().info_volume); }
    HWND info_window() override {
        component* c = core::enum_create_component(main_ui::iid, 0);
        if (!c) return nullptr;
        HWND window = static_cast<main_ui*>(c)->info_window();
        c->release();
        return window;
    }
    void watch_anneinfo(anneinfo_listener* listener) override {
        if (login_manager* login = get_login_manager()) login->set_anneinfo_listener(listener);
    }
    void message(HWND owner, const wchar_t* text, bool timed) override {
        if (timed) show_timed_message_box(owner, text, nullptr);
        else MessageBoxW(owner, text, L"VOLQUIN 플레이어", MB_OK);
    }
    int popup(HWND owner, POINT screen, bool view_enabled) override {
        HMENU menu = CreatePopupMenu();
        if (!menu) return 0;
        AppendMenuW(menu, MF_STRING, 10001, L"방송 예약 수정");
        AppendMenuW(menu, MF_STRING, 10002, L"방송 예약 삭제");
        AppendMenuW(menu, MF_STRING | (view_enabled ? 0 : MF_GRAYED | MF_DISABLED), 10003, L"항목 보기");
        const int chosen = static_cast<int>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON,
                                                           screen.x, screen.y, 0, owner, nullptr));
        DestroyMenu(menu);
        return chosen;
    }
};

}  // namespace

reservation_services& player_reservation_services() {
    static player_services services;
    return services;
}
