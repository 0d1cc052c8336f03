#pragma once
// window_reports: what the main window reports to the service about the
// player: a volume (kind 1) or mute (kind 2) change, the stop of the music
// and the exit of the player; and the played-tracks upload check of its
// one-second timer. service_player_reports sends them through the player's
// reports (player_reports.h), failures logged through the window's host;
// tests put a recorder in its place.
class main_window_host;

class window_reports {
public:
    virtual ~window_reports() = default;
    virtual void report_state(int kind) = 0;
    virtual void report_play_stop() = 0;
    virtual void report_exit() = 0;
    virtual void upload_tick() = 0;
};

// The state, stop and exit reports of the logged-in store. The window stops
// its players itself before it reports the stop. The upload is not checked
// here.
class service_player_reports : public window_reports {
public:
    explicit service_player_reports(main_window_host& host) : host_(host) {}
    void report_state(int kind) override;
    void report_play_stop() override;
    void report_exit() override;
    void upload_tick() override {}

private:
    main_window_host& host_;
};
