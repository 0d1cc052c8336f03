#pragma once
// engine_listener: what a playback thread tells about its track. Any library
// registers listener objects under this GUID; every registered object is
// told (release does nothing).
//
// Selection: when a playback thread starts it enumerates the listeners once
// and keeps those whose player() is the thread's owner (pointer comparison);
// listeners registered later are not told. Events go to the kept listeners in
// registry order.
//
// Threading: every event is raised on the playback thread itself, and a
// listener must not block it (post a message and return). During a crossfade
// two threads of one player raise events at the same time; the thread
// argument tells them apart. It is an opaque handle: compare it, never call
// through it.
//
// Arguments: `entry` is the thread's own copy of the entry it plays, valid
// during the call. The audio format record of on_format and on_position is
// the whole record (on_position carries the entry's length as known so far);
// the record of on_audio and on_paced_audio describes the bytes by its first
// five integers only (length and bit rate are 0). Bytes are valid during the
// call.
#include "audio_format.h"
#include "component.h"

class list_info;
class play_manager;
class playback_thread;

class engine_listener : public component {
public:
    static constexpr GUID iid = {0x5590E344, 0xDFB5, 0x4629, {0x9C, 0xA0, 0x52, 0xAB, 0x9D, 0xE3, 0xBC, 0xE0}};

    // The player whose tracks this listener wants.
    virtual play_manager* player() = 0;
    // At the start of each entry, continued false for the thread's first
    // entry and true for the entries it goes on with without a gap; on_format
    // follows at once.
    virtual void on_start(playback_thread* thread, list_info* entry, bool continued) = 0;
    // The thread's last event. stop_mode: 1 after a natural end or a
    // crossfade hand-over, else the mode given to stop (0 stop now, 2 skip).
    virtual void on_finish(playback_thread* thread, list_info* entry, int stop_mode) = 0;
    // After the player was asked for the next entry; next may be null.
    virtual void on_next(playback_thread* thread, list_info* entry, list_info* next) = 0;
    // Just before the player is asked for the next entry.
    virtual void on_track_ending(list_info* entry) = 0;
    // After the input and the output were moved to the target.
    virtual void on_seek(playback_thread* thread, double target) = 0;
    virtual void on_pause(playback_thread* thread, bool paused) = 0;
    // code 0: no stream accepted the path; 1: no input accepted the stream
    // (or it gave a format that cannot be played); 2: no output, or the
    // output refused a block (path null). on_finish always follows.
    virtual void on_error(playback_thread* thread, int code, const wchar_t* path) = 0;
    virtual void on_format(playback_thread* thread, const audio_format* format) = 0;
    virtual void on_position(playback_thread* thread, const audio_format* format, double position) = 0;
    // The samples as played, for level and spectrum displays, about every
    // visual interval; only while visualisation is enabled.
    virtual void on_audio(playback_thread* thread, const audio_format* format, const void* bytes,
                          int count) = 0;
    // The samples as played, paced by the played time (about every 0.1 s),
    // scaled by the volume.
    virtual void on_paced_audio(playback_thread* thread, const audio_format* format, const void* bytes,
                                int count) = 0;
};
