// The service client's announcement and reservation operations: the
// requests of announcement_requests.h and reservation_requests.h through the
// services' link, with the object's kept announcement list.
#include "announcement_requests.h"
#include "reservation_requests.h"
#include "service_client.h"
#include "service_client_services.h"

bool service_client::load_anne_list(std::vector<anne_record>& out, bool refresh) {
    service_link* link = services_.link();
    return link && ::load_anne_list(*link, live_.announcements, out, refresh);
}

void service_client::reload_anne_records(const std::vector<anne_record>& list) {
    if (service_link* link = services_.link()) ::reload_anne_records(*link, live_.announcements, list);
}

void service_client::update_anne_record(const anne_record& record) {
    if (service_link* link = services_.link()) ::update_anne_record(*link, live_.announcements, record);
}

bool service_client::load_anne_library(const stringx kind_letter, std::vector<anne_record>& out) {
    service_link* link = services_.link();
    return link && ::load_anne_library(*link, kind_letter.wvalue(), out);
}

bool service_client::update_store_hours(const stringx open_hour, const stringx open_minute,
                                        const stringx close_hour, const stringx close_minute) {
    service_link* link = services_.link();
    return link && ::update_store_hours(*link, open_hour.wvalue(), open_minute.wvalue(), close_hour.wvalue(),
                                        close_minute.wvalue());
}

bool service_client::list_anne_schedule(std::vector<anne_schedule_record>& out) {
    service_link* link = services_.link();
    return link && ::list_anne_schedule(*link, out);
}

bool service_client::insert_anne_schedule(const stringx anne_code, const stringx title, const stringx category_k,
                                          const stringx category_e, timex_span playtime, int weekday_mask,
                                          timex_span apptime, int volume, bool mute,
                                          std::vector<anne_schedule_record>& out) {
    service_link* link = services_.link();
    return link && ::insert_anne_schedule(*link, anne_code.wvalue(), title.wvalue(), category_k.wvalue(),
                                          category_e.wvalue(), playtime, weekday_mask, apptime, volume, mute, out);
}

bool service_client::update_anne_schedule(const stringx listkey, const stringx comkey, timex_span playtime,
                                          int weekday_mask, timex_span apptime, int volume, bool mute,
                                          std::vector<anne_schedule_record>& out) {
    service_link* link = services_.link();
    return link && ::update_anne_schedule(*link, listkey.wvalue(), comkey.wvalue(), playtime, weekday_mask,
                                          apptime, volume, mute, out);
}

bool service_client::delete_anne_schedule(const stringx listkey, const stringx comkey, const stringx category_e,
                                          std::vector<anne_schedule_record>& out) {
    service_link* link = services_.link();
    return link && ::delete_anne_schedule(*link, listkey.wvalue(), comkey.wvalue(), category_e.wvalue(), out);
}

bool service_client::get_anne_schedule(const stringx listkey, std::vector<anne_schedule_record>& out) {
    service_link* link = services_.link();
    return link && ::get_anne_schedule(*link, listkey.wvalue(), out);
}

bool service_client::apply_anne_schedule() {
    service_link* link = services_.link();
    return link && ::apply_anne_schedule(*link);
}
