#include "channel_reservation.h"

#include <algorithm>
#include <climits>

#include "service_requests.h"

namespace {

const wchar_t reserved_mark[] = L"[스케쥴]";

bool is_reserved_title(const stringx& title) { return title.indexof(stringx(reserved_mark)) >= 0; }

// A whole number of at most nine digits, blanks around it allowed.
bool read_number(const stringx& text, int& out) {
    const stringx t = text.trim();
    const int n = t.length();
    if (n == 0 || n > 9) return false;
    int value = 0;
    for (int i = 0; i < n; ++i) {
        const wchar_t c = t.wchar_at(i);
        if (c < L'0' || c > L'9') return false;
        value = value * 10 + (c - L'0');
    }
    out = value;
    return true;
}

// "h:m:s" on the date of day.
bool read_time(const stringx& text, const timex& day, timex& out) {
    const std::vector<stringx> parts = split_fields(text, L":");
    int h = 0, m = 0, s = 0;
    if (parts.size() != 3 || !read_number(parts[0], h) || !read_number(parts[1], m) ||
        !read_number(parts[2], s))
        return false;
    out = timex(day.get_year(), day.get_month(), day.get_day(), h, m, s);
    return out.get_time() != -1;
}

}  // namespace

bool timetable_text::read_servertime(const stringx& line, timex& out) {
    const stringx prefix(L"servertime=");
    if (!line.starts_with(prefix, false)) return false;
    const stringx digits = line.substring(prefix.length()).trim();
    if (digits.length() != 14) return false;
    int v[6] = {};
    const int widths[6] = {4, 2, 2, 2, 2, 2};
    for (int k = 0, at = 0; k < 6; at += widths[k], ++k)
        if (!read_number(digits.mid(at, widths[k]), v[k])) return false;
    const timex t(v[0], v[1], v[2], v[3], v[4], v[5]);
    if (t.get_time() == -1) return false;
    out = t;
    return true;
}

bool timetable_text::read_line(const stringx& line, const timex& day, timetable_record& out) {
    const std::vector<stringx> fields = split_fields(line);
    timetable_record r;
    if (fields.size() != 5 || !read_number(fields[0], r.id) || !read_time(fields[1], day, r.start) ||
        !read_time(fields[2], day, r.end) || !read_number(fields[3], r.chkey))
        return false;
    r.title = fields[4];
    out = r;
    return true;
}

DWORD channel_reservation::retry_pause_ms(int failures) {
    if (failures <= 0) return 0;
    return 2000u << std::min(failures - 1, 4);
}

channel_reservation::channel_reservation(reservation_environment& env) : env_(env) {}

void channel_reservation::log(const stringx& text) { env_.write_log(text.wvalue()); }

void channel_reservation::configure(const wchar_t* loginno, bool play, int seconds) {
    loginno_ = loginno ? loginno : L"";
    const long long ticks = play ? static_cast<long long>(seconds) * 5 : 0;
    refresh_ticks_ = refresh_countdown_ =
        static_cast<int>(std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, ticks)));
    stringx line;
    line.format(L"채널 예약 방송 설정 <= [ sec= %d]", refresh_countdown_);
    log(line);
}

void channel_reservation::on_login() { refresh(at_login); }

void channel_reservation::on_network_back() {
    // The pause after failed starts was the outage's: try again at once.
    start_failures_ = 0;
    refresh(network_back);
}

void channel_reservation::on_ui_closing() {
    refresh_ticks_ = -1;
    closing_ = true;
    if (refresh_why_) env_.abandon(reservation_environment::timetable_slot);
    if (pending_.kind != none) env_.abandon(reservation_environment::tracks_slot);
    refresh_why_ = 0;
    pending_ = pending_start();
}

void channel_reservation::tick() {
    take_replies();
    if (--refresh_countdown_ <= 0) {
        refresh_countdown_ = refresh_ticks_;
        refresh(by_timer);
    }
    check(by_timer);
}

void channel_reservation::refresh(int why) {
    if (refresh_ticks_ < 1) return;
    if (refresh_why_) {
        // One timetable request at a time; a login or the network's return
        // gives up the one still out (it went out before them).
        if (why == by_timer) return;
        env_.abandon(reservation_environment::timetable_slot);
        refresh_why_ = 0;
    }
    log(L"채널 예약 방송 정보 갱신");
    if (!env_.start_request(reservation_environment::timetable_slot,
                            timetable_request(env_.identity(), loginno_.wvalue()))) {
        read_timetable(service_reply());
        check(why);
        return;
    }
    refresh_why_ = why;
    refresh_since_ = env_.tick_count();
    take_timetable();
}

void channel_reservation::take_replies() {
    take_timetable();
    take_tracks();
}

void channel_reservation::take_timetable() {
    if (refresh_why_) {
        service_reply reply;
        bool there = env_.take_reply(reservation_environment::timetable_slot, reply);
        if (!there && env_.tick_count() - refresh_since_ >= request_bound_ms) {
            env_.abandon(reservation_environment::timetable_slot);
            there = true;  // read as unanswered
        }
        if (there) {
            const int why = refresh_why_;
            refresh_why_ = 0;
            read_timetable(reply);
            check(why);
        }
    }
}

void channel_reservation::take_tracks() {
    if (pending_.kind != none) {
        service_reply reply;
        bool there = env_.take_reply(reservation_environment::tracks_slot, reply);
        if (!there && env_.tick_count() - pending_.since >= request_bound_ms) {
            env_.abandon(reservation_environment::tracks_slot);
            there = true;
        }
        if (there) finish_start(reply);
    }
}

void channel_reservation::read_timetable(const service_reply& reply) {
    switch (reply.status()) {
        case reply_status::no_connection:
            log(L"채널 예약 방송 페이지, 서버 접속 실패");
            // Sooner than the period, but never on every tick.
            refresh_countdown_ = std::min(refresh_ticks_, std::max(refresh_ticks_ / 10, 5));
            return;
        case reply_status::login_expired:
            log(L"채널 예약 방송 페이지 데이터 수신 실패");
            return;
        case reply_status::failed:
            log(success_failure_line(L"rux_mytimetable_check.php"));
            return;
        case reply_status::success:
            break;
    }
    records_.clear();
    timex now = env_.service_now();
    const std::vector<stringx>& lines = reply.lines();
    for (size_t i = 1; i < lines.size(); ++i) {
        const stringx line = clean_line(lines[i]);
        if (line.length() == 0) continue;
        if (line.starts_with(stringx(L"servertime="), false)) {
            timex server;
            if (timetable_text::read_servertime(line, server)) {
                env_.set_service_clock(server);
                now = server;
                log(line.substring(11).trim() + stringx(L" --> 시간 갱신"));
            }
            continue;
        }
        timetable_record r;
        if (!timetable_text::read_line(line, now, r)) continue;
        if (r.end <= r.start || now >= r.end) {
            r.started = r.done = true;
        } else if (env_.current_channel_id() == r.chkey && now >= r.start) {
            r.started = true;  // the reserved channel plays already
        } else if (pending_.kind == reserved && pending_.id == r.id && pending_.chkey == r.chkey) {
            r.started = true;  // its start is on the way
        }
        stringx text;
        text.format(L"채널 예약 방송 정보 추가 <= [ start=%d, end= %d] - ", r.started ? 1 : 0,
                    r.done ? 1 : 0);
        log(text + r.title);
        records_.push_back(r);
    }
    if (records_.empty()) {
        log(L"채널 정보 [count=0] -> 강제 종료");
        if (current_.id > 0 && env_.music_playing()) env_.stop_music();
    }
}

bool channel_reservation::retry_due() const {
    return start_failures_ == 0 || env_.tick_count() - last_failure_ >= retry_pause_ms(start_failures_);
}

void channel_reservation::check(int why) {
    if (records_.empty() || refresh_ticks_ <= 0) return;
    ++checks_[why];
    const timex now = env_.service_now();
    for (timetable_record& r : records_) {
        if (r.done) continue;
        if (r.started && now >= r.end) {
            end_reservation(r);
            continue;
        }
        if (r.started || now < r.start) continue;
        if (pending_.kind == reserved) {
            // One start at a time; this one's is on the way already.
            if (pending_.id == r.id && pending_.chkey == r.chkey) r.started = true;
            continue;
        }
        if (!retry_due()) continue;
        if (pending_.kind == home) {
            // A reservation comes before the way back to the store's channel.
            env_.abandon(reservation_environment::tracks_slot);
            pending_ = pending_start();
        }
        log(r.title + stringx(L" -> 채널 스케쥴 시작"));
        start_reservation(r, why);
    }
}

void channel_reservation::end_reservation(timetable_record& r) {
    log(r.title + stringx(L" -> 채널 스케쥴 종료"));
    r.done = true;
    const bool on_air =
        (current_.id == r.id && current_.chkey == r.chkey) || env_.current_channel_id() == r.chkey;
    if (pending_.kind == reserved && pending_.id == r.id && pending_.chkey == r.chkey) {
        env_.abandon(reservation_environment::tracks_slot);
        pending_ = pending_start();
    }
    if (env_.music_playing()) env_.stop_music();
    report(false, 0, r);
    if (!on_air) return;
    current_ = timetable_record();
    go_home();
}

void channel_reservation::start_reservation(timetable_record& record, int why) {
    record.started = true;
    if (current_.id == record.id && current_.chkey == record.chkey) return;
    if (closing_) return;
    if (!env_.start_request(reservation_environment::tracks_slot,
                            env_.tracks_request(record.chkey, record.title))) {
        record.started = false;
        ++start_failures_;
        last_failure_ = env_.tick_count();
        return;
    }
    pending_.kind = reserved;
    pending_.id = record.id;
    pending_.chkey = record.chkey;
    pending_.title = record.title;
    pending_.list_title = record.title;
    pending_.why = why;
    pending_.since = env_.tick_count();
}

void channel_reservation::finish_start(const service_reply& reply) {
    const pending_start p = pending_;
    pending_ = pending_start();
    std::vector<track_record> tracks;
    const bool ok = env_.take_tracks_reply(p.chkey, reply, tracks);
    if (p.kind == home) {
        if (!ok) {
            log(p.title + stringx(L" -> 매장 채널 복귀 실패"));
            return;
        }
        if (current_.id == 0 && !closing_) env_.play_channel(p.chkey, p.title, p.list_title, tracks);
        return;
    }
    timetable_record* r = find(p.id, p.chkey);
    if (!ok) {
        if (r && !r->done) r->started = false;  // tried again after a pause
        ++start_failures_;
        last_failure_ = env_.tick_count();
        return;
    }
    start_failures_ = 0;
    if (!r || r->done || closing_) return;
    if (env_.service_now() >= r->end) {
        r->done = true;  // its tracks came after its end: it never plays
        return;
    }
    if (current_.id == 0) {
        // The channel playing now is where the music goes back to.
        const int playing = env_.current_channel_id();
        const stringx title = env_.current_channel_title();
        if (playing != 0 && playing != r->chkey && !is_reserved_title(title)) {
            home_chkey_ = playing;
            home_title_ = title;
            home_list_ = env_.list_title();
        }
    }
    current_ = *r;
    env_.play_channel(r->chkey, r->title, r->title, tracks);
    report(true, p.why, *r);
}

void channel_reservation::go_home() {
    if (closing_ || pending_.kind != none) return;
    int chkey = home_chkey_;
    stringx title = home_title_, list = home_list_;
    if (chkey == 0 && !env_.home_channel(chkey, title, list)) return;
    if (chkey == 0) return;
    if (!env_.start_request(reservation_environment::tracks_slot, env_.tracks_request(chkey, title))) return;
    pending_.kind = home;
    pending_.id = 0;
    pending_.chkey = chkey;
    pending_.title = title;
    pending_.list_title = list;
    pending_.why = 0;
    pending_.since = env_.tick_count();
}

void channel_reservation::report(bool start, int control_value, const timetable_record& record) {
    env_.send_report(schedule_play_request(env_.identity().store, start, control_value, record.chkey,
                                           record.title.wvalue(), loginno_.wvalue()));
}

timetable_record* channel_reservation::find(int id, int chkey) {
    for (timetable_record& r : records_)
        if (r.id == id && r.chkey == chkey) return &r;
    return nullptr;
}

void channel_reservation::on_channel_changed(const wchar_t* title) {
    if (!title || !*title) {
        current_ = timetable_record();
        return;
    }
    const int id = env_.current_channel_id();
    const stringx channel_title = env_.current_channel_title();
    if (!is_reserved_title(channel_title)) {
        current_ = timetable_record();
        current_.chkey = id;
        current_.title = channel_title;
        if (id != 0) {
            home_chkey_ = id;
            home_title_ = channel_title;
            home_list_ = env_.list_title();
        }
        return;
    }
    if (id == 0) return;
    const timex now = env_.service_now();
    for (const timetable_record& r : records_) {
        if (r.chkey == id && r.start <= now && now <= r.end) {
            current_ = r;
            return;
        }
    }
}
