#pragma once
// list_ctrl: a thin wrapper around a report-style list view ("SysListView32"):
// each operation sends one or a few list-view messages and returns the
// answer. Beside the window it keeps one value per column, given when the
// column is inserted (the skinned list view reads it as the text alignment:
// 0 left, 1 right, 2 centred), and adds two cell operations the list view
// lacks: the rectangle of column 0 alone and the cell under a point.
//
// The owner sets `window` after creating the list view; the list view is not
// destroyed with the object. User-interface thread only.
#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "stringx.h"
#include "zel_export.h"

class ZEL_CORE_API list_ctrl {
public:
    list_ctrl();
    virtual ~list_ctrl();

    HWND window;

    int get_item_count();
    int get_next_item(int start, int flags);
    int get_selected_count();
    int delete_item(int item);
    int delete_all_items();
    // The text's length; the text cut to size - 1 characters.
    int get_item_text(int item, int sub_item, wchar_t* buffer, int size);
    // At most 1023 characters.
    stringx get_item_text(int item, int sub_item);
    // The new item's index or -1.
    int insert_item(unsigned mask, int item, const wchar_t* text, unsigned state, unsigned state_mask, int image,
                    LPARAM param);
    int insert_item(const LVITEMW* item);
    int insert_item(int item, const wchar_t* text);
    int insert_item(int item, const wchar_t* text, int image);
    int get_item_state(int item, unsigned mask);
    int set_item_state(int item, unsigned state, unsigned mask);
    int set_item_state(int item, LVITEMW* state);
    // The item under the point or -1; the hit flags when flags is not null.
    int hittest(POINT point, unsigned* flags);
    int get_top_index();
    int get_count_per_page();
    int ensure_visible(int item, int partial_ok);
    int get_column_width(int column);
    int set_column_width(int column, int width);
    unsigned long get_text_color();
    int set_text_color(COLORREF colour);
    unsigned long get_text_bkcolor();
    int set_text_bkcolor(COLORREF colour);
    int set_item(LVITEMW* item);
    int set_item(int item, int sub_item, unsigned mask, const wchar_t* text, int image, unsigned state,
                 unsigned state_mask, LPARAM param);
    int set_item_text(int item, int sub_item, const wchar_t* text);
    // The item's lParam; 0 for a missing item.
    DWORD_PTR get_item_data(int item);
    int set_item_data(int item, DWORD_PTR data);
    // True unless the state image is exactly the first (unchecked) one: an
    // item without a state image reads as checked.
    bool get_check(int item);

    // A centred column with the heading; width and sub_item -1 leave them
    // out. The column values are cut to column + 1 entries (values of higher
    // columns are dropped) and value is kept for the column. The new column's
    // index or -1.
    int insert_column(int column, const wchar_t* heading, int value, int width = -1, int sub_item = -1);
    // The value given for the column; 0 for columns without one.
    int get_column_value(int column) const;
    // Scrolls so that the item becomes the top visible row; non-zero on
    // success.
    int set_top_index(int item);
    // One cell; column 0 runs from the row's left edge to the first column
    // after it that has a width. Non-zero on success.
    int get_cell_rect(int item, int sub_item, RECT& rect);

protected:
    // The cell under a point: true with its row and column; false (sub_item
    // the column count) when no cell holds the point.
    bool hittest(POINT& point, int& item, int& sub_item);

    std::vector<int> column_values;

private:
    int header_count();
};
