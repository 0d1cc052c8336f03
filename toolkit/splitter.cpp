// Splitter bar: the drag outline on the screen, the move on release, and the
// notice to the parent.
//
// Positions come from the mouse messages themselves (the point where the
// cursor was when the message arose), and the range and the bar's place are
// taken in the parent's client coordinates, where the bar is created and
// moved; for the frameless skinned windows that hold splitters these are the
// same as the parent's window coordinates.
#include "splitter.h"

#include <algorithm>

#include "control_input.h"
#include "core.h"

splitter::splitter()
    : dragging_(false), drag_start_(), range_(), outline_(), vertical_(false), enabled_(true), tile_(nullptr) {}

splitter::~splitter() { bar_.clear(); }

void splitter::make_bar_image() {
    if (!tile_) return;
    const int w = vertical_ ? tile_->get_width() : range_.right - range_.left;
    const int h = vertical_ ? range_.bottom - range_.top : tile_->get_height();
    if (bar_.create(w, h, 24)) tile_->draw_tile(bar_.get_memdc(), 0, 0, w, h);
}

void splitter::init(HWND parent, bool vertical, dib* tile, RECT& range, int x, int y) {
    vertical_ = vertical;
    range_ = range;
    tile_ = tile;
    make_bar_image();
    HWND hwnd = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_NOTIFY, x, y, bar_.get_width(),
                                bar_.get_height(), parent, nullptr, core::get_instance(), this);
    if (!hwnd) return;
    ShowWindow(hwnd, SW_SHOWNORMAL);
    subclass::init(hwnd);
}

void splitter::set_range(RECT& range) {
    range_ = range;
    make_bar_image();
    if (hwnd_)
        SetWindowPos(hwnd_, nullptr, 0, 0, bar_.get_width(), bar_.get_height(), SWP_NOMOVE | SWP_NOZORDER);
}

void splitter::set_enable(bool enabled) {
    enabled_ = enabled;
    if (!enabled && dragging_) cancel_drag();
}

void splitter::show_size_cursor() const { control_input::show_cursor(vertical_ ? IDC_SIZEWE : IDC_SIZENS); }

// Inverting, so the same call removes it again.
void splitter::draw_outline(const RECT& rect) const {
    HDC screen = GetDC(nullptr);
    HPEN pen = CreatePen(PS_DOT, 2, RGB(15, 0, 0));
    HGDIOBJ old_pen = SelectObject(screen, pen);
    HGDIOBJ old_brush = SelectObject(screen, GetStockObject(NULL_BRUSH));
    const int old_mode = SetROP2(screen, R2_NOTXORPEN);
    Rectangle(screen, rect.left, rect.top, rect.right, rect.bottom);
    SetROP2(screen, old_mode);
    SelectObject(screen, old_brush);
    SelectObject(screen, old_pen);
    DeleteObject(pen);
    ReleaseDC(nullptr, screen);
}

POINT splitter::screen_point(LPARAM lparam) const {
    POINT pt = control_input::message_point(lparam);
    ClientToScreen(hwnd_, &pt);
    return pt;
}

// The bar's screen rectangle moved by the cursor's way since the drag
// started, with the cursor held inside the range (both axes, or only the
// bar's), and the result held inside the parent's window.
RECT splitter::moved_rect(POINT cursor, bool clamp_both) const {
    HWND parent = GetParent(hwnd_);
    POINT origin = {0, 0};
    ClientToScreen(parent, &origin);
    RECT frame;
    GetWindowRect(parent, &frame);
    const int left = range_.left + origin.x, right = range_.right + origin.x;
    const int top = range_.top + origin.y, bottom = range_.bottom + origin.y;
    if (clamp_both || vertical_) cursor.x = std::max(left, std::min<int>(cursor.x, right));
    if (clamp_both || !vertical_) cursor.y = std::max(top, std::min<int>(cursor.y, bottom));
    RECT bar;
    GetWindowRect(hwnd_, &bar);
    if (vertical_) {
        OffsetRect(&bar, cursor.x - drag_start_.x, 0);
        if (bar.right > frame.right) OffsetRect(&bar, frame.right - bar.right, 0);
        if (bar.left < frame.left) OffsetRect(&bar, frame.left - bar.left, 0);
    } else {
        OffsetRect(&bar, 0, cursor.y - drag_start_.y);
        if (bar.bottom > frame.bottom) OffsetRect(&bar, 0, frame.bottom - bar.bottom);
        if (bar.top < frame.top) OffsetRect(&bar, 0, frame.top - bar.top);
    }
    return bar;
}

void splitter::on_button_down(LPARAM lparam) {
    show_size_cursor();
    dragging_ = true;
    drag_start_ = screen_point(lparam);
    SetCapture(hwnd_);
    GetWindowRect(hwnd_, &outline_);
    draw_outline(outline_);
}

void splitter::on_mouse_move(LPARAM lparam) {
    show_size_cursor();
    if (!dragging_) return;
    draw_outline(outline_);
    outline_ = moved_rect(screen_point(lparam), true);
    draw_outline(outline_);
}

void splitter::on_button_up(LPARAM lparam) {
    show_size_cursor();
    if (dragging_) {
        draw_outline(outline_);
        RECT moved = moved_rect(screen_point(lparam), false);
        HWND parent = GetParent(hwnd_);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&moved), 2);
        MoveWindow(hwnd_, moved.left, moved.top, moved.right - moved.left, moved.bottom - moved.top, TRUE);
        InvalidateRect(parent, &moved, TRUE);
        dragging_ = false;  // before the notice, which may start a new layout
        SendMessageW(parent, msg_splitter_moved, 0, reinterpret_cast<LPARAM>(hwnd_));
    }
    dragging_ = false;
    if (GetCapture() == hwnd_) ReleaseCapture();
}

// The mouse was taken away mid-drag: the outline goes, the bar stays.
void splitter::cancel_drag() {
    dragging_ = false;
    draw_outline(outline_);
    if (GetCapture() == hwnd_) ReleaseCapture();
}

LRESULT splitter::window_proc(UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        bar_.draw(dc, 0, 0);
        EndPaint(hwnd_, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        subclass::window_proc(msg, wparam, lparam);
        bar_.draw(reinterpret_cast<HDC>(wparam), 0, 0);
        return 0;
    case WM_GETDLGCODE:
        return control_input::dialog_code();
    case WM_MOUSEMOVE:
        if (enabled_) on_mouse_move(lparam);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (enabled_) on_button_down(lparam);
        return 0;
    case WM_LBUTTONUP:
        if (enabled_) on_button_up(lparam);
        return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
        if (enabled_) show_size_cursor();
        break;
    case WM_CAPTURECHANGED:
        if (dragging_ && reinterpret_cast<HWND>(lparam) != hwnd_) cancel_drag();
        break;
    default:
        break;
    }
    return subclass::window_proc(msg, wparam, lparam);
}
