#pragma once
// The library window's pane layout as plain geometry: where the tree, its
// two scroll bars, the two splitters, the page and its companion, the tree
// switch button, the notice line and the path line go for a client size.
// The window measures, calls these and moves its controls; tests check the
// numbers without windows.
//
// Everything grows from the client size recorded at WM_INITDIALOG (the
// 480 x 550 face): growth is the client height minus that height, widening
// the width likewise.
#include <windows.h>

struct library_pane_input {
    RECT client;           // the client rectangle now
    RECT initial_client;   // the one recorded at WM_INITDIALOG
    int pane_left;         // the pane splitter's left edge now
    int pane_width;        // image 8's width (the pane splitter)
    int companion_height;  // image 9's height (the companion splitter)
    int companion_top;     // the companion splitter's top edge now
    bool has_companion;    // the open page has a companion window
    bool store_tree;       // the store tree is shown
    bool web_page;         // the open page is a web page (type 7)
};

struct library_pane_layout {
    RECT pane_range;       // the pane splitter's range
    int pane_left;         // where the pane splitter goes
    RECT companion_range;  // the companion splitter's range
    int companion_top;     // where the companion splitter goes
    RECT tree;
    RECT vscroll;          // 9 wide, directly left of the pane splitter
    RECT hscroll;          // 9 high, under the tree, as wide as the tree
    RECT switch_button;    // 60 x 20, 14 pixels from the right edge
    RECT page;             // the open page
    RECT companion;        // its companion (empty without one)
};

// The panes after a resize or a splitter drag.
library_pane_layout layout_library_panes(const library_pane_input& in);

// The page rectangle when a page opens: the companion splitter's width,
// from one pixel above the pane splitter's top (the top itself for the web
// page and in the store tree) down to the companion splitter's top when
// it is shown, else to the pane splitter's bottom.
RECT library_page_rect(const RECT& pane_range, const RECT& companion_range, int companion_top, bool companion_shown,
                       bool store_tree, bool web_page);

// The bottom row and the path line.
struct library_control_input {
    RECT client;
    int companion_right;  // the companion splitter's right edge
    bool open_label_shown;       // 1033 "개점 시간"
    int open_label_left;
    bool set_combo_shown;        // 1050
    int set_combo_left;
    int path_left;
};
struct library_control_layout {
    RECT notice;    // 1052
    RECT new_post;  // 1003, 46 x 18
    int path_right; // 1048's right edge
};
library_control_layout layout_library_controls(const library_control_input& in);

// The store-hours row (1033, 1028, 1029, 1034, 1030, 1031 from the left)
// right-aligned at right, on row top, from the widths of the six controls
// in that order; the left edges come back in the same order.
void layout_store_hours(int right, const int widths[6], int lefts[6]);
