#pragma once
// The window docker, zel_core's singleton service `window_docker`: the
// player's registered top-level windows behave as one group on the desktop.
//
// A registered window's procedure is replaced by the docker's, which snaps a
// moved window within 10 pixels to the other registered windows (the main
// window and the windows docked to it, as a group, also to the work area),
// moves the windows docked to the main window along with it, raises the
// group when the main window is activated, moves a window shown outside the
// work area back in, and applies always-on-top to every registered window.
// The main window is the one the user interface's service (main_ui) names
// when it registers.
//
// User-interface thread; every operation takes the docker's lock.
#include <windows.h>

#include <map>
#include <vector>

#include "component.h"
#include "critsec.h"
#include "zel_export.h"

class ZEL_CORE_API window_docker : public component {
public:
    static constexpr GUID iid = {0xEC5B5B33, 0x8380, 0x410D, {0x98, 0x2A, 0x33, 0xDB, 0x6D, 0x75, 0x29, 0x47}};

    // Sides of find_attached and move_attached, seen from the main window.
    enum side { side_left = 1, side_right = 2, side_above = 3, side_below = 4 };

    window_docker();
    const GUID* get_guid() override { return &iid; }
    void release() override {}
    // Registers a window (once; a registered window is ignored).
    virtual void add_window(HWND window);
    // Gives the window its previous procedure back and forgets it.
    virtual void remove_window(HWND window);
    virtual void reserved();
    // Every registered window, the main window last, to the top of the Z
    // order, without activating, moving or sizing them.
    virtual void raise_group();
    // Every registered window, and every one registered later, topmost or not.
    virtual void set_always_on_top(bool on);
    // The registered windows whose edge lies on an edge line of the main
    // window, with their side.
    virtual void find_attached(std::vector<HWND>& windows, std::vector<int>& sides);
    // Puts each listed window back against the main window's side.
    virtual void move_attached(std::vector<HWND>& windows, std::vector<int>& sides);
    // Gives every registered window its previous procedure back.
    virtual ~window_docker();

    // The procedure of every registered window.
    static LRESULT CALLBACK window_proc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam);

private:
    LRESULT handle(HWND window, UINT msg, WPARAM wparam, LPARAM lparam);
    void snap(HWND window, WINDOWPOS* pos);
    void follow_main(HWND window);
    bool keep_visible(HWND window, bool shown);
    bool restore_procedure(HWND window);

    HWND main_window_;
    std::map<HWND, WNDPROC> procedures_;
    std::map<HWND, bool> registered_;
    bool always_on_top_;
    POINT last_main_position_;
    std::vector<HWND> group_;
    critsec lock_;
    // Windows that left while another hook sat on top of the docker's
    // procedure: the docker stays in their chain and only passes messages on.
    std::map<HWND, WNDPROC> retired_;
};
