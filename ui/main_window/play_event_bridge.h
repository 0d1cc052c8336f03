#pragma once
// The play-event bridge of the music player: two listener objects that turn
// the players' play_listener calls and the playback engine's
// engine_listener calls into the private window messages of
// window_messages.h for the main window and the playlist window, so that
// those windows change only on the user-interface thread, and that write the
// play lines of the general log.
//
// Posted messages carry the address of the bridge's one event_record of
// their kind (event_record.h): receivers copy the record under its lock while
// they handle the message and keep no pointer to it. Sent messages carry the
// caller's own objects, valid while the receiver handles them.
//
// Where the events go, which player the engine bridge follows and where the
// log lines are written is decided by a play_event_targets object: the
// library's own asks main_ui, the core and the log service; tests put in
// their own.
#include <windows.h>

#include <cstddef>
#include <vector>

#include "audio_format.h"
#include "critsec.h"
#include "engine_listener.h"
#include "event_record.h"
#include "list_info.h"
#include "play_listener.h"

class play_manager;

class play_event_targets {
public:
    virtual ~play_event_targets() = default;
    // Null while the window does not exist.
    virtual HWND main_window() = 0;
    virtual HWND playlist_window() = 0;
    // The player whose engines the engine bridge listens to.
    virtual play_manager* music_player() = 0;
    virtual void write_log(const wchar_t* line) = 0;
};

// main_ui's windows, core::get_player(true) and log_service::write_log.
play_event_targets& library_play_event_targets();

// The engine's timing block and the position in seconds (msg_track_position).
struct position_record {
    audio_format format;
    double position;
};

// The samples of msg_audio_data: the format and a buffer the bridge owns and
// reuses. Its capacity grows by doubling and never shrinks.
class audio_buffer {
public:
    audio_buffer() = default;
    ~audio_buffer();
    audio_buffer(const audio_buffer&) = delete;
    audio_buffer& operator=(const audio_buffer&) = delete;

    // Replaces the held bytes; false (and nothing held) when memory runs out.
    bool assign(const audio_format& format, const void* bytes, int count);

    audio_format format = {};
    const void* data = nullptr;
    int count = 0;
    size_t capacity() const { return capacity_; }

private:
    unsigned char* bytes_ = nullptr;
    size_t capacity_ = 0;
};

// A receiver's copy of an audio_buffer record.
struct audio_block {
    audio_format format = {};
    std::vector<unsigned char> bytes;
    // The copy of the record msg_audio_data carries in lParam.
    static audio_block from(LPARAM record);
};

// The engine's default format: one channel, integer PCM, 44100 Hz, 16 bits.
audio_format default_engine_format();

class play_listener_bridge : public play_listener {
public:
    play_listener_bridge();
    void set_targets(play_event_targets* targets) { targets_ = targets; }

    const GUID* get_guid() override { return &play_listener::iid; }
    void release() override {}
    int index() override { return 0; }
    void on_play(list_info* entry) override;
    void on_stop(list_info* entry) override;
    void on_pause(list_info* entry, bool paused) override;
    void on_next(list_info* entry) override;
    void on_previous(list_info* entry) override;
    void on_entry_added(const std::vector<list_info*>& added) override;
    void on_entry_inserted(int index, const std::vector<list_info*>& inserted) override;
    void on_entry_removed(const std::vector<int>& indices) override;
    // Entries replaced in place: a copy of the indices is posted to the
    // playlist window as msg_entries_removed (its status line is redrawn).
    void on_entries_updated(const std::vector<int>& indices, const std::vector<list_info*>& values) override;
    void on_current_playlist(playlist* list) override;

    const event_record<list_info>& track_record() const { return track_; }
    // The indices of the last msg_entries_removed (its lParam).
    const std::vector<int>& changed_indices() const { return changed_; }

private:
    play_event_targets* targets_;
    event_record<list_info> track_;
    std::vector<int> changed_;
};

class engine_listener_bridge : public engine_listener {
public:
    engine_listener_bridge();
    void set_targets(play_event_targets* targets);

    const GUID* get_guid() override { return &engine_listener::iid; }
    void release() override {}
    play_manager* player() override;
    void on_start(playback_thread* thread, list_info* entry, bool continued) override;
    void on_finish(playback_thread* thread, list_info* entry, int stop_mode) override;
    void on_next(playback_thread*, list_info*, list_info*) override {}
    void on_track_ending(list_info*) override {}
    void on_seek(playback_thread*, double) override {}
    void on_pause(playback_thread*, bool) override {}
    void on_error(playback_thread* thread, int code, const wchar_t* path) override;
    void on_format(playback_thread* thread, const audio_format* format) override;
    void on_position(playback_thread* thread, const audio_format* format, double position) override;
    void on_audio(playback_thread* thread, const audio_format* format, const void* bytes, int count) override;
    void on_paced_audio(playback_thread*, const audio_format*, const void*, int) override {}

    const event_record<list_info>& track_record() const { return track_; }
    const event_record<audio_format>& format_record() const { return format_; }
    const event_record<position_record>& position() const { return position_; }
    const event_record<audio_buffer>& audio_record() const { return audio_; }
    // The thread whose events are forwarded; null between tracks.
    playback_thread* current_thread();

private:
    // The main window, asked for again while the kept one is not a window.
    HWND target();
    bool is_current(playback_thread* thread);
    bool music_playing();

    play_event_targets* targets_;
    critsec lock_;
    playback_thread* current_;
    double last_posted_;
    HWND main_window_;
    event_record<list_info> track_;
    event_record<audio_format> format_;
    event_record<position_record> position_;
    event_record<audio_buffer> audio_;
};

// The log line of an engine error of type code for the path.
const wchar_t* engine_error_format(int code);
