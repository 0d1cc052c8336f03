#pragma once
// playlist_view: the now-playing list of the playlist window. It shows what
// the music player plays, in one of two modes:
// - channel mode, while the player's current playlist is the channel
//   playlist: the rows are the channel's listed tracks, the playing track
//   is row 0, nothing can be edited, and every track start rotates the
//   channel's track list or refills it from the service;
// - playlist mode, while the current playlist is "Default": the rows are
//   its entries; a row is played by double-click or Enter, rows are deleted
//   by Delete or the context menu, reordered by dragging, and files and
//   entries are dropped on it.
//
// An owner-data list_view: the list holds only a row count and asks for
// the texts of the rows it draws. Player and playlist events arrive as the
// private messages of window_messages.h at the container window (the
// playlist listeners post or send them), so the list changes only on the
// user-interface thread. The services and the skin are the caller's and
// must outlive the object.
#include <atomic>
#include <map>
#include <string>
#include <vector>

#include "list_view.h"
#include "thread.h"
#include "timer.h"

class list_info;
class track_record;
class playlist;
class playlist_view_services;
class playlist_view_skin;
class playlist_drop_target;

class playlist_view : public list_view {
public:
    enum { column_number = 0, column_title = 1, column_artist = 2 };
    // Consecutive no-stream errors of a channel that are still skipped.
    static const unsigned max_stream_errors = 200;
    static const size_t progress_above = 50;
    static const UINT delete_command = 10001;
    // The height of the list's own header.
    static constexpr int header_height = 22;
    // The reorder thread's pace while rows are dragged.
    static constexpr DWORD drag_step_ms = 20;

    playlist_view(playlist_view_services& services);
    ~playlist_view() override;

    // Creates the list in parent at rect with the skin's bars and icons,
    // its columns, its drop target and its 200 ms clock. Once.
    bool build(HWND parent, const RECT* rect, playlist_view_skin* skin);
    // The mode of the playlist: playlist mode for the player's first
    // playlist, channel mode for any other.
    void set_playlist(playlist* list);
    // The left text of the status line (and the remembered right one).
    void refresh_status();
    void set_item_count(int n);
    void invalidate_playing_row(int row);
    void add_dropped_paths(const std::vector<stringx>& paths, POINT point);
    void add_dropped_entries(const std::vector<list_info*>& entries, POINT point);
    // Playlist mode: the selected rows move delta rows down (up when
    // negative) as far as the list's ends allow, keeping their gaps while
    // there is room; their entries move in the current playlist and they
    // stay selected.
    void move_selection(int delta);

    bool channel_mode() const { return channel_mode_; }
    int playing_row() const { return playing_row_; }
    bool dragging() const { return dragging_; }
    // The rows' entries: the current playlist's, or the channel's listed
    // tracks in channel mode.
    int shown_count();
    list_info* shown_entry(int row);
    // The rectangle of the status strip in the playlist window.
    RECT status_rect();

    // Shared with the connection watch of the playlist services: 1 while
    // the connection counts as up (its loss not yet reported).
    static unsigned char net_connected;
    static unsigned play_error_count;

    // Virtual slots.
    void on_subclass() override;
    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override;
    void draw_cell_text(int row, int column, HDC dc, RECT* rect, unsigned flags, int alignment,
                        const wchar_t* text) override;
    stringx get_cell_text(int row, int column) override;
    LRESULT on_message(UINT msg, WPARAM wparam, LPARAM lparam) override;

private:
    LRESULT draw_row(WPARAM wparam, LPARAM lparam);
    LRESULT on_player_message(UINT msg, WPARAM wparam, LPARAM lparam);
    class clock : public timer {
    public:
        explicit clock(playlist_view& owner) : owner_(owner) {}
        void tick() override;

    private:
        playlist_view& owner_;
    };
    friend class clock;

    // The reorder thread: every drag_step_ms while the rows are dragged it
    // has the list take one drag step. The step itself runs on the
    // user-interface thread (a sent message), where the list and the
    // playlist's rows are drawn, so no row changes under a paint.
    class drag_worker : public thread {
    public:
        explicit drag_worker(playlist_view& owner) : owner_(owner) {}
        // Waits for run() to end (the drag must be over).
        void finish();

    protected:
        void run() override;

    private:
        playlist_view& owner_;
    };
    friend class drag_worker;
    static const UINT msg_drag_step = WM_APP + 0x112;

    // playlist_view_drag.cpp
    void begin_drag(const NMLISTVIEW* notice);
    void end_drag();
    void drag_step();
    // The row the cursor points at while dragging, or the row past the
    // first or last visible one in the edge zones (the list is scrolled
    // there).
    int drag_target_row(POINT cursor);

    bool entry_is_playing(list_info* entry);
    void repaint_row(int row);
    std::vector<int> selected_rows();
    void clear_selection();
    void play_row(int row);
    void remove_selected();
    void fill_texts(NMLVDISPINFOW* info);
    void on_track_started(const list_info& entry);
    void select_playing(const list_info& entry);
    void channel_step(const list_info& entry);
    // The service's tracks put after the playing entry (at z of the channel's
    // playlist, i of its track list).
    void take_refill(const list_info& entry, int z, size_t i, std::vector<track_record>& fresh);
    // A refill's reply that came after its track had started.
    void refill_arrived();
    void on_play_error(int type);
    void on_entry_removed(const std::vector<int>& indices);
    void context_menu(const NMITEMACTIVATE* click);
    // Expands the paths into entries (progress dialog above 50).
    std::vector<list_info> expand(const std::vector<stringx>& paths);
    void remember_folders(const std::vector<stringx>& files);
    // Channel mode's drop start: the player stopped, both playlists
    // emptied, "Default" active and current; that playlist.
    playlist* leave_channel();
    void play_first(playlist* list);

    playlist_view_services& services_;
    clock clock_;
    std::map<std::wstring, dib*> type_icons_;
    playlist_drop_target* drop_;
    std::vector<list_info*>* entries_;  // playlist mode's rows
    playlist_view_skin* skin_;
    bool channel_mode_;
    std::atomic<bool> dragging_;
    bool drag_selected_;
    int drag_row_;
    int playing_row_;
    drag_worker drag_worker_;
};
