// The library window's tree: custom drawing through the parent's reflected
// notifications, single-click toggling, and the skinned scroll bars.
#include "skin_tree.h"

namespace {

const COLORREF kKey = RGB(255, 0, 255);
const COLORREF kSelection = RGB(217, 217, 217);

void fill(HDC dc, const RECT& r, COLORREF colour) { dib::fill_solid_rect(dc, &r, colour); }

// The hook on the tree's parent: the tree's own custom-draw and delete
// notifications go back to the tree; everything else passes on.
class skin_tree_parent_hook : public subclass {
public:
    explicit skin_tree_parent_hook(HWND tree) : tree_(tree) {}
    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override {
        if (msg == WM_NOTIFY && lparam) {
            const NMHDR* header = reinterpret_cast<const NMHDR*>(lparam);
            // Only the tree's: the parent's other children (the pages) draw
            // themselves.
            if (header->hwndFrom == tree_ && (header->code == NM_CUSTOMDRAW || header->code == TVN_DELETEITEMW))
                return SendMessageW(tree_, skin_tree::msg_reflected_notify, wparam, lparam);
        }
        if (msg == WM_DESTROY) {
            LRESULT r = subclass::window_proc(msg, wparam, lparam);
            delete this;
            return r;
        }
        return subclass::window_proc(msg, wparam, lparam);
    }

private:
    HWND tree_;
};

}  // namespace

skin_tree::skin_tree(scroll_ctrl* hscroll, scroll_ctrl* vscroll)
    : playing_item(nullptr),
      pressed_item(nullptr),
      hscroll_(hscroll),
      vscroll_(vscroll),
      collapsed_glyph_(nullptr),
      expanded_glyph_(nullptr),
      bold_font_(nullptr) {}

skin_tree::~skin_tree() {
    if (bold_font_) DeleteObject(bold_font_);
}

void skin_tree::on_subclass() {
    window = hwnd_;
    // The roots' bold font: the tree's own font (the dialog's) made bold, or
    // the default GUI font when the tree has none.
    LOGFONTW font = {};
    HGDIOBJ base = reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
    if (!base || !GetObjectW(base, sizeof(font), &font)) GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
    font.lfWeight = FW_BOLD;
    if (bold_font_) DeleteObject(bold_font_);
    bold_font_ = CreateFontIndirectW(&font);
    set_item_height(20);
    HWND parent = GetParent(hwnd_);
    if (parent) (new skin_tree_parent_hook(hwnd_))->init(parent);
}

HTREEITEM skin_tree::insert_item(const wchar_t* text, HTREEITEM parent, HTREEITEM insert_after, dib* image) {
    HTREEITEM node = tree_ctrl::insert_item(TVIF_TEXT | TVIF_STATE, text, 0, 0, TVIS_EXPANDED, TVIS_EXPANDED, 0,
                                            parent, insert_after);
    if (node && image) images_[node] = image;
    return node;
}

void skin_tree::set_item(HTREEITEM node, const wchar_t* text, dib* image) {
    if (node && text) set_item_text(node, text);
    if (node && image) images_[node] = image;
}

void skin_tree::set_glyphs(dib* collapsed, dib* expanded) {
    collapsed_glyph_ = collapsed;
    expanded_glyph_ = expanded;
}

int skin_tree::item_depth(HTREEITEM node) {
    if (!node || node == TVI_ROOT) return 0;
    int depth = 0;
    for (HTREEITEM p = get_parent_item(node); p; p = get_parent_item(p)) ++depth;
    return depth;
}

dib* skin_tree::image_of(HTREEITEM node) const {
    auto it = images_.find(node);
    return it == images_.end() ? nullptr : it->second;
}

LRESULT skin_tree::on_custom_draw(NMTVCUSTOMDRAW* draw) {
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
        HTREEITEM node = reinterpret_cast<HTREEITEM>(draw->nmcd.dwItemSpec);
        RECT row = draw->nmcd.rc;
        fill(draw->nmcd.hdc, row, RGB(255, 255, 255));
        RECT text = {};
        if (get_item_rect(node, &text, true)) {
            text.right = row.right;
            fill(draw->nmcd.hdc, text, RGB(255, 255, 255));
        }
        draw->nmcd.uItemState &= ~CDIS_FOCUS;
        return CDRF_NOTIFYPOSTPAINT;
    }
    case CDDS_ITEMPOSTPAINT:
        draw_item(draw);
        return CDRF_DODEFAULT;
    default:
        return CDRF_DODEFAULT;
    }
}

void skin_tree::draw_item(NMTVCUSTOMDRAW* draw) {
    HDC dc = draw->nmcd.hdc;
    HTREEITEM node = reinterpret_cast<HTREEITEM>(draw->nmcd.dwItemSpec);
    RECT row = {};
    if (!get_item_rect(node, &row, false)) row = draw->nmcd.rc;
    RECT client = {};
    GetClientRect(hwnd_, &client);
    if (row.right < client.right) row.right = client.right;
    fill(dc, row, RGB(255, 255, 255));
    RECT text = {};
    if (!get_item_rect(node, &text, true)) return;
    const bool root = item_depth(node) == 0;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, root ? RGB(0, 0, 255) : RGB(0, 0, 0));
    HGDIOBJ old_font = GetCurrentObject(dc, OBJ_FONT);

    const bool selected = (get_item_state(node, TVIS_SELECTED) & TVIS_SELECTED) != 0 ||
                          (draw->nmcd.uItemState & CDIS_SELECTED) != 0;
    RECT bar = {text.left, row.top, row.right, row.bottom};
    fill(dc, bar, selected ? kSelection : RGB(255, 255, 255));

    int x = text.left + 2;
    if (row.right - text.left >= 3) {
        const int height = row.bottom - row.top;
        if (get_child_item(node)) {
            const bool expanded = (get_item_state(node, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
            dib* glyph = expanded ? expanded_glyph_ : collapsed_glyph_;
            if (glyph && glyph->get_memdc()) {
                glyph->draw_trans(dc, x, row.top + (height - glyph->get_height()) / 2, RGB(255, 255, 255));
                x += glyph->get_width() + 2;
            }
        }
        dib* image = image_of(node);
        if (image && image->get_memdc()) {
            image->draw_trans(dc, x, row.top + (height - image->get_height()) / 2, kKey);
            x += image->get_width() + 2;
        }
        const stringx caption = get_item_text(node);
        RECT at = {x, row.top, row.right, row.bottom};
        // Transparent image drawing changes the DC's colours: set them again.
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, root ? RGB(0, 0, 255) : RGB(0, 0, 0));
        HGDIOBJ own = reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
        if (!own) own = GetStockObject(DEFAULT_GUI_FONT);
        SelectObject(dc, root && bold_font_ ? bold_font_ : own);
        DrawTextW(dc, caption.wvalue(), -1, &at, DT_NOPREFIX | DT_NOCLIP | DT_SINGLELINE | DT_VCENTER);
    }
    SelectObject(dc, old_font);
}

void skin_tree::post_scroll_position() {
    const int pos = vscroll_ ? vscroll_->get_pos() : 0;
    PostMessageW(hwnd_, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, pos), 0);
}

bool skin_tree::on_button(UINT msg, LPARAM lparam) {
    TVHITTESTINFO hit = {};
    hit.pt.x = static_cast<short>(LOWORD(lparam));
    hit.pt.y = static_cast<short>(HIWORD(lparam));
    HTREEITEM node = hit_test(&hit);
    pressed_item = node;
    const bool in_row = node && (hit.flags & (TVHT_ONITEM | TVHT_ONITEMINDENT | TVHT_ONITEMRIGHT |
                                              TVHT_ONITEMBUTTON | TVHT_ONITEMSTATEICON));
    if (msg == WM_RBUTTONDOWN) {
        if (in_row) select_item(node);
        return false;  // the default processing raises NM_RCLICK
    }
    if (!in_row) return true;  // a left press outside the rows does nothing
    const bool expanded = (get_item_state(node, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
    if (!expanded || get_selected_item() == node) {
        expand(node, TVE_TOGGLE);
        post_scroll_position();
    }
    select_item(node);
    return true;
}

void skin_tree::sync_bars() {
    RECT client = {};
    GetClientRect(hwnd_, &client);
    SCROLLINFO h = {};
    h.cbSize = sizeof(h);
    h.fMask = SIF_ALL;
    // Without its native bar the tree has nothing to scroll that way, whatever
    // stale range the bar kept.
    const LONG style = GetWindowLongW(hwnd_, GWL_STYLE);
    if (hscroll_) {
        if ((style & WS_HSCROLL) && GetScrollInfo(hwnd_, SB_HORZ, &h) && h.nMax - h.nMin + 1 > client.right) {
            hscroll_->enable(true);
            hscroll_->set_range(h.nMin, h.nMax - client.right, true);
            hscroll_->set_pos(h.nPos);
        } else {
            // Nothing to scroll: no thumb either.
            hscroll_->set_range(0, 0, true);
            hscroll_->enable(false);
        }
    }
    if (vscroll_) {
        SCROLLINFO v = {};
        v.cbSize = sizeof(v);
        v.fMask = SIF_ALL;
        const int visible = static_cast<int>(get_visible_count());
        if ((style & WS_VSCROLL) && GetScrollInfo(hwnd_, SB_VERT, &v) && visible < v.nMax + 1) {
            vscroll_->enable(true);
            vscroll_->set_range(v.nMin, v.nMax - visible + 1, true);
            vscroll_->set_pos(v.nPos);
        } else {
            vscroll_->set_range(0, 0, true);
            vscroll_->enable(false);
        }
    }
}

LRESULT skin_tree::window_proc(UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case msg_reflected_notify: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lparam);
        if (!header) return 0;
        if (header->code == NM_CUSTOMDRAW) return on_custom_draw(reinterpret_cast<NMTVCUSTOMDRAW*>(lparam));
        if (header->code == TVN_DELETEITEMW) {
            images_.erase(reinterpret_cast<const NMTREEVIEWW*>(lparam)->itemOld.hItem);
            return 0;
        }
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
        if (on_button(msg, lparam)) return 0;
        break;
    case WM_KEYDOWN:
    case WM_MOUSEWHEEL:
        if (vscroll_) vscroll_->set_pos(GetScrollPos(hwnd_, SB_VERT));
        break;
    case WM_PAINT: {
        LRESULT r = subclass::window_proc(msg, wparam, lparam);
        sync_bars();
        return r;
    }
    case WM_NCCALCSIZE: {
        LRESULT r = subclass::window_proc(msg, wparam, lparam);
        RECT* client = reinterpret_cast<RECT*>(lparam);
        const LONG style = GetWindowLongW(hwnd_, GWL_STYLE);
        const int bar = GetSystemMetrics(SM_CXVSCROLL);
        if (client) {
            if (style & WS_VSCROLL) client->right += bar;
            if (style & WS_HSCROLL) client->bottom += bar;
        }
        return r;
    }
    case WM_DESTROY:
        if (bold_font_) {
            DeleteObject(bold_font_);
            bold_font_ = nullptr;
        }
        break;
    default:
        break;
    }
    return subclass::window_proc(msg, wparam, lparam);
}
