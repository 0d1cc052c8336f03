#pragma once
// Base of the toolkit's own windows: a window class whose procedure hands
// every message to the virtual window_proc of the object that created the
// window.
#include <windows.h>

#include "zel_export.h"

class ZEL_CORE_API window {
public:
    window();
    // Does not destroy the window: the object must outlive it, since the
    // procedure reaches the object until WM_NCDESTROY.
    virtual ~window();
    window(const window&) = delete;
    window& operator=(const window&) = delete;

    // Registers class_name (arrow cursor, COLOR_WINDOW background, module of
    // core::get_instance; an existing class of that name is used as it is)
    // and creates the window with this object as its creation parameter.
    // True when a window was created.
    virtual bool create(DWORD ex_style, const wchar_t* class_name, const wchar_t* title, DWORD style, int x,
                        int y, int width, int height, HWND parent, unsigned int id);
    // The object's handler; the default is DefWindowProcW.
    virtual LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam);

    // Null until WM_NCCREATE has arrived.
    HWND get_hwnd() const { return hwnd_; }

    // The procedure of every class registered by create. Messages of a
    // window that has no object (those before WM_NCCREATE) yield 0.
    static LRESULT CALLBACK wndproc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

protected:
    HWND hwnd_;
};
