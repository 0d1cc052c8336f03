// The main window's reports, sent as the player's reports with the window's
// host taking the failure lines.
#include "window_reports.h"

#include "log_upload.h"
#include "main_window_host.h"
#include "player_reports.h"

namespace {
class host_report_env : public report_env {
public:
    explicit host_report_env(main_window_host& host) : host_(host) {}
    // The window has stopped its players already.
    void stop_players() override {}
    void write_anne_log(const wchar_t* line) override { host_.write_anne_log(line); }

private:
    main_window_host& host_;
};
}  // namespace

void service_player_reports::report_state(int kind) {
    host_report_env env(host_);
    ::report_player_state(kind, env);
}

void service_player_reports::report_play_stop() {
    host_report_env env(host_);
    ::report_play_stop(env);
}

void service_player_reports::report_exit() {
    host_report_env env(host_);
    ::report_player_exit(env);
}

service_player_reports::service_player_reports(main_window_host& host) : host_(host) {}

service_player_reports::~service_player_reports() = default;

void service_player_reports::upload_start(HWND main) {
    upload_env_.reset(new log_upload_env(main));
    upload_.reset(new log_upload(*upload_env_));
    upload_->start();
}

void service_player_reports::upload_tick() {
    if (upload_) upload_->check(upload_->timer_id());
}

void service_player_reports::upload_stop() {
    if (upload_) upload_->stop();
    upload_.reset();
    upload_env_.reset();
}
