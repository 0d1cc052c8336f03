#pragma once
// scroll_ctrl: a skinned scroll bar or slider, vertical or horizontal, drawn
// from four caller-owned images: a track tile, a thumb, and the minus (top or
// left) and plus (bottom or right) end buttons. It lives on a child "STATIC"
// window, keeps an integer range and position, and reports every change to a
// notify window as WM_VSCROLL or WM_HSCROLL with the control window in
// lParam: (position << 16) + SB_THUMBPOSITION while the thumb moves or an end
// button is held, (position << 16) + SB_ENDSCROLL when the button comes up.
// Keys and the mouse wheel go to the notify window unchanged; they never move
// the control by themselves.
//
// Geometry along the length L, with m, p and t the lengths of the minus
// button, plus button and thumb: the thumb's centre runs from m + t/2 to
// L - p - t/2. A control without room for its thumb (or with an empty range)
// shows no thumb and does not move.
//
// User-interface thread only. The images must outlive the control; the
// control does not destroy its window.
#include <windows.h>

#include "dib.h"
#include "subclass.h"
#include "zel_export.h"

class ZEL_CORE_API scroll_ctrl : public subclass {
public:
    scroll_ctrl();
    ~scroll_ctrl() override;

    // Creates the window at 0,0 of parent (the caller places it) and attaches.
    void init(HWND parent, HWND notify, int width, int height, bool vertical, unsigned int id);
    // A new length (height when vertical, width otherwise).
    void reinit(unsigned int length);

    void set_channel(dib* image) { channel_ = image; }
    void set_thumb(dib* image) { thumb_ = image; }
    void set_minus_button(dib* image) { minus_ = image; }
    void set_plus_button(dib* image) { plus_ = image; }

    // The position is not clamped again when the range changes.
    void set_range(int min, int max, bool repaint);
    void set_range_min(int min, bool repaint);
    void set_range_max(int max, bool repaint);
    // Clamped into the range; sends nothing.
    void set_pos(int pos);
    // Kept for the owner; returns the previous one.
    int set_page_size(int size);
    // Disabling ends a drag or a held button.
    void enable(bool enabled);

    void get_range(int& min, int& max) const;
    int get_range_min() const { return min_; }
    int get_range_max() const { return max_; }
    int get_pos() const { return pos_; }
    bool is_enabled() const { return enabled_; }
    bool is_dragging() const { return dragging_; }

    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override;

    // Repeat period of a held end button.
    static const UINT vertical_repeat_ms = 50;
    static const UINT horizontal_repeat_ms = 100;

private:
    struct geometry {
        int length;  // L
        int minus;   // m
        int plus;    // p
        int thumb;   // t
        int travel() const { return length - minus - plus - thumb; }
        int first_centre() const { return minus + thumb / 2; }
        int last_centre() const { return length - plus - thumb / 2; }
    };
    geometry measure() const;
    // False when there is no place for the thumb (empty range or no travel).
    bool thumb_shown(const geometry& g) const;
    int pos_to_pixel(const geometry& g, int pos) const;
    int pixel_to_pos(const geometry& g, int pixel) const;
    int along(POINT pt) const { return vertical_ ? pt.y : pt.x; }

    void paint(HDC dc);
    void on_button_down(POINT pt);
    void on_mouse_move(POINT pt);
    void on_button_up();
    void start_repeat(int step);
    void repeat_step();
    void end_drag(bool post_end);
    void post_scroll(int code);
    void invalidate(bool erase);

    int max_;
    int min_;
    int pos_;
    int page_;
    bool vertical_;
    bool enabled_;
    bool focused_;
    bool dragging_;
    RECT client_;
    int width_;
    int height_;
    int drag_offset_;
    dib back_buffer_;
    dib* channel_;
    dib* thumb_;
    dib* minus_;
    dib* plus_;
    HWND notify_;
    int repeat_step_;  // -1 or +1 while an end button is held, else 0
};
