// List view wrapper: one message per operation, and the cell geometry of
// column 0 and of a point.
#include "list_ctrl.h"

namespace {
LRESULT send(HWND hwnd, UINT msg, WPARAM wparam = 0, LPARAM lparam = 0) {
    return SendMessageW(hwnd, msg, wparam, lparam);
}
template <typename T>
LPARAM ptr(T* p) {
    return reinterpret_cast<LPARAM>(p);
}
}  // namespace

list_ctrl::list_ctrl() : window(nullptr) {}

list_ctrl::~list_ctrl() {}

int list_ctrl::get_item_count() { return static_cast<int>(send(window, LVM_GETITEMCOUNT)); }

int list_ctrl::get_next_item(int start, int flags) {
    return static_cast<int>(send(window, LVM_GETNEXTITEM, start, LOWORD(flags)));
}

int list_ctrl::get_selected_count() { return static_cast<int>(send(window, LVM_GETSELECTEDCOUNT)); }

int list_ctrl::delete_item(int item) { return static_cast<int>(send(window, LVM_DELETEITEM, item)); }

int list_ctrl::delete_all_items() { return static_cast<int>(send(window, LVM_DELETEALLITEMS)); }

int list_ctrl::get_item_text(int item, int sub_item, wchar_t* buffer, int size) {
    LVITEMW lv = {};
    lv.iSubItem = sub_item;
    lv.pszText = buffer;
    lv.cchTextMax = size;
    return static_cast<int>(send(window, LVM_GETITEMTEXTW, item, ptr(&lv)));
}

stringx list_ctrl::get_item_text(int item, int sub_item) {
    wchar_t buffer[1024] = L"";
    get_item_text(item, sub_item, buffer, 1024);
    buffer[1023] = 0;
    return stringx(buffer);
}

int list_ctrl::insert_item(unsigned mask, int item, const wchar_t* text, unsigned state, unsigned state_mask,
                           int image, LPARAM param) {
    LVITEMW lv = {};
    lv.mask = mask;
    lv.iItem = item;
    lv.pszText = const_cast<wchar_t*>(text);
    lv.state = state;
    lv.stateMask = state_mask;
    lv.iImage = image;
    lv.lParam = param;
    return insert_item(&lv);
}

int list_ctrl::insert_item(const LVITEMW* item) {
    return static_cast<int>(send(window, LVM_INSERTITEMW, 0, ptr(item)));
}

int list_ctrl::insert_item(int item, const wchar_t* text) { return insert_item(LVIF_TEXT, item, text, 0, 0, 0, 0); }

int list_ctrl::insert_item(int item, const wchar_t* text, int image) {
    return insert_item(LVIF_TEXT | LVIF_IMAGE, item, text, 0, 0, image, 0);
}

int list_ctrl::get_item_state(int item, unsigned mask) {
    return static_cast<int>(send(window, LVM_GETITEMSTATE, item, mask));
}

int list_ctrl::set_item_state(int item, unsigned state, unsigned mask) {
    LVITEMW lv = {};
    lv.state = state;
    lv.stateMask = mask;
    return set_item_state(item, &lv);
}

int list_ctrl::set_item_state(int item, LVITEMW* state) {
    return static_cast<int>(send(window, LVM_SETITEMSTATE, item, ptr(state)));
}

int list_ctrl::hittest(POINT point, unsigned* flags) {
    LVHITTESTINFO info = {};
    info.pt = point;
    const int item = static_cast<int>(send(window, LVM_HITTEST, 0, ptr(&info)));
    if (flags) *flags = info.flags;
    return item;
}

int list_ctrl::get_top_index() { return static_cast<int>(send(window, LVM_GETTOPINDEX)); }

int list_ctrl::get_count_per_page() { return static_cast<int>(send(window, LVM_GETCOUNTPERPAGE)); }

int list_ctrl::ensure_visible(int item, int partial_ok) {
    return static_cast<int>(send(window, LVM_ENSUREVISIBLE, item, LOWORD(partial_ok)));
}

int list_ctrl::get_column_width(int column) { return static_cast<int>(send(window, LVM_GETCOLUMNWIDTH, column)); }

int list_ctrl::set_column_width(int column, int width) {
    return static_cast<int>(send(window, LVM_SETCOLUMNWIDTH, column, static_cast<short>(LOWORD(width))));
}

unsigned long list_ctrl::get_text_color() { return static_cast<unsigned long>(send(window, LVM_GETTEXTCOLOR)); }

int list_ctrl::set_text_color(COLORREF colour) {
    return static_cast<int>(send(window, LVM_SETTEXTCOLOR, 0, colour));
}

unsigned long list_ctrl::get_text_bkcolor() {
    return static_cast<unsigned long>(send(window, LVM_GETTEXTBKCOLOR));
}

int list_ctrl::set_text_bkcolor(COLORREF colour) {
    return static_cast<int>(send(window, LVM_SETTEXTBKCOLOR, 0, colour));
}

int list_ctrl::set_item(LVITEMW* item) { return static_cast<int>(send(window, LVM_SETITEMW, 0, ptr(item))); }

int list_ctrl::set_item(int item, int sub_item, unsigned mask, const wchar_t* text, int image, unsigned state,
                        unsigned state_mask, LPARAM param) {
    LVITEMW lv = {};
    lv.mask = mask;
    lv.iItem = item;
    lv.iSubItem = sub_item;
    lv.pszText = const_cast<wchar_t*>(text);
    lv.iImage = image;
    lv.state = state;
    lv.stateMask = state_mask;
    lv.lParam = param;
    return set_item(&lv);
}

int list_ctrl::set_item_text(int item, int sub_item, const wchar_t* text) {
    return set_item(item, sub_item, LVIF_TEXT, text, 0, 0, 0, 0);
}

DWORD_PTR list_ctrl::get_item_data(int item) {
    LVITEMW lv = {};
    lv.mask = LVIF_PARAM;
    lv.iItem = item;
    if (!send(window, LVM_GETITEMW, 0, ptr(&lv))) return 0;
    return static_cast<DWORD_PTR>(lv.lParam);
}

int list_ctrl::set_item_data(int item, DWORD_PTR data) {
    return set_item(item, 0, LVIF_PARAM, nullptr, 0, 0, 0, static_cast<LPARAM>(data));
}

bool list_ctrl::get_check(int item) {
    const unsigned state = static_cast<unsigned>(send(window, LVM_GETITEMSTATE, item, LVIS_STATEIMAGEMASK));
    return ((state & LVIS_STATEIMAGEMASK) >> 12) != 1;
}

int list_ctrl::insert_column(int column, const wchar_t* heading, int value, int width, int sub_item) {
    LVCOLUMNW lc = {};
    lc.mask = LVCF_FMT | LVCF_TEXT;
    lc.fmt = LVCFMT_CENTER;
    lc.pszText = const_cast<wchar_t*>(heading);
    if (width != -1) {
        lc.mask |= LVCF_WIDTH;
        lc.cx = width;
    }
    if (sub_item != -1) {
        lc.mask |= LVCF_SUBITEM;
        lc.iSubItem = sub_item;
    }
    if (column >= 0) {
        column_values.resize(static_cast<size_t>(column) + 1, 0);
        column_values[static_cast<size_t>(column)] = value;
    }
    return static_cast<int>(send(window, LVM_INSERTCOLUMNW, column, ptr(&lc)));
}

int list_ctrl::get_column_value(int column) const {
    if (column < 0 || static_cast<size_t>(column) >= column_values.size()) return 0;
    return column_values[static_cast<size_t>(column)];
}

// The list view has no message that sets the top row: it is scrolled by the
// distance between the current top row and the item.
int list_ctrl::set_top_index(int item) {
    const int count = get_item_count();
    if (item < 0 || item >= count) return 0;
    const int top = get_top_index();
    RECT from = {LVIR_BOUNDS, 0, 0, 0}, to = {LVIR_BOUNDS, 0, 0, 0};
    if (!send(window, LVM_GETITEMRECT, top, ptr(&from)) || !send(window, LVM_GETITEMRECT, item, ptr(&to)))
        return 0;
    if (to.top != from.top && !send(window, LVM_SCROLL, 0, to.top - from.top)) return 0;
    return 1;
}

int list_ctrl::header_count() {
    HWND header = reinterpret_cast<HWND>(send(window, LVM_GETHEADER));
    return header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

int list_ctrl::get_cell_rect(int item, int sub_item, RECT& rect) {
    if (sub_item > 0) {
        rect.top = sub_item;
        rect.left = LVIR_BOUNDS;
        return static_cast<int>(send(window, LVM_GETSUBITEMRECT, item, ptr(&rect)));
    }
    const int columns = header_count();
    if (columns < 1) return 0;
    if (columns == 1) {
        rect.left = LVIR_BOUNDS;
        return static_cast<int>(send(window, LVM_GETITEMRECT, item, ptr(&rect)));
    }
    RECT next = {};
    for (int i = 1; i < columns; ++i) {
        next.top = i;
        next.left = LVIR_BOUNDS;
        if (!send(window, LVM_GETSUBITEMRECT, item, ptr(&next))) return 0;
        if (next.left < next.right) break;
    }
    RECT row = {LVIR_BOUNDS, 0, 0, 0};
    if (!send(window, LVM_GETITEMRECT, item, ptr(&row))) return 0;
    row.right = next.left;
    rect = row;
    return 1;
}

bool list_ctrl::hittest(POINT& point, int& item, int& sub_item) {
    LVHITTESTINFO info = {};
    info.pt = point;
    item = static_cast<int>(send(window, LVM_HITTEST, 0, ptr(&info)));
    const int columns = header_count();
    for (sub_item = 0; sub_item < columns; ++sub_item) {
        RECT cell = {};
        if (get_cell_rect(item, sub_item, cell) && PtInRect(&cell, point)) return true;
    }
    return false;
}
