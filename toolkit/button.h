#pragma once
// button: a push button drawn entirely from bitmaps (a normal image and
// optional hover and pressed images, each the button's size). It lives on a
// child "STATIC" window to which it attaches itself, shows a tooltip, follows
// the mouse in and out, takes the Enter key, and posts WM_COMMAND (the
// control id, the button window) to its parent on every click.
//
// The images stay owned by the caller and must outlive the button; the
// button owns its back buffer and destroys its window and its tooltip in the
// destructor (the tooltip also goes when the window is destroyed).
// User-interface thread only.
#include <windows.h>

#include "dib.h"
#include "subclass.h"
#include "zel_export.h"

class ZEL_CORE_API button : public subclass {
public:
    static const int tooltip_size = 1024;  // characters, terminator included

    button();
    ~button() override;

    // Creates the window at rect (its width and height are the button's)
    // showing the normal image; hover and pressed may be null (no effect).
    void init(HWND parent, unsigned int id, RECT& rect, dib* normal, dib* hover, dib* pressed);
    // New images; the normal one is shown.
    void set_bitmap(dib* normal, dib* hover, dib* pressed);
    // Adds the tool on the first call and changes its text on later ones;
    // nothing before init. Longer texts are cut to tooltip_size - 1.
    void set_tooltip(const wchar_t* text);

    void on_subclass() override;
    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override;

    HWND get_tooltip() const { return tooltip_; }
    bool is_pressed() const { return pressed_; }

private:
    void show(dib* image);
    void destroy_tooltip();
    void on_mouse_down();
    void on_mouse_up(LPARAM lparam);
    void on_mouse_move();
    void on_mouse_leave();
    void on_key_down(WPARAM key);
    void on_key_up(WPARAM key);
    void post_click();

    dib back_buffer_;
    bool pressed_;
    HWND tooltip_;
    dib* normal_;
    dib* hover_;
    dib* pressed_image_;
    wchar_t tooltip_text_[tooltip_size];
};
