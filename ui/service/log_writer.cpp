#include "log_writer.h"
#include <cstdlib>
#include <cwchar>
#include "core.h"
#include "utf.h"
#include "utility.h"

namespace {
const wchar_t* const k_folder_names[] = {L"\\log", L"\\log_anne", L"\\log_played_info"};

std::wstring date_name(log_writer::log_kind kind, const timex& now) {
    wchar_t name[64];
    const int y = now.get_year(), m = now.get_month(), d = now.get_day();
    switch (kind) {
    case log_writer::general_log: _snwprintf(name, 63, L"\\LOG_%d-%02d-%02d.txt", y, m, d); break;
    case log_writer::anne_log: _snwprintf(name, 63, L"\\ANNELOG_%d-%02d-%02d.txt", y, m, d); break;
    default: _snwprintf(name, 63, L"\\PLAYED_INFO_LOG_%04d-%02d-%02d.txt", y, m, d); break;
    }
    name[63] = 0;
    return name;
}
}  // namespace

log_writer::log_writer() = default;

log_writer::~log_writer() {
    kill();
    flush();
    close_files();
}

void log_writer::write_log(const wchar_t* text) { queue_line(general_log, text, false); }

void log_writer::write_anne_log(const wchar_t* text) { queue_line(anne_log, text, false); }

void log_writer::write_played_log(const wchar_t* text) {
    {
        auto_sync guard(lock_);
        if (!played_on_) return;
    }
    queue_line(played_log, text, true);
}

void log_writer::queue_line(log_kind kind, const wchar_t* text, bool played_format) {
    const timex now;
    int y = 0, mo = 0, d = 0, wd = 0, h = 0, mi = 0, s = 0;
    now.get_date(y, mo, d, wd, h, mi, s);
    wchar_t stamp[64];
    if (played_format)
        _snwprintf(stamp, 63, L"%d-%02d-%02d %02d:%02d:%02d^", y, mo, d, h, mi, s);
    else
        _snwprintf(stamp, 63, L"[%d-%02d-%02d %02d:%02d:%02d] ", y, mo, d, h, mi, s);
    stamp[63] = 0;
    std::wstring line = stamp;
    line += text ? text : L"";
    line += played_format ? L"|||" : L"\r\n";

    auto_sync guard(lock_);
    const stringx ansi = utf::utf16_to_ansi(line.c_str());
    std::deque<std::string>& q = queues_[kind];
    if (q.size() >= max_queued) q.pop_front();
    q.emplace_back(ansi.value(), static_cast<size_t>(ansi.length()));
}

void log_writer::set_base_folder(const wchar_t* folder) { base_folder_ = folder ? folder : L""; }

void log_writer::set_current_user(const wchar_t* user) {
    auto_sync guard(lock_);
    user_ = user ? user : L"";
}

std::wstring log_writer::current_user() {
    auto_sync guard(lock_);
    return user_;
}

void log_writer::set_played_info(bool on) {
    {
        auto_sync guard(lock_);
        played_on_ = on;
    }
    // Switched on after the day's files were opened: the record goes into
    // today's file at once rather than waiting for the next day.
    if (on && day_ != 0 && !files_[played_log]) open_one(played_log, timex());
}

void log_writer::open_logs(const wchar_t* user) {
    std::wstring base = base_folder_;
    if (base.empty()) {
        wchar_t* appdata = core::get_appdata_path();
        if (appdata) base = appdata;
        free(appdata);
    }
    const std::wstring name = user ? user : L"";
    for (int k = 0; k < log_count; ++k) {
        std::wstring folder = base + k_folder_names[k];
        utility::check_directory(folder.c_str());
        folder += L"\\" + name;
        utility::check_directory(folder.c_str());
        folders_[k] = folder;
    }
    const timex now;
    // A new day, or another user than the one whose files are open: that
    // user's lines belong in that user's own files.
    if (now.get_day() != day_ || name != open_user_) {
        open_files(now);
        open_user_ = name;
    }
    set(500);
    std::wstring line = folders_[played_log] + L" -> 위치에 청취 로그 생성 - 기록 준비[id=" + name + L"]";
    write_log(line.c_str());
}

void log_writer::open_files(const timex& now) {
    close_files();
    day_ = now.get_day();
    open_one(general_log, now);
    open_one(anne_log, now);
    bool played;
    {
        auto_sync guard(lock_);
        played = played_on_;
    }
    if (played) open_one(played_log, now);
}

void log_writer::open_one(log_kind kind, const timex& now) {
    if (folders_[kind].empty()) return;
    paths_[kind] = folders_[kind] + date_name(kind, now);
    files_[kind] = _wfopen(paths_[kind].c_str(), L"ab");
}

void log_writer::close_files() {
    for (FILE*& f : files_) {
        if (f) fclose(f);
        f = nullptr;
    }
}

void log_writer::flush() {
    {
        auto_sync guard(lock_);
        for (int k = 0; k < log_count; ++k) {
            FILE* f = files_[k];
            std::deque<std::string>& q = queues_[k];
            while (f && !q.empty()) {
                fwrite(q.front().data(), 1, q.front().size(), f);
                fflush(f);
                q.pop_front();
            }
        }
    }
    if (day_ == 0) return;  // no files yet: nothing rolls over
    const timex now;
    if (now.get_day() != day_) open_files(now);
}
