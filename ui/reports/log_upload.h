#pragma once
// The upload of the played-tracks logs: the main window's 1-second timer 17
// calls log_upload::check, which about every 16 ticks looks whether an
// upload is due and hands one finished log file of the logged-in user to a
// worker thread (upload_log_file), which posts its whole text to
// rux_log_check.php and deletes the file when the service confirms it.
//
// Uploads are held from 08:00 to 11:59 local time; today's file (still being
// written) is never sent; one file goes per check, the next check 20
// minutes later, or an hour later when there was nothing to send. Times are
// tick counts compared by their difference, so the tick count's wrap after
// 49.7 days does not stop the uploads.
//
// The clock, the timer, the folders and the thread are reached through
// log_upload_env, so that tests can stand in for them.
#include <windows.h>

#include "stringx.h"

// What the worker thread needs; it owns and frees the object.
struct upload_args {
    stringx host;  // the service's request host
    stringx storetop, storemother, storecode, storeid;
    stringx usermac, pc_ostime, pc_pgtime, hddidx;
    stringx path;  // the log file's full path
    HWND window = nullptr;
};

class upload_log_sink {
public:
    virtual ~upload_log_sink() = default;
    virtual void write_log(const wchar_t* line) = 0;
};

// The worker's work: reads the file, posts its text (ANSI, then
// "[DATA_END]") with the store and PC fields to args.host, and deletes the
// file when the reply holds "Result=Success" anywhere; otherwise the file
// stays for a later check. Nothing is posted for a file that does not open.
void upload_log_file(const upload_args& args, upload_log_sink& log);

class log_upload_env : public upload_log_sink {
public:
    explicit log_upload_env(HWND window = nullptr) : window_(window) {}
    virtual unsigned tick_count();
    virtual SYSTEMTIME local_time();
    virtual int random();
    // The option listenlog.
    virtual bool listenlog();
    virtual bool logged_in();
    // "<application data>\log_played_info\<user id>".
    virtual stringx played_log_folder();
    // Today's file name, "PLAYED_INFO_LOG_%04d-%02d-%02d.txt" (the service's
    // date).
    virtual stringx today_file_name();
    void write_log(const wchar_t* line) override;
    // Timer 17 of the main window at 1000 ms; its id.
    virtual UINT_PTR set_timer();
    virtual void kill_timer(UINT_PTR id);
    // The arguments for the file (service host, store, PC identity).
    virtual upload_args* make_args(const stringx& path);
    // Starts the worker (suspended, then resumed) with args, which it then
    // owns; false when it cannot be created or resumed, or while the
    // previous worker still runs (args is then freed). The worker holds a
    // reference to this library until it has returned, so that unloading
    // the library under it cannot pull its code away.
    virtual bool start_worker(upload_args* args);
    // Waits up to ms for the last worker to end; true when none runs.
    virtual bool wait_for_worker(DWORD ms);
    virtual void pause(DWORD ms);
    ~log_upload_env() override;

protected:
    HWND window_;

private:
    HANDLE worker_ = nullptr;
};

class log_upload {
public:
    explicit log_upload(log_upload_env& env) : env_(env) {}

    // When the main window opens: the timer starts and the first check is
    // due 20 to 60 seconds later.
    void start();
    // WM_TIMER of the main window.
    void check(UINT_PTR timer_id);
    // When the main window ends: the timer stops and a running upload is
    // waited for, at most worker_stop_wait_ms (its post gives up after 30 s;
    // the player does not wait that long to close).
    void stop();
    static constexpr DWORD worker_stop_wait_ms = 5000;

    unsigned next_check() const { return next_check_; }
    UINT_PTR timer_id() const { return timer_id_; }

private:
    // Looks for a file to upload; the time of the next check.
    unsigned search_and_upload();

    log_upload_env& env_;
    UINT_PTR timer_id_ = 0;
    unsigned next_check_ = 0;
    int tick_count_ = 1;
    bool busy_ = false;
};
