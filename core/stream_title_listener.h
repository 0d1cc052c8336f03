#pragma once
// stream_title_listener: told by the network streams (HTTP/ICY radio, MMS)
// what they are playing and how their buffer fills. Every registered object
// is told; a stream gathers them all when it opens and keeps them until it
// closes. The user interface registers one singleton (its release does
// nothing); the streams never create one for themselves.
//
// Threads: the calls come on the stream's receive thread, on its rebuffer
// thread or on the thread that opens the stream (the playback thread). An
// implementation must return at once and must not block those threads.
#include <cstdint>
#include "component.h"

class info_list;

class stream_title_listener : public component {
public:
    static constexpr GUID iid = {0x56CA3430, 0x7636, 0x477F, {0x8E, 0x7F, 0x4A, 0x4F, 0xD8, 0x63, 0xF4, 0x33}};

    // station true: the name of the station (or a status text of the MMS
    // stream), position 0. station false: a title (or stream URL) carried in
    // the stream; position is the count of audio bytes received when it
    // arrived. The text is valid only during the call. The result is unused.
    virtual bool on_title(bool station, const wchar_t* text, int64_t position) = 0;
    // state 0: buffering begins (percent 0); 1: progress (0 to 100);
    // 2: buffering ended (percent 0).
    virtual void on_buffering(int state, int percent) = 0;
    // The stream's information list changed; valid only during the call.
    virtual void on_info(info_list* info) = 0;
};
