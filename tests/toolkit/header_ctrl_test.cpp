// The flat list-view header on a real list view of the common controls:
// fixed columns, no divider double click, the taller row, the width, and its
// painting.
#include "header_ctrl.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "control_test_support.h"
#include "window_capture.h"
#include "window_rig.h"

namespace {
// Logs which items it is asked to draw.
class logging_header : public header_ctrl {
public:
    std::vector<unsigned> drawn;
    void draw_item(unsigned int index, HDC dc, RECT& rect, const wchar_t* text) override {
        drawn.push_back(index);
        header_ctrl::draw_item(index, dc, rect, text);
    }
};

// Logs the codes of the notifications a window receives.
class notify_codes : public subclass {
public:
    std::vector<UINT> codes;
    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override {
        if (msg == WM_NOTIFY && lparam) codes.push_back(reinterpret_cast<NMHDR*>(lparam)->code);
        return subclass::window_proc(msg, wparam, lparam);
    }
};

struct header_ctrl_test : toolkit_test {
    window_rig::host_window host{20, 20, 420, 260};
    HWND list = nullptr;
    HWND header = nullptr;

    void make(const std::vector<int>& widths, int rows = 3, DWORD style = 0) {
        list = make_report_list(host.hwnd(), 10, 10, 300, 200, widths, rows, style);
        ASSERT_NE(list, nullptr);
        header = list_header(list);
        ASSERT_NE(header, nullptr);
    }
    // Makes the list view lay its header out again.
    void relayout() {
        RECT r = rect_in_parent(list);
        SetWindowPos(list, nullptr, 0, 0, r.right - r.left + 1, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
        SetWindowPos(list, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
        window_rig::pump();
    }
    int column_width(int column) { return static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0)); }
    // Drags the divider at x of the header by dx.
    void drag_divider(int x, int dx) {
        const int y = window_height(header) / 2;
        window_rig::mouse_move(header, x, y);
        window_rig::left_down(header, x, y);
        window_rig::mouse_move(header, x + dx / 2, y, MK_LBUTTON);
        window_rig::mouse_move(header, x + dx, y, MK_LBUTTON);
        window_rig::left_up(header, x + dx, y);
        window_rig::pump();
    }
};
}  // namespace

TEST_F(header_ctrl_test, a_fixed_column_refuses_the_divider_drag_and_others_still_resize) {
    make({80, 60, 100});
    header_ctrl flat;
    flat.init(header);
    flat.set_fixed_item(0, true);
    drag_divider(80, 30);
    EXPECT_EQ(column_width(0), 80);
    drag_divider(140, 30);
    EXPECT_EQ(column_width(1), 90);
    flat.set_fixed_item(0, false);
    drag_divider(80, 30);
    EXPECT_EQ(column_width(0), 110);
}

TEST_F(header_ctrl_test, set_fixed_item_lists_each_column_once) {
    header_ctrl flat;
    flat.set_fixed_item(2, true);
    flat.set_fixed_item(2, true);
    flat.set_fixed_item(4, true);
    flat.set_fixed_item(3, false);  // not fixed: nothing
    EXPECT_TRUE(flat.is_fixed_item(2));
    flat.set_fixed_item(2, false);
    EXPECT_FALSE(flat.is_fixed_item(2));
    EXPECT_TRUE(flat.is_fixed_item(4));
}

TEST_F(header_ctrl_test, a_divider_double_click_does_not_size_the_column) {
    make({200, 60});
    // The plain header sizes the column to its text on a divider double click.
    window_rig::double_click(header, 200, window_height(header) / 2);
    window_rig::pump();
    const int plain = column_width(0);
    EXPECT_LT(plain, 200);
    SendMessageW(list, LVM_SETCOLUMNWIDTH, 0, 200);
    header_ctrl flat;
    flat.init(header);
    window_rig::double_click(header, 200, window_height(header) / 2);
    window_rig::pump();
    EXPECT_EQ(column_width(0), 200);
}

TEST_F(header_ctrl_test, the_row_is_1_4_times_as_high_and_the_rows_start_below_it) {
    make({80, 60});
    const int plain = window_height(header);
    ASSERT_GT(plain, 0);
    header_ctrl flat;
    flat.init(header);
    relayout();
    const int tall = window_height(header);
    EXPECT_EQ(tall, static_cast<int>(plain * 1.4));
    RECT row = {LVIR_BOUNDS, 0, 0, 0};
    ASSERT_TRUE(SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row)));
    EXPECT_GE(row.top, tall);
    EXPECT_EQ(flat.item_height(20), 28u);
    EXPECT_EQ(flat.item_height(17), 23u);
}

TEST_F(header_ctrl_test, the_header_is_never_narrower_than_the_list) {
    make({80, 60}, 40, WS_BORDER);  // a border and a vertical scroll bar
    const int list_width = window_width(list);
    ASSERT_LT(window_width(header), list_width);
    header_ctrl flat;
    flat.init(header);
    relayout();
    EXPECT_GE(window_width(header), list_width);
}

TEST_F(header_ctrl_test, items_are_centred_and_painted_flat_without_width_zero_items) {
    make({80, 0, 100});
    logging_header flat;
    flat.init(header);
    for (int i = 0; i < 3; ++i) {
        HDITEMW item = {};
        item.mask = HDI_FORMAT;
        SendMessageW(header, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
        EXPECT_TRUE(item.fmt & HDF_CENTER) << i;
    }
    const COLORREF line = RGB(255, 0, 0), background = RGB(0, 0, 255), text = RGB(0, 255, 0);
    flat.set_color(line, background, text);
    relayout();
    flat.drawn.clear();
    InvalidateRect(header, nullptr, TRUE);
    UpdateWindow(header);
    EXPECT_EQ(flat.drawn, (std::vector<unsigned>{0, 2}));
    pixel_image p = capture_window(header);
    const int h = p.height;
    ASSERT_GT(h, 4);
    EXPECT_EQ(p.count(line, 0, h - 1, 80, 1), 80);      // the bottom line
    EXPECT_EQ(p.count(line, 80, 0, 1, h - 1), h - 1);   // the separator after column 0
    EXPECT_EQ(p.count(line, 180, 0, 1, h - 1), h - 1);  // and after column 2
    EXPECT_EQ(p.at(40, 1), background);                 // no line along the top
    EXPECT_GT(p.count(text, 0, 0, 80, h), 0);            // "c0", centred
    EXPECT_EQ(p.count(text, 0, 0, 20, h), 0);
    EXPECT_GT(p.count(text, 81, 0, 99, h), 0);           // "c2"
    EXPECT_EQ(p.count(line, 181, 0, 100, h - 1), 0);     // past the columns: background
}

TEST_F(header_ctrl_test, the_second_header_draws_a_line_along_the_top_too) {
    make({80, 60});
    header_ctrl2 flat;
    flat.init(header);
    const COLORREF line = RGB(255, 0, 0);
    flat.set_color(line, RGB(0, 0, 255), RGB(0, 255, 0));
    InvalidateRect(header, nullptr, TRUE);
    UpdateWindow(header);
    pixel_image p = capture_window(header);
    EXPECT_EQ(p.count(line, 0, 0, 80, 1), 80);
    EXPECT_EQ(p.count(line, 0, p.height - 1, 80, 1), 80);
}

// Every WM_NOTIFY of the list view's children is offered to its sender
// first; a sender that answers 0 leaves the list view's own handling alone,
// and the forwarding ends with the list view.
TEST_F(header_ctrl_test, notifications_of_other_children_go_on_to_the_list_view) {
    make({80, 60}, 3);
    header_ctrl flat;
    flat.init(header);
    window_rig::message_recorder offered({header_ctrl::msg_header_notify});
    offered.init(header);
    // A click on the header reaches the list view's parent as LVN_COLUMNCLICK.
    notify_codes parent_log;
    parent_log.init(host.hwnd());
    window_rig::click(header, 100, window_height(header) / 2);
    window_rig::pump();
    EXPECT_GT(offered.count(header_ctrl::msg_header_notify), 0);
    EXPECT_NE(std::find(parent_log.codes.begin(), parent_log.codes.end(), static_cast<UINT>(LVN_COLUMNCLICK)),
              parent_log.codes.end());
    offered.deinit();
    parent_log.deinit();
    DestroyWindow(list);
    window_rig::pump();
}
