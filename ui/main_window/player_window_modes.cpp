// The main window's display modes: the normal and the mini skin, the
// rebuild with another colour skin, and the expanded mode beside the
// library window. Also the title panel that every rebuild draws again.
#include "player_window.h"

#include <cstdio>

#include "channel_service.h"
#include "companion_windows.h"
#include "main_window_host.h"
#include "music_player_view.h"
#include "player_options.h"

namespace ids = player_skin_ids;

namespace {
const wchar_t k_mute_text[] = L" 음소거 중입니다 ";
// The main window's top-left corner when the mini skin was entered.
POINT g_mini_corner = {};

std::wstring minutes_text(int seconds) {
    wchar_t text[32];
    swprintf(text, 32, L"%02d:%02d", seconds / 60, seconds % 60);
    return text;
}

bool visible(HWND w) { return w && IsWindow(w) && IsWindowVisible(w); }
}  // namespace

void player_window::stop_meter() {
    if (meter_.is_started()) meter_.stop();
}

void player_window::move_window(int x, int y) {
    SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSENDCHANGING);
}

// Draws the title panel's background into the marquee's strip, gives the
// strip to the marquee and sets the title text in it.
void player_window::draw_title_panel() {
    if (!skin_) return;
    skin_static* panel = skin_->get_static(ids::title);
    if (!panel) return;
    panel->text[0] = 0;
    dib* strip = look_.image(player_skin_images::marquee);
    const int w = panel->rect.right - panel->rect.left, h = panel->rect.bottom - panel->rect.top;
    if (w <= 0 || h <= 0) return;
    if (strip->get_width() != w || strip->get_height() != h) strip->create(w, h, 24);
    if (panel->background.get_width() > 0) {
        if (look_.is_mini())
            panel->background.draw_tile(strip->get_memdc(), 0, 0, w, h);
        else
            panel->background.draw(strip->get_memdc(), 0, 0);
    } else {
        RECT all = {0, 0, w, h};
        dib::fill_solid_rect(strip->get_memdc(), &all, look_.marquee_back_colour());
    }
    marquee_.set_target(strip);
    const std::wstring text = s_.options->mute ? std::wstring(k_mute_text) : display_title_;
    marquee_.set_text(panel->face[0] ? panel->face : L"굴림", panel->point_size > 0 ? panel->point_size : 9,
                      panel->bold, look_.text_colour(), text.c_str());
    marquee_.step(0);
    strip->draw(skin_->get_dc(), panel->rect.left, panel->rect.top);
    InvalidateRect(hwnd_, &panel->rect, FALSE);
}

void player_window::update_announcement_button() {
    if (!skin_) return;
    bool any = false;
    if (s_.channels->is_logged_in()) any = s_.channels->announcement_count(0) > 0;
    skin_->set_enable(ids::announcement, any);
}

// Steps 1 to 5 of a normal skin's rebuild, with the seek position to keep.
void player_window::show_normal_state(int seek_position) {
    player_options& o = *s_.options;
    // The build drew the skin's own logo; only a downloaded one replaces it.
    if (logo_) look_.show_logo(logo_.get());
    draw_title_panel();
    const bool playing = s_.player->is_playing();
    if (playing) {
        skin_->set_range(ids::seek, 0, track_length_);
        look_.show_time(seek_position);
        look_.show_bitrate(last_bitrate_);
        look_.show_sample_rate(last_sample_rate_);
        skin_->set_caption(ids::time, minutes_text(track_length_).c_str());
    }
    skin_->set_position(ids::seek, seek_position);
    skin_->set_enable(ids::seek, s_.player->is_seekable());
    skin_->set_check(ids::mute, o.mute);
    look_.show_norm_lamp(o.norm);
    for (int m = 0; m < 4; ++m) skin_->set_visible(ids::method_first + m, m == o.play_method);
    look_.show_mode(playing ? track_path_.c_str() : nullptr);
    const int eq = s_.host->equalizer_enabled();
    if (eq >= 0) look_.show_eq_lamp(eq != 0);
    skin_->set_check(ids::playlist, visible(playlist_));
    skin_->set_check(ids::library, visible(library_));
    skin_->set_check(ids::announcement, visible(info_));
    skin_->set_check(ids::equalizer, visible(equalizer_));
    update_announcement_button();
}

void player_window::toggle_mini_mode() {
    player_options& o = *s_.options;
    stop_meter();
    meter_started_ = false;
    s_.host->docker_remove(hwnd_);
    const bool leaving = look_.is_mini();
    if (leaving) {
        RECT client = {};
        GetClientRect(hwnd_, &client);
        mini_width_ = client.right - client.left;
        s_.companions->set_info_mini(false);
    } else {
        RECT r = {};
        GetWindowRect(hwnd_, &r);
        g_mini_corner = {r.left, r.top};
        restore_info_ = visible(info_);
        restore_playlist_ = visible(playlist_);
        restore_library_ = visible(library_);
        restore_equalizer_ = equalizer_ && IsWindow(equalizer_);
        s_.companions->set_info_hidden(true);
        s_.companions->set_info_mini(true);
        if (info_) ShowWindow(info_, SW_HIDE);
        if (playlist_) ShowWindow(playlist_, SW_HIDE);
        if (library_) ShowWindow(library_, SW_HIDE);
        if (restore_equalizer_) PostMessageW(equalizer_, WM_CLOSE, 0, 0);
    }
    const int kept = (leaving || !skin_) ? 0 : skin_->get_position(ids::seek);
    look_.remove();
    skin_ = nullptr;
    if (leaving) {
        skin_ = look_.build_normal(hwnd_, o.skin, o.volume);
        show_normal_state(kept);
    } else {
        skin_ = look_.build_mini(hwnd_, o.skin, o.volume);
        draw_title_panel();
        if (s_.player->is_playing()) skin_->set_caption(ids::time, minutes_text(track_length_).c_str());
        if (mini_width_ != 0) {
            RECT r = {};
            GetWindowRect(hwnd_, &r);
            RECT wanted = {0, 0, mini_width_, r.bottom - r.top};
            skin_->refresh_resize_skin(&wanted, 1);
            RECT now = {};
            GetClientRect(hwnd_, &now);
            on_skin_resized(now.right, now.bottom);
            InvalidateRect(hwnd_, nullptr, FALSE);
        }
        skin_->set_check(ids::always_top, o.always_top);
        skin_->set_check(ids::mute, o.mute);
    }
    InvalidateRect(hwnd_, nullptr, FALSE);
    if (leaving) {
        RECT r = {};
        GetWindowRect(hwnd_, &r);
        const int dx = r.left - g_mini_corner.x, dy = r.top - g_mini_corner.y;
        if (dx != 0 || dy != 0) {
            for (HWND w : {info_, playlist_, library_}) {
                if (!w) continue;
                RECT wr = {};
                GetWindowRect(w, &wr);
                SetWindowPos(w, nullptr, wr.left + dx, wr.top + dy, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSENDCHANGING);
            }
        }
    }
    s_.host->docker_add(hwnd_);
    if (leaving) {
        for (HWND w : {info_, playlist_, library_})
            if (w) s_.host->docker_add(w);
        if (restore_info_ && info_) {
            s_.companions->set_info_hidden(false);
            ShowWindow(info_, SW_SHOWNOACTIVATE);
        }
        if (restore_playlist_ && playlist_) ShowWindow(playlist_, SW_SHOWNOACTIVATE);
        if (restore_library_ && library_) ShowWindow(library_, SW_SHOWNOACTIVATE);
        if (restore_equalizer_) {
            equalizer_ = s_.companions->create_equalizer(hwnd_);
            if (equalizer_) ShowWindow(equalizer_, SW_SHOWNORMAL);
        }
        // The new skin's window buttons were set while the windows were
        // still hidden: they follow what is shown now.
        if (skin_) {
            skin_->set_check(ids::playlist, visible(playlist_));
            skin_->set_check(ids::library, visible(library_));
            skin_->set_check(ids::announcement, visible(info_));
            skin_->set_check(ids::equalizer, visible(equalizer_));
        }
        if (expand_requested_) s_.host->set_expanded(true);
    } else {
        for (HWND w : {info_, playlist_, library_})
            if (w) s_.host->docker_remove(w);
    }
}

void player_window::show_window_buttons(bool shown) {
    if (!skin_) return;
    for (unsigned id : {ids::settings, ids::minimize, ids::expand, ids::close, ids::mini_mode})
        skin_->set_visible(id, shown);
}

void player_window::apply_skin(int colour) {
    player_options& o = *s_.options;
    stop_meter();
    meter_started_ = false;
    s_.host->docker_remove(hwnd_);
    const bool mini = look_.is_mini();
    const int kept = (mini || !skin_) ? 0 : skin_->get_position(ids::seek);
    look_.remove();
    skin_ = nullptr;
    if (mini) {
        skin_ = look_.build_mini(hwnd_, colour, o.volume);
        draw_title_panel();
        if (s_.player->is_playing()) skin_->set_caption(ids::time, minutes_text(track_length_).c_str());
        skin_->set_check(ids::always_top, o.always_top);
        skin_->set_check(ids::mute, o.mute);
    } else {
        skin_ = look_.build_normal(hwnd_, colour, o.volume);
        show_normal_state(kept);
    }
    if (s_.host->expanded()) show_window_buttons(false);
    InvalidateRect(hwnd_, nullptr, FALSE);
    s_.host->docker_add(hwnd_);
}

void player_window::on_expanded_mode(bool on) {
    if (on) {
        s_.companions->record_positions();
        GetWindowRect(hwnd_, &expanded_saved_);
        show_window_buttons(false);
        RECT work = {};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        move_window(work.left, work.top);
        if (library_ && IsWindow(library_)) {
            if (!IsWindowVisible(library_)) ShowWindow(library_, SW_SHOWNORMAL);
        } else {
            create_library_window();
        }
    } else {
        show_window_buttons(true);
        move_window(expanded_saved_.left, expanded_saved_.top);
    }
}
