// The announcement window: its creation, skin, controls, docking and
// messages. Playing, ending and reporting announcements are in
// info_window_play.cpp; the listeners that drive it in
// info_window_listeners.cpp.
#include "info_window.h"

#include <cmath>
#include <cstdio>

#include "audio_format.h"
#include "event_record.h"
#include "list_info.h"
#include "play_manager.h"
#include "playlist.h"
#include "player_options.h"
#include "skin.h"
#include "skin_control.h"
#include "window_messages.h"

namespace ids = info_window_ids;

namespace {
info_window* g_current = nullptr;
const int kWidth = 320;
const int kHeight = 100;
}  // namespace

int info_window::ignored_stops = 0;
int info_window::pending_starts = 0;
int info_window::volume_press = -1;

info_window::info_window(info_window_host& host) : host_(host) {}

info_window::~info_window() {
    if (g_current == this) g_current = nullptr;
}

info_window* info_window::current() { return g_current; }

bool info_window::create_window(HWND main) { return create(IDD_INFO_WINDOW, main); }

bool info_window::linked() const { return !host_.options().anne_volume_linkage_off; }

// The slider, the mute check and the stop control as a fresh skin starts
// them, and the announcement player's settings.
void info_window::setup_controls() {
    skin* look = builder_.get();
    const player_options& o = host_.options();
    if (look) {
        look->set_position(ids::volume, 100 - static_cast<int>(o.info_volume / 10));
        look->set_check(ids::mute, o.info_mute);
        look->set_enable(ids::stop, false);
        look->set_enable(ids::volume, !linked());
        look->set_enable(ids::mute, !linked());
    }
    position_offset = 0.0;
}

void info_window::apply_player_settings() {
    const player_options& o = host_.options();
    if (play_manager* anne = host_.env().player(false)) {
        anne->set_play_mode(3);  // no next entry: it stops after each announcement
        anne->set_volume(o.info_volume);
        anne->set_mute(o.info_mute);
    }
}

void info_window::on_init() {
    g_current = this;
    SetWindowPos(hwnd_, nullptr, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    builder_.build(hwnd_, host_.options().skin, linked());
    host_.dock(hwnd_);
    setup_controls();
    apply_player_settings();
    if (skin* look = builder_.get()) look->set_visible(ids::close, opened_by_user);
}

void info_window::rebuild_skin() {
    if (!hwnd_ || !IsWindow(hwnd_)) return;
    host_.undock(hwnd_);
    builder_.destroy();
    player_options& o = host_.options();
    builder_.build(hwnd_, o.skin, linked());
    g_current = this;
    host_.dock(hwnd_);
    if (linked()) {
        o.info_mute = o.mute;
        o.info_volume = o.volume;
    }
    // The rebuild comes after the login's listeners: an announcement that
    // one of them resumed keeps its elapsed part, its progress range and its
    // stop control, or its time would count from 0 again.
    const double offset = position_offset;
    setup_controls();
    apply_player_settings();
    if (skin* look = builder_.get()) {
        look->set_visible(ids::close, opened_by_user);
        set_title_line(caption, caption);
        play_manager* anne = host_.env().player(false);
        if (announcement_active && anne && anne->is_playing()) {
            position_offset = offset;
            look->set_range(ids::progress, 0, length_s);
            look->set_enable(ids::stop, true);
        }
    }
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void info_window::on_skin(int skin_number) {
    if (!hwnd_ || !IsWindow(hwnd_)) return;
    host_.undock(hwnd_);
    skin* old = builder_.get();
    const int progress = old ? old->get_position(ids::progress) : 0;
    builder_.build(hwnd_, skin_number, linked());
    skin* look = builder_.get();
    if (!look) return;
    play_manager* anne = host_.env().player(false);
    const bool playing = anne && anne->is_playing();
    if (playing) look->set_range(ids::progress, 0, length_s);
    look->set_enable(ids::stop, playing);
    look->set_position(ids::progress, progress);
    look->set_enable(ids::progress, anne && anne->is_seekable());
    set_title_line(caption, caption);
    if (announcement_active)
        set_time_text(progress, length_s);
    else
        set_time_text(0, length_s);
    const player_options& o = host_.options();
    look->set_position(ids::volume, 100 - static_cast<int>(o.info_volume / 10));
    look->set_visible(ids::close, opened_by_user);
    look->set_check(ids::mute, o.info_mute);
    look->set_enable(ids::volume, !linked());
    look->set_enable(ids::mute, !linked());
    InvalidateRect(hwnd_, nullptr, FALSE);
    host_.dock(hwnd_);
}

void info_window::set_title_line(const stringx& text, const stringx& tooltip) {
    skin* look = builder_.get();
    if (!look) return;
    if (skin_static* s = look->get_static(ids::title)) skin_copy_text(s->tooltip, tooltip.wvalue());
    look->set_caption(ids::title, text.wvalue());
}

void info_window::set_time_text(int position, int length) {
    skin* look = builder_.get();
    if (!look) return;
    if (position < 0) position = 0;
    if (length < 0) length = 0;
    wchar_t text[64];
    swprintf(text, 64, L"%02d'%02d / %02d'%02d", position / 60, position % 60, length / 60, length % 60);
    look->set_caption(ids::time, text);
}

void info_window::set_opened_by_user(bool on) {
    opened_by_user = on;
    if (skin* look = builder_.get()) look->set_visible(ids::close, on);
}

void info_window::sync_volume() {
    const player_options& o = host_.options();
    if (skin* look = builder_.get()) look->set_position(ids::volume, 100 - static_cast<int>(o.info_volume / 10));
    if (play_manager* anne = host_.env().player(false)) anne->set_volume(o.info_volume);
}

void info_window::sync_mute() {
    const player_options& o = host_.options();
    if (skin* look = builder_.get()) look->set_check(ids::mute, o.info_mute);
    if (play_manager* anne = host_.env().player(false)) anne->set_mute(o.info_mute);
}

// The playlist window below slides down when this window appears between it
// and the main window, and back up when this window goes.
void info_window::on_show(bool shown, LPARAM status) {
    host_.tell_window_state(!shown);
    if (status != 0) return;
    HWND main = host_.main_window();
    HWND playlist = host_.playlist_window();
    if (shown) {
        if (skin* look = builder_.get()) look->set_visible(ids::close, opened_by_user);
    }
    if (!main || !playlist || !IsWindow(main) || !IsWindow(playlist)) return;
    RECT m, p, own;
    GetWindowRect(main, &m);
    GetWindowRect(playlist, &p);
    GetWindowRect(hwnd_, &own);
    const int h = own.bottom - own.top;
    if (shown) {
        if (p.top != m.bottom) return;
        SetWindowPos(playlist, nullptr, p.left, p.top + h, p.right - p.left, p.bottom - p.top - h,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        // Only a playlist window that sits right below this one follows it.
        if (own.top != m.bottom || p.top != own.bottom) return;
        SetWindowPos(playlist, nullptr, p.left, p.top - h, p.right - p.left, p.bottom - p.top + h,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    host_.refresh_playlist_layout();
}

void info_window::on_volume_scroll(WPARAM wparam) {
    if (linked()) return;
    player_options& o = host_.options();
    const int value = 100 - static_cast<short>(HIWORD(wparam));
    const int old = static_cast<int>(o.info_volume / 10);
    wchar_t line[64];
    swprintf(line, 64, L"안내볼륨 조절 %d -> %d", old, value);
    host_.write_anne_log(line);
    const unsigned volume = value < 0 ? 0u : static_cast<unsigned>(value) * 10;
    if (play_manager* anne = host_.env().player(false)) anne->set_volume(volume);
    swprintf(line, 64, L"%d %d", old, value);
    if (skin* look = builder_.get()) look->set_caption(ids::volume_text, line);
    o.info_volume = volume;
}

void info_window::on_position(const double* position, const void* record) {
    skin* look = builder_.get();
    if (!look || !record) return;
    // The bridge's record: its copy is read under its lock.
    const info_position_record block =
        event_record<info_position_record>::from(reinterpret_cast<LPARAM>(record))->copy();
    (void)position;
    const int secs = static_cast<int>(std::trunc(block.position + position_offset + 0.5));
    play_manager* anne = host_.env().player(false);
    const bool seekable = anne && anne->is_seekable();
    auto* slider = static_cast<skin_scroll*>(look->get_control(ids::progress));
    if (slider && !slider->dragging && look->get_position(ids::progress) != secs) {
        look->set_position(ids::progress, secs);
        set_time_text(secs, static_cast<int>(block.format.length));
    }
    look->set_enable(ids::progress, seekable);
}

void info_window::on_format(const void* record) {
    skin* look = builder_.get();
    if (!look || !record) return;
    const audio_format format = event_record<audio_format>::from(reinterpret_cast<LPARAM>(record))->copy();
    look->set_range(ids::progress, 0, static_cast<int>(format.length));
    look->set_position(ids::progress, 0);
}

void info_window::on_command(unsigned id) {
    switch (id) {
    case ids::close:
        opened_by_user = false;
        hidden_by_user = true;
        ShowWindow(hwnd_, SW_HIDE);
        break;
    case ids::stop: {
        ignored_stops = 0;
        play_manager* anne = host_.env().player(false);
        if (!anne) break;
        anne->stop(0);
        playlist* list = anne->current_playlist();
        if (list_info* first = list ? list->at(0) : nullptr) report_anne_state(*first, false);
        break;
    }
    case ids::mute: {
        if (linked()) break;
        player_options& o = host_.options();
        o.info_mute = !o.info_mute;
        if (skin* look = builder_.get()) look->set_check(ids::mute, o.info_mute);
        if (play_manager* anne = host_.env().player(false)) anne->set_mute(o.info_mute);
        report_anne_volume(2);
        break;
    }
    default:
        break;
    }
}

LRESULT info_window::dialog_proc(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG:
        on_init();
        return TRUE;
    case WM_SHOWWINDOW:
        on_show(wparam != 0, lparam);
        return FALSE;
    case WM_WINDOWPOSCHANGED: {
        const WINDOWPOS* pos = reinterpret_cast<const WINDOWPOS*>(lparam);
        if (pos && !(pos->flags & SWP_NOMOVE) && !host_.expanded()) {
            saved_x = pos->x;
            saved_y = pos->y;
        }
        return FALSE;
    }
    case WM_COMMAND:
        on_command(LOWORD(wparam));
        return TRUE;
    case WM_VSCROLL:
        if (lparam == static_cast<LPARAM>(ids::volume)) on_volume_scroll(wparam);
        return TRUE;
    case WM_HSCROLL:
        return 0;  // the progress slider does not seek
    case WM_LBUTTONDOWN: {
        const int x = static_cast<short>(LOWORD(lparam)), y = static_cast<short>(HIWORD(lparam));
        volume_press = (x >= 301 && x < 309 && y >= 40 && y < 75) ? static_cast<int>(host_.options().info_volume) : -1;
        return FALSE;
    }
    case WM_LBUTTONUP:
        if (volume_press >= 0 && volume_press != static_cast<int>(host_.options().info_volume)) report_anne_volume(1);
        volume_press = -1;
        return FALSE;
    case WM_CLOSE:
        DestroyWindow(hwnd_);
        return TRUE;
    case WM_DESTROY:
        if (play_manager* anne = host_.env().player(false)) anne->stop(0);
        if (g_current == this) g_current = nullptr;
        return TRUE;
    case WM_NCDESTROY:
        builder_.destroy();
        return TRUE;
    case msg_expanded_mode:
        if (wparam) {
            RECT work = {}, main = {};
            SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
            if (HWND m = host_.main_window()) GetWindowRect(m, &main);
            SetWindowPos(hwnd_, nullptr, work.left, main.bottom, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        } else {
            SetWindowPos(hwnd_, nullptr, saved_x, saved_y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        return TRUE;
    case msg_track_finished:
        end_announcement(static_cast<unsigned>(host_.options().fadeinout_time), true);
        return TRUE;
    case msg_track_position:
        on_position(reinterpret_cast<const double*>(wparam), reinterpret_cast<const void*>(lparam));
        return TRUE;
    case msg_track_format:
        on_format(reinterpret_cast<const void*>(lparam));
        return TRUE;
    case msg_play_error:
        end_announcement(static_cast<unsigned>(host_.options().fadedirect_time), true);
        return TRUE;
    case msg_track_started:
        if (skin* look = builder_.get()) look->set_enable(ids::stop, true);
        return TRUE;
    case msg_track_stopped:
        on_stopped();
        return TRUE;
    case msg_anne_play_now:
        play_now(reinterpret_cast<const anne_record*>(lparam));
        SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, 1);
        return TRUE;
    case msg_info_clear_title:
        playing_title = stringx(L"");
        return TRUE;
    case msg_anne_handover: {
        const anne_record* record = reinterpret_cast<const anne_record*>(lparam);
        if (!record) return TRUE;
        handover_ = *record;
        if (InSendMessage()) ReplyMessage(1);
        PostMessageW(hwnd_, msg_anne_play_now, 1, reinterpret_cast<LPARAM>(&handover_));
        SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, 1);
        return TRUE;
    }
    default:
        return FALSE;
    }
}
