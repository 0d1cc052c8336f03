// The announcement window's listeners: see info_window_listeners.h.
#include "info_window_listeners.h"

#include <cmath>
#include <string>

#include "core.h"
#include "log_service.h"
#include "main_ui.h"
#include "play_manager.h"
#include "player_options.h"
#include "window_messages.h"

// --- the announcements' events ---

void info_progress_listener::on_next_changed(const anne_record* record) {
    next_.known = true;
    next_.none = record == nullptr;
    next_.title = record ? record->title : stringx(L"");
    next_.length = record ? record->length.total_seconds() : 0;
    next_.start = record ? record->start.total_seconds() : 0;
    if (info_window* w = info_window::current()) w->show_next(next_);
}

void info_progress_listener::on_preparing(const anne_record* record) {
    info_window* w = info_window::current();
    if (w && record) w->show_preparing(*record);
}

void info_progress_listener::on_air(const anne_record* record) {
    info_window* w = info_window::current();
    if (w && record) w->show_on_air(*record);
}

void info_progress_listener::on_finished() {
    if (info_window* w = info_window::current()) w->show_finished(next_);
}

// --- the announcement player's engine events ---

const wchar_t* info_error_text(int type) {
    switch (type) {
    case 0:
        return L"안내 파일 재생 에러 : 파일을 열수 없거나 주소가 잘못 되었습니다(%s)";
    case 1:
        return L"안내 파일 재생 에러 : 입력 콤포넌트를 생성할 수 없습니다(%s)";
    case 2:
        return L"안내 파일 재생 에러 : 출력콤포넌트를 생성할 수 없거나 해당 트랙의 오디오 형식을 출력할수 없습니다";
    default:
        return L"안내 파일 재생 에러 : 원인을 알수 없는 재생 오류입니다";
    }
}

namespace {

std::wstring with_text(const wchar_t* format, const wchar_t* text) {
    std::wstring line = format;
    const size_t mark = line.find(L"%s");
    if (mark != std::wstring::npos) line.replace(mark, 2, text ? text : L"");
    return line;
}

class registry_targets : public info_engine_listener::targets {
public:
    play_manager* player() override { return core::get_player(false); }
    HWND window() override {
        component* c = core::enum_create_component(main_ui::iid, 0);
        if (!c) return nullptr;
        HWND w = static_cast<main_ui*>(c)->info_window();
        c->release();
        return w;
    }
    void write_anne_log(const wchar_t* line) override {
        if (component* c = core::enum_create_component(log_service::iid, 0)) {
            static_cast<log_service*>(c)->write_anne_log(line);
            c->release();
        }
    }
};

}  // namespace

info_engine_listener::targets& info_engine_listener::player_targets() {
    static registry_targets t;
    return t;
}

HWND info_engine_listener::target() {
    // Under lock_: looked up once, again only when the window is gone.
    if (!window_ || !IsWindow(window_)) window_ = targets_.window();
    return window_ && IsWindow(window_) ? window_ : nullptr;
}

void info_engine_listener::on_start(playback_thread* thread, list_info* entry, bool) {
    auto_sync guard(lock_);
    current_ = thread;
    failed_ = nullptr;
    if (entry) started_.store(*entry);
    targets_.write_anne_log(with_text(L"안내 파일 재생 시작 : %s", entry ? entry->title : nullptr).c_str());
    if (HWND w = target()) PostMessageW(w, msg_track_started, 0, started_.as_lparam());
    last_posted_ = 0.0;
}

void info_engine_listener::on_finish(playback_thread* thread, list_info* entry, int stop_mode) {
    auto_sync guard(lock_);
    targets_.write_anne_log(with_text(L"안내 파일 재생 완료 : %s", entry ? entry->title : nullptr).c_str());
    if (thread != current_) return;
    current_ = nullptr;
    if (thread == failed_) return;
    if (entry) finished_.store(*entry);
    HWND w = target();
    if (!w) return;
    if (stop_mode == 1) PostMessageW(w, msg_track_finished, 0, finished_.as_lparam());
    if (stop_mode == 0) PostMessageW(w, msg_track_stopped, 0, 0);
}

void info_engine_listener::on_error(playback_thread* thread, int type, const wchar_t* path) {
    {
        auto_sync guard(lock_);
        failed_ = thread;
        if (HWND w = target()) PostMessageW(w, msg_play_error, static_cast<WPARAM>(type), 0);
    }
    std::wstring name = path ? path : L"";
    const size_t slash = name.find_last_of(L'/');
    if (slash != std::wstring::npos) name = name.substr(slash + 1);
    targets_.write_anne_log(with_text(info_error_text(type), name.c_str()).c_str());
}

void info_engine_listener::on_format(playback_thread* thread, const audio_format* format) {
    auto_sync guard(lock_);
    if (thread != current_ || !format) return;
    format_.store(*format);
    if (HWND w = target()) PostMessageW(w, msg_track_format, 0, format_.as_lparam());
}

void info_engine_listener::on_position(playback_thread* thread, const audio_format* format, double position) {
    // The player is asked before lock_ is taken: it has a lock of its own.
    play_manager* anne = targets_.player();
    if (!anne || !anne->is_playing()) return;
    auto_sync guard(lock_);
    if (thread != current_) return;
    position_.write([&](info_position_record& r) {
        if (format) r.format = *format;
        r.position = position;
    });
    const double min_step = 0.2 - 1e-9;
    if (last_posted_ != 0.0 && std::fabs(position - last_posted_) < min_step) return;
    HWND w = target();
    if (!w) return;
    const info_position_record* record = nullptr;
    position_.read([&record](const info_position_record& r) { record = &r; });
    PostMessageW(w, msg_track_position, reinterpret_cast<WPARAM>(&record->position), position_.as_lparam());
    last_posted_ = position;
}

// --- login and skin ---

void info_login_listener::on_login(bool ok) {
    info_window* w = info_window::current();
    if (w && ok) w->resume_announcement();
    const player_options& o = get_player_options();
    if (o.server_maximize == 1 || (o.server_maximize == 9 && o.maximize)) {
        component* c = core::enum_create_component(main_ui::iid, 0);
        if (!c) return;
        main_ui* ui = static_cast<main_ui*>(c);
        HWND info = ui->info_window();
        HWND main = ui->main_window();
        c->release();
        if (info && !(w && w->announcement_active)) ShowWindow(info, SW_HIDE);
        if (main) SendMessageW(main, WM_COMMAND, 1, 0);
    }
}

void info_skin_listener::on_skin(int colour) {
    if (info_window* w = info_window::current()) w->on_skin(colour);
}
