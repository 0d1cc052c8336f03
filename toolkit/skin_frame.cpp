// skin: attaching to the window, its messages, the back buffer composed from
// the regions, and the window region cut from it.
#include <algorithm>
#include <cwchar>
#include <vector>

#include "core.h"
#include "interfaces/main_ui.h"
#include "skin.h"
#include "skin_parts.h"

using namespace skin_parts;

namespace {
// The region of every pixel of a 24-bit image that differs from the key:
// one rectangle per run of such pixels in a row, rows from the top.
HRGN region_from_image(const dib& image, COLORREF key) {
    const int w = image.get_width();
    const int h = image.get_height();
    const BYTE* bits = static_cast<const BYTE*>(image.get_dib_section_bits());
    std::vector<BYTE> buffer(sizeof(RGNDATAHEADER) + sizeof(RECT) * static_cast<size_t>(std::max(h, 1)));
    size_t count = 0;
    auto append = [&](LONG left, LONG top, LONG right) {
        if (sizeof(RGNDATAHEADER) + sizeof(RECT) * (count + 1) > buffer.size())
            buffer.resize(buffer.size() + sizeof(RECT) * 40);
        RECT* rects = reinterpret_cast<RECT*>(buffer.data() + sizeof(RGNDATAHEADER));
        rects[count++] = {left, top, right, top + 1};
    };
    if (bits && image.get_bitcount() == 24) {
        GdiFlush();
        const BYTE kb = GetBValue(key), kg = GetGValue(key), kr = GetRValue(key);
        for (int y = 0; y < h; ++y) {
            // Rows are stored bottom-up; pixels are read byte by byte, so
            // that the last pixel of a page-sized section is not overrun.
            const BYTE* row = bits + static_cast<size_t>(h - 1 - y) * image.get_bytes_scanline();
            int start = -1;
            for (int x = 0; x < w; ++x) {
                const BYTE* p = row + 3 * x;
                const bool is_key = p[0] == kb && p[1] == kg && p[2] == kr;
                if (!is_key && start < 0) {
                    start = x;
                } else if (is_key && start >= 0) {
                    append(start, y, x);
                    start = -1;
                }
            }
            if (start >= 0) append(start, y, w);
        }
    }
    RGNDATAHEADER* header = reinterpret_cast<RGNDATAHEADER*>(buffer.data());
    header->dwSize = sizeof(RGNDATAHEADER);
    header->iType = RDH_RECTANGLES;
    header->nCount = static_cast<DWORD>(count);
    header->nRgnSize = 0;
    SetRectEmpty(&header->rcBound);
    return ExtCreateRegion(nullptr, static_cast<DWORD>(sizeof(RGNDATAHEADER) + sizeof(RECT) * count),
                           reinterpret_cast<RGNDATA*>(buffer.data()));
}

// Window classes that stay in place in expanded mode.
const wchar_t* const kDockedClasses[] = {L"ZELMainWindow", L"ZELInfoWindow", L"ZELPlaylist", L"ZELLibrary"};
}  // namespace

skin::skin(int resizable)
    : owner_(nullptr),
      resizable_(resizable),
      resizing_(false),
      back_width_(0),
      back_height_(0),
      key_(key_colour),
      hand_cursor_(nullptr),
      press_flags_(0),
      drag_flags_(0),
      dragged_(nullptr),
      hot_(nullptr),
      drag_start_(),
      value_text_(),
      repeating_(false),
      repeat_control_(nullptr),
      tooltip_(nullptr),
      list_(nullptr),
      detail_(nullptr),
      active_(false),
      tool_(),
      base_size_(),
      outline_(),
      drawn_outline_(),
      outline_drawn_(false),
      edge_left_(false),
      edge_top_(false),
      edge_right_(false),
      edge_bottom_(false),
      alive_(std::make_shared<bool>(true)) {
    tool_.cbSize = TTTOOLINFOW_V1_SIZE;
}

skin::~skin() {
    *alive_ = false;
    delete detail_;
    detail_ = nullptr;
    delete list_;
    list_ = nullptr;
    if (is_attached()) unsubclass();
    // A skin that was never attached (or was detached by the window's end)
    // still owns what it was given.
    if (tooltip_) DestroyWindow(tooltip_);
    tooltip_ = nullptr;
    clear_region();
    clear_control();
    hand_cursor_ = nullptr;
}

void skin::subclassing(HWND hwnd) {
    LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    SetWindowLongPtrW(hwnd, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_CAPTION | WS_THICKFRAME | WS_MAXIMIZEBOX));
    LONG_PTR ex_style = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
    SetWindowLongPtrW(hwnd, GWL_EXSTYLE, ex_style & ~static_cast<LONG_PTR>(WS_EX_DLGMODALFRAME));
    // The frame goes now, so that client and window origins coincide even
    // when the size does not change later.
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);

    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    if (tooltip_) DestroyWindow(tooltip_);
    tooltip_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, core::get_instance(), nullptr);
    if (tooltip_) SetWindowPos(tooltip_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    init(hwnd);
}

void skin::unsubclass() {
    if (hwnd_ && GetCapture() == hwnd_) ReleaseCapture();
    deinit();
    if (tooltip_) DestroyWindow(tooltip_);
    tooltip_ = nullptr;
    clear_region();
    clear_control();
    hot_ = nullptr;
    dragged_ = nullptr;
    repeat_control_ = nullptr;
    repeating_ = false;
}

LRESULT skin::window_proc(UINT msg, WPARAM wparam, LPARAM lparam) {
    const POINT point = {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
    switch (msg) {
    case WM_ACTIVATE:
    case WM_KILLFOCUS:
        on_active(msg == WM_KILLFOCUS || LOWORD(wparam) == WA_INACTIVE);
        break;
    case WM_PAINT:
        on_paint();
        break;
    case WM_ERASEBKGND: {
        subclass::window_proc(msg, wparam, lparam);
        if (back_.get_memdc())
            BitBlt(reinterpret_cast<HDC>(wparam), 0, 0, back_width_, back_height_, back_.get_memdc(), 0, 0,
                   SRCCOPY);
        return 0;
    }
    case WM_SETCURSOR:
        if (hand_cursor_) SetCursor(hand_cursor_);
        break;
    case WM_COMMAND:
        if (owner_ && !GetDlgItem(hwnd_, LOWORD(wparam))) PostMessageW(owner_, WM_COMMAND, LOWORD(wparam), 0);
        break;
    case WM_MOUSEMOVE: {
        if (tooltip_) {
            MSG relay = {hwnd_, msg, wparam, lparam, 0, {0, 0}};
            SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relay));
        }
        on_mouse_move(wparam, point);
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        if (msg == WM_LBUTTONDOWN) SetFocus(hwnd_);
        // The press may run a nested message loop (an auto-repeat button) in
        // which the window, or the skin itself, can end.
        std::shared_ptr<bool> alive = alive_;
        on_lbutton_down(wparam, point);
        if (!*alive) return 0;
        if (msg == WM_LBUTTONDBLCLK && point_on_live_control(lparam)) return 0;
        break;
    }
    case WM_LBUTTONUP:
        on_lbutton_up(wparam, point);
        break;
    case WM_RBUTTONUP:
        if (point_on_live_control(lparam)) return 0;
        break;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lparam) != hwnd_) on_capture_changed(reinterpret_cast<HWND>(lparam));
        break;
    default:
        break;
    }
    return subclass::window_proc(msg, wparam, lparam);
}

void skin::on_paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    if (dc && back_.get_memdc()) BitBlt(dc, 0, 0, back_width_, back_height_, back_.get_memdc(), 0, 0, SRCCOPY);
    EndPaint(hwnd_, &ps);
}

void skin::on_active(bool deactivating) {
    active_ = !deactivating;
    // The hot control is forgotten either way; it is drawn at rest so that no
    // button stays lit without being hot.
    auto_sync lock(controls_lock_);
    if (hot_) {
        hot_->hot = false;
        draw_rest_look(hot_);
    }
    hot_ = nullptr;
}

bool skin::point_on_live_control(LPARAM lparam) {
    const POINT p = {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
    skin_control* c = find_control(p);
    return c && c->enabled;
}

bool skin::ui_expanded() const {
    component* c = core::enum_create_component(main_ui::iid, 0);
    if (!c) return false;
    const bool expanded = static_cast<main_ui*>(c)->expanded();
    c->release();
    return expanded;
}

bool skin::window_may_move() const {
    if (!ui_expanded()) return true;
    wchar_t name[129] = L"";
    GetClassNameW(hwnd_, name, 128);
    for (const wchar_t* docked : kDockedClasses)
        if (wcscmp(name, docked) == 0) return false;
    return true;
}

void skin::start_window_move() {
    if (!window_may_move()) return;
    if (GetCapture() == hwnd_) ReleaseCapture();
    GetCursorPos(&drag_start_);
    press_flags_ |= 1;
    // The system's move loop (SC_MOVE with the mouse-drag code).
    PostMessageW(hwnd_, WM_SYSCOMMAND, 0xF011, 0);
}

// --- images ---

_region* skin::add_region(const POINT* position, const RECT* rect, dib* image) {
    _region* r = new _region;
    r->rect = rect ? *rect : RECT{};
    r->position = position ? *position : POINT{};
    r->image = image;
    auto_sync lock(controls_lock_);
    regions_.push_back(r);
    return r;
}

void skin::build_window_region(bool resize_window) {
    back_width_ = back_.get_width();
    back_height_ = back_.get_height();
    HRGN region = region_from_image(back_, key_);
    if (!hwnd_) {
        if (region) DeleteObject(region);
        return;
    }
    if (resize_window)
        SetWindowPos(hwnd_, nullptr, 0, 0, back_width_, back_height_, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The window owns the region from here on.
    if (region && !SetWindowRgn(hwnd_, region, TRUE)) DeleteObject(region);
}

void skin::create_skin(COLORREF key, const RECT* rect) {
    key_ = key;
    const RECT r = rect ? *rect : RECT{};
    if (!back_.create(std::max(width(r), 1), std::max(height(r), 1), 24)) return;
    RECT all = {0, 0, back_.get_width(), back_.get_height()};
    dib::fill_solid_rect(back_.get_memdc(), &all, key_);
    {
        auto_sync lock(controls_lock_);
        for (_region* region : regions_) {
            if (!region->image) continue;
            region->image->transparent_blt(back_.get_memdc(), region->position.x, region->position.y,
                                           width(region->rect), height(region->rect), 0, 0, key_);
        }
    }
    build_window_region(true);
}

void skin::refresh_skin(const RECT* rect) {
    auto_sync lock(controls_lock_);
    const RECT r = rect ? *rect : RECT{};
    if (!back_.create(std::max(width(r), 1), std::max(height(r), 1), 24)) return;
    RECT all = {0, 0, back_.get_width(), back_.get_height()};
    dib::fill_solid_rect(back_.get_memdc(), &all, key_);
    for (_region* region : regions_) {
        if (!region->image || !region->image->get_memdc()) continue;
        BitBlt(back_.get_memdc(), region->position.x, region->position.y, width(region->rect),
               height(region->rect), region->image->get_memdc(), 0, 0, SRCCOPY);
    }
    build_window_region(true);
}

void skin::delete_backup_image() {
    for (_region* region : regions_) {
        delete region->image;
        delete region;
    }
    regions_.clear();
}

void skin::clear_region() {
    auto_sync lock(controls_lock_);
    delete_backup_image();
}
