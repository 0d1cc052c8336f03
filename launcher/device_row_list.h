#pragma once
// device_row_list: the store rows of the launcher window. Each row stands
// for one store and the player process that plays it on its sound device:
// the store name, an activity indicator, the channel the player reports, an
// automatic-start check and a device chooser, and two image buttons (start
// or stop; show the player or open the device chooser). The list starts a
// player per row ("zel_player.exe multi" beside the launcher), asks it to
// stop, shows one player at a time and notices players that ended (its
// 200 ms tick watches the processes once a second).
//
// A skinned list view with one column whose 80-pixel rows it draws itself.
// User-interface thread only.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "list_view.h"
#include "timer.h"

class launcher_skin;

struct player_row {
    DWORD pid = 0;          // the player started for this row; 0 when none
    bool running = false;   // started and not seen to end
    bool visible = false;   // the player's windows are shown
    bool playing = false;   // the player reports that it plays
    bool expanded = false;  // the device chooser line is open
    bool autostart = false;
    int levels[3] = {0, 0, 0};  // 0 to 5 lit bars of each indicator column
    std::wstring id, password, name;
    std::wstring device;  // DirectSound description; "" = none
    std::wstring status;  // channel title the player reports
    HWND client_window = nullptr;
};

// The parts of a row, in list client coordinates.
struct row_geometry {
    RECT name, status, start, show, indicator, device;
    int split;
};

class device_row_list : public list_view {
public:
    enum zone { zone_none = 0, zone_name = 1, zone_status = 2, zone_check = 3, zone_start = 4, zone_show = 5,
                zone_device = 6 };
    // Background colours by row index modulo 3, and the other colours.
    static const COLORREF row_colours[3];
    static constexpr COLORREF name_running = 0xE3860D, name_idle = 0x686868, grey_text = 0x8D8D8D;
    static constexpr COLORREF bar_lit = 0xDA8A00, bar_unlit = 0xCFCFCF;
    static const int pattern[11][3];
    static constexpr UINT_PTR menu_none = 2000;

    device_row_list();
    ~device_row_list() override;

    // Creates the list in rect of parent with the skin's images and starts
    // the 200 ms tick. False when the list could not be made.
    bool init(HWND parent, const RECT& rect, launcher_skin* images);
    // Replaces the rows, then starts every row with autostart and a device.
    void set_rows(const std::vector<player_row>& rows);
    player_row* row_at(int index);
    player_row* find_by_pid(DWORD pid);
    int row_count() const { return static_cast<int>(rows_.size()); }
    const std::vector<player_row>& rows() const { return rows_; }
    void repaint_pid(DWORD pid);
    void repaint_row(int index);
    void clear_row(DWORD pid);
    void start_row(int index);
    void stop_row(int index);
    void toggle_show(int index);

    row_geometry geometry(int index) const;
    // The zone under a point of the list's client area, its row and rectangle.
    int hit_test(POINT point, int* row, RECT* area) const;
    // One 200 ms step: the process watch every fifth, the indicators.
    void on_tick();

    // The player program started for a row; zel_player.exe beside the
    // running program unless set.
    void set_player_path(const std::wstring& path) { player_path_ = path; }
    const std::wstring& player_path() const { return player_path_; }
    // The shared counters (tests set them).
    static int poll_counter, pattern_counter;

    // list_view's slots.
    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override;
    int row_height(int height) override;
    void draw_cell(int row, int column, HDC dc, RECT* rect, unsigned flags) override;
    stringx get_cell_text(int row, int column) override;

protected:
    // Shows the menu at a screen point and returns the chosen command (0:
    // none). Tests replace it.
    virtual UINT_PTR track_menu(HMENU menu, POINT screen);
    // A message for the user (a timed message box owned by the list).
    virtual void tell(const std::wstring& text);
    void open_device_menu(int index, const RECT& zone);

private:
    class tick_timer : public timer {
    public:
        explicit tick_timer(device_row_list* list) : list_(list) {}
        void tick() override { list_->on_tick(); }

    private:
        device_row_list* list_;
    };

    void rebuild_items();
    void draw_row(HDC dc, int index, const RECT& cell);
    void draw_indicator(HDC dc, const player_row& row, const RECT& at);
    void open_themes();
    void close_themes();
    HWND launcher_window() const;
    // Sends the show message (1 or 0) to a player's client window; true when
    // it answered non-zero within the answer time.
    static bool show(HWND client, HWND from, bool shown);
    // Waits up to 6 s for the process to end and ends it otherwise.
    void end_process(DWORD pid);
    // The process of a player this list started (null for any other pid),
    // and whether a process is still running.
    HANDLE started(DWORD pid) const;
    bool alive(DWORD pid) const;
    void forget(DWORD pid);

    std::vector<player_row> rows_;
    // The processes of the players started here, by process id: they are
    // watched and, when they must be, ended through these handles, so that
    // a process id that was reused never reaches another program.
    std::map<DWORD, HANDLE> started_;
    tick_timer tick_;
    launcher_skin* images_;
    std::wstring player_path_;
    HMODULE uxtheme_;
    void* themes_[3];  // Button, ComboBox, Edit
    HFONT font_, bold_font_;
};

// Whether visual styles can draw the rows' check, box and button.
bool themes_usable();
