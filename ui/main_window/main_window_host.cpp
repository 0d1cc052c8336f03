// The registered services around the main window.
#include "main_window_host.h"

#include <shellapi.h>
#include <shobjidl.h>

#include "channel_changed_event.h"
#include "core.h"
#include "equalizer.h"
#include "init_quit.h"
#include "launcher_link.h"
#include "log_service.h"
#include "main_ui.h"
#include "system_registry.h"
#include "window_docker.h"
#include "window_messages.h"

const wchar_t home_page_address[] = L"http://www.volquin.com/";

namespace {
template <class Interface>
Interface* first_service() {
    return static_cast<Interface*>(core::enum_create_component(Interface::iid, 0));
}

template <class Interface, class Fn>
void with_service(Fn fn) {
    if (Interface* s = first_service<Interface>()) {
        fn(s);
        s->release();
    }
}

const GUID k_taskbar_list_class = {0x56FDF344, 0xFD6D, 0x11D0, {0x95, 0x8A, 0x00, 0x60, 0x97, 0xC9, 0xA0, 0x90}};
const GUID k_taskbar_list_iid = {0x56FDF342, 0xFD6D, 0x11D0, {0x95, 0x8A, 0x00, 0x60, 0x97, 0xC9, 0xA0, 0x90}};

// The first form of NOTIFYICONDATAW (152 bytes), as every Windows version takes it.
NOTIFYICONDATAW tray_data(HWND main) {
    NOTIFYICONDATAW data = {};
    data.cbSize = 152;
    data.hWnd = main;
    data.uID = 0;
    return data;
}
}  // namespace

system_main_window_host::system_main_window_host() : taskbar_(nullptr) {}

// The taskbar list is released by release_shell_objects, while COM still
// runs on the window's thread; by the time the library unloads it has been
// shut down, and a late Release would call into an unloaded server.
system_main_window_host::~system_main_window_host() {}

void system_main_window_host::release_shell_objects() {
    if (taskbar_) taskbar_->Release();
    taskbar_ = nullptr;
}

bool system_main_window_host::expanded() {
    bool on = false;
    with_service<main_ui>([&](main_ui* ui) { on = ui->expanded(); });
    return on;
}

void system_main_window_host::set_expanded(bool on) {
    with_service<main_ui>([&](main_ui* ui) { ui->set_expanded(on); });
}

void system_main_window_host::docker_add(HWND window) {
    with_service<window_docker>([&](window_docker* d) { d->add_window(window); });
}

void system_main_window_host::docker_remove(HWND window) {
    with_service<window_docker>([&](window_docker* d) { d->remove_window(window); });
}

void system_main_window_host::docker_always_on_top(bool on) {
    with_service<window_docker>([&](window_docker* d) { d->set_always_on_top(on); });
}

void system_main_window_host::launcher_add_window(HWND window) {
    // The launcher link is never released (its own rule).
    if (launcher_link* link = first_service<launcher_link>()) link->add_window(window);
}

void system_main_window_host::write_log(const wchar_t* line) {
    with_service<log_service>([&](log_service* log) { log->write_log(line); });
}

void system_main_window_host::write_anne_log(const wchar_t* line) {
    with_service<log_service>([&](log_service* log) { log->write_anne_log(line); });
}

void system_main_window_host::write_played_log(const wchar_t* line) {
    with_service<log_service>([&](log_service* log) { log->write_played_log(line); });
}

void system_main_window_host::channel_changed(const stringx& title) {
    for_each_component<channel_changed_event>(
        [&](channel_changed_event* e) { e->on_channel_changed(title.wvalue()); });
}

void system_main_window_host::ui_closing() {
    for_each_component<init_quit>([](init_quit* q) { q->on_ui_closing(); });
}

int system_main_window_host::equalizer_enabled() {
    int on = -1;
    with_service<equalizer>([&](equalizer* e) { on = e->enabled() ? 1 : 0; });
    return on;
}

void system_main_window_host::add_tray_icon(HWND main) {
    NOTIFYICONDATAW data = tray_data(main);
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = msg_tray_notify;
    data.hIcon = LoadIconW(core::get_instance(), MAKEINTRESOURCEW(228));
    lstrcpynW(data.szTip, L"VOLQUIN 플레이어", 64);
    Shell_NotifyIconW(NIM_ADD, &data);
}

void system_main_window_host::remove_tray_icon(HWND main) {
    NOTIFYICONDATAW data = tray_data(main);
    Shell_NotifyIconW(NIM_DELETE, &data);
}

void system_main_window_host::give_back_system_sounds() { set_system_sounds(true); }

void system_main_window_host::taskbar_tab(HWND main, bool shown) {
    if (!taskbar_) {
        void* object = nullptr;
        if (FAILED(CoCreateInstance(k_taskbar_list_class, nullptr, CLSCTX_INPROC_SERVER, k_taskbar_list_iid, &object)))
            return;
        taskbar_ = static_cast<ITaskbarList*>(object);
        taskbar_->HrInit();
    }
    if (shown)
        taskbar_->AddTab(main);
    else
        taskbar_->DeleteTab(main);
}

void system_main_window_host::open_home_page() {
    ShellExecuteW(nullptr, L"open", L"iexplore", home_page_address, nullptr, SW_SHOWNORMAL);
}
