// The player's notice line and store-hours services.
#include "library_edge_wiring.h"

#include <shellapi.h>

#include "login_manager.h"
#include "service_client.h"
#include "service_link.h"
#include "store_manager.h"

namespace {

std::wstring text_of(const stringx& s) {
    const wchar_t* w = s.wvalue();
    return w ? w : L"";
}

}  // namespace

std::vector<notice_record> player_notice_services::notices(bool fetch) {
    news_ticker* ticker = get_news_ticker();
    return ticker ? ticker->refresh(fetch) : std::vector<notice_record>();
}

void player_notice_services::show(const std::wstring& text) {
    if (line_) SetWindowTextW(line_, text.c_str());
}

void player_notice_services::open_in_browser(const std::wstring& url) {
    ShellExecuteW(nullptr, L"open", L"iexplore", url.c_str(), nullptr, SW_SHOWNORMAL);
}

bool player_store_hours_services::logged_in() { return get_login_manager()->is_logged_in(); }

std::wstring player_store_hours_services::usertype() {
    return text_of(get_login_manager()->get_store_info().usertype);
}

int player_store_hours_services::open_time() { return get_login_manager()->get_bcode().open_time; }

int player_store_hours_services::close_time() { return get_login_manager()->get_bcode().close_time; }

bool player_store_hours_services::send_hours(const std::wstring& open_hour, const std::wstring& open_minute,
                                             const std::wstring& close_hour, const std::wstring& close_minute) {
    return get_service_client()->update_store_hours(open_hour.c_str(), open_minute.c_str(), close_hour.c_str(),
                                                     close_minute.c_str());
}

void player_store_hours_services::keep_hours(int open, int close) { get_login_manager()->set_store_hours(open, close); }

void player_store_hours_services::reload_scheduler() { get_player_service_link().scheduler_reload(); }

void player_store_hours_services::reopen_page() {
    if (reopen_) reopen_();
}

std::vector<store_hours_services::schedule_set_item> player_store_hours_services::schedule_sets() {
    std::vector<schedule_set_item> sets;
    for (const schedule_set& s : get_login_manager()->get_schedule_lists())
        sets.push_back({text_of(s.code), text_of(s.name), text_of(s.second_name)});
    return sets;
}

std::wstring player_store_hours_services::guide_code() { return text_of(get_login_manager()->get_bcode().code); }

void player_store_hours_services::set_anneinfo_code(const std::wstring& code) {
    get_login_manager()->set_anneinfo_code(code.c_str());
}
