#pragma once
// The running player's services of the notice line and the store's hours:
// the player's news ticker, login manager and service client, the
// announcement scheduler through the player's service link, and the shell.
// The library window makes one of each and hands them the line's control
// and what opens the selected node's page again.
#include <functional>

#include "notice_line.h"
#include "store_hours.h"

class player_notice_services : public notice_line_services {
public:
    // line: the notice line's control (1052).
    explicit player_notice_services(HWND line) : line_(line) {}
    std::vector<notice_record> notices(bool fetch) override;
    void show(const std::wstring& text) override;
    // ShellExecute "open" of "iexplore" with the address as its parameter.
    void open_in_browser(const std::wstring& url) override;

private:
    HWND line_;
};

class player_store_hours_services : public store_hours_services {
public:
    explicit player_store_hours_services(std::function<void()> reopen_page) : reopen_(std::move(reopen_page)) {}
    bool logged_in() override;
    std::wstring usertype() override;
    int open_time() override;
    int close_time() override;
    bool send_hours(const std::wstring& open_hour, const std::wstring& open_minute, const std::wstring& close_hour,
                    const std::wstring& close_minute) override;
    void keep_hours(int open_time, int close_time) override;
    void reload_scheduler() override;
    void reopen_page() override;
    std::vector<schedule_set_item> schedule_sets() override;
    std::wstring guide_code() override;
    void set_anneinfo_code(const std::wstring& code) override;

private:
    std::function<void()> reopen_;
};
