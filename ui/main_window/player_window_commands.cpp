// The main window's commands (WM_COMMAND from the skin's buttons, other
// windows and the remote commands), its sliders, the mouse on its logo and
// volume slider, and the tray.
#include "player_window.h"

#include "channel_service.h"
#include "companion_windows.h"
#include "main_window_host.h"
#include "music_player_view.h"
#include "player_options.h"
#include "window_reports.h"
#include "player_transport.h"
#include "play_option_rules.h"

namespace ids = player_skin_ids;

namespace {
// The value of the volume option when the press on the volume slider began;
// -1 while no press is pending.
int g_volume_press_value = -1;
}  // namespace

void reset_volume_press() { g_volume_press_value = -1; }

void player_window::on_command(unsigned id) {
    switch (id) {
    case 0: open_settings(); break;
    case 1:
        s_.host->set_expanded(true);
        expand_requested_ = true;
        break;
    case 2: minimize(); break;
    case 3: toggle_mini_mode(); break;
    case 4: confirm_quit(); break;
    case 5: toggle_equalizer_window(); break;
    case 6: toggle_playlist_window(); break;
    case 7: toggle_library_window(); break;
    case 8: toggle_info_window(); break;
    case 9: s_.transport->open_files(); break;
    case 10:
        if (transport_enabled()) s_.transport->play();
        break;
    case 11:
        if (transport_enabled()) s_.transport->pause();
        break;
    case 12: stop_and_report(); break;
    case 13: s_.transport->previous(); break;
    case 14: s_.transport->next(); break;
    case 15: toggle_always_on_top(); break;
    case 16: toggle_mute(); break;
    case 17:
    case 18:
    case 19:
    case 20: next_play_method(id); break;
    case 10000: expand_requested_ = false; break;
    default: break;
    }
}

void player_window::stop_and_report() {
    s_.transport->stop();
    s_.reports->report_play_stop();
}

void player_window::open_settings() {
    s_.channels->save_channel_state();
    s_.companions->run_settings(hwnd_);
    s_.channels->restore_channel_state();
}

void player_window::minimize() {
    if (s_.options->tray_when_minimize) {
        s_.host->taskbar_tab(hwnd_, s_.options->show_title_when_tray);
        s_.host->add_tray_icon(hwnd_);
    }
    restore_playlist_ = playlist_ && IsWindowVisible(playlist_);
    ShowWindow(hwnd_, SW_MINIMIZE);
}

void player_window::confirm_quit() {
    if (MessageBoxW(hwnd_, L"플레이어를 종료하시겠습니까?", L"VOLQUIN 플레이어", MB_YESNO) != IDNO)
        PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void player_window::toggle_equalizer_window() {
    if (equalizer_ && IsWindow(equalizer_)) {
        SendMessageW(equalizer_, WM_CLOSE, 0, 0);
        return;
    }
    equalizer_ = s_.companions->create_equalizer(hwnd_);
    if (equalizer_) ShowWindow(equalizer_, SW_SHOWNORMAL);
}

void player_window::toggle_playlist_window() {
    if (s_.host->expanded() || !playlist_) return;
    if (IsWindowVisible(playlist_)) {
        ShowWindow(playlist_, SW_HIDE);
        playlist_shown_ = false;
    } else {
        ShowWindow(playlist_, SW_SHOWNORMAL);
        playlist_shown_ = true;
    }
}

void player_window::create_library_window() {
    library_ = s_.companions->create_library(hwnd_, look_.image(player_skin_images::title_buttons),
                                             look_.image(player_skin_images::mini_button));
    if (!library_) return;
    s_.host->launcher_add_window(library_);
    RECT main_rect = {};
    GetWindowRect(hwnd_, &main_rect);
    SetWindowPos(library_, nullptr, main_rect.right, main_rect.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
    ShowWindow(library_, SW_SHOWNORMAL);
}

void player_window::toggle_library_window() {
    if (s_.host->expanded()) return;
    if (library_ && IsWindow(library_)) {
        ShowWindow(library_, IsWindowVisible(library_) ? SW_HIDE : SW_SHOWNORMAL);
        return;
    }
    create_library_window();
}

void player_window::toggle_info_window() {
    if (!info_) return;
    if (IsWindowVisible(info_)) {
        ShowWindow(info_, SW_HIDE);
        s_.companions->set_info_shown(false);
    } else {
        ShowWindow(info_, SW_SHOWNORMAL);
        s_.companions->set_info_shown(true);
    }
}

void player_window::toggle_always_on_top() {
    player_options& o = *s_.options;
    o.always_top = !o.always_top;
    if (skin_) skin_->set_check(ids::always_top, o.always_top);
    s_.host->docker_always_on_top(o.always_top);
}

void player_window::set_mute(bool value) {
    player_options& o = *s_.options;
    o.mute = value;
    if (skin_) skin_->set_check(ids::mute, o.mute);
    s_.player->set_mute(o.mute);
    if (!o.anne_volume_linkage_off) {
        o.info_mute = o.mute;
        s_.companions->info_sync_mute();
    }
    s_.store->write(L"app", L"mute", o.mute ? L"1" : L"0");
    redraw_title();
    s_.reports->report_state(2);
}

void player_window::toggle_mute() { set_mute(!s_.options->mute); }

void player_window::apply_music_volume() {
    player_options& o = *s_.options;
    if (!o.anne_volume_linkage_off) {
        o.info_volume = o.volume;
        s_.companions->info_sync_volume();
    }
    s_.transport->set_volume(music_player_volume(o));
}

void player_window::set_volume(int value) {
    s_.options->volume = static_cast<unsigned>(value) * 10;
    if (skin_) skin_->set_position(ids::volume, value);
    apply_music_volume();
}

void player_window::on_hscroll(unsigned control, int position) {
    if (control == ids::volume) {
        wchar_t line[96];
        swprintf(line, 96, L"음악볼륨 조절 %d -> %d", static_cast<int>(s_.options->volume / 10), position);
        s_.host->write_log(line);
        s_.options->volume = static_cast<unsigned>(position) * 10;
        apply_music_volume();
    } else if (control == ids::seek) {
        s_.transport->seek(static_cast<double>(position));
    }
}

void player_window::on_left_down(int x, int y) {
    if (!s_.host->expanded() && x >= 18 && x <= 58 && y >= 6 && y <= 23) s_.host->open_home_page();
    g_volume_press_value = -1;
    if (x >= 215 && x < 306 && y >= 134 && y < 147) g_volume_press_value = static_cast<int>(s_.options->volume);
}

void player_window::on_left_up() {
    if (g_volume_press_value >= 0 && g_volume_press_value != static_cast<int>(s_.options->volume))
        s_.reports->report_state(1);
}

void player_window::next_play_method(unsigned indicator) {
    player_options& o = *s_.options;
    look_.show_norm_lamp(o.norm);
    if (skin_) skin_->set_visible(indicator, false);
    o.play_method = (o.play_method + 1) % 4;
    if (skin_) skin_->set_visible(ids::method_first + o.play_method, true);
    if (s_.player->active_playlist_position() == 0) s_.player->set_play_mode(play_mode_of(o.play_method));
}
