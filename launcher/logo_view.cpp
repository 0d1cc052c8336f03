// The launcher's logo control, drawn with GDI+ into a white back buffer.
#include "logo_view.h"

#include <algorithm>
#include <algorithm>
// GDI+ names min and max, which the build leaves undefined as macros.
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <objidl.h>
#include <gdiplus.h>

#include "utility.h"

logo_view::logo_view(const std::wstring& path) : path_(path.empty() ? default_path() : path), image_(nullptr) {}

logo_view::~logo_view() { delete image_; }

std::wstring logo_view::default_path() {
    return std::wstring(utility::find_system_folder(utility::folder_appdata).wvalue()) + L"\\zel_player\\logo.png";
}

RECT logo_view::placement(int w, int h, int cw, int ch) {
    if (w <= 0 || h <= 0 || cw <= 0 || ch <= 0) return RECT{0, 0, 0, 0};
    const double ratio = (static_cast<double>(h) / w) / (static_cast<double>(ch) / cw);
    const double scale = ratio > 1 ? static_cast<double>(ch) / h : static_cast<double>(cw) / w;
    const int dw = static_cast<int>(w * scale), dh = static_cast<int>(h * scale);
    const int x = (cw - dw) / 2, y = (ch - dh) / 2;
    return RECT{x, y, x + dw, y + dh};
}

void logo_view::on_init() {
    delete image_;
    image_ = nullptr;
    if (GetFileAttributesW(path_.c_str()) != INVALID_FILE_ATTRIBUTES) {
        image_ = Gdiplus::Image::FromFile(path_.c_str());
        if (image_ && image_->GetLastStatus() != Gdiplus::Ok) {
            delete image_;
            image_ = nullptr;
        }
    }
    redraw();
}

void logo_view::redraw() {
    RECT client = {};
    GetClientRect(hwnd_, &client);
    const int cw = std::max(1L, client.right), ch = std::max(1L, client.bottom);
    if (!back_.create(cw, ch, 24)) return;
    const RECT all = {0, 0, cw, ch};
    dib::fill_solid_rect(back_.get_memdc(), &all, RGB(255, 255, 255));
    if (image_) {
        const RECT at = placement(static_cast<int>(image_->GetWidth()), static_cast<int>(image_->GetHeight()), cw, ch);
        Gdiplus::Graphics g(back_.get_memdc());
        g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        g.DrawImage(image_, static_cast<INT>(at.left), static_cast<INT>(at.top), static_cast<INT>(at.right - at.left),
                    static_cast<INT>(at.bottom - at.top));
    }
    InvalidateRect(hwnd_, nullptr, FALSE);
}

LRESULT logo_view::window_proc(UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case WM_SIZE:
        redraw();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        if (back_.get_memdc())
            BitBlt(dc, 0, 0, back_.get_width(), back_.get_height(), back_.get_memdc(), 0, 0, SRCCOPY);
        EndPaint(hwnd_, &ps);
        return 0;
    }
    case WM_DESTROY: {
        delete image_;
        image_ = nullptr;
        const LRESULT result = window_base::window_proc(msg, wparam, lparam);
        delete this;
        return result;
    }
    default:
        return window_base::window_proc(msg, wparam, lparam);
    }
}
