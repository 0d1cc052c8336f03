// The music player's play-event bridge: see play_event_bridge.h.
//
// Locking: the engine bridge's lock_ covers the current thread, the last
// posted position and the main window handle; each record has its own lock
// (event_record). The order is lock_, then a record's lock. Nothing that can
// block on another thread is called while either is held: PostMessageW and
// the log service's queue only.
#include "play_event_bridge.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "play_manager.h"
#include "window_messages.h"

namespace {
std::wstring text_of(const wchar_t* s) { return s ? s : L""; }

// "<prefix><artist> - <title>" with empty text for a missing value.
std::wstring track_line(const wchar_t* prefix, const list_info* entry) {
    std::wstring line = prefix;
    line += entry ? text_of(entry->artist) : L"";
    line += L" - ";
    line += entry ? text_of(entry->title) : L"";
    return line;
}

// The part of the path after its last "/" (the whole path without one).
std::wstring file_name_of(const wchar_t* path) {
    std::wstring p = text_of(path);
    const size_t slash = p.rfind(L'/');
    return slash == std::wstring::npos ? p : p.substr(slash + 1);
}
}  // namespace

// ---------------------------------------------------------------------------
// Records

audio_buffer::~audio_buffer() { free(bytes_); }

bool audio_buffer::assign(const audio_format& new_format, const void* bytes, int new_count) {
    const size_t needed = new_count > 0 ? static_cast<size_t>(new_count) : 0;
    if (needed > capacity_) {
        size_t grown = capacity_ ? capacity_ : 1;
        while (grown < needed) grown *= 2;
        void* moved = bytes_ ? realloc(bytes_, grown) : malloc(grown);
        if (!moved) {
            data = nullptr;
            count = 0;
            return false;
        }
        bytes_ = static_cast<unsigned char*>(moved);
        capacity_ = grown;
    }
    if (needed) memcpy(bytes_, bytes, needed);
    format = new_format;
    data = bytes_;
    count = static_cast<int>(needed);
    return true;
}

audio_block audio_block::from(LPARAM record) {
    audio_block block;
    event_record<audio_buffer>::from(record)->read([&block](const audio_buffer& buffer) {
        block.format = buffer.format;
        const unsigned char* bytes = static_cast<const unsigned char*>(buffer.data);
        if (bytes && buffer.count > 0) block.bytes.assign(bytes, bytes + buffer.count);
    });
    return block;
}

audio_format default_engine_format() {
    audio_format format = {};
    format.format_tag = 1;
    format.channels = 1;
    format.sample_rate = 44100;
    format.bits_per_sample = 16;
    return format;
}

const wchar_t* engine_error_format(int code) {
    switch (code) {
    case 0:
        return L"파일 재생 에러 : 파일을 열수 없거나 주소가 잘못 되었습니다(%s)";
    case 1:
        return L"파일 재생 에러 : 입력 콤포넌트를 생성할 수 없습니다(%s)";
    case 2:
        return L"파일 재생 에러 : 출력콤포넌트를 생성할 수 없거나 해당 트랙의 오디오 형식을 출력할수 없습니다";
    case 3:
        return L"파일 재생 에러 : 원인을 알수 없는 재생 오류입니다";
    default:
        return L"";
    }
}

// ---------------------------------------------------------------------------
// Player events

play_listener_bridge::play_listener_bridge() : targets_(&library_play_event_targets()) {}

void play_listener_bridge::on_play(list_info* entry) {
    HWND main = targets_->main_window();
    if (!main || !entry) return;
    track_.store(*entry);
    PostMessageW(main, msg_track_started, 0, track_.as_lparam());
}

void play_listener_bridge::on_stop(list_info*) {
    HWND main = targets_->main_window();
    if (main) PostMessageW(main, msg_track_stopped, 0, 0);
}

void play_listener_bridge::on_pause(list_info* entry, bool paused) {
    HWND main = targets_->main_window();
    if (main) SendMessageW(main, msg_pause_changed, paused ? 1 : 0, reinterpret_cast<LPARAM>(entry));
}

void play_listener_bridge::on_next(list_info* entry) {
    HWND main = targets_->main_window();
    if (main) SendMessageW(main, msg_next_track, 0, reinterpret_cast<LPARAM>(entry));
}

void play_listener_bridge::on_previous(list_info* entry) {
    HWND main = targets_->main_window();
    if (main) SendMessageW(main, msg_previous_track, 0, reinterpret_cast<LPARAM>(entry));
}

void play_listener_bridge::on_entry_added(const std::vector<list_info*>& added) {
    HWND list = targets_->playlist_window();
    if (!list) return;
    // The playlist window takes the appended entries one message each.
    for (list_info* entry : added) SendMessageW(list, msg_entry_added, 0, reinterpret_cast<LPARAM>(entry));
}

void play_listener_bridge::on_entry_inserted(int index, const std::vector<list_info*>& inserted) {
    HWND list = targets_->playlist_window();
    if (list) SendMessageW(list, msg_entry_inserted, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&inserted));
}

void play_listener_bridge::on_entry_removed(const std::vector<int>& indices) {
    HWND list = targets_->playlist_window();
    if (list) SendMessageW(list, msg_entry_removed, 0, reinterpret_cast<LPARAM>(&indices));
}

void play_listener_bridge::on_entries_updated(const std::vector<int>& indices, const std::vector<list_info*>&) {
    HWND list = targets_->playlist_window();
    if (!list) return;
    changed_ = indices;
    PostMessageW(list, msg_entries_removed, 0, reinterpret_cast<LPARAM>(&changed_));
}

void play_listener_bridge::on_current_playlist(playlist* current) {
    HWND list = targets_->playlist_window();
    if (list) SendMessageW(list, msg_playlist_changed, 0, reinterpret_cast<LPARAM>(current));
    HWND main = targets_->main_window();
    if (main) PostMessageW(main, msg_playlist_changed, 0, 0);
}

// ---------------------------------------------------------------------------
// Engine events

engine_listener_bridge::engine_listener_bridge()
    : targets_(&library_play_event_targets()),
      current_(nullptr),
      last_posted_(0.0),
      main_window_(nullptr),
      format_(default_engine_format()),
      position_(position_record{default_engine_format(), 0.0}) {}

void engine_listener_bridge::set_targets(play_event_targets* targets) {
    auto_sync guard(lock_);
    targets_ = targets;
    main_window_ = nullptr;
}

play_manager* engine_listener_bridge::player() { return targets_->music_player(); }

playback_thread* engine_listener_bridge::current_thread() {
    auto_sync guard(lock_);
    return current_;
}

HWND engine_listener_bridge::target() {
    // Under lock_. The handle is kept once found; a window that is gone (or
    // not made yet) is asked for again.
    if (!main_window_ || !IsWindow(main_window_)) main_window_ = targets_->main_window();
    return main_window_ && IsWindow(main_window_) ? main_window_ : nullptr;
}

bool engine_listener_bridge::music_playing() {
    play_manager* music = targets_->music_player();
    return music && music->is_playing();
}

void engine_listener_bridge::on_start(playback_thread* thread, list_info* entry, bool) {
    auto_sync guard(lock_);
    current_ = thread;
    targets_->write_log(track_line(L"음악 파일 재생 시작 : ", entry).c_str());
    if (entry) track_.store(*entry);
    if (HWND main = target()) PostMessageW(main, msg_track_started, 0, track_.as_lparam());
    last_posted_ = 0.0;
}

void engine_listener_bridge::on_finish(playback_thread* thread, list_info* entry, int stop_mode) {
    auto_sync guard(lock_);
    targets_->write_log(track_line(L"음악 파일 재생 완료 : ", entry).c_str());
    // A thread that a newer start replaced (a crossfade's outgoing track)
    // changes nothing.
    if (thread != current_) return;
    current_ = nullptr;
    if (entry) track_.store(*entry);
    HWND main = target();
    if (!main) return;
    if (stop_mode == 0) PostMessageW(main, msg_track_stopped, 0, 0);
    if (stop_mode == 1) PostMessageW(main, msg_track_finished, 0, track_.as_lparam());
}

void engine_listener_bridge::on_error(playback_thread*, int code, const wchar_t* path) {
    {
        auto_sync guard(lock_);
        if (HWND main = target()) PostMessageW(main, msg_play_error, static_cast<WPARAM>(code), 0);
    }
    std::wstring line = engine_error_format(code);
    const size_t mark = line.find(L"%s");
    if (mark != std::wstring::npos) line.replace(mark, 2, file_name_of(path));
    targets_->write_log(line.c_str());
    targets_->write_log(L"재생 에러 발생 다음 트랙으로 이동");
}

void engine_listener_bridge::on_format(playback_thread* thread, const audio_format* format) {
    auto_sync guard(lock_);
    if (thread != current_ || !format) return;
    format_.store(*format);
    if (HWND main = target()) PostMessageW(main, msg_track_format, 0, format_.as_lparam());
}

void engine_listener_bridge::on_position(playback_thread* thread, const audio_format* format, double seconds) {
    // The player is asked before lock_ is taken: it has a lock of its own.
    if (!music_playing()) return;
    auto_sync guard(lock_);
    if (thread != current_) return;
    position_.write([&](position_record& record) {
        if (format) record.format = *format;
        record.position = seconds;
    });
    // At least 0.2 s from the last posted one; positions made of sample
    // counts miss 0.2 by a rounding error (1.2 - 1.0 < 0.2 in binary), which
    // must not hold back a tick that is a fifth of a second on.
    const double min_step = 0.2 - 1e-9;
    if (last_posted_ != 0.0 && std::fabs(seconds - last_posted_) < min_step) return;
    HWND main = target();
    if (!main) return;
    // wParam points at the position inside the record; like lParam it is
    // read through the record's copy.
    const position_record* record = nullptr;
    position_.read([&record](const position_record& r) { record = &r; });
    PostMessageW(main, msg_track_position, reinterpret_cast<WPARAM>(&record->position), position_.as_lparam());
    last_posted_ = seconds;
}

void engine_listener_bridge::on_audio(playback_thread* thread, const audio_format* format, const void* bytes,
                                      int count) {
    if (!music_playing()) return;
    auto_sync guard(lock_);
    if (thread != current_ || !format) return;
    bool held = false;
    audio_.write([&](audio_buffer& buffer) { held = buffer.assign(*format, bytes, count); });
    if (!held) return;
    if (HWND main = target()) PostMessageW(main, msg_audio_data, 0, audio_.as_lparam());
}
