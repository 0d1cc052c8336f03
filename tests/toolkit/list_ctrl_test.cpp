// The list-view wrapper on a real list view: cell rectangles and hit tests,
// column values, items, data and checks.
#include "list_ctrl.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "control_test_support.h"
#include "window_rig.h"

namespace {
// Opens the cell hit test to the tests.
class open_list : public list_ctrl {
public:
    using list_ctrl::hittest;
};

struct list_ctrl_test : toolkit_test {
    window_rig::host_window host{20, 20, 420, 300};
    open_list list;

    void make(const std::vector<int>& widths, int rows, DWORD style = 0) {
        list.window = make_report_list(host.hwnd(), 10, 10, 380, 200, widths, rows, style);
        ASSERT_NE(list.window, nullptr);
    }
    RECT sub_item_rect(int item, int sub_item) {
        RECT r = {LVIR_BOUNDS, sub_item, 0, 0};
        SendMessageW(list.window, LVM_GETSUBITEMRECT, item, reinterpret_cast<LPARAM>(&r));
        return r;
    }
};
}  // namespace

TEST_F(list_ctrl_test, column_zero_ends_at_the_first_later_column_with_a_width) {
    make({80, 0, 100}, 3);
    RECT row = {LVIR_BOUNDS, 0, 0, 0};
    ASSERT_TRUE(SendMessageW(list.window, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row)));
    RECT cell = {};
    ASSERT_TRUE(list.get_cell_rect(1, 0, cell));
    EXPECT_EQ(cell.left, row.left);
    EXPECT_EQ(cell.top, row.top);
    EXPECT_EQ(cell.bottom, row.bottom);
    EXPECT_EQ(cell.right, sub_item_rect(1, 2).left);
    EXPECT_EQ(cell.right, row.left + 80);
    RECT second = {};
    ASSERT_TRUE(list.get_cell_rect(1, 2, second));
    EXPECT_EQ(second.left, row.left + 80);
    EXPECT_EQ(second.right, row.left + 180);
}

TEST_F(list_ctrl_test, with_one_column_the_cell_is_the_whole_row) {
    make({120}, 2);
    RECT row = {LVIR_BOUNDS, 0, 0, 0};
    SendMessageW(list.window, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    RECT cell = {};
    ASSERT_TRUE(list.get_cell_rect(0, 0, cell));
    EXPECT_TRUE(EqualRect(&cell, &row));
}

TEST_F(list_ctrl_test, the_cell_hit_test_finds_row_and_column_and_nothing_below_the_rows) {
    make({80, 60, 100}, 3);
    // As the skinned list view has it: a row is hit over its whole width.
    SendMessageW(list.window, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    RECT row = {LVIR_BOUNDS, 0, 0, 0};
    SendMessageW(list.window, LVM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&row));
    struct {
        int x;
        int column;
    } cases[] = {{5, 0}, {79, 0}, {80, 1}, {139, 1}, {140, 2}, {239, 2}};
    for (const auto& c : cases) {
        POINT pt = {row.left + c.x, row.top + 2};
        int item = -2, sub_item = -2;
        EXPECT_TRUE(list.hittest(pt, item, sub_item)) << c.x;
        EXPECT_EQ(item, 2) << c.x;
        EXPECT_EQ(sub_item, c.column) << c.x;
    }
    POINT below = {row.left + 5, row.bottom + 40};
    int item = -2, sub_item = -2;
    EXPECT_FALSE(list.hittest(below, item, sub_item));
    EXPECT_EQ(item, -1);
    EXPECT_EQ(sub_item, 3);
    unsigned flags = 0;
    EXPECT_EQ(list.hittest(below, &flags), -1);
    EXPECT_TRUE(flags & LVHT_NOWHERE);
}

TEST_F(list_ctrl_test, insert_column_keeps_values_in_order_and_drops_higher_ones) {
    make({}, 0);
    EXPECT_EQ(list.insert_column(0, L"\xC81C\xBAA9", 2, 120, -1), 0);  // 제목
    EXPECT_EQ(list.insert_column(1, L"time", 1), 1);
    EXPECT_EQ(list.insert_column(2, L"n", 0, 40, 2), 2);
    EXPECT_EQ(list.get_column_value(0), 2);
    EXPECT_EQ(list.get_column_value(1), 1);
    EXPECT_EQ(list.get_column_value(2), 0);
    EXPECT_EQ(list.get_column_width(0), 120);
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT;
    SendMessageW(list.window, LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
    EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_CENTER);
    list.insert_column(3, L"x", 2);
    list.insert_column(0, L"first", 1);  // a column in front cuts the values
    EXPECT_EQ(list.get_column_value(0), 1);
    EXPECT_EQ(list.get_column_value(1), 0);
    EXPECT_EQ(list.get_column_value(3), 0);
    EXPECT_EQ(list.get_column_value(-1), 0);
}

TEST_F(list_ctrl_test, items_texts_and_selection) {
    make({100, 100}, 0);
    EXPECT_EQ(list.insert_item(0, L"\xB178\xB798"), 0);  // 노래
    EXPECT_EQ(list.insert_item(1, L"b", 0), 1);
    EXPECT_EQ(list.insert_item(LVIF_TEXT | LVIF_PARAM, 2, L"c", 0, 0, 0, 77), 2);
    EXPECT_EQ(list.get_item_count(), 3);
    EXPECT_TRUE(list.set_item_text(0, 1, L"\xAC00\xC218"));  // 가수
    EXPECT_STREQ(list.get_item_text(0, 0).wvalue(), L"\xB178\xB798");
    EXPECT_STREQ(list.get_item_text(0, 1).wvalue(), L"\xAC00\xC218");
    wchar_t small[3];
    EXPECT_EQ(list.get_item_text(0, 0, small, 3), 2);
    const std::wstring long_text(1500, L'k');
    list.set_item_text(1, 0, long_text.c_str());
    EXPECT_EQ(std::wstring(list.get_item_text(1, 0).wvalue()), std::wstring(1023, L'k'));
    EXPECT_EQ(list.get_item_data(2), 77u);

    list.set_item_state(1, LVIS_SELECTED, LVIS_SELECTED);
    list.set_item_state(2, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(list.get_selected_count(), 2);
    EXPECT_EQ(list.get_next_item(-1, LVNI_SELECTED), 1);
    EXPECT_EQ(list.get_next_item(1, LVNI_SELECTED), 2);
    EXPECT_EQ(list.get_item_state(2, LVIS_SELECTED), LVIS_SELECTED);
    EXPECT_TRUE(list.delete_item(1));
    EXPECT_EQ(list.get_item_count(), 2);
    EXPECT_TRUE(list.delete_all_items());
    EXPECT_EQ(list.get_item_count(), 0);
}

TEST_F(list_ctrl_test, item_data_is_pointer_sized_and_zero_for_a_missing_item) {
    make({100}, 2);
    int anchor = 0;
    const DWORD_PTR data = reinterpret_cast<DWORD_PTR>(&anchor);
    EXPECT_TRUE(list.set_item_data(1, data));
    EXPECT_EQ(list.get_item_data(1), data);
    EXPECT_EQ(list.get_item_data(0), 0u);
    EXPECT_EQ(list.get_item_data(9), 0u);
    EXPECT_EQ(list.get_item_data(-1), 0u);
}

TEST_F(list_ctrl_test, an_item_without_a_state_image_reads_as_checked) {
    make({100}, 2);
    EXPECT_TRUE(list.get_check(0));
    SendMessageW(list.window, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
    list.set_item_state(0, INDEXTOSTATEIMAGEMASK(1), LVIS_STATEIMAGEMASK);
    list.set_item_state(1, INDEXTOSTATEIMAGEMASK(2), LVIS_STATEIMAGEMASK);
    EXPECT_FALSE(list.get_check(0));
    EXPECT_TRUE(list.get_check(1));
}

TEST_F(list_ctrl_test, colours_and_the_visible_rows) {
    make({100}, 60);
    list.set_text_color(RGB(1, 2, 3));
    list.set_text_bkcolor(RGB(4, 5, 6));
    EXPECT_EQ(list.get_text_color(), RGB(1, 2, 3));
    EXPECT_EQ(list.get_text_bkcolor(), RGB(4, 5, 6));
    const int per_page = list.get_count_per_page();
    ASSERT_GT(per_page, 2);
    ASSERT_LT(per_page, 60);
    EXPECT_EQ(list.get_top_index(), 0);
    EXPECT_TRUE(list.set_top_index(20));
    EXPECT_EQ(list.get_top_index(), 20);
    EXPECT_TRUE(list.set_top_index(3));
    EXPECT_EQ(list.get_top_index(), 3);
    EXPECT_FALSE(list.set_top_index(60));
    list.ensure_visible(59, FALSE);
    EXPECT_EQ(list.get_top_index(), 60 - per_page);
    EXPECT_TRUE(list.set_column_width(0, 150));
    EXPECT_EQ(list.get_column_width(0), 150);
}
