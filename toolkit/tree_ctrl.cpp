// Tree view wrapper: one message per operation.
#include "tree_ctrl.h"

#include <cwchar>
#include <vector>

namespace {
template <typename T>
LPARAM ptr(T* p) {
    return reinterpret_cast<LPARAM>(p);
}
LPARAM item_param(HTREEITEM item) { return reinterpret_cast<LPARAM>(item); }
// The longest text read back (characters): a tree item never holds more, and
// the doubling stops there whatever the tree answers.
const int kLongestText = 1 << 20;
}  // namespace

tree_ctrl::tree_ctrl() : window(nullptr) {}

tree_ctrl::~tree_ctrl() {}

LRESULT tree_ctrl::send(UINT msg, WPARAM wparam, LPARAM lparam) { return SendMessageW(window, msg, wparam, lparam); }

HTREEITEM tree_ctrl::get_next_item(HTREEITEM item, unsigned code) {
    return reinterpret_cast<HTREEITEM>(send(TVM_GETNEXTITEM, code, item_param(item)));
}
HTREEITEM tree_ctrl::get_root_item() { return get_next_item(nullptr, TVGN_ROOT); }
HTREEITEM tree_ctrl::get_next_sibling_item(HTREEITEM item) { return get_next_item(item, TVGN_NEXT); }
HTREEITEM tree_ctrl::get_prev_sibling_item(HTREEITEM item) { return get_next_item(item, TVGN_PREVIOUS); }
HTREEITEM tree_ctrl::get_parent_item(HTREEITEM item) { return get_next_item(item, TVGN_PARENT); }
HTREEITEM tree_ctrl::get_child_item(HTREEITEM item) { return get_next_item(item, TVGN_CHILD); }
HTREEITEM tree_ctrl::get_first_visible_item() { return get_next_item(nullptr, TVGN_FIRSTVISIBLE); }
HTREEITEM tree_ctrl::get_next_visible_item(HTREEITEM item) { return get_next_item(item, TVGN_NEXTVISIBLE); }
HTREEITEM tree_ctrl::get_prev_visible_item(HTREEITEM item) { return get_next_item(item, TVGN_PREVIOUSVISIBLE); }
HTREEITEM tree_ctrl::get_drop_hilight_item() { return get_next_item(nullptr, TVGN_DROPHILITE); }
HTREEITEM tree_ctrl::get_selected_item() { return get_next_item(nullptr, TVGN_CARET); }

int tree_ctrl::select(HTREEITEM item, unsigned code) {
    return static_cast<int>(send(TVM_SELECTITEM, code, item_param(item)));
}
int tree_ctrl::select_item(HTREEITEM item) { return select(item, TVGN_CARET); }
int tree_ctrl::select_drop_target(HTREEITEM item) { return select(item, TVGN_DROPHILITE); }
int tree_ctrl::select_set_first_visible(HTREEITEM item) { return select(item, TVGN_FIRSTVISIBLE); }

HTREEITEM tree_ctrl::insert_item(TVINSERTSTRUCTW* insert) {
    return reinterpret_cast<HTREEITEM>(send(TVM_INSERTITEMW, 0, ptr(insert)));
}

HTREEITEM tree_ctrl::insert_item(unsigned mask, const wchar_t* text, int image, int selected_image, unsigned state,
                                 unsigned state_mask, LPARAM param, HTREEITEM parent, HTREEITEM insert_after) {
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = insert_after;
    insert.item.mask = mask;
    insert.item.pszText = const_cast<wchar_t*>(text);
    insert.item.iImage = image;
    insert.item.iSelectedImage = selected_image;
    insert.item.state = state;
    insert.item.stateMask = state_mask;
    insert.item.lParam = param;
    return insert_item(&insert);
}

HTREEITEM tree_ctrl::insert_item(const wchar_t* text, int image, int selected_image, HTREEITEM parent,
                                 HTREEITEM insert_after) {
    return insert_item(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE, text, image, selected_image, 0, 0, 0, parent,
                       insert_after);
}

HTREEITEM tree_ctrl::insert_item(const wchar_t* text, HTREEITEM parent, HTREEITEM insert_after) {
    return insert_item(TVIF_TEXT, text, 0, 0, 0, 0, 0, parent, insert_after);
}

int tree_ctrl::delete_item(HTREEITEM item) { return static_cast<int>(send(TVM_DELETEITEM, 0, item_param(item))); }
int tree_ctrl::delete_all_items() { return delete_item(TVI_ROOT); }

int tree_ctrl::expand(HTREEITEM item, unsigned action) {
    return static_cast<int>(send(TVM_EXPAND, action, item_param(item)));
}

int tree_ctrl::get_item(TVITEMW* item) { return static_cast<int>(send(TVM_GETITEMW, 0, ptr(item))); }
int tree_ctrl::set_item(TVITEMW* item) { return static_cast<int>(send(TVM_SETITEMW, 0, ptr(item))); }

int tree_ctrl::set_item(HTREEITEM item, unsigned mask, const wchar_t* text, int image, int selected_image,
                        unsigned state, unsigned state_mask, LPARAM param) {
    TVITEMW tv = {};
    tv.hItem = item;
    tv.mask = mask;
    tv.pszText = const_cast<wchar_t*>(text);
    tv.iImage = image;
    tv.iSelectedImage = selected_image;
    tv.state = state;
    tv.stateMask = state_mask;
    tv.lParam = param;
    return set_item(&tv);
}

int tree_ctrl::get_item_text(HTREEITEM item, wchar_t* buffer, int size) {
    TVITEMW tv = {};
    tv.hItem = item;
    tv.mask = TVIF_TEXT;
    tv.pszText = buffer;
    tv.cchTextMax = size;
    return get_item(&tv);
}

stringx tree_ctrl::get_item_text(HTREEITEM item) {
    std::vector<wchar_t> buffer(256);
    for (;;) {
        buffer[0] = 0;
        const int size = static_cast<int>(buffer.size());
        if (!get_item_text(item, buffer.data(), size)) return stringx(L"");
        buffer[size - 1] = 0;
        const int length = static_cast<int>(wcslen(buffer.data()));
        if (length < size - 1 || size >= kLongestText) break;
        buffer.assign(buffer.size() * 2, 0);
    }
    return stringx(buffer.data());
}

int tree_ctrl::set_item_text(HTREEITEM item, const wchar_t* text) {
    return set_item(item, TVIF_TEXT, text, 0, 0, 0, 0, 0);
}

int tree_ctrl::get_item_image(HTREEITEM item, int& image, int& selected_image) {
    TVITEMW tv = {};
    tv.hItem = item;
    tv.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    const int ok = get_item(&tv);
    if (ok) {
        image = tv.iImage;
        selected_image = tv.iSelectedImage;
    }
    return ok;
}

int tree_ctrl::set_item_image(HTREEITEM item, int image, int selected_image) {
    return set_item(item, TVIF_IMAGE | TVIF_SELECTEDIMAGE, nullptr, image, selected_image, 0, 0, 0);
}

unsigned tree_ctrl::get_item_state(HTREEITEM item, unsigned mask) {
    return static_cast<unsigned>(send(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), mask));
}

int tree_ctrl::set_item_state(HTREEITEM item, unsigned state, unsigned mask) {
    return set_item(item, TVIF_STATE, nullptr, 0, 0, state, mask, 0);
}

DWORD_PTR tree_ctrl::get_item_data(HTREEITEM item) {
    TVITEMW tv = {};
    tv.hItem = item;
    tv.mask = TVIF_PARAM;
    if (!get_item(&tv)) return 0;
    return static_cast<DWORD_PTR>(tv.lParam);
}

int tree_ctrl::set_item_data(HTREEITEM item, DWORD_PTR data) {
    return set_item(item, TVIF_PARAM, nullptr, 0, 0, 0, 0, static_cast<LPARAM>(data));
}

int tree_ctrl::item_has_children(HTREEITEM item) {
    TVITEMW tv = {};
    tv.hItem = item;
    tv.mask = TVIF_CHILDREN;
    if (!get_item(&tv)) return 0;
    return tv.cChildren;
}

int tree_ctrl::get_check_state(HTREEITEM item) {
    return static_cast<int>((get_item_state(item, TVIS_STATEIMAGEMASK) & TVIS_STATEIMAGEMASK) >> 12) - 1;
}

int tree_ctrl::set_check_state(HTREEITEM item, bool checked) {
    return set_item_state(item, INDEXTOSTATEIMAGEMASK(checked ? 2 : 1), TVIS_STATEIMAGEMASK);
}

int tree_ctrl::get_item_rect(HTREEITEM item, RECT* rect, bool text_only) {
    if (!rect) return 0;
    *reinterpret_cast<HTREEITEM*>(rect) = item;
    return static_cast<int>(send(TVM_GETITEMRECT, text_only, ptr(rect)));
}

HTREEITEM tree_ctrl::hit_test(TVHITTESTINFO* info) {
    return reinterpret_cast<HTREEITEM>(send(TVM_HITTEST, 0, ptr(info)));
}

HTREEITEM tree_ctrl::hit_test(POINT point, unsigned* flags) {
    TVHITTESTINFO info = {};
    info.pt = point;
    HTREEITEM item = hit_test(&info);
    if (flags) *flags = info.flags;
    return item;
}

HWND tree_ctrl::edit_label(HTREEITEM item) {
    return reinterpret_cast<HWND>(send(TVM_EDITLABELW, 0, item_param(item)));
}
int tree_ctrl::end_edit_label_now(bool cancel) { return static_cast<int>(send(TVM_ENDEDITLABELNOW, cancel)); }
HWND tree_ctrl::get_edit_control() { return reinterpret_cast<HWND>(send(TVM_GETEDITCONTROL)); }

int tree_ctrl::sort_children(HTREEITEM item, bool recurse) {
    return static_cast<int>(send(TVM_SORTCHILDREN, recurse, item_param(item)));
}
int tree_ctrl::sort_children_cb(TVSORTCB* sort, bool recurse) {
    return static_cast<int>(send(TVM_SORTCHILDRENCB, recurse, ptr(sort)));
}
int tree_ctrl::ensure_visible(HTREEITEM item) {
    return static_cast<int>(send(TVM_ENSUREVISIBLE, 0, item_param(item)));
}
HIMAGELIST tree_ctrl::create_drag_image(HTREEITEM item) {
    return reinterpret_cast<HIMAGELIST>(send(TVM_CREATEDRAGIMAGE, 0, item_param(item)));
}
int tree_ctrl::set_insert_mark(HTREEITEM item, bool after) {
    return static_cast<int>(send(TVM_SETINSERTMARK, after, item_param(item)));
}
int tree_ctrl::remove_insert_mark() { return static_cast<int>(send(TVM_SETINSERTMARK, 0, 0)); }

unsigned tree_ctrl::get_count() { return static_cast<unsigned>(send(TVM_GETCOUNT)); }
unsigned tree_ctrl::get_visible_count() { return static_cast<unsigned>(send(TVM_GETVISIBLECOUNT)); }
unsigned tree_ctrl::get_indent() { return static_cast<unsigned>(send(TVM_GETINDENT)); }
int tree_ctrl::set_indent(unsigned indent) { return static_cast<int>(send(TVM_SETINDENT, indent)); }
HIMAGELIST tree_ctrl::get_image_list(unsigned type) {
    return reinterpret_cast<HIMAGELIST>(send(TVM_GETIMAGELIST, type));
}
HIMAGELIST tree_ctrl::set_image_list(HIMAGELIST list, int type) {
    return reinterpret_cast<HIMAGELIST>(send(TVM_SETIMAGELIST, type, ptr(list)));
}
HIMAGELIST tree_ctrl::remove_image_list(int type) {
    return reinterpret_cast<HIMAGELIST>(send(TVM_SETIMAGELIST, type, 0));
}
HWND tree_ctrl::get_tooltips() { return reinterpret_cast<HWND>(send(TVM_GETTOOLTIPS)); }
HWND tree_ctrl::set_tooltips(HWND tooltips) {
    return reinterpret_cast<HWND>(send(TVM_SETTOOLTIPS, reinterpret_cast<WPARAM>(tooltips)));
}
int tree_ctrl::get_isearch_string(wchar_t* buffer) {
    return static_cast<int>(send(TVM_GETISEARCHSTRINGW, 0, ptr(buffer)));
}
COLORREF tree_ctrl::get_bkcolor() { return static_cast<COLORREF>(send(TVM_GETBKCOLOR)); }
COLORREF tree_ctrl::set_bkcolor(COLORREF colour) { return static_cast<COLORREF>(send(TVM_SETBKCOLOR, 0, colour)); }
COLORREF tree_ctrl::get_text_color() { return static_cast<COLORREF>(send(TVM_GETTEXTCOLOR)); }
COLORREF tree_ctrl::set_text_color(COLORREF colour) {
    return static_cast<COLORREF>(send(TVM_SETTEXTCOLOR, 0, colour));
}
COLORREF tree_ctrl::get_line_color() { return static_cast<COLORREF>(send(TVM_GETLINECOLOR)); }
COLORREF tree_ctrl::set_line_color(COLORREF colour) {
    return static_cast<COLORREF>(send(TVM_SETLINECOLOR, 0, colour));
}
COLORREF tree_ctrl::get_insert_mark_color() { return static_cast<COLORREF>(send(TVM_GETINSERTMARKCOLOR)); }
COLORREF tree_ctrl::set_insert_mark_color(COLORREF colour) {
    return static_cast<COLORREF>(send(TVM_SETINSERTMARKCOLOR, 0, colour));
}
int tree_ctrl::get_item_height() { return static_cast<int>(send(TVM_GETITEMHEIGHT)); }
int tree_ctrl::set_item_height(int height) { return static_cast<int>(send(TVM_SETITEMHEIGHT, height)); }
int tree_ctrl::get_scroll_time() { return static_cast<int>(send(TVM_GETSCROLLTIME)); }
int tree_ctrl::set_scroll_time(int time) { return static_cast<int>(send(TVM_SETSCROLLTIME, time)); }
bool tree_ctrl::get_unicode_format() { return send(CCM_GETUNICODEFORMAT) != 0; }
bool tree_ctrl::set_unicode_format(bool unicode) { return send(CCM_SETUNICODEFORMAT, unicode) != 0; }
