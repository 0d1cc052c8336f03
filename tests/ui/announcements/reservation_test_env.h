#pragma once
// The channel reservations' surroundings for their tests: a service clock
// and a tick count set by the test, replies canned per request slot (or
// posted to a stand-in, or held back as a silent service would), a real
// service client reading the track replies, and one list of everything the
// reservations did, as lines:
//   "timetable"                      a timetable request left
//   "tracks 345"                     a channel's tracks were asked for
//   "play 345"                       the music player switched to channel 345
//   "stop"                           the music player was stopped
//   "report schedule_play 1 345"     a report (state, control value, chkey)
//   "clock 20260302093000"           the service clock was set
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "channel_reservation.h"
#include "quiet_client_services.h"
#include "service_client.h"
#include "service_test_identity.h"
#include "utf.h"

// A timetable reply with these lines after its status line.
inline std::string timetable_reply(const std::vector<std::string>& lines) {
    std::string text = "Result=Success\r\n";
    for (const std::string& l : lines) text += l + "\r\n";
    return text;
}

// A track reply of one track.
const char one_track_reply[] =
    "Result=Success\r\n1001^x^e^200^0^곡1^가수1^http://127.0.0.1/music/t1.mp3^앨범^t1.mp3\r\n";

inline std::string narrow(const std::wstring& w) {
    return std::string(utf::utf16_to_utf8(w.c_str()).value());
}

class reservation_test_env : public reservation_environment {
public:
    // Canned reply texts (UTF-8) per slot, taken in order: "" is no
    // connection, "hold" a service that never answers. When none is left
    // the request goes to host (a stand-in) when one is set, else it is held.
    std::deque<std::string> canned[2];
    std::wstring host;

    timex now = timex(2026, 3, 2, 9, 30, 0);
    DWORD ticks = 100000;
    int channel = 1052;
    std::wstring channel_title = L"테스트 채널";
    std::wstring list = L"음악방송";
    bool playing = true;
    bool has_home = true;  // the login names channel 1052

    std::vector<std::string> events;
    std::vector<service_request> requests[2];
    std::vector<service_request> reports;
    std::vector<std::wstring> log;
    int abandons[2] = {0, 0};

    quiet_client_services client_services;
    service_client client{client_services};

    timex service_now() override { return now; }
    void set_service_clock(const timex& server_now) override {
        now = server_now;
        char text[32];
        snprintf(text, sizeof text, "clock %04d%02d%02d%02d%02d%02d", now.get_year(), now.get_month(),
                 now.get_day(), now.get_hour(), now.get_min(), now.get_sec());
        events.push_back(text);
    }
    DWORD tick_count() override { return ticks; }
    request_identity identity() override { return test_identity(); }

    bool start_request(slot s, const service_request& request) override {
        if (running_[s]) return false;
        requests[s].push_back(request);
        events.push_back(s == timetable_slot ? std::string("timetable")
                                             : "tracks " + field(request, L"chkey"));
        running_[s] = true;
        ready_[s] = false;
        if (!canned[s].empty()) {
            const std::string text = canned[s].front();
            canned[s].pop_front();
            if (text == "hold") return true;
            stringx ansi = utf::utf8_to_ansi(text.c_str());
            reply_[s] = service_reply(ansi.value(), strlen(ansi.value()));
            ready_[s] = true;
        } else if (!host.empty()) {
            reply_[s] = request.send_to(host.c_str());
            ready_[s] = true;
        }
        return true;
    }
    bool take_reply(slot s, service_reply& reply) override {
        if (!running_[s] || !ready_[s]) return false;
        reply = reply_[s];
        running_[s] = ready_[s] = false;
        return true;
    }
    void abandon(slot s) override {
        running_[s] = ready_[s] = false;
        ++abandons[s];
    }
    bool busy(slot s) const { return running_[s]; }
    void send_report(const service_request& request) override {
        reports.push_back(request);
        if (!host.empty()) request.send_to(host.c_str());
        events.push_back("report " + field(request, L"player_state") + " " +
                         field(request, L"control_value") + " " + field(request, L"chkey"));
    }

    int current_channel_id() override { return channel; }
    stringx current_channel_title() override { return channel_title.c_str(); }
    stringx list_title() override { return list.c_str(); }
    service_request tracks_request(int chkey, const stringx& title) override {
        return client.channel_tracks_request(chkey, title);
    }
    bool take_tracks_reply(int chkey, const service_reply& reply, std::vector<track_record>& out) override {
        return client.take_channel_tracks_reply(chkey, reply, out);
    }
    void play_channel(int chkey, const stringx& title, const stringx& list_title,
                      const std::vector<track_record>& tracks) override {
        channel = chkey;
        channel_title = title.wvalue();
        list = list_title.wvalue();
        playing = !tracks.empty();
        events.push_back("play " + std::to_string(chkey));
    }
    bool home_channel(int& chkey, stringx& title, stringx& list_title) override {
        if (!has_home) return false;
        chkey = 1052;
        title = L"테스트 채널";
        list_title = L"음악방송";
        return true;
    }
    bool music_playing() override { return playing; }
    void stop_music() override {
        playing = false;
        events.push_back("stop");
    }
    void write_log(const wchar_t* text) override { log.push_back(text); }

    // The value (UTF-8) of the last field of that name; "" when none.
    static std::string field(const service_request& request, const wchar_t* name) {
        std::wstring value;
        for (const auto& f : request.fields())
            if (f.first == name) value = f.second;
        return narrow(value);
    }
    int count(const std::string& event) const {
        int n = 0;
        for (const std::string& e : events) n += e == event;
        return n;
    }

private:
    bool running_[2] = {false, false};
    bool ready_[2] = {false, false};
    service_reply reply_[2];
};
