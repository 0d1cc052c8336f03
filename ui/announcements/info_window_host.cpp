// The announcement window's host in the running player: see info_window.h.
#include "core.h"
#include "fade_timers.h"
#include "info_window.h"
#include "log_service.h"
#include "main_ui.h"
#include "player_announcements.h"
#include "player_options.h"
#include "report_identity.h"
#include "window_docker.h"
#include "window_state_listener.h"

namespace {

template <class Fn>
void with_main_ui(Fn fn) {
    component* c = core::enum_create_component(main_ui::iid, 0);
    if (!c) return;
    fn(static_cast<main_ui*>(c));
    c->release();
}

template <class Fn>
void with_docker(Fn fn) {
    component* c = core::enum_create_component(window_docker::iid, 0);
    if (!c) return;
    fn(static_cast<window_docker*>(c));
    c->release();
}

}  // namespace

anne_environment& player_info_window_host::env() { return get_player_anne_environment(); }

player_options& player_info_window_host::options() { return get_player_options(); }

void player_info_window_host::start_starter(const anne_record& record, unsigned fade_ms) {
    start_anne_starter(env(), record, fade_ms, false);
}

void player_info_window_host::start_fade_in(unsigned fade_ms) { start_volume_fade(env(), fade_ms); }

request_identity player_info_window_host::identity() { return current_request_identity(); }

void player_info_window_host::write_anne_log(const wchar_t* line) {
    if (component* c = core::enum_create_component(log_service::iid, 0)) {
        static_cast<log_service*>(c)->write_anne_log(line);
        c->release();
    }
}

HWND player_info_window_host::main_window() {
    HWND w = nullptr;
    with_main_ui([&](main_ui* ui) { w = ui->main_window(); });
    return w;
}

HWND player_info_window_host::playlist_window() {
    HWND w = nullptr;
    with_main_ui([&](main_ui* ui) { w = ui->playlist_window(); });
    return w;
}

void player_info_window_host::refresh_playlist_layout() {
    if (playlist_layout) playlist_layout();
}

bool player_info_window_host::expanded() {
    bool on = false;
    with_main_ui([&](main_ui* ui) { on = ui->expanded(); });
    return on;
}

void player_info_window_host::dock(HWND window) {
    with_docker([&](window_docker* d) { d->add_window(window); });
}

void player_info_window_host::undock(HWND window) {
    with_docker([&](window_docker* d) { d->remove_window(window); });
}

void player_info_window_host::tell_window_state(bool hidden) {
    for_each_component<window_state_listener>([&](window_state_listener* l) { l->on_window_state(0, hidden); });
}

void player_info_window_host::show_music_mute(bool on) {
    if (music_mute_check) music_mute_check(on);
}
