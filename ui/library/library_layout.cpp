// The library window's pane geometry (library_layout.h).
#include "library_layout.h"

namespace {
// The places of the face as the dialog starts.
const int kPaneTop = 59, kPaneBottom = 512, kPaneMin = 178;
const int kCompanionRight = 471;
const int kTreeLeft = 10, kTreeTop = 64, kTreeHeight = 438;
const int kBar = 9, kVScrollTop = 58, kVScrollLength = 444, kHScrollTop = 503;
const int kSwitchWidth = 60, kSwitchTop = 35, kSwitchHeight = 20;

RECT make(int x, int y, int w, int h) { return RECT{x, y, x + w, y + h}; }
}  // namespace

RECT library_page_rect(const RECT& pane_range, const RECT& companion_range, int companion_top, bool companion_shown,
                       bool store_tree, bool web_page) {
    RECT r;
    r.left = companion_range.left;
    r.right = companion_range.right;
    r.top = pane_range.top - ((store_tree || web_page) ? 0 : 1);
    r.bottom = companion_shown ? companion_top : pane_range.bottom;
    return r;
}

library_pane_layout layout_library_panes(const library_pane_input& in) {
    library_pane_layout out = {};
    const int growth = (in.client.bottom - in.client.top) - (in.initial_client.bottom - in.initial_client.top);
    const int widening = (in.client.right - in.client.left) - (in.initial_client.right - in.initial_client.left);

    // 1. The pane splitter never comes closer than 150 pixels to the right.
    out.pane_range = RECT{kPaneMin, kPaneTop, in.client.right - 150, kPaneBottom + growth};
    out.pane_left = in.pane_left;
    if (out.pane_left + in.pane_width > out.pane_range.right) out.pane_left = out.pane_range.right - in.pane_width;
    if (out.pane_left < kPaneMin) out.pane_left = kPaneMin;

    // 2. The companion splitter spans the right side and keeps 100 pixels
    // from the top and the bottom.
    const int bottom_limit = in.client.bottom - 100;
    out.companion_range = RECT{out.pane_left + in.pane_width, 100, kCompanionRight + widening, bottom_limit};
    out.companion_top = in.companion_top;
    if (out.companion_top < 100) out.companion_top = 100;
    if (out.companion_top + in.companion_height > bottom_limit) out.companion_top = bottom_limit - in.companion_height;

    // 3. Tree and bars: the vertical bar directly left of the pane splitter.
    const int vbar_left = out.pane_left - kBar;
    out.vscroll = make(vbar_left, kVScrollTop, kBar, kVScrollLength + growth);
    out.tree = make(kTreeLeft, kTreeTop, vbar_left - kTreeLeft, kTreeHeight + growth);
    out.hscroll = make(kTreeLeft, kHScrollTop + growth, vbar_left - kTreeLeft, kBar);

    // 4. The tree switch button.
    out.switch_button = make(in.client.right - 14 - kSwitchWidth, kSwitchTop, kSwitchWidth, kSwitchHeight);

    // 5. The page and its companion.
    if (in.has_companion) {
        out.page = RECT{out.companion_range.left, out.pane_range.top - (in.store_tree ? 0 : 1),
                        out.companion_range.right, out.companion_top};
        out.companion = RECT{out.companion_range.left, out.companion_top + in.companion_height - 1,
                             out.companion_range.right, out.pane_range.bottom};
    } else {
        out.page = RECT{out.companion_range.left, out.pane_range.top - ((in.web_page || in.store_tree) ? 0 : 1),
                        out.companion_range.right, out.pane_range.bottom};
        out.companion = RECT{};
    }
    return out;
}

library_control_layout layout_library_controls(const library_control_input& in) {
    library_control_layout out = {};
    out.notice = make(64, in.client.bottom - 30, in.client.right - 222, 16);
    out.new_post = make(13, in.client.bottom - 31, 46, 18);
    if (in.open_label_shown)
        out.path_right = in.open_label_left - 10;
    else if (in.set_combo_shown)
        out.path_right = in.set_combo_left - 10;
    else
        out.path_right = in.companion_right - 10;
    if (out.path_right < in.path_left) out.path_right = in.path_left;
    return out;
}

void layout_store_hours(int right, const int widths[6], int lefts[6]) {
    // From the right: 1031, 3, 1030, 3, 1034, 10, 1029, 3, 1028, 3, 1033.
    static const int gaps_before[6] = {3, 3, 10, 3, 3, 0};  // gap to the right of each, from the left
    int x = right;
    for (int i = 5; i >= 0; --i) {
        x -= widths[i];
        lefts[i] = x;
        if (i > 0) x -= gaps_before[i - 1];
    }
}
