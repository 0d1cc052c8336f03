// Flat list-view header: own painting, the taller row through HDM_LAYOUT,
// and the offer of the list view's WM_NOTIFY back to the header.
#include "header_ctrl.h"

#include <commctrl.h>

#include <algorithm>

#include "dib.h"

namespace {
// Attached to the header's parent (the list view): offers every WM_NOTIFY to
// the window that sent it before the parent's own procedure sees it, and
// deletes itself with the parent.
class header_notify_forwarder : public subclass {
public:
    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override {
        if (msg == WM_NOTIFY && lparam) {
            HWND from = reinterpret_cast<NMHDR*>(lparam)->hwndFrom;
            if (from && IsWindow(from)) {
                if (LRESULT answer = SendMessageW(from, header_ctrl::msg_header_notify, wparam, lparam))
                    return answer;
            }
        }
        if (msg == WM_DESTROY) {
            LRESULT result = subclass::window_proc(msg, wparam, lparam);
            delete this;  // detaches; nothing of the object is used after this
            return result;
        }
        return subclass::window_proc(msg, wparam, lparam);
    }
};
}  // namespace

header_ctrl::header_ctrl() : line_(RGB(157, 157, 157)), background_(RGB(235, 235, 235)), text_(RGB(60, 60, 60)) {}

header_ctrl::~header_ctrl() {}

void header_ctrl::set_color(COLORREF line, COLORREF background, COLORREF text) {
    line_ = line;
    background_ = background;
    text_ = text;
    if (hwnd_ && IsWindow(hwnd_)) InvalidateRect(hwnd_, nullptr, TRUE);
}

void header_ctrl::set_fixed_item(unsigned int column, bool fixed) {
    auto it = std::find(fixed_.begin(), fixed_.end(), column);
    if (fixed && it == fixed_.end()) fixed_.push_back(column);
    if (!fixed && it != fixed_.end()) fixed_.erase(it);
}

bool header_ctrl::is_fixed_item(unsigned int column) const {
    return std::find(fixed_.begin(), fixed_.end(), column) != fixed_.end();
}

void header_ctrl::on_subclass() {
    const int count = static_cast<int>(SendMessageW(hwnd_, HDM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        HDITEMW item = {};
        item.mask = HDI_FORMAT;
        if (!SendMessageW(hwnd_, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&item))) continue;
        item.fmt |= HDF_CENTER;
        SendMessageW(hwnd_, HDM_SETITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
    if (HWND parent = GetParent(hwnd_)) (new header_notify_forwarder)->init(parent);
}

unsigned int header_ctrl::item_height(unsigned int height) { return static_cast<unsigned int>(height * 1.4); }

void header_ctrl::draw_line(HDC dc, int x1, int y1, int x2, int y2) {
    HPEN pen = CreatePen(PS_SOLID, 1, line_);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
    SelectObject(dc, old);
    DeleteObject(pen);
}

void header_ctrl::draw_item(unsigned int, HDC dc, RECT& rect, const wchar_t* text) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, text_);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    draw_line(dc, rect.right, 0, rect.right, rect.bottom);
    RECT inner = {rect.left + 5, rect.top, rect.right - 5, rect.bottom};
    DrawTextW(dc, text ? text : L"", -1, &inner,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
}

void header_ctrl::draw_header(HDC dc, RECT& rect) {
    dib::fill_solid_rect(dc, &rect, background_);
    draw_line(dc, 0, rect.bottom - 1, rect.right, rect.bottom - 1);
}

void header_ctrl2::draw_header(HDC dc, RECT& rect) {
    header_ctrl::draw_header(dc, rect);
    draw_line(dc, 0, 0, rect.right, 0);
}

void header_ctrl::on_paint(HDC dc) {
    RECT client;
    GetClientRect(hwnd_, &client);
    draw_header(dc, client);
    const int count = static_cast<int>(SendMessageW(hwnd_, HDM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[255] = L"";
        HDITEMW item = {};
        item.mask = HDI_TEXT | HDI_FORMAT | HDI_ORDER;
        item.pszText = text;
        item.cchTextMax = 255;
        SendMessageW(hwnd_, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
        text[254] = 0;
        RECT rect = {};
        SendMessageW(hwnd_, HDM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&rect));
        if (rect.right - rect.left > 0) draw_item(static_cast<unsigned int>(i), dc, rect, text);
    }
}

LRESULT header_ctrl::window_proc(UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        on_paint(dc);
        EndPaint(hwnd_, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 0;
    case WM_WINDOWPOSCHANGING: {
        WINDOWPOS* pos = reinterpret_cast<WINDOWPOS*>(lparam);
        RECT parent;
        if (pos && !(pos->flags & SWP_NOSIZE) && GetWindowRect(GetParent(hwnd_), &parent))
            pos->cx = std::max(pos->cx, static_cast<int>(parent.right - parent.left));
        break;
    }
    case WM_LBUTTONDBLCLK:
        // A double click is a single click, so no divider double click
        // reaches the list view (which would size the column to its text).
        SendMessageW(hwnd_, WM_LBUTTONDOWN, wparam, lparam);
        SendMessageW(hwnd_, WM_LBUTTONUP, wparam, lparam);
        return 0;
    case HDM_LAYOUT: {
        LRESULT result = subclass::window_proc(msg, wparam, lparam);
        HDLAYOUT* layout = reinterpret_cast<HDLAYOUT*>(lparam);
        if (layout && layout->pwpos && layout->prc) {
            layout->pwpos->cy = static_cast<int>(item_height(static_cast<unsigned int>(layout->pwpos->cy)));
            layout->prc->top = layout->pwpos->cy;
        }
        return result;
    }
    case msg_header_notify: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lparam);
        if (header && header->code == HDN_BEGINTRACKW) {
            const NMHEADERW* notice = reinterpret_cast<const NMHEADERW*>(lparam);
            return notice->iItem >= 0 && is_fixed_item(static_cast<unsigned int>(notice->iItem)) ? 1 : 0;
        }
        break;
    }
    default:
        break;
    }
    return subclass::window_proc(msg, wparam, lparam);
}
