// The last channel at the login: its request runs on a worker. When the
// service does not answer it (or takes more than 3 s), the channel plays its
// kept tracks meanwhile,
// and the request is sent again after a growing pause
// (channel_retry_delay_ms) until the service answers; then the channel
// starts from the service's tracks. An expired login, or another channel
// started meanwhile, ends the retry.
#include "channel_service.h"
#include "player_window.h"
#include "window_messages.h"

bool player_window::begin_channel_fetch(const stringx& list_name) {
    retry_list_ = list_name;
    retry_channel_ = s_.channels->current_channel_id();
    if (retry_channel_ == 0 || !s_.channels->start_checked_fetch(hwnd_, msg_channel_fetched)) {
        retry_channel_ = 0;
        return false;
    }
    first_fetch_ = true;
    // A service that takes longer than this: the kept tracks play meanwhile.
    SetTimer(hwnd_, kept_channel_timer, 3000, nullptr);
    return true;
}

void player_window::on_kept_channel_timer() {
    KillTimer(hwnd_, kept_channel_timer);
    if (!first_fetch_ || kept_played_) return;
    kept_played_ = true;
    play_kept_channel();
}

void player_window::play_kept_channel() {
    if (!s_.channels->fetch_saved_tracks()) return;
    s_.channels->set_title(retry_list_);
    s_.channels->load_fetched();
}

void player_window::retry_channel_later(const stringx& list_name) {
    retry_list_ = list_name;
    retry_channel_ = s_.channels->current_channel_id();
    if (retry_channel_ == 0) {
        stop_channel_retry();
        return;
    }
    ++retry_failures_;
    retry_delay_ms_ = channel_retry_delay_ms(retry_failures_);
    SetTimer(hwnd_, channel_retry_timer, static_cast<UINT>(retry_delay_ms_), nullptr);
}

void player_window::stop_channel_retry() {
    if (hwnd_) {
        KillTimer(hwnd_, channel_retry_timer);
        KillTimer(hwnd_, kept_channel_timer);
    }
    kept_played_ = false;
    retry_channel_ = 0;
    retry_failures_ = 0;
    retry_delay_ms_ = 0;
    first_fetch_ = false;
}

void player_window::on_channel_retry_timer() {
    KillTimer(hwnd_, channel_retry_timer);
    retry_delay_ms_ = 0;
    if (retry_channel_ == 0) return;
    if (s_.channels->current_channel_id() != retry_channel_) {
        stop_channel_retry();  // another channel plays now
        return;
    }
    if (!s_.channels->start_checked_fetch(hwnd_, msg_channel_fetched)) retry_channel_later(retry_list_);
}

void player_window::on_channel_fetched() {
    if (retry_channel_ == 0) {
        s_.channels->finish_checked_fetch();  // the reply of an ended retry
        return;
    }
    switch (s_.channels->finish_checked_fetch()) {
    case channel_service::fetch_pending:
        return;
    case channel_service::fetch_done:
        s_.channels->set_title(retry_list_);
        stop_channel_retry();
        s_.channels->load_fetched();
        SendMessageW(hwnd_, msg_info_window_refresh, 0, 0);
        return;
    case channel_service::fetch_failed:
        KillTimer(hwnd_, kept_channel_timer);
        if (first_fetch_ && !kept_played_) play_kept_channel();
        first_fetch_ = false;
        kept_played_ = true;
        retry_channel_later(retry_list_);
        return;
    case channel_service::fetch_refused:
    case channel_service::fetch_stale:
        stop_channel_retry();
        return;
    }
}
