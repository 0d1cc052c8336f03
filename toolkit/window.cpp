// Window base: a map from window handles to objects, filled at WM_NCCREATE
// from the creation parameter and emptied at WM_NCDESTROY.
#include "window.h"

#include <map>

#include "core.h"
#include "critsec.h"

namespace {
// Windows are used on the thread that created them, but more than one thread
// may own windows, so the map itself is guarded.
critsec g_window_lock;
std::map<HWND, window*> g_windows;

window* find_window(HWND hwnd) {
    auto_sync lock(g_window_lock);
    auto it = g_windows.find(hwnd);
    return it == g_windows.end() ? nullptr : it->second;
}
}  // namespace

window::window() : hwnd_(nullptr) {}

window::~window() {}

bool window::create(DWORD ex_style, const wchar_t* class_name, const wchar_t* title, DWORD style, int x,
                    int y, int width, int height, HWND parent, unsigned int id) {
    HINSTANCE module = core::get_instance();
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &window::wndproc;
    wc.hInstance = module;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = class_name;
    RegisterClassW(&wc);  // a second registration of the name fails harmlessly
    HWND created = CreateWindowExW(ex_style, class_name, title, style, x, y, width, height, parent,
                                   reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), module, this);
    hwnd_ = created;
    return created != nullptr;
}

LRESULT window::window_proc(UINT msg, WPARAM wparam, LPARAM lparam) {
    return DefWindowProcW(hwnd_, msg, wparam, lparam);
}

LRESULT CALLBACK window::wndproc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_NCCREATE) {
        if (!lparam) return 0;
        window* object = static_cast<window*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
        if (!object) return 0;
        {
            auto_sync lock(g_window_lock);
            g_windows[hwnd] = object;
        }
        object->hwnd_ = hwnd;
        return object->window_proc(msg, wparam, lparam);
    }
    window* object = find_window(hwnd);
    if (!object) return 0;
    if (msg == WM_NCDESTROY) {
        LRESULT result = object->window_proc(msg, wparam, lparam);
        auto_sync lock(g_window_lock);
        g_windows.erase(hwnd);
        return result;
    }
    return object->window_proc(msg, wparam, lparam);
}
