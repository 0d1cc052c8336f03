#pragma once
// playlist_window: the skinned window below the main window (dialog 112,
// class "ZELPlaylist"). Two tabs: "음악 방송" shows the now-playing list,
// "안내 방송" today's announcements, where a click on an announcement's
// listen cell plays it at once. Under the lists it can show the ad page
// whose address the login names, and it hosts an invisible second browser
// with the store's today page, whose "app:" addresses (app_links.h) drive
// the player.
//
// What it reaches lies behind seams, so that tests give it fakes:
//   playlist_window_services  the login, the service's lists, the options,
//                             the other windows, the browsers' pages;
//   now_playing_list          the now-playing list (built elsewhere);
//   app_link_services         what the today page's commands act on.
// All of them stay the caller's and must outlive the window. One window
// exists at a time (the listeners reach it through current()).
// User-interface thread only.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "anne_list.h"
#include "app_links.h"
#include "browser_event_sink.h"
#include "dialog.h"
#include "playlist_window_skin.h"
#include "service_records.h"
#include "web_page.h"

// The now-playing list as the window uses it.
class now_playing_list {
public:
    virtual ~now_playing_list() = default;
    // Creates the list in the window at the rectangle with the skin's
    // images and status strip; its outermost window, or null.
    virtual HWND create(HWND parent, const RECT& rect, playlist_window_skin& skin) = 0;
    // Redraws the left text of the status strip.
    virtual void refresh_status() = 0;
    // The selected rows, ascending.
    virtual std::vector<int> selected_indices() = 0;
};

class playlist_window_services {
public:
    virtual ~playlist_window_services() = default;
    // The colour skin option.
    virtual int skin_number() = 0;
    virtual bool logged_in() = 0;
    // The login's ad address; empty when none.
    virtual std::wstring ad_address() = 0;
    virtual std::wstring user_id() = 0;
    // The host of the service's web pages.
    virtual std::wstring web_host() = 0;
    // Today's announcements; false when the request failed.
    virtual bool load_anne_list(std::vector<anne_record>& records, bool refresh) = 0;
    virtual bool live_anne_on() = 0;
    virtual bool expanded() = 0;
    virtual HWND main_window() = 0;
    virtual HWND info_window() = 0;
    virtual HWND library_window() = 0;
    // The main window's flag of the shown playlist window.
    virtual void set_playlist_shown(bool shown) = 0;
    virtual void dock(HWND window) = 0;
    virtual void undock(HWND window) = 0;
    // Every window_state_listener (this window's id is 1).
    virtual void tell_window_state(bool hidden) = 0;
    virtual std::unique_ptr<web_page> make_page() = 0;
    // The music player's active playlist, for the details button.
    virtual int active_entry_count() = 0;
    virtual bool active_is_default() = 0;
    virtual std::wstring active_entry_path(int index) = 0;
    // The playing entry's path; empty when the music player is not playing.
    virtual std::wstring playing_path() = 0;
};

class playlist_window : public dialog {
public:
    enum : unsigned { template_id = 112, ad_control = 1051, today_control = 1052 };
    // How much taller the lists are without the ad page.
    enum : int { ad_height = 64 };

    playlist_window(playlist_window_services& services, now_playing_list& now_playing, app_link_services& links);
    ~playlist_window() override;

    // The dialog as a child of the main window (hidden until shown).
    bool create_window(HWND main);

    LRESULT dialog_proc(UINT message, WPARAM wparam, LPARAM lparam) override;

    // Listener entries.
    void on_login(bool success);
    void on_anne_schedule_changed();
    void on_skin(int skin_number);
    // After the announcement window slid in or out: the skin re-fitted to the
    // client area, then the layout.
    void refresh_layout();
    void load_today_page();

    // The event receiver of the today page (its addresses are run here).
    browser_event_sink& today_sink() { return today_sink_; }
    browser_event_sink& ad_sink() { return ad_sink_; }

    playlist_window_skin& look() { return look_; }
    skin* current_skin() const { return skin_; }
    HWND now_playing_window() const { return now_playing_window_; }
    anne_list* announcements() const { return anne_list_.get(); }
    const std::vector<anne_record>& today() const { return today_; }
    bool music_tab_checked() const;
    bool anne_tab_checked() const;
    // The saved corner the main window writes when the expanded mode begins.
    void set_saved_corner(POINT corner) { saved_corner_ = corner; }

    static playlist_window* current() { return current_; }

private:
    void on_init_dialog();
    void on_command(unsigned id);
    void show_music_tab();
    void show_anne_tab();
    void show_details();
    void hide();
    void on_show(bool show, LPARAM status);
    void on_expanded_mode(bool on);
    void on_schedule_changed();
    void on_anne_click(int row);
    void layout();
    void fill_anne_rows();
    void check_tab(unsigned id);
    bool tab_checked(unsigned id) const;
    void library_command(WPARAM command, LPARAM data);

    playlist_window_services& s_;
    now_playing_list& now_playing_;
    app_link_services& links_;
    browser_event_sink today_sink_;
    browser_event_sink ad_sink_;
    HWND now_playing_window_;
    std::unique_ptr<anne_list> anne_list_;
    POINT saved_corner_;
    playlist_window_skin look_;
    skin* skin_;
    RECT last_client_;
    RECT saved_rect_;
    bool remembered_visible_;
    bool ad_shrunk_;
    std::vector<anne_record> today_;
    std::unique_ptr<web_page> ad_page_;
    std::unique_ptr<web_page> today_page_;

    static playlist_window* current_;
};

// "%02d:%02d:%02d" of a time of day in seconds.
std::wstring anne_start_text(long seconds);
// What the details button asks of the library window for the path of an
// entry of the Default playlist: command 1 with the drive letter of a CD
// track ("x.cda|...|D" style paths split into three fields), else command 0
// with the folder of the path (or the whole "cda" path that does not split
// so). Returns the command; text receives the folder or path, letter the
// drive letter.
int details_command_for(const std::wstring& path, std::wstring& text, wchar_t& letter);
