#pragma once
// The controls of a skinned window. They are not windows: the user interface
// fills these records and hands them to its skin (skin::add_control), which
// cuts their images from the skin image, draws them into its back buffer,
// hit-tests the mouse against them and turns clicks into WM_COMMAND and
// slider moves into WM_HSCROLL / WM_VSCROLL. The skin owns a control from
// add_control on and deletes it through the virtual destructor.
//
// Rectangles are given in the coordinates of the region's image part and
// become window coordinates in add_control. An all-zero source rectangle
// means the image is not given.
#include <windows.h>

#include <cstdint>
#include <cwchar>

#include "dib.h"
#include "zel_export.h"

// Copies text into a fixed array, cut to fit and always terminated.
template <size_t N>
void skin_copy_text(wchar_t (&target)[N], const wchar_t* text) {
    size_t i = 0;
    for (; text && text[i] && i + 1 < N; ++i) target[i] = text[i];
    target[i] = L'\0';
}

class ZEL_CORE_API skin_control {
public:
    enum {
        type_button = 0,      // push button
        type_image = 1,       // hover look only, no command
        type_hslider = 2,     // horizontal slider
        type_vslider = 3,     // vertical slider
        type_list_item = 4,   // item of the skin's item list
        type_hbar = 6,        // tiled bars: the normal image tiled over draw_rect
        type_vbar = 7,
    };

    skin_control();
    virtual ~skin_control();
    skin_control(const skin_control&) = delete;
    skin_control& operator=(const skin_control&) = delete;

    bool is_slider() const { return type == type_hslider || type == type_vslider; }
    bool is_bar() const { return type == type_hbar || type == type_vbar; }

    int type;
    RECT normal_src;  // for a slider: the thumb
    RECT hover_src;
    RECT hit_rect;
    RECT disabled_src;
    RECT draw_rect;  // for a slider: the thumb's current rectangle
    bool visible;
    bool enabled;
    wchar_t tooltip[261];
    int id;
    // Cut by add_control: the face under draw_rect, and the looks.
    dib background;
    dib normal;
    dib hover;
    dib disabled;
    bool hot;
    // The rectangles right after add_control; a re-layout starts from them.
    RECT initial_draw;
    RECT initial_hit;
};

// Every control that is not a slider.
class ZEL_CORE_API skin_button : public skin_control {
public:
    // Type 0, visible and enabled, the default GUI font, no caption.
    skin_button();

    RECT pressed_src;  // also the checked look
    // Caption alignment: 0 left/top, 1 centred, else right and vertically
    // centred on one line with an ellipsis.
    int align;
    bool checked;
    // The command repeats while the button is held.
    bool auto_repeat;
    // Nonzero: the press posts id and the release posts this command.
    int release_command;
    COLORREF text_colour;
    wchar_t caption[260];
    wchar_t face[260];
    int point_size;
    bool bold;
    dib pressed;
};

// Horizontal (type 2) and vertical (type 3) sliders.
class ZEL_CORE_API skin_scroll : public skin_control {
public:
    // Type 3, visible and enabled, forward, range 0 to 100, no fill.
    skin_scroll();

    // The track is cut 3 pixels larger to the right and below, and nothing
    // is posted while the thumb is dragged (only at the release).
    bool quiet;
    // The value grows to the right or downwards.
    bool forward;
    bool dragging;
    int position;
    int min;
    int max;
    // What lies under the thumb's travel, drawn before the thumb.
    dib track;
    // Optional image tiled to make the track.
    dib tile;
    RECT tile_src;
    // Negative for none; else the low 32 bits are the COLORREF that fills
    // fill_rect up to the thumb's centre.
    int64_t fill_colour;
    RECT fill_rect;
    // fill_rect right after add_control (window coordinates).
    RECT initial_fill;
};
