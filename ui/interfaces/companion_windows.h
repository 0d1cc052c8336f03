#pragma once
// companion_windows: the windows around the main window that other parts of
// the user interface build: the playlist window, the announcement window
// (with its flags), the library window, the equalizer dialog and the
// settings dialog. The main window creates them through this seam and moves,
// shows and hides them as windows.
//
// stand_in_companions (companion_windows_stand_in.cpp) is the least of each:
// plain framed-less windows that keep the flags and record what they are
// told, used until the real windows are wired in.
#include <windows.h>

#include <string>
#include <vector>

#include "stringx.h"

class dib;

class companion_windows {
public:
    virtual ~companion_windows() = default;

    // Created hidden, with the main window as parent; null on failure.
    virtual HWND create_playlist(HWND main) = 0;
    virtual HWND create_info(HWND main, HWND playlist) = 0;
    // The library window, given the two title-bar images of the main skin.
    virtual HWND create_library(HWND main, dib* title_strip, dib* mini_button) = 0;
    // The equalizer dialog, modeless; null on failure.
    virtual HWND create_equalizer(HWND main) = 0;
    // The settings dialog, modal.
    virtual void run_settings(HWND main) = 0;

    // The announcement window's flags.
    virtual bool info_on_air() = 0;
    virtual bool info_hidden() = 0;
    // The flag its hide operation (WM_COMMAND 0) clears.
    virtual bool info_kept() = 0;
    virtual void set_info_hidden(bool on) = 0;
    virtual void set_info_mini(bool on) = 0;
    virtual void set_info_shown(bool on) = 0;
    virtual void info_sync_volume() = 0;
    virtual void info_sync_mute() = 0;
    virtual void info_rebuild_skin() = 0;
    // Entering the expanded mode: the announcement and playlist windows
    // record their current top-left corners.
    virtual void record_positions() = 0;

    // The library window's current channel caption.
    virtual void set_library_channel_title(const stringx& title) = 0;
};

// The least stand-in windows, and what they were told.
class stand_in_companions : public companion_windows {
public:
    stand_in_companions();
    ~stand_in_companions() override;

    HWND create_playlist(HWND main) override;
    HWND create_info(HWND main, HWND playlist) override;
    HWND create_library(HWND main, dib* title_strip, dib* mini_button) override;
    HWND create_equalizer(HWND main) override;
    void run_settings(HWND main) override;
    bool info_on_air() override { return on_air; }
    bool info_hidden() override { return hidden; }
    bool info_kept() override { return kept; }
    void set_info_hidden(bool on) override { hidden = on; }
    void set_info_mini(bool on) override { mini = on; }
    void set_info_shown(bool on) override { shown = on; }
    void info_sync_volume() override { ++volume_syncs; }
    void info_sync_mute() override { ++mute_syncs; }
    void info_rebuild_skin() override { ++skin_rebuilds; }
    void record_positions() override { ++positions_recorded; }
    void set_library_channel_title(const stringx& title) override { library_title = title.wvalue(); }

    bool on_air = false;
    bool hidden = false;
    bool shown = false;  // set and cleared by the main window's command 8
    bool kept = false;   // cleared by WM_COMMAND 0
    bool mini = false;
    int volume_syncs = 0;
    int mute_syncs = 0;
    int skin_rebuilds = 0;
    int positions_recorded = 0;
    int settings_runs = 0;
    int equalizers_created = 0;
    std::wstring library_title;
    HWND playlist = nullptr;
    HWND info = nullptr;
    HWND library = nullptr;
    HWND equalizer = nullptr;

    // What reached the stand-in windows (their private messages and
    // WM_COMMAND), in order.
    struct received {
        HWND window;
        UINT msg;
        WPARAM wparam;
        LPARAM lparam;
    };
    std::vector<received> log;
    // lParam records of msg_anne_handover and msg_anne_play_now are copied
    // here as they arrive (the sender's record is gone afterwards).
    std::vector<std::wstring> announcements;  // "title|url|start_text"
    // The reply the announcement window gives msg_anne_handover.
    LRESULT handover_reply = 1;

    static LRESULT CALLBACK window_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

private:
    HWND make(HWND owner, const wchar_t* title, int w, int h, COLORREF colour);
};
