#pragma once
// playback_thread: plays one entry from start to end on its own system
// thread, and may go on with the following entries of its player on the same
// output without a gap. Made and commanded by a playback_engine; internal to
// zel_core (listeners see only its address).
//
// Per pass of its loop it reads a block from the input, passes it through the
// processing stages and the fade ramps, writes it to the output, publishes
// the position and raises the engine_listener events. Near the end of an
// entry it asks its player for the next one (play_manager::advance) and
// either goes on itself, after an optional gap of silence, or, in overlap
// mode (a negative automatic crossfade), has the engine start a new thread
// that overlaps the end of this one.
//
// Locks, in this order: the engine link lock (guards every thread's engine
// pointer; held while a thread starts the next track on its engine), an
// engine's lock, the list lock of the left-behind threads, a thread's lock.
// The engine and on_quit change the command flags under the thread's lock;
// the run reads them once per pass without it.
#include <windows.h>
#include <atomic>
#include <vector>
#include "audio_format.h"
#include "critsec.h"
#include "list_info.h"
#include "mem_chunk.h"
#include "playback_audio_copies.h"
#include "playback_fades.h"
#include "playback_pacing.h"
#include "playback_stages.h"
#include "thread.h"

class engine_listener;
class input;
class output;
class play_manager;
class playback_engine;
class playback_settings;
class stream;

// The lock that guards the engine pointers of all playback threads.
critsec& playback_engine_link_lock();

class playback_thread : public thread, private audio_copies::sink {
public:
    playback_thread(playback_engine* engine, const list_info& entry, play_manager* owner);
    ~playback_thread() override;

    // False when the thread's wake event could not be made.
    bool valid() const { return wake_ != nullptr; }

    // Starts the system thread (true when it runs already) and sets its
    // priority from the playback settings.
    bool start();
    // 0 stop now, 1 let the output play out, 2 stop for a skip.
    void stop(int mode);
    void toggle_pause();
    // Stores a seek target for the next pass; on a seekable stream the
    // published position shows it at once.
    void seek(double seconds);
    void set_volume(int volume);
    void set_mute(bool mute);

    int volume() const { return volume_; }
    bool is_paused() const { return paused_; }
    bool is_running() const { return running_; }
    bool is_finished() const { return finished_; }
    bool is_seekable() const { return seekable_; }
    double position() const { return position_; }
    audio_format* info() { return &format_; }

    // Under the link lock: the engine that starts this thread's next track.
    playback_engine* engine() const { return engine_; }
    void forget_engine() { engine_ = nullptr; }

    // Shutdown: sets the quit flag, stops with mode 0 and waits up to
    // wait_ms for the system thread, terminating it when the wait times out.
    void quit(DWORD wait_ms);

protected:
    void run() override;

private:
    enum class pass_result { go_on, leave_loop, end };

    // playback_thread.cpp
    void setup();
    void end();
    void wait_wake(DWORD ms);
    void raise_error(int code, const wchar_t* path);
    template <class Event>
    void each_listener(Event event) {
        for (engine_listener* l : listeners_) event(l);
    }

    // playback_thread_loop.cpp
    pass_result pass();
    bool open_entry();
    void start_of_entry();
    void apply_seek(double target);
    bool end_of_input(int& n, pass_result& result);
    bool write_block(const unsigned char* data, int& n);
    void advance_played(double now);
    void publish(int written, double latency);
    void release_stream_and_input();

    // playback_thread_drain.cpp
    void after_loop();
    void final_wait(int fade_ms);
    void hand_over(bool from_end_of_input);
    list_info* advance_if_current();
    void start_on_engine(list_info* next);
    void deliver_copies(int buffered);
    void paced(const audio_format& format, const void* bytes, int count) override;
    void display(const audio_format& format, const void* bytes, int count) override;
    int read_fade_ms() const;

    // --- shared with the engine and on_quit
    critsec lock_;
    std::atomic<playback_engine*> engine_;
    list_info entry_;
    play_manager* owner_;
    std::atomic<int> stop_mode_{1};
    audio_format format_ = {1, 2, 44100, 16, 0, 0.0, 0.0};
    std::atomic<int> volume_{1000};
    std::atomic<bool> mute_{false};
    std::atomic<bool> seekable_{false};
    std::atomic<double> position_{0.0};
    std::atomic<double> seek_target_{-1.0};
    std::atomic<bool> running_{false};
    std::atomic<bool> paused_{false};
    std::atomic<bool> finished_{true};
    std::atomic<bool> quit_{false};
    HANDLE wake_;

    // --- the run's own state
    audio_format copy_ = {1, 2, 44100, 16, 0, 0.0, 0.0};  // five integers as the entry opened
    int frame_ = 4;
    int bytes_per_second_ = 176400;
    int block_size_ = 16384;
    double latency_ = 0.0;
    output* output_ = nullptr;
    bool output_taken_ = false;
    stream* stream_ = nullptr;
    input* input_ = nullptr;
    playback_settings* settings_ = nullptr;
    playback_stages stages_;
    std::vector<engine_listener*> listeners_;
    mem_chunk<unsigned char> block_;
    double decoded_ = 0.0;  // M: seconds decoded
    double played_ = 0.0;   // L: the published position (never lowered but by a start or seek)
    double end_ = 0.0;      // S: where the entry ends, as known
    long long written_ = 0;
    bool open_ = false;
    bool input_ended_ = false;
    bool end_seen_ = false;
    long long gap_left_ = 0;
    bool continued_ = false;
    bool overlap_mode_ = false;
    bool gap_mode_ = false;
    int auto_cross_ms_ = 0;
    bool next_started_ = false;
    bool natural_end_ = false;
    bool last_mute_ = false;
    bool last_paused_ = false;
    int fade_ms_ = 0;
    int seek_fade_ms_ = 0;
    double visual_seconds_ = 0.0;
    fade_ramp fade_in_;
    fade_ramp seek_fade_;
    fade_work fade_work_;
    playback_pacing pacing_;
    // Whether the last pass read or wrote anything: one that did not is
    // followed by a short wait instead of the next pass at once.
    bool progressed_ = false;
    audio_copies copies_;
    audio_format position_record_ = {};
};
