// list_view: cell drawing, the cell-image sets, their clicks and the tooltip.
#include <algorithm>

#include "list_view.h"
#include "window_messages.h"

namespace {
const COLORREF transparent_key = 0xFF00FF;

// The horizontal place of a w-wide item in the cell by the set's alignment
// (0 left, 1 centred, 2 right), 2 pixels in from the edge it hugs.
int place_x(const RECT& cell, int alignment, int w) {
    if (alignment == 2) return cell.right - 2 - w;
    if (alignment == 1) return cell.left + (cell.right - cell.left - w) / 2;
    return cell.left + 2;
}
}  // namespace

void list_view::on_draw_item(const DRAWITEMSTRUCT* item) {
    const int row = static_cast<int>(item->itemID);
    const unsigned state = static_cast<unsigned>(get_item_state(row, static_cast<unsigned>(-1)));
    const unsigned flags = ((state & LVIS_SELECTED) ? 1u : 0u) + ((state >> 9) << 8);
    for (int column = 0;; ++column) {
        LVCOLUMNW info = {};
        info.mask = LVCF_WIDTH;
        if (!SendMessageW(window, LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&info))) break;
        RECT cell = {};
        if (!get_cell_rect(row, column, cell)) continue;
        draw_cell(row, column, item->hDC, &cell, flags);
    }
}

void list_view::draw_cell(int row, int column, HDC dc, RECT* rect, unsigned flags) {
    dib::fill_solid_rect(dc, rect, (flags & 1) ? selected_background_ : background_);
    HPEN pen = CreatePen(PS_SOLID, 1, grid_);
    HGDIOBJ old = SelectObject(dc, pen);
    if (column > 0) {
        MoveToEx(dc, rect->left, rect->top, nullptr);
        LineTo(dc, rect->left, rect->bottom);
    }
    MoveToEx(dc, rect->right - 1, rect->top, nullptr);
    LineTo(dc, rect->right - 1, rect->bottom);
    SelectObject(dc, old);
    DeleteObject(pen);
    if (get_column_width(column) <= 0) return;
    RECT inner = *rect;
    inner.left += 5;
    inner.right -= 5;
    const stringx text = get_item_text(row, column);
    draw_cell_text(row, column, dc, &inner, flags, get_column_value(column), text);
    draw_cell_images(dc, rect, row, column, flags);
}

void list_view::draw_cell_text(int, int, HDC dc, RECT* rect, unsigned flags, int alignment, const wchar_t* text) {
    UINT align;
    switch (alignment) {
    case 0:
        align = DT_LEFT;
        break;
    case 1:
        align = DT_RIGHT;
        break;
    case 2:
        align = DT_CENTER;
        break;
    default:
        return;
    }
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, (flags & 1) ? selected_text_ : text_);
    RECT area = *rect;
    DrawTextW(dc, text ? text : L"", -1, &area,
              align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX | DT_NOCLIP);
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
}

bool list_view::item_rect(const column_images& set, int row, const RECT& cell, HDC dc, RECT& out,
                          std::wstring* text, dib** image) {
    if (row < 0 || static_cast<size_t>(row) >= set.rows.size()) return false;
    const unsigned index = set.rows[static_cast<size_t>(row)];
    const int height = cell.bottom - cell.top;
    if (index < set.texts.size() && !set.texts[index].empty()) {
        const std::wstring& shown = set.texts[index];
        HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        SIZE size = {};
        GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &size);
        SelectObject(dc, old);
        out.left = place_x(cell, set.alignment, size.cx);
        out.top = cell.top + (height - size.cy) / 2;
        out.right = out.left + size.cx;
        out.bottom = out.top + size.cy;
        if (text) *text = shown;
        if (image) *image = nullptr;
        return true;
    }
    if (index < set.images.size() && set.images[index]) {
        dib* shown = set.images[index];
        const int w = shown->get_width();
        const int h = shown->get_height();
        out.left = place_x(cell, set.alignment, w);
        out.top = cell.top + (height - h) / 2;
        out.right = out.left + w;
        out.bottom = out.top + h;
        if (text) text->clear();
        if (image) *image = shown;
        return true;
    }
    return false;
}

void list_view::draw_cell_images(HDC dc, const RECT* cell, int row, int column, unsigned flags) {
    column_images* set = find_column_images(column);
    if (!set || !cell) return;
    RECT area;
    std::wstring text;
    dib* image = nullptr;
    if (!item_rect(*set, row, *cell, dc, area, &text, &image)) return;
    if (!text.empty()) {
        SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, (flags & 1) ? selected_text_ : text_);
        DrawTextW(dc, text.c_str(), -1, &area,
                  DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX | DT_NOCLIP);
        SelectObject(dc, GetStockObject(SYSTEM_FONT));
    } else if (image) {
        image->draw_trans(dc, area.left, area.top, transparent_key);
    }
}

column_images* list_view::image_at(int x, int y, RECT* out) {
    if (!window || cell_images_.empty()) return nullptr;
    POINT point = {x, y};
    int row = -1, column = -1;
    if (!hittest(point, row, column) || row < 0) return nullptr;
    column_images* set = find_column_images(column);
    if (!set) return nullptr;
    RECT cell;
    if (!get_cell_rect(row, column, cell)) return nullptr;
    HDC dc = GetDC(window);
    RECT area;
    const bool shown = item_rect(*set, row, cell, dc, area, nullptr, nullptr);
    ReleaseDC(window, dc);
    if (!shown || !PtInRect(&area, point)) return nullptr;
    if (out) *out = area;
    return set;
}

void list_view::on_cell_image_click(POINT point, column_images* set, const RECT& area) {
    int row = -1, column = -1;
    hittest(point, row, column);
    const size_t kinds = std::max(set->images.size(), set->texts.size());
    // A set with neither images nor texts has nothing to step to.
    if (row >= 0 && static_cast<size_t>(row) < set->rows.size() && kinds > 0) {
        unsigned& index = set->rows[static_cast<size_t>(row)];
        index = static_cast<unsigned>((index + 1) % kinds);
    }
    HWND container = container_;
    SendMessageW(container, msg_list_view_notify, static_cast<WPARAM>(row), static_cast<LPARAM>(column));
    if (container && IsWindow(container))
        SendMessageW(GetParent(container), msg_cell_clicked, reinterpret_cast<WPARAM>(container),
                     MAKELPARAM(row, column));
    if (window) InvalidateRect(window, &area, FALSE);
}

// ---------------------------------------------------------------------------
// Tooltip: one tool, the whole list, whose text follows the hovered cell.

void list_view::set_tip_text(const std::wstring& text) {
    if (!tooltip_) return;
    TOOLINFOW found = {};
    found.cbSize = sizeof(found);
    found.hwnd = hwnd_;
    found.uId = list_id;
    const bool known = SendMessageW(tooltip_, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&found)) != 0;
    if (known && text == tip_text_) return;
    tip_text_ = text;
    tool_ = {};
    tool_.cbSize = sizeof(tool_);
    tool_.hwnd = hwnd_;
    tool_.uId = list_id;
    tool_.hinst = nullptr;
    GetClientRect(hwnd_, &tool_.rect);
    tool_.lpszText = const_cast<wchar_t*>(tip_text_.c_str());
    SendMessageW(tooltip_, known ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool_));
}

void list_view::on_mouse_move(UINT msg, WPARAM wparam, LPARAM lparam) {
    if (!tooltip_) return;
    MSG relayed = {};
    relayed.hwnd = hwnd_;
    relayed.message = msg;
    relayed.wParam = wparam;
    relayed.lParam = lparam;
    relayed.time = static_cast<DWORD>(GetMessageTime());
    SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
    POINT point = {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
    int row = -1, column = -1;
    if (!hittest(point, row, column) || row < 0) {
        // Away from every cell the text empties once.
        if (hover_row_ != -1 || hover_column_ != -1) set_tip_text(L"");
        hover_row_ = hover_column_ = -1;
        return;
    }
    if (find_column_images(column)) {
        const bool over = image_at(point.x, point.y, nullptr) != nullptr;
        hover_row_ = row;
        hover_column_ = column;
        set_tip_text(over ? std::wstring(static_cast<const wchar_t*>(get_cell_text(row, column))) : L"");
        return;
    }
    if (row == hover_row_ && column == hover_column_) return;
    hover_row_ = row;
    hover_column_ = column;
    set_tip_text(static_cast<const wchar_t*>(get_cell_text(row, column)));
}
