#pragma once
// log_writer: the implementation of log_service. Writers queue stamped ANSI
// lines under the lock; the 500 ms timer (user-interface thread) writes them
// to the open log files of the logged-in user and starts new files when the
// date changes.
//
// Folders below the application-data folder, one per user:
//   log\<user>\LOG_<y>-<mm>-<dd>.txt
//   log_anne\<user>\ANNELOG_<y>-<mm>-<dd>.txt
//   log_played_info\<user>\PLAYED_INFO_LOG_<yyyy>-<mm>-<dd>.txt
// The files are opened for appending, so lines of an earlier run of the same
// day stay. A login of another user opens that user's files at once, also on
// the same day. Lines queued before any login wait in memory (at most
// max_queued per log; the oldest go first) until the files open.
#include <cstdio>
#include <deque>
#include <string>
#include "critsec.h"
#include "log_service.h"
#include "timer.h"
#include "timex.h"

class log_writer : public singleton_component<log_service>, public timer {
public:
    static constexpr size_t max_queued = 20000;

    log_writer();
    ~log_writer() override;
    log_writer(const log_writer&) = delete;
    log_writer& operator=(const log_writer&) = delete;

    void write_log(const wchar_t* text) override;
    void write_anne_log(const wchar_t* text) override;
    void write_played_log(const wchar_t* text) override;
    void reserved() override {}

    // User-interface thread. Makes the user's folders, opens today's files
    // when the day or the user changed, (re)starts the 500 ms timer and logs
    // where the played-tracks log goes.
    void open_logs(const wchar_t* user);
    // The timer's work: writes and flushes the queued lines of every log
    // whose file is open, then starts new files when the date changed.
    void flush();
    // The played-tracks switch (the login reply's "listenlog").
    void set_played_info(bool on);
    bool played_info() const { return played_on_; }
    // The folder below which the log folders are made; empty (the default):
    // the application-data folder.
    void set_base_folder(const wchar_t* folder);
    // The user whose files the next open_logs opens (told by the settings
    // store when a login switches the user).
    void set_current_user(const wchar_t* user);
    std::wstring current_user();

    enum log_kind { general_log = 0, anne_log = 1, played_log = 2, log_count = 3 };
    // The full path of the open file of a log; empty when it is closed.
    std::wstring open_file(log_kind kind) const { return files_[kind] ? paths_[kind] : std::wstring(); }

protected:
    void tick() override { flush(); }

private:
    void queue_line(log_kind kind, const wchar_t* text, bool played_format);
    void open_files(const timex& now);
    void open_one(log_kind kind, const timex& now);
    void close_files();

    critsec lock_;  // the queues, the switch and the current user
    std::deque<std::string> queues_[log_count];
    std::wstring folders_[log_count];
    std::wstring paths_[log_count];
    FILE* files_[log_count] = {nullptr, nullptr, nullptr};
    std::wstring open_user_;  // the user whose files are open
    std::wstring user_;
    std::wstring base_folder_;
    int day_ = 0;
    bool played_on_ = false;
};
