#pragma once
// The main player window as the user interface's service (main_ui) names it;
// null while that service is not registered.
#include <windows.h>

#include "core.h"
#include "interfaces/main_ui.h"

inline HWND ui_main_window() {
    component* c = core::enum_create_component(main_ui::iid, 0);
    if (!c) return nullptr;
    HWND hwnd = static_cast<main_ui*>(c)->main_window();
    c->release();
    return hwnd;
}
