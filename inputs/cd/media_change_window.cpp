#include "media_change_window.h"

#include <dbt.h>

#include "cd_drive_listener.h"
#include "cd_drive_table.h"
#include "cd_input.h"
#include "core.h"
#include "service_factory.h"

namespace {
media_change_window* g_self = nullptr;
}

void media_change_window::on_init() { cd_input::create_ripper_free_event(); }

void media_change_window::on_ui_ready() {
    if (window_ && IsWindow(window_)) return;  // one window, one set of listeners
    g_self = this;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &window_proc;
    wc.hInstance = get_module_instance();
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = class_name;
    RegisterClassW(&wc);
    CreateWindowExW(0, class_name, class_name, 0, 0, 0, 0, 0, nullptr, nullptr, get_module_instance(), nullptr);
}

void media_change_window::on_ui_closing() {
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
    window_ = nullptr;
}

void media_change_window::on_quit() {
    cd_drive_table::delete_discs();
    cd_input::close_ripper_free_event();
}

LRESULT CALLBACK media_change_window::window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    media_change_window* self = g_self;
    if (self) {
        self->window_ = window;
        if (message == WM_CREATE) {
            for (int i = 0;; ++i) {
                component* c = core::enum_create_component(cd_drive_listener::iid, i);
                if (!c) break;
                self->listeners_.push_back(static_cast<cd_drive_listener*>(c));
            }
        } else if (message == WM_DEVICECHANGE) {
            self->device_change(wparam, lparam);
        }
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

void media_change_window::device_change(WPARAM event, LPARAM data) {
    if (event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE) return;
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    if (!header || header->dbch_devicetype != DBT_DEVTYP_VOLUME || header->dbch_size < sizeof(DEV_BROADCAST_VOLUME))
        return;
    const auto* volume = reinterpret_cast<const DEV_BROADCAST_VOLUME*>(header);
    if (!(volume->dbcv_flags & DBTF_MEDIA)) return;
    // The lowest drive of the mask; a mask naming no drive tells nothing.
    const DWORD mask = volume->dbcv_unitmask & 0x03FFFFFF;
    if (!mask) return;
    int bit = 0;
    while (!(mask & (1u << bit))) ++bit;
    const wchar_t letter = static_cast<wchar_t>(L'A' + bit);
    const int arrived = event == DBT_DEVICEARRIVAL ? 1 : 0;
    for (cd_drive_listener* l : listeners_) l->on_drive_change(letter, arrived);
}
