#pragma once
// The engine tests' rig: the program folder holds zel_core, zel_output (the
// capture output), the synth media library and the recording listeners. A
// rig loads them (once per process), resets the capture and the playback
// settings, and offers a player whose advance hands out scripted entries.
//
// Each test runs in a process of its own (ctest): a thread that a test leaves
// running keeps the listeners it chose when it started, and the left-behind
// list is process-wide.
#include <windows.h>
#include <atomic>
#include <deque>
#include <initializer_list>
#include <string>
#include <vector>
#include "critsec.h"
#include "engine_recorder.h"
#include "list_info.h"
#include "output_capture.h"
#include "play_manager.h"
#include "playback_engine.h"
#include "playback_settings.h"
#include "synth_control.h"
#include "synth_signal.h"

// A player whose advance returns the scripted entries in turn, then null; an
// empty path in the script stands for one null answer.
class scripted_player : public play_manager {
public:
    explicit scripted_player(int index) : index_(index) {}
    const GUID* get_guid() override { return &play_manager::iid; }
    void release() override {}
    int index() override { return index_; }
    list_info* advance(bool make_current) override;

    void script(std::initializer_list<std::wstring> paths);
    int advance_calls() const { return calls_; }
    // The system threads advance was called on, in order.
    std::vector<DWORD> advance_threads();

private:
    int index_;
    critsec lock_;
    std::deque<list_info> entries_;  // stable addresses: handed out and kept
    size_t next_ = 0;
    std::atomic<int> calls_{0};
    std::vector<DWORD> threads_;
};

list_info entry_for(const std::wstring& path);

// Runs the calling thread's message loop (the reaper's timer) until done()
// holds; false when it still does not after timeout_ms of wall time.
template <class Done>
bool pump_until(Done done, DWORD timeout_ms = 30000) {
    DWORD begin = GetTickCount();
    MSG msg;
    while (!done()) {
        if (GetTickCount() - begin > timeout_ms) return done();
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(1);
    }
    return true;
}

struct engine_rig {
    // buffer_ms: the capture outputs' buffer; manual: the capture clock
    // stands still until drive() moves it.
    explicit engine_rig(int buffer_ms = 500, bool manual = true);
    ~engine_rig();

    // A new engine; the caller releases it.
    playback_engine* new_engine();
    // Moves the manual clock step_ms at a time, pumping messages, until
    // done() holds; false after timeout_ms of wall time. Before each step
    // the playback threads get the time to fill their outputs again.
    template <class Done>
    bool drive(Done done, int step_ms = 20, DWORD timeout_ms = 60000) {
        DWORD begin = GetTickCount();
        while (!done()) {
            if (GetTickCount() - begin > timeout_ms) return done();
            settle();
            capture->advance(step_ms);
            pump_until([] { return true; });
        }
        return true;
    }
    // Waits (at most 200 ms) until the capture outputs stop taking bytes:
    // their buffers are full or their threads have nothing to write.
    void settle();
    // Plays the clock until listener 0 heard count on_finish events.
    bool drive_to_finish(int count = 1, int step_ms = 20);

    int count(engine_event_kind kind, int listener = 0) { return recorder->count(listener, kind); }
    std::vector<engine_event> events(int listener = 0);
    // The events of one kind, in order.
    std::vector<engine_event> events_of(engine_event_kind kind, int listener = 0);
    // The bytes the output with this index took per track segment.
    std::vector<capture_track> tracks(int output);
    std::vector<capture_call> calls(int output);
    // The recorded output calls of one kind.
    std::vector<capture_call> calls_of(int output, capture_op op);
    // The PCM an output took, all its track segments together.
    std::vector<unsigned char> all_pcm(int output);
    capture_state state(int output);

    // Sets the playback settings: all off, visual on at 100 ms.
    void reset_settings();

    capture_control* capture = nullptr;
    engine_recorder* recorder = nullptr;
    synth_control* synth = nullptr;
    playback_settings* settings = nullptr;
    // Never freed: a thread left over from an earlier test in the same
    // process keeps its owner, which must never be this rig's player.
    scripted_player& music = *new scripted_player(0);
    scripted_player& announcements = *new scripted_player(1);
};

// on_init of every start hook is not raised; on_quit of every hook.
void raise_on_quit();
