#pragma once
// notice_line: the line along the bottom of the library window that shows
// the service's notices in turn. The window's 500 ms tick fetches the
// notices at its first tick and again every hour (7200 ticks), and moves
// the line on every 10 ticks (5 s); the previous and next buttons step by
// hand, and a click on the line opens the shown notice's link in the web
// browser.
//
// It reaches the notices, the line's control and the browser through
// notice_line_services, which the window gives (tests give fakes). An empty
// or failed notice list leaves the line's text as it was. User-interface
// thread only.
#include <windows.h>

#include <string>
#include <vector>

#include "store_manager.h"

class notice_line_services {
public:
    virtual ~notice_line_services() = default;
    // news_ticker::refresh: with fetch the service is asked again; the held
    // notices in every case.
    virtual std::vector<notice_record> notices(bool fetch) = 0;
    // The line's text.
    virtual void show(const std::wstring& text) = 0;
    // Opens an address in the web browser.
    virtual void open_in_browser(const std::wstring& url) = 0;
};

class notice_line {
public:
    enum : unsigned {
        ticks_per_notice = 10,    // 5 s of 500 ms ticks
        ticks_per_fetch = 7200,   // an hour
    };

    explicit notice_line(notice_line_services& services) : s_(services) {}

    // One 500 ms tick.
    void tick();
    // The previous and the next notice (buttons 6 and 7), round the list;
    // the next rotation shows the same notice once more before moving on.
    void previous();
    void next();
    // The line was clicked: the shown notice's link, when it has one that
    // is a web address ("http://" or "https://"), opens in the browser.
    void open_shown();

    unsigned tick_count() const { return tick_count_; }
    unsigned next_notice() const { return next_notice_; }
    unsigned shown_notice() const { return shown_notice_; }

    // Gives the line's control the hand cursor over it.
    static void use_hand_cursor(HWND line);

private:
    void show_shown(const std::vector<notice_record>& list);

    notice_line_services& s_;
    unsigned tick_count_ = 0;
    unsigned next_notice_ = 0;
    unsigned shown_notice_ = 0;
};
