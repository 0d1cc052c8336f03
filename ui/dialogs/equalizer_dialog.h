#pragma once
// equalizer_dialog: the skinned equalizer window (modeless, template 138,
// skin image 139): the preamp and ten band sliders over zel_core's
// equalizer service, the on/off and reset buttons, the preset menu and the
// close button. Only one is open at a time; the main window opens it with
// its equalizer command and closes it when the command comes again
// (toggle_equalizer_window). The option eq_preset keeps the last preset.
//
// The object deletes itself when its window is destroyed.
//
// What lies outside the window is reached through equalizer_window_host, so
// that tests can stand in for the main window's parts and the popup menu.
#include <windows.h>

#include <memory>
#include <vector>

#include "dialog.h"

class dib;
class equalizer;
class skin;

constexpr unsigned IDD_EQUALIZER = 138;
constexpr unsigned IDB_EQUALIZER_SKIN = 139;

class equalizer_window_host {
public:
    virtual ~equalizer_window_host() = default;
    // zel_core's equalizer; null when none is registered.
    virtual equalizer* service();
    // The main, announcement, playlist and library windows (null where
    // there is none); the window is centred on the visible ones.
    virtual std::vector<HWND> neighbour_windows();
    // The window docker and the launcher link learn the window.
    virtual void register_window(HWND window);
    // The window's open state for those who show it (window id 3).
    virtual void window_state(bool hidden);
    // The main window's equalizer lamp.
    virtual void show_eq_lamp(bool on);
    // Shows the popup menu at x, y (screen) and returns the chosen command,
    // 0 for none.
    virtual int popup_menu(HMENU menu, int x, int y, HWND owner);
};

class equalizer_dialog : public dialog {
public:
    // host: not owned; must outlive the window.
    explicit equalizer_dialog(equalizer_window_host& host);
    ~equalizer_dialog() override;

    LRESULT dialog_proc(UINT message, WPARAM wparam, LPARAM lparam) override;

    // The open equalizer window's object; null when none is open.
    static equalizer_dialog* open_dialog();
    skin* get_skin() const { return skin_.get(); }

    // The window's actions (also the commands 11, 12 and 14).
    void on_slider();
    void toggle();
    void reset();
    void choose_preset();

private:
    void on_init();
    void build_skin();
    void place();
    void set_bands(const double* values);

    equalizer_window_host& host_;
    std::unique_ptr<dib> image_;
    std::unique_ptr<skin> skin_;
};

// The main window's equalizer command: opens the window (owned by owner)
// when none is open, else closes the open one. True when a window is open
// afterwards.
bool toggle_equalizer_window(HWND owner, equalizer_window_host& host);

// The host over the registered components: the equalizer, the main user
// interface's windows, the window docker and the launcher link. Window-state
// listeners and the main window's lamp are not part of the player yet; those
// calls do nothing until they are.
equalizer_window_host& default_equalizer_host();
