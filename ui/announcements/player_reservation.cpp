#include "player_reservation.h"

#include "channel_track_list.h"
#include "core.h"
#include "log_service.h"
#include "play_manager.h"
#include "player_options.h"
#include "reservation_workers.h"
#include "service_client.h"
#include "service_link.h"
#include "timer.h"

namespace {

class player_reservation_environment : public reservation_environment {
public:
    timex service_now() override { return timex(); }
    void set_service_clock(const timex& server_now) override { timex::set_normal_time(server_now); }
    DWORD tick_count() override { return GetTickCount(); }
    request_identity identity() override { return get_player_service_link().identity(); }

    bool start_request(slot s, const service_request& request) override { return workers.start(s, request); }
    bool take_reply(slot s, service_reply& reply) override { return workers.take(s, reply); }
    void abandon(slot s) override { workers.abandon(s); }
    void send_report(const service_request& request) override { workers.send_report(request); }

    int current_channel_id() override { return get_service_client()->current_channel()->id; }
    stringx current_channel_title() override { return get_service_client()->current_channel()->title; }
    stringx list_title() override { return get_service_client()->get_title(); }
    service_request tracks_request(int chkey, const stringx& title) override {
        return get_service_client()->channel_tracks_request(chkey, title);
    }
    bool take_tracks_reply(int chkey, const service_reply& reply, std::vector<track_record>& out) override {
        return get_service_client()->take_channel_tracks_reply(chkey, reply, out);
    }
    void play_channel(int chkey, const stringx& title, const stringx& list_title,
                      const std::vector<track_record>& tracks) override {
        service_client* client = get_service_client();
        client->set_single_channel(chkey, title);
        client->select_channel_by_key(chkey);
        client->set_title(list_title);
        get_player_options().channel_title = title;
        get_channel_track_list()->load(tracks);
    }
    bool home_channel(int& chkey, stringx& title, stringx& list_title) override {
        const player_options& o = get_player_options();
        const std::vector<stringx> parts = split_fields(o.channel, L"|");
        if (parts.size() != 2 || parts[1].toint() == 0) return false;
        chkey = parts[1].toint();
        list_title = parts[0];
        title = o.channel_title.length() > 0 ? o.channel_title : parts[0];
        return true;
    }

    bool music_playing() override {
        play_manager* music = core::get_player(true);
        return music && music->is_playing();
    }
    void stop_music() override {
        if (play_manager* music = core::get_player(true)) music->stop(0);
    }
    void write_log(const wchar_t* text) override {
        component* c = core::enum_create_component(log_service::iid, 0);
        if (!c) return;
        static_cast<log_service*>(c)->write_log(text);
        c->release();
    }

    reservation_workers workers;
};

player_reservation_environment& get_environment() {
    static player_reservation_environment env;
    return env;
}

class reservation_timer : public timer {
protected:
    void tick() override {
        get_channel_reservation().tick();
        get_environment().workers.pump_reports();
    }
};

reservation_timer& get_reservation_timer() {
    static reservation_timer t;
    return t;
}

class watchdog_timer : public timer {
protected:
    void tick() override { get_network_watchdog().tick(); }
};

watchdog_timer& get_watchdog_timer() {
    static watchdog_timer t;
    return t;
}

}  // namespace

channel_reservation& get_channel_reservation() {
    static channel_reservation reservation(get_environment());
    return reservation;
}

network_watchdog& get_network_watchdog() {
    static network_watchdog watchdog(system_network_probe(),
                                     [] { get_channel_reservation().on_network_back(); });
    return watchdog;
}

void configure_player_reservation(const wchar_t* loginno, bool play, int seconds) {
    get_channel_reservation().configure(loginno, play, seconds);
}

void reservation_login::on_login(bool ok) {
    if (!ok) return;
    channel_reservation& reservation = get_channel_reservation();
    if (reservation.closing()) return;
    reservation.on_login();
    reservation_timer& t = get_reservation_timer();
    if (!t.is_running()) t.set(200);
}

void reservation_channel_listener::on_channel_changed(const wchar_t* title) {
    get_channel_reservation().on_channel_changed(title);
}

void reservation_hooks::on_init() {
    get_network_watchdog();
    get_watchdog_timer().set(1000);
}

void reservation_hooks::on_ui_closing() {
    get_channel_reservation().on_ui_closing();
    get_reservation_timer().kill();
}

void reservation_hooks::on_quit() { get_watchdog_timer().kill(); }

play_manager* reservation_error_listener::player() { return core::get_player(true); }

void reservation_error_listener::on_error(playback_thread*, int code, const wchar_t*) {
    static stream_error_counter counter(get_network_watchdog());
    counter.on_error(code);
}
