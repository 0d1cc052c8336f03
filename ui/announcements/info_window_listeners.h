#pragma once
// The listeners that drive the announcement window, registered by zel_ui:
//   info_progress_listener  the announcements' events (next, preparing, on
//                           air, finished); keeps the next announcement
//                           while the window does not show it;
//   info_engine_listener    the announcement player's engine events, turned
//                           into the window's private messages (playback
//                           threads; its records are read under their locks);
//                           an error ends the announcement, so the finish
//                           that the engine raises after it is not posted
//                           again (the music would come back twice);
//   info_login_listener     the resume at login and the expanded start;
//   info_skin_listener      another colour skin.
// Each reaches the window through info_window::current() and does nothing
// while there is none (the progress listener still keeps the next one).
#include <windows.h>

#include "anne_progress_listener.h"
#include "critsec.h"
#include "engine_listener.h"
#include "event_record.h"
#include "info_window.h"
#include "list_info.h"
#include "login_listener.h"
#include "skin_listener.h"

class info_progress_listener : public anne_progress_listener {
public:
    const GUID* get_guid() override { return &iid; }
    void release() override {}
    void on_next_changed(const anne_record* record) override;
    void on_preparing(const anne_record* record) override;
    void on_air(const anne_record* record) override;
    void on_finished() override;

    const info_next_announcement& next() const { return next_; }

private:
    info_next_announcement next_;
};

// The text the engine's error type gives in the announcement log; %s is the
// file name (the part of the path after its last "/").
const wchar_t* info_error_text(int type);

class info_engine_listener : public engine_listener {
public:
    // The player followed and where messages and log lines go; tests give
    // their own.
    class targets {
    public:
        virtual ~targets() = default;
        virtual play_manager* player() = 0;
        virtual HWND window() = 0;
        virtual void write_anne_log(const wchar_t* line) = 0;
    };
    // The registry's announcement player, main_ui's announcement window and
    // the log service.
    static targets& player_targets();

    explicit info_engine_listener(targets& t = player_targets()) : targets_(t) {}

    const GUID* get_guid() override { return &iid; }
    void release() override {}
    play_manager* player() override { return targets_.player(); }
    void on_start(playback_thread* thread, list_info* entry, bool continued) override;
    void on_finish(playback_thread* thread, list_info* entry, int stop_mode) override;
    void on_next(playback_thread*, list_info*, list_info*) override {}
    void on_track_ending(list_info*) override {}
    void on_seek(playback_thread*, double) override {}
    void on_pause(playback_thread*, bool) override {}
    void on_error(playback_thread* thread, int type, const wchar_t* path) override;
    void on_format(playback_thread* thread, const audio_format* format) override;
    void on_position(playback_thread* thread, const audio_format* format, double position) override;
    void on_audio(playback_thread*, const audio_format*, const void*, int) override {}
    void on_paced_audio(playback_thread*, const audio_format*, const void*, int) override {}

private:
    HWND target();

    targets& targets_;
    critsec lock_;
    playback_thread* current_ = nullptr;
    // The thread whose error was posted: its finish, which follows, is not.
    playback_thread* failed_ = nullptr;
    HWND window_ = nullptr;
    event_record<list_info> started_;
    event_record<list_info> finished_;
    event_record<audio_format> format_;
    event_record<info_position_record> position_;
    double last_posted_ = 0.0;
};

class info_login_listener : public login_listener {
public:
    const GUID* get_guid() override { return &iid; }
    void release() override {}
    void on_login(bool ok) override;
};

class info_skin_listener : public skin_listener {
public:
    const GUID* get_guid() override { return &iid; }
    void release() override {}
    void on_skin(int colour) override;
};
