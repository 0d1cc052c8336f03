#pragma once
// What the now-playing list reaches beyond its own window: the music
// player, the channel's tracks and the service, the logs, the options, the
// drop helpers (playlist_view_services); and the playlist window's skin
// (playlist_view_skin): scroll-bar images, the numbered images, the status
// strip and the skin's controls. The library's own services ask the
// registry, the service client and the main window; tests put in their own.
// User-interface thread only.
#include <windows.h>

#include <vector>

#include "service_records.h"
#include "stringx.h"

class channel_track_list;
class dib;
class drop_services;
class option_home;
class play_manager;

class playlist_view_services {
public:
    virtual ~playlist_view_services() = default;
    // The music player; null when there is none.
    virtual play_manager* music_player() = 0;
    // Fades and forced crossfades off (a mode switch turns them off).
    virtual void fades_off() = 0;
    virtual channel_track_list* channel_tracks() = 0;
    // The service client's current channel (0: none) and its track request.
    virtual int current_channel_id() = 0;
    virtual bool select_channel(int id, std::vector<track_record>& out, bool force) = 0;
    // The refill at a track's start: select_channel(id, out, true), except
    // that a request still on its way when the call returns posts message to
    // notify once its reply is there; late_refill then hands out its tracks.
    virtual bool refill_channel(int id, std::vector<track_record>& out, HWND notify, UINT message) {
        (void)notify;
        (void)message;
        return select_channel(id, out, true);
    }
    virtual bool late_refill(int id, std::vector<track_record>& out) {
        (void)id;
        (void)out;
        return false;
    }
    // Player options: the channel list limit and the play method.
    virtual unsigned list_limit() = 0;
    virtual int play_method() = 0;
    // Drops the track cache's download queue when a cache is registered.
    virtual void clear_track_cache() = 0;
    virtual void write_log(const wchar_t* line) = 0;
    virtual void write_played_log(const wchar_t* line) = 0;
    // When the main window's last channel title is not empty: empties it and
    // tells every channel_changed_event the empty title.
    virtual void forget_channel_title() = 0;
    // The INI's "app"/"version".
    virtual stringx ini_version() = 0;
    // The service clock's time, "%d-%02d-%02d %02d:%02d:%02d".
    virtual stringx clock_text() = 0;
    // The system's word on the internet connection.
    virtual bool internet_connected() = 0;
    // Folders, file expansion and the progress dialog of drops.
    virtual drop_services& drop() = 0;
    // The per-user store holding the music library's "folders".
    virtual option_home& folders_store() = 0;
    // The owner of the progress dialog (the playlist window).
    virtual HWND progress_owner() = 0;
    // The mouse cursor in screen coordinates, which a drag of rows follows.
    virtual bool cursor_position(POINT& screen) { return GetCursorPos(&screen) != FALSE; }
};

class playlist_view_skin {
public:
    virtual ~playlist_view_skin() = default;
    // Numbered images: 4 to 7 the type icons "mp3", "zel", "cda", "radio",
    // 8 the status strip background. Null when missing.
    virtual dib* image(int number) = 0;
    // The four images of each own scroll bar: track, thumb, minus, plus.
    virtual void hscroll_images(dib* out[4]) = 0;
    virtual void vscroll_images(dib* out[4]) = 0;
    // Draws the status strip at rect of the playlist window; a null or empty
    // text keeps the one shown before.
    virtual void draw_status_text(const RECT& rect, const wchar_t* left, const wchar_t* right) = 0;
    virtual void set_control_visible(int id, bool visible) = 0;
};
