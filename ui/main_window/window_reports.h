#pragma once
// window_reports: what the main window reports to the service about the
// player: a volume (kind 1) or mute (kind 2) change, the stop of the music
// and the exit of the player; and the played-tracks upload check of its
// one-second timer. service_player_reports sends them through the player's
// reports (player_reports.h), failures logged through the window's host, and
// checks the upload with log_upload; tests put a recorder in its place.
#include <windows.h>

#include <memory>

class main_window_host;
class log_upload;
class log_upload_env;

class window_reports {
public:
    virtual ~window_reports() = default;
    virtual void report_state(int kind) = 0;
    virtual void report_play_stop() = 0;
    virtual void report_exit() = 0;
    // The main window opens (its timer 17 runs), ticks, and ends.
    virtual void upload_start(HWND /*main*/) {}
    virtual void upload_tick() = 0;
    virtual void upload_stop() {}
};

// The state, stop and exit reports of the logged-in store. The window stops
// its players itself before it reports the stop. The played-tracks upload
// runs on the main window's timer.
class service_player_reports : public window_reports {
public:
    explicit service_player_reports(main_window_host& host);
    ~service_player_reports() override;
    void report_state(int kind) override;
    void report_play_stop() override;
    void report_exit() override;
    void upload_start(HWND main) override;
    void upload_tick() override;
    void upload_stop() override;

private:
    main_window_host& host_;
    std::unique_ptr<log_upload_env> upload_env_;
    std::unique_ptr<log_upload> upload_;
};
