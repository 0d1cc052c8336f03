#pragma once
// The ducker's volumes and fades, without timers: the owner calls step every
// 100 ms while fading() is true. Volumes are in percent (a session's master
// volume x 100).
//
// One fade runs at a time. A duck while a fade runs ends that fade; the
// volumes saved by the first duck stay the ones to come back to, so ducks and
// restores that overlap still end with every program at its level from
// before the first duck. Only a fade-up that reaches its end forgets them.
#include <map>
#include <string>

#include "ducker_sessions.h"

class ducker_fades {
public:
    // own_pid and own_exe: the sessions that are never touched (this player,
    // and every other instance of the same program).
    ducker_fades(audio_session_source& source, tick_clock& clock, DWORD own_pid, std::wstring own_exe);

    // device_name: the friendly name of the player's endpoint, null for the
    // default one.
    void duck(unsigned time, int volume, const wchar_t* device_name);
    void restore(unsigned time, const wchar_t* device_name);
    // One step of the running fade; ends it when it is done.
    void step();
    bool fading() const { return kind_ != fade_kind::none; }
    // Puts every saved volume back at once and ends any fade; the saved
    // volumes are kept.
    void quit(const wchar_t* device_name);

    const std::map<DWORD, double>& saved() const { return saved_; }

private:
    enum class fade_kind { none, down, up };

    std::map<DWORD, audio_session_ptr> collect(const wchar_t* device_name, bool saved_only);
    void step_down(unsigned now);
    void step_up(unsigned now);
    // The fade goes on (this step's time becomes the last) while a session
    // is not yet where it goes and the time is not over; else it ends.
    // True when it goes on.
    bool go_on_or_end(bool unfinished, unsigned now, unsigned since_start);
    void end_fade();

    audio_session_source& source_;
    tick_clock& clock_;
    DWORD own_pid_;
    std::wstring own_exe_;

    std::map<DWORD, double> saved_;
    fade_kind kind_ = fade_kind::none;
    std::map<DWORD, audio_session_ptr> sessions_;
    unsigned duration_ = 0;
    unsigned start_ = 0;
    unsigned last_step_ = 0;
    double target_ = 0;
};

// A session's volume in percent; 0 when it cannot be read.
double session_percent(audio_session& session);
void set_session_percent(audio_session& session, double percent);
