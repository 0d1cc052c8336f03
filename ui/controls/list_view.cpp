// list_view: creation, the container window, layout, the list's messages
// and the notifications that keep the cell-image sets in step with the rows.
// Drawing, the tooltip and cell-image clicks are in list_view_draw.cpp.
#include "list_view.h"

#include <algorithm>

#include "core.h"
#include "utility.h"

namespace {
const wchar_t* const object_property = L"LISTVIEW";
const DWORD list_style = 0x50008C09;        // child, visible, report, owner drawn, no sort header
const DWORD owner_data_style = 0x50009C09;  // the same with LVS_OWNERDATA

void register_container_class(WNDPROC proc) {
    WNDCLASSW wc = {};
    HINSTANCE instance = core::get_instance();
    if (GetClassInfoW(instance, list_view::class_name, &wc)) return;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = list_view::class_name;
    RegisterClassW(&wc);
}
}  // namespace

list_view::list_view()
    : container_(nullptr),
      background_(0xFFFFFF),
      text_(0x3C3C3C),
      selected_text_(GetSysColor(COLOR_HIGHLIGHTTEXT)),
      selected_background_(0xB4B4B4),
      grid_(0xD8D8D8),
      row_height_(0),
      has_hbar_(false),
      has_vbar_(false),
      himages_(),
      vimages_(),
      tooltip_(nullptr),
      tool_(),
      hover_row_(-1),
      hover_column_(-1),
      top_margin_(0),
      bottom_margin_(0),
      row_height_measured_(false),
      owner_data_(false) {}

list_view::~list_view() { destroy_windows(); }

void list_view::destroy_windows() {
    // The container must not reach this object any more, nor the list's
    // chain, while the windows go.
    if (container_ && IsWindow(container_)) RemovePropW(container_, object_property);
    if (tooltip_ && IsWindow(tooltip_)) DestroyWindow(tooltip_);
    tooltip_ = nullptr;
    header_.deinit();
    deinit();
    if (container_ && IsWindow(container_)) DestroyWindow(container_);
    container_ = nullptr;
    window = nullptr;
}

bool list_view::create(HWND parent, const RECT* rect, bool owner_data, int top_margin, int bottom_margin) {
    if (!rect) return false;
    owner_data_ = owner_data;
    top_margin_ = top_margin;
    bottom_margin_ = bottom_margin;
    register_container_class(container_proc);
    HWND made = CreateWindowExW(0, class_name, L"", WS_CHILD | WS_VISIBLE, rect->left, rect->top,
                                rect->right - rect->left, rect->bottom - rect->top, parent, nullptr,
                                core::get_instance(), this);
    return made != nullptr;
}

void list_view::set_hscroll_images(dib* channel, dib* thumb, dib* minus, dib* plus) {
    himages_[0] = channel;
    himages_[1] = thumb;
    himages_[2] = minus;
    himages_[3] = plus;
    has_hbar_ = true;
}

void list_view::set_vscroll_images(dib* channel, dib* thumb, dib* minus, dib* plus) {
    vimages_[0] = channel;
    vimages_[1] = thumb;
    vimages_[2] = minus;
    vimages_[3] = plus;
    has_vbar_ = true;
}

void list_view::set_column_images(int column, const column_images& set) {
    column_images& kept = cell_images_[column];
    kept = set;
    const int rows = window ? std::max(get_item_count(), 0) : 0;
    kept.rows.assign(static_cast<size_t>(rows), 0u);
}

column_images* list_view::find_column_images(int column) {
    auto found = cell_images_.find(column);
    return found == cell_images_.end() ? nullptr : &found->second;
}

void list_view::set_fixed_column(int column, bool fixed) { header_.set_fixed_item(column, fixed); }

COLORREF list_view::set_text_colors(COLORREF normal, COLORREF selected) {
    const COLORREF previous = text_;
    text_ = normal;
    selected_text_ = selected;
    return previous;
}

void list_view::set_selection_color(COLORREF colour) { selected_background_ = colour; }

int list_view::vbar_width() const { return has_vbar_ && vimages_[0] ? vimages_[0]->get_width() : 0; }

int list_view::hbar_height() const { return has_hbar_ && himages_[0] ? himages_[0]->get_height() : 0; }

int list_view::row_height(int height) { return static_cast<int>(height * 1.4); }

stringx list_view::get_cell_text(int row, int column) { return get_item_text(row, column); }

// ---------------------------------------------------------------------------
// The container

LRESULT CALLBACK list_view::container_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_CREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
        auto* object = static_cast<list_view*>(create->lpCreateParams);
        if (!object) return DefWindowProcW(hwnd, msg, wparam, lparam);
        object->container_ = hwnd;
        SetPropW(hwnd, object_property, object);
        object->create_list();
        return object->on_message(msg, wparam, lparam);
    }
    auto* object = static_cast<list_view*>(GetPropW(hwnd, object_property));
    if (!object) return DefWindowProcW(hwnd, msg, wparam, lparam);
    if (msg == WM_NCDESTROY) {
        const LRESULT result = object->on_message(msg, wparam, lparam);
        RemovePropW(hwnd, object_property);
        object->container_ = nullptr;
        object->window = nullptr;
        object->tooltip_ = nullptr;
        return result;
    }
    return object->on_message(msg, wparam, lparam);
}

void list_view::create_list() {
    row_height_measured_ = false;
    ShowWindow(container_, SW_SHOW);
    RECT client;
    GetClientRect(container_, &client);
    const int width = client.right - client.left - vbar_width();
    const int below = bottom_margin_ ? bottom_margin_ : hbar_height();
    const int height = client.bottom - client.top - top_margin_ - below;
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", owner_data_ ? owner_data_style : list_style, client.left,
                                client.top + top_margin_, width, height, container_,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(list_id)), core::get_instance(),
                                nullptr);
    if (!list) return;
    ShowWindow(list, SW_SHOW);
    window = list;
    init(list);
    if (has_hbar_) {
        hbar_.set_channel(himages_[0]);
        hbar_.set_thumb(himages_[1]);
        hbar_.set_minus_button(himages_[2]);
        hbar_.set_plus_button(himages_[3]);
        hbar_.init(container_, list, client.right - vbar_width(), hbar_height(), false, hscroll_id);
    }
    if (has_vbar_) {
        vbar_.set_channel(vimages_[0]);
        vbar_.set_thumb(vimages_[1]);
        vbar_.set_minus_button(vimages_[2]);
        vbar_.set_plus_button(vimages_[3]);
        vbar_.init(container_, list, vbar_width(), client.bottom - hbar_height(), true, vscroll_id);
    }
    layout();
}

void list_view::layout() {
    if (!container_) return;
    RECT client;
    GetClientRect(container_, &client);
    const int w = client.right - client.left;
    const int h = client.bottom - client.top;
    if (has_hbar_ && hbar_.get_hwnd()) {
        const int length = w - vbar_width();
        hbar_.reinit(static_cast<unsigned>(std::max(length, 0)));
        SetWindowPos(hbar_.get_hwnd(), nullptr, client.left, client.bottom - hbar_height(), length, hbar_height(),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (has_vbar_ && vbar_.get_hwnd()) {
        const int length = h - hbar_height();
        vbar_.reinit(static_cast<unsigned>(std::max(length, 0)));
        SetWindowPos(vbar_.get_hwnd(), nullptr, client.right - vbar_width(), client.top, vbar_width(), length,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (window) {
        const int below = bottom_margin_ ? bottom_margin_ : hbar_height();
        MoveWindow(window, client.left, client.top + top_margin_, w - vbar_width(), h - top_margin_ - below, TRUE);
    }
}

LRESULT list_view::on_message(UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case WM_SIZE:
        layout();
        return 0;
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
        if (item && item->CtlType == ODT_LISTVIEW) {
            on_draw_item(item);
            return TRUE;
        }
        break;
    }
    case WM_MEASUREITEM: {
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lparam);
        if (item && item->CtlType == ODT_LISTVIEW) {
            // The first proposal fixes the height for the life of the list;
            // later ones (a font change) keep it.
            if (!row_height_measured_) {
                row_height_ = row_height(static_cast<int>(item->itemHeight));
                row_height_measured_ = true;
            }
            item->itemHeight = static_cast<UINT>(row_height_);
            return 1;
        }
        break;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lparam);
        if (header && window && header->hwndFrom == window) {
            on_list_notify(header);
            return 0;
        }
        break;
    }
    default:
        break;
    }
    return DefWindowProcW(container_, msg, wparam, lparam);
}

void list_view::on_list_notify(NMHDR* header) {
    auto* change = reinterpret_cast<NMLISTVIEW*>(header);
    switch (header->code) {
    case LVN_INSERTITEM:
        for (auto& entry : cell_images_) {
            std::vector<unsigned>& rows = entry.second.rows;
            if (change->iItem < 0) {
                rows.push_back(0);
            } else if (static_cast<size_t>(change->iItem) <= rows.size()) {
                rows.insert(rows.begin() + change->iItem, 0u);
            }
        }
        break;
    case LVN_DELETEITEM:
        for (auto& entry : cell_images_) {
            std::vector<unsigned>& rows = entry.second.rows;
            if (rows.empty()) continue;
            if (change->iItem < 0) {
                rows.pop_back();
            } else if (static_cast<size_t>(change->iItem) < rows.size()) {
                rows.erase(rows.begin() + change->iItem);
            }
        }
        break;
    case LVN_DELETEALLITEMS:
        for (auto& entry : cell_images_) entry.second.rows.clear();
        break;
    default:
        return;
    }
    if (has_vbar_ && vbar_.get_hwnd()) vbar_.set_range(0, get_item_count() - get_count_per_page(), true);
}

// ---------------------------------------------------------------------------
// The list

void list_view::on_subclass() {
    SendMessageW(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    SendMessageW(hwnd_, LVM_SETBKCOLOR, 0, background_);
    SendMessageW(hwnd_, LVM_SETTEXTBKCOLOR, 0, background_);
    if (HWND header = reinterpret_cast<HWND>(SendMessageW(hwnd_, LVM_GETHEADER, 0, 0))) header_.init(header);
    tooltip_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, core::get_instance(), hwnd_);
    if (tooltip_) {
        SetWindowPos(tooltip_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 300);
    }
}

void list_view::fit_bars() {
    if (has_hbar_ && hbar_.get_hwnd()) {
        SCROLLINFO info = {};
        info.cbSize = sizeof(info);
        info.fMask = SIF_RANGE;
        GetScrollInfo(hwnd_, SB_HORZ, &info);
        RECT client;
        GetClientRect(hwnd_, &client);
        const int width = client.right - client.left;
        if (width < info.nMax) {
            hbar_.enable(true);
            hbar_.set_range(info.nMin, info.nMax - width, true);
        } else {
            hbar_.enable(false);
        }
    }
    if (has_vbar_ && vbar_.get_hwnd()) {
        const int count = get_item_count();
        const int page = get_count_per_page();
        if (page < count) {
            vbar_.enable(true);
            vbar_.set_range(0, count - page, true);
        } else {
            vbar_.enable(false);
        }
    }
}

void list_view::sync_vscroll(int position) {
    if (!has_vbar_ || !vbar_.get_hwnd()) return;
    if (position < 0) {
        vbar_.set_pos(get_top_index());
        return;
    }
    if (position == vbar_.get_pos()) return;
    vbar_.set_pos(position);
    SendMessageW(hwnd_, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, position),
                 reinterpret_cast<LPARAM>(vbar_.get_hwnd()));
}

LRESULT list_view::window_proc(UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case WM_DESTROY:
        if (tooltip_ && IsWindow(tooltip_)) DestroyWindow(tooltip_);
        tooltip_ = nullptr;
        break;
    case WM_SIZE:
        if (tooltip_) PostMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool_));
        break;
    case WM_PAINT: {
        const LRESULT result = subclass::window_proc(msg, wparam, lparam);
        fit_bars();
        return result;
    }
    case WM_SETCURSOR: {
        POINT point;
        GetCursorPos(&point);
        ScreenToClient(hwnd_, &point);
        if (image_at(point.x, point.y, nullptr)) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    }
    case WM_NCCALCSIZE: {
        const LRESULT result = subclass::window_proc(msg, wparam, lparam);
        if (has_hbar_ || has_vbar_) {
            // The native bars lie outside the client area: the area grows
            // over them so that they are never seen.
            RECT* area = reinterpret_cast<RECT*>(lparam);
            const LONG style = GetWindowLongW(hwnd_, GWL_STYLE);
            const int size = GetSystemMetrics(SM_CXVSCROLL);
            if (style & WS_VSCROLL) area->right += size;
            if (style & WS_HSCROLL) area->bottom += size;
        }
        return result;
    }
    case WM_KEYDOWN:
        sync_vscroll(-1);
        break;
    case WM_KEYUP:
        InvalidateRect(hwnd_, nullptr, TRUE);
        break;
    case WM_HSCROLL:
        if (has_hbar_ && hbar_.get_hwnd() && reinterpret_cast<HWND>(lparam) == hbar_.get_hwnd()) {
            const int position = static_cast<short>(HIWORD(wparam));
            const int code = LOWORD(wparam);
            const int current = GetScrollPos(hwnd_, SB_HORZ);
            if (position != current || code == SB_ENDSCROLL) PostMessageW(hwnd_, LVM_SCROLL, position - current, 0);
            if (code == SB_ENDSCROLL) InvalidateRect(hwnd_, nullptr, TRUE);
            return 0;
        }
        break;
    case WM_VSCROLL:
        if (has_vbar_ && vbar_.get_hwnd() && reinterpret_cast<HWND>(lparam) == vbar_.get_hwnd()) {
            const int position = static_cast<short>(HIWORD(wparam));
            const int code = LOWORD(wparam);
            const int top = get_top_index();
            if (position == top && code != SB_ENDSCROLL) return 0;
            int row_height = 0;
            RECT row = {LVIR_BOUNDS, 0, 0, 0};
            if (get_item_count() > 0 && SendMessageW(hwnd_, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row)))
                row_height = row.bottom - row.top;
            PostMessageW(hwnd_, LVM_SCROLL, 0, (position - top) * row_height);
            utility::message_pump(hwnd_);
            vbar_.set_pos(position);
            if (code == SB_ENDSCROLL) InvalidateRect(hwnd_, nullptr, TRUE);
            return 0;
        }
        break;
    case WM_MOUSEMOVE:
        on_mouse_move(msg, wparam, lparam);
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN: {
        sync_vscroll(-1);
        POINT point = {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
        RECT area;
        column_images* set = image_at(point.x, point.y, &area);
        if (set && (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK)) {
            on_cell_image_click(point, set, area);
            return 0;
        }
        break;
    }
    case WM_MOUSEWHEEL: {
        // The list scrolls first, so that the bar shows where it went.
        const LRESULT result = subclass::window_proc(msg, wparam, lparam);
        if (has_vbar_ && vbar_.get_hwnd()) vbar_.set_pos(get_top_index());
        const int top = get_top_index();
        if (top > 0 && top + get_count_per_page() < get_item_count() - 1) InvalidateRect(hwnd_, nullptr, TRUE);
        return result;
    }
    default:
        break;
    }
    return subclass::window_proc(msg, wparam, lparam);
}
