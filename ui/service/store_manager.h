#pragma once
// store_manager: the list of branch stores that a head-office user sees in
// the store view of the library window. The list arrives as text from
// outside (the remote command "list"); the manager can also ask the service
// for the detail of one store. news_ticker: the notices that the library
// window's ticker shows in turn, fetched from the service on request.
//
// Two objects for the run (get_store_manager, get_news_ticker), not
// registered components. Every failure keeps the held data and writes one
// line of the announcement log; only the expired login of a notice request
// is shown (the server notice).
//
// User-interface thread only; the requests block it.
#include <vector>
#include "service_link.h"
#include "stringx.h"

// One branch store, from a line of exactly eleven "^" fields.
struct store_record {
    stringx storetop;
    stringx storemother;
    stringx storecode;
    stringx userid;
    stringx storename;
    stringx phone;
    int connections = 0;  // the store view shows "%s(%d)" behind the user id when not 1
    int waiting = 0;      // with connections: waiting, not connected or connected
    stringx access_time;  // 14 digits YYYYMMDDhhmmss
    stringx channel_title;
    stringx extra_text;   // not shown
};

// The detail of one branch store, from a line of exactly thirteen "^"
// fields: six texts, two numbers, five texts. Nothing reads them.
struct store_detail {
    stringx texts[6];
    int numbers[2] = {0, 0};
    stringx more_texts[5];
};

// One notice of the ticker, from a line "text^value".
struct notice_record {
    stringx text;   // what the ticker shows
    stringx value;  // travels with it
};

class store_manager {
public:
    explicit store_manager(service_link& link) : link_(link) {}

    // Slot 0: the held list.
    virtual std::vector<store_record>& get_list();
    // Slot 1: replaces the list by the "\r\n" lines of text that have
    // exactly eleven fields, the first line included.
    virtual void set_list(const wchar_t* text);
    // Slot 2: the detail of one store from rux_mana_view.php. False without
    // a connection or with an expired login; otherwise true, with every
    // field empty when the reply holds no line of exactly thirteen fields.
    virtual bool get_detail(const wchar_t* storetop, const wchar_t* storemother, const wchar_t* storecode,
                            const wchar_t* storelevel, store_detail& detail);
    virtual ~store_manager() {}

private:
    service_link& link_;
    std::vector<store_record> stores_;
};

class news_ticker {
public:
    explicit news_ticker(service_link& link) : link_(link) {}

    // Slot 0: with fetch and a logged-in user the notices of
    // rux_noticelist.php replace the held ones when the reply succeeds
    // (a success without notice lines leaves none); the held notices in
    // every case.
    virtual std::vector<notice_record>& refresh(bool fetch);
    virtual ~news_ticker() {}

private:
    service_link& link_;
    std::vector<notice_record> notices_;
};

// The user interface's two objects, over the player's service link
// (ui/channel/service_link_wiring.cpp).
store_manager* get_store_manager();
news_ticker* get_news_ticker();
