// Labels of the library window painted over the skin's face.
#include "skinned_label.h"

void skinned_label::attach(HWND label, HDC skin_back, int x, int y, int w, int h) {
    if (!label || w <= 0 || h <= 0) return;
    auto* self = new skinned_label;
    if (self->background_.create(w, h, 24) && skin_back)
        BitBlt(self->background_.get_memdc(), 0, 0, w, h, skin_back, x, y, SRCCOPY);
    self->init(label);
}

void skinned_label::paint(HDC dc) {
    RECT client = {};
    GetClientRect(hwnd_, &client);
    const int w = client.right, h = client.bottom;
    if (w <= 0 || h <= 0) return;
    dib back;
    if (!back.create(w, h, 24)) return;
    if (background_.get_memdc())
        background_.draw_tile(back.get_memdc(), 0, 0, w, h);
    else
        dib::fill_solid_rect(back.get_memdc(), &client, RGB(255, 255, 255));
    wchar_t text[101] = {};
    GetWindowTextW(hwnd_, text, 101);
    HDC mem = back.get_memdc();
    HGDIOBJ old = SelectObject(mem, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(mem, TRANSPARENT);
    SetTextColor(mem, RGB(0x2E, 0x2E, 0x2E));
    DrawTextW(mem, text, -1, &client, DT_VCENTER | DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(mem, old);
    BitBlt(dc, 0, 0, w, h, mem, 0, 0, SRCCOPY);
}

LRESULT skinned_label::window_proc(UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        paint(dc);
        EndPaint(hwnd_, &ps);
        return 0;
    }
    case WM_SETTEXT: {
        LRESULT r = subclass::window_proc(msg, wparam, lparam);
        InvalidateRect(hwnd_, nullptr, FALSE);
        return r;
    }
    case WM_DESTROY: {
        LRESULT r = subclass::window_proc(msg, wparam, lparam);
        deinit();
        delete this;
        return r;
    }
    default:
        return subclass::window_proc(msg, wparam, lparam);
    }
}
