#pragma once
// splitter: a draggable bar between two panes, a child "STATIC" window filled
// with a tiled image. While it is dragged an outline of the bar follows the
// mouse on the screen (drawn inverting, so drawing it twice removes it); on
// release the bar moves there, inside its range, and the parent receives
// msg_splitter_moved (wParam 0, lParam the bar's window) to lay out its panes.
//
// A vertical bar moves left and right, a horizontal one up and down. The
// range is a rectangle in the parent's client coordinates; a vertical bar is
// as tall as the range, a horizontal one as wide. The tile image stays owned
// by the caller; the bar's own picture is owned. The window is not destroyed
// with the object. User-interface thread only.
#include <windows.h>

#include "dib.h"
#include "subclass.h"
#include "zel_export.h"

class ZEL_CORE_API splitter : public subclass {
public:
    static const UINT msg_splitter_moved = 10452;

    splitter();
    ~splitter() override;

    // Creates the bar at x, y of the parent and attaches.
    void init(HWND parent, bool vertical, dib* tile, RECT& range, int x, int y);
    // A new range: the bar takes its new length (and picture).
    void set_range(RECT& range);
    // A disabled splitter ignores the mouse.
    void set_enable(bool enabled);

    bool is_dragging() const { return dragging_; }
    // The screen rectangle of the outline last drawn during a drag.
    const RECT& get_outline() const { return outline_; }
    const RECT& get_range() const { return range_; }

    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override;

private:
    void make_bar_image();
    void show_size_cursor() const;
    void draw_outline(const RECT& rect) const;
    RECT moved_rect(POINT cursor, bool clamp_both) const;
    POINT screen_point(LPARAM lparam) const;
    void on_button_down(LPARAM lparam);
    void on_mouse_move(LPARAM lparam);
    void on_button_up(LPARAM lparam);
    void cancel_drag();

    dib bar_;
    bool dragging_;
    POINT drag_start_;
    RECT range_;
    RECT outline_;
    bool vertical_;
    bool enabled_;
    dib* tile_;
};
