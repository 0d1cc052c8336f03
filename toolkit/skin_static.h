#pragma once
// Statics of a skinned window (texts, framed boxes, images from files and
// progress bars), the item list whose items behave like radio buttons, and
// the detail group of statics and controls shown and hidden together. The
// skin owns them once they are added.
#include <windows.h>

#include <vector>

#include "dib.h"
#include "skin_control.h"
#include "zel_export.h"

class ZEL_CORE_API skin_static {
public:
    enum {
        type_text = 0,         // one line
        type_wrapped = 1,      // wrapped lines
        type_box = 2,          // framed text box (skin_progress)
        type_picture = 3,      // image file; text holds its path
        type_hprogress = 4,    // progress bars (skin_progress)
        type_vprogress = 5,
    };
    // Stands for "no colour of its own" in progress bars.
    static const COLORREF no_colour = 0xFF000000;

    // Type 0, hidden, the default GUI font, empty texts.
    skin_static();
    virtual ~skin_static();
    skin_static(const skin_static&) = delete;
    skin_static& operator=(const skin_static&) = delete;

    bool is_progress() const { return type == type_hprogress || type == type_vprogress; }

    int type;
    // Region-image coordinates before add_static, window coordinates after.
    RECT rect;
    wchar_t tooltip[260];
    // A tool is registered while the tooltip text is longer than one character.
    bool tooltip_shown;
    bool visible;
    int id;
    dib background;
    // Type 0: 0 left, 1 centred, 2 right, 3 vertically centred; one line with
    // an ellipsis. Type 1: 0 left, 1 centred, else right; wrapped.
    int align;
    COLORREF text_colour;
    wchar_t text[1000];
    wchar_t face[260];
    int point_size;
    bool bold;
};

// Types 2, 4 and 5.
class ZEL_CORE_API skin_progress : public skin_static {
public:
    skin_progress();

    int value;  // type 2: the frame colour
    int min;    // type 2: the horizontal text margin
    int max;    // type 2: the vertical text margin
    COLORREF bar_colour;   // no_colour: the system's highlight colour
    COLORREF back_colour;  // no_colour: the system's window colour
    bool show_text;
    dib tile;
    RECT tile_src;
};

// An item of the item list: a type-4 control with one or two lines of text.
class ZEL_CORE_API skin_list_item : public skin_button {
public:
    skin_list_item();

    wchar_t first_line[260];
    wchar_t second_line[260];
    COLORREF normal_colour;
    COLORREF hot_colour;
    COLORREF checked_colour;
    int left_margin;
    int top_margin;
};

// The items of the list, in order; each is also one of the skin's controls
// (the skin owns them).
class ZEL_CORE_API skin_list_control {
public:
    skin_list_control();
    virtual ~skin_list_control();

    bool visible;
    std::vector<skin_list_item*> items;
};

// Statics and controls shown, hidden and redrawn together; each is also one
// of the skin's statics or controls (the skin owns them).
class ZEL_CORE_API skin_list_detail {
public:
    skin_list_detail();
    virtual ~skin_list_detail();

    bool visible;
    std::vector<skin_static*> statics;
    std::vector<skin_control*> controls;
};
