#pragma once
// log_service: the client's three daily text logs (general, announcement,
// played tracks). Any code of any library, on any thread, hands it a line;
// the line is stamped with the client's time (timex), converted to the ANSI
// code page and queued, and a 500 ms timer on the user-interface thread
// appends the queued lines to the log files of the logged-in user.
//
// Ownership: a singleton of zel_ui. Callers take index 0 of the GUID from
// the registry each time they log and never release it (release does
// nothing).
#include "component.h"

class log_service : public component {
public:
    static constexpr GUID iid = {0xEB57FE32, 0x25CC, 0x4B67, {0xA8, 0xDE, 0x07, 0x16, 0xF2, 0xE4, 0x30, 0xF9}};

    // Slot 2: a line of the general log "LOG_<date>.txt".
    virtual void write_log(const wchar_t* text) = 0;
    // Slot 3: a line of the announcement log "ANNELOG_<date>.txt".
    virtual void write_anne_log(const wchar_t* text) = 0;
    // Slot 4: a record of the played-tracks log, only while the login allows
    // it; nothing otherwise.
    virtual void write_played_log(const wchar_t* text) = 0;
    // Slot 5: does nothing.
    virtual void reserved() = 0;
};
