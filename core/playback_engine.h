#pragma once
// playback_engine: plays one track at a time for a player. Per-use: a player
// makes a new engine with core::enum_create_component, hands it an entry and
// itself as owner, and steers it. Each play starts a new playback thread that
// opens, decodes and writes the track; the engine forwards the player's
// commands to its current thread.
//
// An engine never stops a thread by going away: a thread it leaves behind
// (because it started a newer one, or because it was released) plays its
// track to its end and is deleted by zel_core's reaper once it has ended.
// A thread that is no longer its engine's current one (left behind by a
// newer play, or by the engine's release) forgets the engine: it never
// starts a next track, on this thread or on a new one.
// zel_core stops the left-behind threads at init_quit::on_quit (2000 ms
// each, then they are terminated); threads of engines that still exist are
// stopped by their players.
//
// Threading: every operation may be called from the user-interface thread or
// from a playback thread (a crossfade starts the next track on the engine);
// the engine's lock serialises them. Failures of stream, input or output
// happen later on the thread and reach the owner's engine_listener objects as
// on_error followed by on_finish.
#include "audio_format.h"
#include "component.h"
#include "zel_export.h"

class list_info;
class play_manager;

class playback_engine : public component {
public:
    static constexpr GUID iid = {0x7997B2E7, 0x97B5, 0x406F, {0x89, 0xBB, 0x56, 0x1D, 0xAB, 0x4F, 0x86, 0xA7}};

    // Leaves the current thread (if any) playing, and starts a new one for a
    // copy of entry. False only when no thread could be made.
    virtual bool play(list_info* entry, play_manager* owner) = 0;
    // 0 stop now, 1 let the output play out, 2 stop for a skip to another
    // entry (other values act like 2 and reach the listeners as given).
    virtual void stop(int mode) = 0;
    // Toggles pause; the thread applies it on its next pass.
    virtual void pause() = 0;
    virtual bool is_paused() = 0;
    virtual bool is_playing() = 0;
    // Seconds; the position the thread last published, 0.0 without a thread.
    virtual double position() = 0;
    // The thread seeks on its next pass; on a seekable stream position()
    // shows the target at once.
    virtual void seek(double seconds) = 0;
    virtual bool is_seekable() = 0;
    // 0..1000, not range-checked here. volume() is 1000 without a thread.
    virtual void set_volume(int volume) = 0;
    virtual int volume() = 0;
    virtual void set_mute(bool mute) = 0;
    // The current thread's format record (with length and bit rate), valid
    // while that thread lives; null without a thread.
    virtual audio_format* info() = 0;
    virtual ~playback_engine() {}
};

// Diagnostics: the number of threads on the list of left-behind threads.
ZEL_CORE_API int playback_engine_left_behind_count();
