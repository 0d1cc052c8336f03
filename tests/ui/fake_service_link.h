#pragma once
// A service link for the service client's tests: the stand-in's store
// (service_test_identity.h), requests posted to a stand-in's host or
// answered from canned reply texts, and a record of the announcement log
// lines, the notices shown and the scheduler calls.
#include <cstring>
#include <deque>
#include <string>
#include <vector>
#include "service_link.h"
#include "service_test_identity.h"
#include "utf.h"

class fake_service_link : public service_link {
public:
    std::wstring host;                // posts go here when no canned reply waits
    std::deque<std::string> canned;   // reply texts (UTF-8) for the next posts, in order; "" is no connection
    bool logged = true;
    std::wstring guide = L"G001";
    std::wstring anneinfo = L"G001";

    std::vector<service_request> posted;
    std::vector<std::wstring> log;
    std::vector<std::wstring> notices;  // the "message" of each notice shown
    int reloads = 0;
    std::vector<anne_record> updates;

    request_identity identity() override { return test_identity(); }
    bool logged_in() override { return logged; }
    stringx guide_number() override { return stringx(guide.c_str()); }
    stringx anneinfo_code() override { return stringx(anneinfo.c_str()); }
    service_reply post(const service_request& request) override {
        posted.push_back(request);
        if (!canned.empty()) {
            // The service writes its replies in the ANSI code page.
            stringx ansi = utf::utf8_to_ansi(canned.front().c_str());
            canned.pop_front();
            return service_reply(ansi.value(), strlen(ansi.value()));
        }
        return request.send_to(host.c_str());
    }
    void write_anne_log(const wchar_t* text) override { log.push_back(text); }
    void show_notice(const service_reply& reply) override {
        stringx message, url;
        parse_reply(reply.lines(), message, url);
        notices.push_back(message.wvalue());
    }
    void scheduler_reload() override { ++reloads; }
    void scheduler_update(const anne_record& record) override { updates.push_back(record); }

    // The value of the last field of that name of the last request; "" when none.
    std::wstring sent(const wchar_t* name) const {
        std::wstring value;
        if (posted.empty()) return value;
        for (const auto& f : posted.back().fields())
            if (f.first == name) value = f.second;
        return value;
    }
};
