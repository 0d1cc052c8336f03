// The tray icon, its hidden window, the `system_tray` service and zel_core's
// start hook that shows the icon and keeps the main window on top.
#include "system_tray.h"

#include <objbase.h>

#include <cwchar>
#include <string>

#include "core.h"
#include "docker_geometry.h"
#include "init_quit.h"
#include "service_factory.h"
#include "subclass.h"
#include "ui_main_window.h"

namespace {
const wchar_t kHiddenClass[] = L"ZEL System Tray";
const UINT kTipLength = 63;

tray_shell_call g_shell_call = &Shell_NotifyIconW;
// Whether a test replaced the shell's own function.
bool g_shell_replaced = false;
tray_icon* g_tray = nullptr;
// Registered when zel_core loads.
const UINT g_taskbar_created = RegisterWindowMessageW(L"TaskbarCreated");

HINSTANCE core_module() {
    HINSTANCE module = get_module_instance();
    if (module) return module;
    // Before the registry loaded zel_core by its own entry point: the module
    // that holds this code.
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&core_module), &self);
    return self;
}

// Moves a window that lies (almost) wholly outside the work area back to its
// nearest edges, keeping its size.
void bring_into_work_area(HWND hwnd) {
    RECT work, r;
    int x, y;
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0) || !GetWindowRect(hwnd, &r)) return;
    if (docker_geometry::into_work_area(r, work, x, y)) MoveWindow(hwnd, x, y, r.right - r.left, r.bottom - r.top, TRUE);
}

void put_on_top(HWND hwnd) { SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE); }

// The shell's removal of an icon can keep its caller waiting (under Wine
// without a notification area, two seconds): the real shell is called from
// a thread of its own, with a copy of the icon's data, so that the
// user-interface thread goes on. A replaced shell call (tests) is called at
// once.
struct detached_removal {
    static DWORD WINAPI run(LPVOID param) {
        NOTIFYICONDATAW* data = static_cast<NOTIFYICONDATAW*>(param);
        Shell_NotifyIconW(NIM_DELETE, data);
        delete data;
        return 0;
    }
};

void remove_from_shell(NOTIFYICONDATAW& data) {
    if (!g_shell_replaced) {
        NOTIFYICONDATAW* copy = new NOTIFYICONDATAW(data);
        HANDLE thread = CreateThread(nullptr, 0, &detached_removal::run, copy, 0, nullptr);
        if (thread) {
            CloseHandle(thread);
            return;
        }
        delete copy;
    }
    g_shell_call(NIM_DELETE, &data);
}
}  // namespace

tray_shell_call set_tray_shell_call(tray_shell_call call) {
    // The shell's own function, as this module first had it (its address
    // may differ from another reading of the name, through another stub).
    static const tray_shell_call system_call = g_shell_call;
    tray_shell_call previous = g_shell_call;
    g_shell_call = call ? call : system_call;
    g_shell_replaced = g_shell_call != system_call;
    return previous;
}

// ---------------------------------------------------------------- tray_icon

tray_icon::tray_icon() : added_(false), data_(), hidden_(nullptr), main_(nullptr) { g_tray = this; }

tray_icon::~tray_icon() {
    // At unload the hidden window may belong to a thread that is gone; only
    // the owning thread destroys it.
    if (hidden_ && GetWindowThreadProcessId(hidden_, nullptr) != GetCurrentThreadId()) hidden_ = nullptr;
    remove();
    if (g_tray == this) g_tray = nullptr;
}

bool tray_icon::make_hidden_window(HWND owner) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &tray_icon::hidden_proc;
    wc.hInstance = core_module();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kHiddenClass;
    RegisterClassW(&wc);
    main_ = owner;
    hidden_ = CreateWindowExW(0, kHiddenClass, kHiddenClass, 0, 0, 0, 0, 0, owner, nullptr, core_module(), nullptr);
    return hidden_ != nullptr;
}

void tray_icon::add(HWND main_window, HICON icon, const wchar_t* tip) {
    added_ = false;
    make_hidden_window(main_window);
    // Shells before 4.0 have no notification area.
    if (LOBYTE(LOWORD(GetVersion())) < 4) return;
    if (!IsWindow(main_window)) return;
    data_ = NOTIFYICONDATAW();
    data_.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data_.hWnd = hidden_;
    data_.uID = icon_id;
    data_.hIcon = icon;
    std::wstring text(tip ? tip : L"");
    if (text.size() > kTipLength) text.resize(kTipLength);
    wcscpy(data_.szTip, text.c_str());
    add_to_shell();
}

void tray_icon::add_to_shell() {
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data_.uCallbackMessage = msg_core_tray_notify;
    added_ = g_shell_call(NIM_ADD, &data_) != FALSE;
}

void tray_icon::remove() {
    if (added_) {
        data_.uFlags = 0;
        remove_from_shell(data_);
        added_ = false;
    }
    // The hidden window goes also when the shell refused the icon, so that a
    // refused add leaves no window behind.
    if (hidden_) {
        if (IsWindow(hidden_)) DestroyWindow(hidden_);
        UnregisterClassW(kHiddenClass, core_module());
    }
    hidden_ = nullptr;
    main_ = nullptr;
}

void tray_icon::notify(UINT mouse_message) {
    if (mouse_message == WM_RBUTTONUP) {
        SetForegroundWindow(hidden_);
        ShowWindow(main_, SW_SHOWNORMAL);
    } else if (mouse_message == WM_LBUTTONDOWN) {
        if (IsWindowVisible(main_)) {
            SetForegroundWindow(main_);
        } else {
            bring_into_work_area(main_);
        }
        ShowWindow(main_, SW_SHOWNORMAL);
    }
}

LRESULT tray_icon::on_message(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    hidden_ = hwnd;
    if (msg == msg_core_tray_notify && wparam == icon_id) {
        notify(static_cast<UINT>(lparam));
        return 1;
    }
    if (msg == g_taskbar_created && g_taskbar_created != 0) add_to_shell();
    return DefWindowProcW(hwnd, msg, wparam, lparam);
}

LRESULT CALLBACK tray_icon::hidden_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (!g_tray) return DefWindowProcW(hwnd, msg, wparam, lparam);
    return g_tray->on_message(hwnd, msg, wparam, lparam);
}

// -------------------------------------------------------------- system_tray

system_tray::system_tray() : shown_(false), com_initialised_(false), icon_(nullptr), started_(false) {}

system_tray::~system_tray() {
    if (icon_) DestroyIcon(icon_);
}

void system_tray::show(bool on) {
    if (!started_) {
        started_ = true;
        com_initialised_ = SUCCEEDED(CoInitialize(nullptr));
        icon_ = static_cast<HICON>(LoadImageW(core_module(), MAKEINTRESOURCEW(102), IMAGE_ICON, 16, 16, LR_VGACOLOR));
    }
    if (on == shown_) return;
    shown_ = on;
    HWND main = ui_main_window();
    if (on) {
        std::wstring title(8192, L'\0');
        int n = main ? GetWindowTextW(main, &title[0], static_cast<int>(title.size())) : 0;
        title.resize(n > 0 ? n : 0);
        tray_.remove();
        tray_.add(main, icon_, title.c_str());
    } else {
        tray_.remove();
    }
}

bool system_tray::shown() { return shown_; }

void system_tray::minimize_main_window() { ShowWindow(ui_main_window(), SW_MINIMIZE); }

void system_tray::shut_down() {
    tray_.remove();
    shown_ = false;
    if (com_initialised_) {
        CoUninitialize();
        com_initialised_ = false;
    }
}

// ------------------------------------------------- start hook and subclass

namespace {
// Keeps the main window on top of the Z order whenever its activation
// changes, and on message 10529.
class main_window_raiser : public subclass {
public:
    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override {
        if (msg == WM_ACTIVATE) {
            const bool deactivated_minimised = LOWORD(wparam) == WA_INACTIVE && HIWORD(wparam) != 0;
            if (!deactivated_minimised) put_on_top(hwnd_);
        } else if (msg == msg_core_raise_main && wparam == 0) {
            put_on_top(hwnd_);
        }
        return subclass::window_proc(msg, wparam, lparam);
    }
};

singleton_factory<system_tray, system_tray> g_tray_node;

class tray_hooks : public init_quit_hooks {
public:
    void on_ui_ready() override {
        g_tray_node.object().show(true);
        raiser_.init(ui_main_window());
    }
    // The teardown of unload, done here on the user-interface thread: a
    // library must not destroy windows or end COM while it is being unloaded.
    void on_quit() override {
        raiser_.deinit();
        g_tray_node.object().shut_down();
    }

private:
    main_window_raiser raiser_;
};

singleton_factory<init_quit, tray_hooks> g_tray_hooks_node;
}  // namespace
