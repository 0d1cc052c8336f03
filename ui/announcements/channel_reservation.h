#pragma once
// channel_reservation: the store's reserved channels (titles with
// "[스케쥴]"). It fetches the day's timetable from the service
// (rux_mytimetable_check.php) at login and then every period the login sets,
// switches the music player to a reserved channel when its start comes,
// stops it when its end passes and goes back to the store's own channel, and
// reports each start ("schedule_play", with the reason of the start) and
// stop ("schedule_play_stop") to the service. The network watchdog calls
// on_network_back when the network returns: one refresh, then one check.
//
// No request blocks the user-interface thread: the timetable and a channel's
// tracks are asked for on workers (reservation_environment), each given up
// after request_bound_ms. A failed timetable is asked for again after a
// tenth of the period (at least a second); a failed channel start after a
// pause that grows from 2 s to 32 s, or at once when the network returns.
//
// This class is the logic over a reservation_environment; the player's
// object (player_reservation.h) adds the 200 ms timer, the login listener,
// the channel listener and the watchdog. User-interface thread only.
#include <vector>

#include "reservation_environment.h"
#include "stringx.h"
#include "timex.h"

// One reserved channel of today's timetable.
struct timetable_record {
    int id = 0;
    timex start{0L};  // today's date of the service clock at the reply's time of day
    timex end{0L};
    int chkey = 0;
    stringx title;
    bool started = false;  // started, or to be treated as started
    bool done = false;     // over, or never to start
};

class channel_reservation {
public:
    // Why a channel started, sent as its "control_value".
    enum reason { at_login = 1, by_timer = 2, network_back = 3 };
    // A request without a reply by then is given up as unanswered.
    static const DWORD request_bound_ms = 15000;
    // The pause before a failed channel start is tried again: 2 s, doubling
    // with every failure in a row up to 32 s.
    static DWORD retry_pause_ms(int failures);

    explicit channel_reservation(reservation_environment& env);

    // From the login reply: the login number ("logininfo", sent with every
    // request), whether reservations play ("musicschedule_play") and the
    // refresh period in seconds ("musicschedule_time").
    void configure(const wchar_t* loginno, bool play, int seconds);
    // After a login: the timetable is asked for; its reply is checked with
    // reason at_login. The caller then starts the ticks.
    void on_login();
    // The 200 ms tick: replies taken, the refresh when its countdown runs
    // out, the check.
    void tick();
    // The network came back: the timetable is asked for again at once (a
    // request still out from before is given up) and its reply is checked
    // with reason network_back.
    void on_network_back();
    // The channel now playing changed (empty: none). A channel of a
    // reservation on air becomes the current reservation; any other is the
    // store's channel, where the music goes back to after a reservation.
    void on_channel_changed(const wchar_t* title);
    // The main window is going: no reservation starts any more.
    void on_ui_closing();

    const std::vector<timetable_record>& records() const { return records_; }
    // The reservation on air (id 0: none; then chkey and title name the
    // channel now playing, when known).
    const timetable_record& current() const { return current_; }
    int refresh_ticks() const { return refresh_ticks_; }
    int refresh_countdown() const { return refresh_countdown_; }
    bool closing() const { return closing_; }
    // How many checks ran for a reason (1 to 3).
    int checks(int why) const { return why >= 1 && why <= 3 ? checks_[why] : 0; }

private:
    enum start_kind { none, reserved, home };
    struct pending_start {
        start_kind kind = none;
        int id = 0;
        int chkey = 0;
        stringx title;
        stringx list_title;
        int why = 0;
        DWORD since = 0;
    };

    void refresh(int why);
    void take_replies();
    void take_timetable();
    void take_tracks();
    void read_timetable(const service_reply& reply);
    void check(int why);
    void start_reservation(timetable_record& record, int why);
    void finish_start(const service_reply& reply);
    void end_reservation(timetable_record& record);
    void go_home();
    void report(bool start, int control_value, const timetable_record& record);
    timetable_record* find(int id, int chkey);
    bool retry_due() const;
    void log(const stringx& text);

    reservation_environment& env_;
    int refresh_ticks_ = -1;
    int refresh_countdown_ = -1;
    stringx loginno_;
    std::vector<timetable_record> records_;
    timetable_record current_;
    bool closing_ = false;
    // The timetable request out (0: none), the reason of its check, and when
    // it left.
    int refresh_why_ = 0;
    DWORD refresh_since_ = 0;
    pending_start pending_;
    int start_failures_ = 0;
    DWORD last_failure_ = 0;
    // The store's channel, where the music goes back to after a
    // reservation (chkey 0: not known yet).
    int home_chkey_ = 0;
    stringx home_title_;
    stringx home_list_;
    int checks_[4] = {0, 0, 0, 0};
};

// The timetable's lines, read the service's way.
namespace timetable_text {
// "servertime=YYYYMMDDhhmmss": true with the local time it names when the
// text after the prefix, trimmed, is exactly 14 digits; false for any other
// line.
bool read_servertime(const stringx& line, timex& out);
// "id^h:m:s^h:m:s^chkey^title": exactly five fields, the times of exactly
// three numbers each, id and chkey numbers; start and end on the date of
// day. False for any other line.
bool read_line(const stringx& line, const timex& day, timetable_record& out);
}  // namespace timetable_text
