#pragma once
// tree_ctrl: a thin wrapper around a tree view ("SysTreeView32"): each
// operation sends one tree-view message (a few fill a TVITEMW or
// TVINSERTSTRUCTW first) and returns the answer.
//
// The owner sets `window` after creating the tree view; the tree view is not
// destroyed with the object. User-interface thread only.
#include <windows.h>

#include <commctrl.h>

#include "stringx.h"
#include "zel_export.h"

class ZEL_CORE_API tree_ctrl {
public:
    tree_ctrl();
    virtual ~tree_ctrl();

    HWND window;

    // --- navigation (TVM_GETNEXTITEM); null when there is no such item ---
    HTREEITEM get_next_item(HTREEITEM item, unsigned code);
    HTREEITEM get_root_item();
    HTREEITEM get_next_sibling_item(HTREEITEM item);
    HTREEITEM get_prev_sibling_item(HTREEITEM item);
    HTREEITEM get_parent_item(HTREEITEM item);
    HTREEITEM get_child_item(HTREEITEM item);
    HTREEITEM get_first_visible_item();
    HTREEITEM get_next_visible_item(HTREEITEM item);
    HTREEITEM get_prev_visible_item(HTREEITEM item);
    HTREEITEM get_drop_hilight_item();
    HTREEITEM get_selected_item();

    // --- selection (TVM_SELECTITEM) ---
    int select(HTREEITEM item, unsigned code);
    int select_item(HTREEITEM item);
    int select_drop_target(HTREEITEM item);
    int select_set_first_visible(HTREEITEM item);

    // --- items ---
    HTREEITEM insert_item(TVINSERTSTRUCTW* insert);
    HTREEITEM insert_item(unsigned mask, const wchar_t* text, int image, int selected_image, unsigned state,
                          unsigned state_mask, LPARAM param, HTREEITEM parent, HTREEITEM insert_after);
    HTREEITEM insert_item(const wchar_t* text, int image, int selected_image, HTREEITEM parent,
                          HTREEITEM insert_after);
    HTREEITEM insert_item(const wchar_t* text, HTREEITEM parent, HTREEITEM insert_after);
    int delete_item(HTREEITEM item);
    int delete_all_items();
    int expand(HTREEITEM item, unsigned action);
    int get_item(TVITEMW* item);
    int set_item(TVITEMW* item);
    int set_item(HTREEITEM item, unsigned mask, const wchar_t* text, int image, int selected_image, unsigned state,
                 unsigned state_mask, LPARAM param);
    int get_item_text(HTREEITEM item, wchar_t* buffer, int size);
    // The whole text, however long; "" when the item cannot be read.
    stringx get_item_text(HTREEITEM item);
    int set_item_text(HTREEITEM item, const wchar_t* text);
    // The outputs are written only on success.
    int get_item_image(HTREEITEM item, int& image, int& selected_image);
    int set_item_image(HTREEITEM item, int image, int selected_image);
    unsigned get_item_state(HTREEITEM item, unsigned mask);
    int set_item_state(HTREEITEM item, unsigned state, unsigned mask);
    // The item's lParam; 0 for an item that cannot be read.
    DWORD_PTR get_item_data(HTREEITEM item);
    int set_item_data(HTREEITEM item, DWORD_PTR data);
    // The item's cChildren; 0 when it cannot be read.
    int item_has_children(HTREEITEM item);
    // 0 unchecked, 1 checked, -1 without a state image.
    int get_check_state(HTREEITEM item);
    int set_check_state(HTREEITEM item, bool checked);
    int get_item_rect(HTREEITEM item, RECT* rect, bool text_only);
    HTREEITEM hit_test(TVHITTESTINFO* info);
    HTREEITEM hit_test(POINT point, unsigned* flags);
    HWND edit_label(HTREEITEM item);
    int end_edit_label_now(bool cancel);
    HWND get_edit_control();
    int sort_children(HTREEITEM item, bool recurse);
    int sort_children_cb(TVSORTCB* sort, bool recurse);
    int ensure_visible(HTREEITEM item);
    HIMAGELIST create_drag_image(HTREEITEM item);
    int set_insert_mark(HTREEITEM item, bool after);
    int remove_insert_mark();

    // --- tree settings ---
    unsigned get_count();
    unsigned get_visible_count();
    unsigned get_indent();
    int set_indent(unsigned indent);
    HIMAGELIST get_image_list(unsigned type);
    HIMAGELIST set_image_list(HIMAGELIST list, int type);
    HIMAGELIST remove_image_list(int type);
    HWND get_tooltips();
    HWND set_tooltips(HWND tooltips);
    int get_isearch_string(wchar_t* buffer);
    COLORREF get_bkcolor();
    COLORREF set_bkcolor(COLORREF colour);
    COLORREF get_text_color();
    COLORREF set_text_color(COLORREF colour);
    COLORREF get_line_color();
    COLORREF set_line_color(COLORREF colour);
    COLORREF get_insert_mark_color();
    COLORREF set_insert_mark_color(COLORREF colour);
    int get_item_height();
    int set_item_height(int height);
    int get_scroll_time();
    int set_scroll_time(int time);
    bool get_unicode_format();
    bool set_unicode_format(bool unicode);

private:
    LRESULT send(UINT msg, WPARAM wparam = 0, LPARAM lparam = 0);
};
