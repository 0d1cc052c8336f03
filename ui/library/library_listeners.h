#pragma once
// The library window's listeners, singletons of zel_ui: a CD drive's medium
// arriving or leaving (posted to the window as msg_cd_drive_changed), the
// music player's track starts (the title posted as msg_track_started for
// the path line) and skin changes.
#include "cd_drive_listener.h"
#include "component.h"
#include "engine_listener.h"
#include "skin_listener.h"

class library_drive_listener : public singleton_component<cd_drive_listener> {
public:
    void on_drive_change(wchar_t drive_letter, int arrived) override;
};

// Runs on playback threads: it hands the started entry's title over as a
// heap copy that the window deletes (or this listener, when the post fails).
class library_engine_listener : public singleton_component<engine_listener> {
public:
    play_manager* player() override;
    void on_start(playback_thread* thread, list_info* entry, bool continued) override;
    void on_finish(playback_thread*, list_info*, int) override {}
    void on_next(playback_thread*, list_info*, list_info*) override {}
    void on_track_ending(list_info*) override {}
    void on_seek(playback_thread*, double) override {}
    void on_pause(playback_thread*, bool) override {}
    void on_error(playback_thread*, int, const wchar_t*) override {}
    void on_format(playback_thread*, const audio_format*) override {}
    void on_position(playback_thread*, const audio_format*, double) override {}
    void on_audio(playback_thread*, const audio_format*, const void*, int) override {}
    void on_paced_audio(playback_thread*, const audio_format*, const void*, int) override {}
};

class library_skin_listener : public singleton_component<skin_listener> {
public:
    void on_skin(int colour) override;
};
