#pragma once
// The surroundings of a service client in tests that look at its requests,
// not at its messages: logged in as the stand-in's store, every log line and
// box recorded in one list, the channel title kept, and an optional link for
// the announcement requests.
#include <string>
#include <vector>
#include "service_client_services.h"
#include "service_test_identity.h"

class quiet_client_services : public service_client_services {
public:
    std::vector<std::wstring> log;
    std::wstring title;
    service_link* the_link = nullptr;

    bool logged_in() override { return true; }
    request_identity identity() override { return test_identity(); }
    void write_log(const wchar_t* text) override { log.push_back(text); }
    void write_anne_log(const wchar_t* text) override { log.push_back(text); }
    void show_timed_box(const wchar_t* text) override { log.push_back(text); }
    void show_notice(const service_reply&) override {}
    void set_channel_title(const wchar_t* t) override { title = t; }
    stringx channel_title() override { return title.c_str(); }
    service_link* link() override { return the_link; }
};
