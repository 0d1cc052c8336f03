#pragma once
// player_reports: what the main window reports to the service about the
// player: a volume (kind 1) or mute (kind 2) change, the stop of the music
// and the exit of the player; and the played-tracks upload check of its
// one-second timer. service_player_reports posts the stop and the exit (a
// failed post is only logged); tests put a recorder in its place.
class main_window_host;

class player_reports {
public:
    virtual ~player_reports() = default;
    virtual void report_state(int kind) = 0;
    virtual void report_play_stop() = 0;
    virtual void report_exit() = 0;
    virtual void upload_tick() = 0;
};

// The stop and exit reports as "rux/rux_player_state.php" requests of the
// logged-in store, to the request host; failures go to the announcement log
// through the host. The state reports and the upload are not sent here.
class service_player_reports : public player_reports {
public:
    explicit service_player_reports(main_window_host& host) : host_(host) {}
    void report_state(int) override {}
    void report_play_stop() override;
    void report_exit() override;
    void upload_tick() override {}

private:
    void post(const wchar_t* state);
    main_window_host& host_;
};
