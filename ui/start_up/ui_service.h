#pragma once
// ui_service: the main_ui service of zel_ui. run() is the start-up
// (start_up.h) over its startup_services; the window slots answer from the
// main window's service; set_expanded tells the four windows.
#include "component.h"
#include "main_ui.h"

class player_window_service;
class startup_services;

class ui_service : public singleton_component<main_ui> {
public:
    // The services stay the caller's and must outlive the object; module
    // gives the user-interface library's handle (known once it is loaded).
    ui_service(startup_services& services, HINSTANCE (*module)());

    HINSTANCE instance() override;
    HWND run(HINSTANCE host) override;
    HWND main_window() override;
    HWND playlist_window() override;
    HWND info_window() override;
    HWND library_window() override;
    bool expanded() override;
    void set_expanded(bool value) override;

private:
    // The window of the main window's service, when it is a window.
    HWND window_of(HWND (player_window_service::*slot)());

    startup_services& services_;
    HINSTANCE (*module_)();
    bool expanded_ = false;
};
