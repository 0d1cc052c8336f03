// The announcement window's announcements: playing one on request, the end
// of one (the music comes back), the resume at login, what the window shows
// for the announcement listener's events, and the reports to the service.
#include "info_window.h"

#include <cstdio>
#include <vector>

#include "anne_progress_listener.h"
#include "list_info.h"
#include "play_manager.h"
#include "player_options.h"
#include "playlist.h"
#include "service_requests.h"
#include "skin.h"
#include "utility.h"

namespace ids = info_window_ids;

namespace {

const wchar_t kNoAnnouncement[] = L"안내방송이 없습니다";

list_info entry_of(const anne_record& record, const stringx& path) {
    list_info e;
    list_info::set_string(e.path, path.wvalue());
    list_info::set_string(e.title, record.title.wvalue());
    e.time = static_cast<double>(record.length.total_seconds());
    return e;
}

stringx format_text(const wchar_t* format, const wchar_t* text) {
    std::wstring s = format;
    const size_t mark = s.find(L"%s");
    if (mark != std::wstring::npos) s.replace(mark, 2, text ? text : L"");
    return stringx(s.c_str());
}

// "00'00 / mm'ss" of a length in seconds.
stringx zero_time_of(long length) {
    wchar_t text[32];
    swprintf(text, 32, L"00'00 / %02ld'%02ld", length / 60, length % 60);
    return stringx(text);
}

}  // namespace

// --- play now ---

LRESULT info_window::play_now(const anne_record* record) {
    if (!record) return TRUE;
    anne_environment& env = host_.env();
    player_options& o = host_.options();
    anne_record copy = *record;
    copy.start = timex_span(0);
    if (copy.volume > 100) copy.volume = static_cast<int>(o.info_volume / 10);
    playing_title = stringx(L"");

    play_manager* anne = env.player(false);
    play_manager* music = env.player(true);
    bool direct;
    if (anne && anne->is_playing())
        direct = true;
    else if (music && music->is_playing())
        direct = false;
    else
        direct = env.ducker() == nullptr;

    skin* look = builder_.get();
    if (direct) {
        // Another announcement is fading in: this request is dropped.
        if (pending_starts != 0) return TRUE;
        ++ignored_stops;
        if (anne) anne->stop(0);
        if (look) look->set_position(ids::progress, 0);
        utility::message_pump(nullptr);
        if (!anne) return TRUE;
        playlist* current = anne->current_playlist();
        if (list_info* first = current ? current->at(0) : nullptr) report_anne_state(*first, false);
        playlist* active = anne->active_playlist();
        if (!active) return TRUE;
        active->clear();
        active->add(std::vector<list_info>{entry_of(copy, copy.url)});
        const std::vector<anne_progress_listener*> listeners = env.listeners();
        for (anne_progress_listener* l : listeners) {
            l->on_music_volume(0);
            l->on_preparing(&copy);
        }
        if (music) music->set_volume(0);
        list_info* entry = active->at(0);
        if (entry) anne->play(entry);
        for (anne_progress_listener* l : listeners) l->on_air(&copy);
        if (entry) report_anne_state(*entry, true);
        return TRUE;
    }

    if (anne) anne->stop(0);
    if (look) look->set_position(ids::progress, 0);
    utility::message_pump(nullptr);
    host_.start_starter(copy, o.fadeinout_time > 0 ? static_cast<unsigned>(o.fadeinout_time) : 0);
    playing_title = copy.title;
    report_anne_state(entry_of(copy, copy.url), true);
    return TRUE;
}

// --- the end of an announcement ---

void info_window::end_announcement(unsigned fade_ms, bool stop_player) {
    player_options& o = host_.options();
    // A live announcement has ended: the next one may come.
    o.live_anne_on = false;
    position_offset = 0.0;
    if (stop_player) {
        if (play_manager* anne = host_.env().player(false)) anne->stop(0);
    }
    host_.start_fade_in(fade_ms);
    if (skin* look = builder_.get()) {
        look->set_position(ids::progress, 0);
        look->set_range(ids::progress, 0, 0);
        look->set_enable(ids::stop, false);
    }
    if (!opened_by_user) {
        ShowWindow(hwnd_, SW_HIDE);
        shown_for_announcement = false;
    }
}

void info_window::on_stopped() {
    pending_starts = 0;
    if (ignored_stops > 0) {
        // The window stopped the player itself to play another announcement.
        --ignored_stops;
        return;
    }
    const int ms = host_.options().fadedirect_time;
    end_announcement(ms > 0 ? static_cast<unsigned>(ms) : 0, false);
}

// --- resume at login ---

void info_window::resume_announcement() {
    anne_environment& env = host_.env();
    player_options& o = host_.options();
    std::vector<anne_record> list;
    if (!env.load_anne_list(list, false)) return;
    const std::vector<anne_progress_listener*> listeners = env.listeners();
    const long now = env.service_now().get_seconds_of_day();
    const anne_record* due = nullptr;
    for (const anne_record& r : list) {
        const long start = r.start.total_seconds();
        if (start <= now && now < start + r.length.total_seconds()) {
            due = &r;
            break;
        }
    }
    if (!due) return;
    anne_record record = *due;
    if (record.volume > 100) record.volume = static_cast<int>(o.info_volume / 10);

    play_manager* music = env.player(true);
    if (music) music->set_volume(0);
    for (anne_progress_listener* l : listeners) {
        l->on_music_volume(0);
        l->on_preparing(&record);
    }
    // The reader starts the file at the elapsed fraction of its length.
    const long elapsed = now - record.start.total_seconds();
    const double fraction = static_cast<double>(elapsed) / static_cast<double>(record.length.total_seconds());
    wchar_t tail[64];
    swprintf(tail, 64, L"|%f|0", fraction);
    const stringx path = stringx(record.url.wvalue()) + stringx(tail);
    position_offset = static_cast<double>(elapsed);

    play_manager* anne = env.player(false);
    playlist* active = anne ? anne->active_playlist() : nullptr;
    if (!active) return;
    // The playlist holds the last announcement: the resumed one replaces it.
    active->clear();
    active->add(std::vector<list_info>{entry_of(record, path)});
    anne->set_volume(record.volume <= 0 ? 0u : static_cast<unsigned>(record.volume) * 10);
    if (list_info* first = active->at(0)) anne->play(first);
    for (anne_progress_listener* l : listeners) l->on_air(&record);
    if (skin* look = builder_.get()) {
        const int secs = static_cast<int>(elapsed);
        look->set_range(ids::progress, 0, static_cast<int>(record.length.total_seconds()));
        look->set_position(ids::progress, secs);
        set_time_text(secs, static_cast<int>(record.length.total_seconds()));
    }
}

// --- what the listener's events show ---

void info_window::show_next(const info_next_announcement& next) {
    skin* look = builder_.get();
    if (!look) return;
    play_manager* anne = host_.env().player(false);
    if (anne && anne->is_playing()) return;
    if (next.none) {
        caption = stringx(kNoAnnouncement);
        set_title_line(caption, stringx(L""));
        look->set_caption(ids::time, L"00'00 / 00'00");
        length_s = 0;
    } else {
        wchar_t head[32];
        swprintf(head, 32, L"[%02ld:%02ld:%02ld] ", next.start / 3600, next.start / 60 % 60, next.start % 60);
        caption = stringx(head) + next.title;
        set_title_line(caption, next.title);
        look->set_caption(ids::time, zero_time_of(next.length).wvalue());
        length_s = static_cast<int>(next.length);
    }
    look->set_position(ids::progress, 0);
}

void info_window::show_for_announcement() {
    shown_for_announcement = true;
    announcement_active = true;
    HWND main = host_.main_window();
    if (!(main && IsIconic(main)) && !no_auto_show) ShowWindow(hwnd_, SW_SHOWNORMAL);
    hidden_by_user = false;
}

void info_window::show_preparing(const anne_record& record) {
    const player_options& o = host_.options();
    if (o.live_anne_on && (!record.title.equals(o.live_anne.title) || !record.url.equals(o.live_anne.url)))
        return;
    show_for_announcement();
    skin* look = builder_.get();
    if (!look) return;
    ++pending_starts;
    caption = format_text(L"[준비중] %s", record.title.wvalue());
    set_title_line(caption, record.title);
    look->set_caption(ids::time, zero_time_of(record.length.total_seconds()).wvalue());
    length_s = static_cast<int>(record.length.total_seconds());
    const int volume = record.volume > 100 ? static_cast<int>(o.info_volume / 10) : record.volume;
    look->set_position(ids::volume, 100 - volume);
    if (play_manager* anne = host_.env().player(false))
        anne->set_volume(volume <= 0 ? 0u : static_cast<unsigned>(volume) * 10);
}

void info_window::show_on_air(const anne_record& record) {
    if (!IsWindowVisible(hwnd_)) show_for_announcement();
    if (pending_starts > 0) --pending_starts;
    skin* look = builder_.get();
    if (!look) return;
    player_options& o = host_.options();
    if (o.live_anne_on && (!record.title.equals(o.live_anne.title) || !record.url.equals(o.live_anne.url)))
        return;
    const stringx& title = playing_title.length() > 0 ? playing_title : record.title;
    caption = format_text(L"[방송중] %s", title.wvalue());
    set_title_line(caption, record.title);
    look->set_caption(ids::time, zero_time_of(record.length.total_seconds()).wvalue());
    length_s = static_cast<int>(record.length.total_seconds());
    look->set_position(ids::volume, 100 - static_cast<int>(o.info_volume / 10));
    anne_environment& env = host_.env();
    if (play_manager* anne = env.player(false)) anne->set_volume(o.info_volume);
    o.mute = record.flag != 0;
    host_.show_music_mute(o.mute);
    if (play_manager* music = env.player(true)) music->set_mute(o.mute);
}

void info_window::show_finished(const info_next_announcement& next) {
    ignored_stops = 0;
    announcement_active = false;
    skin* look = builder_.get();
    if (!look) return;
    if (next.known) {
        // The stored next announcement, or the text that none comes.
        show_next(next);
    } else {
        caption = stringx(L"");
        set_title_line(stringx(kNoAnnouncement), stringx(L""));
        length_s = 0;
        look->set_caption(ids::time, L"00'00/00'00");
        look->set_position(ids::progress, 0);
    }
    look->set_position(ids::volume, 100 - static_cast<int>(host_.options().info_volume / 10));
}

// --- reports ---

void info_window::report_anne_state(const list_info& entry, bool play) {
    anne_direct_request(host_.identity(), play, entry.title ? entry.title : L"", entry.path ? entry.path : L"")
        .send();
}

void info_window::report_anne_volume(int kind) {
    request_identity identity = host_.identity();
    const player_options& o = host_.options();
    identity.volumes.announcement = static_cast<int>(o.info_volume);
    identity.volumes.announcement_mute = o.info_mute;
    volume_report_request(identity, true, kind != 1).send();
}
