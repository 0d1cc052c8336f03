#include "shell_test_support.h"

#include <ole2.h>

#include "core.h"
#include "virtual_desktop.h"
#include "window_rig.h"

namespace shell_test {
namespace {
const wchar_t kPlainClass[] = L"zel_shell_test_window";

// The test windows' procedure. A WM_ACTIVATE that a test sends is not
// passed to DefWindowProcW, which would give the window the focus and so
// really activate it.
LRESULT CALLBACK plain_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_ACTIVATE) return 0;
    return DefWindowProcW(hwnd, msg, wparam, lparam);
}

HWND g_anchor = nullptr;

class shell_environment : public ::testing::Environment {
public:
    void SetUp() override {
        // Before any window or COM apartment exists on this thread.
        ASSERT_TRUE(window_rig::enter_virtual_desktop(desktop_width, desktop_height));
        core::set_instance(GetModuleHandleW(nullptr));
        core::load_library();
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        WNDCLASSW wc = {};
        wc.lpfnWndProc = plain_proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
        wc.lpszClassName = kPlainClass;
        RegisterClassW(&wc);
        // Wine activates a window of a new desktop when the desktop gets the
        // X focus, which may come late. An anchor window takes the activation
        // now and keeps it for the whole run: the test windows are never
        // activated (see plain_window), so no activation reaches them.
        anchor_ = CreateWindowExW(0, kPlainClass, L"", WS_POPUP | WS_VISIBLE, desktop_width - 1, desktop_height - 1,
                                  1, 1, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(anchor_, nullptr);
        g_anchor = anchor_;
        SetForegroundWindow(anchor_);
        SetActiveWindow(anchor_);
        ASSERT_TRUE(window_rig::pump_until(
            [this] { return GetForegroundWindow() == anchor_ && GetActiveWindow() == anchor_; }, 20000));
    }
    void TearDown() override {
        g_anchor = nullptr;
        DestroyWindow(anchor_);
        OleUninitialize();
    }

private:
    HWND anchor_ = nullptr;
};

::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new shell_environment);

BOOL CALLBACK count_class(HWND hwnd, LPARAM param) {
    auto* wanted = reinterpret_cast<std::pair<const wchar_t*, int>*>(param);
    wchar_t name[64] = L"";
    GetClassNameW(hwnd, name, 64);
    if (wcscmp(name, wanted->first) == 0) ++wanted->second;
    return TRUE;
}
}  // namespace

bool give_activation_back() {
    if (!g_anchor) return false;
    SetForegroundWindow(g_anchor);
    SetActiveWindow(g_anchor);
    return window_rig::pump_until([] { return GetForegroundWindow() == g_anchor && GetActiveWindow() == g_anchor; },
                                  5000);
}

void set_main_window(HWND hwnd) {
    typedef void (*setter)(HWND);
    HMODULE fake = GetModuleHandleW(L"fake_main_ui.dll");
    ASSERT_NE(fake, nullptr) << "the stand-in user-interface service is not loaded";
    auto set = reinterpret_cast<setter>(reinterpret_cast<void*>(GetProcAddress(fake, "fake_main_ui_set_main_window")));
    ASSERT_NE(set, nullptr);
    set(hwnd);
}

RECT work_area() {
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

RECT rect_of(HWND hwnd) {
    RECT r = {};
    GetWindowRect(hwnd, &r);
    return r;
}

bool above(HWND a, HWND b) {
    for (HWND w = GetWindow(a, GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT))
        if (w == b) return true;
    return false;
}

int thread_windows(const wchar_t* class_name) {
    std::pair<const wchar_t*, int> wanted(class_name, 0);
    EnumThreadWindows(GetCurrentThreadId(), count_class, reinterpret_cast<LPARAM>(&wanted));
    return wanted.second;
}

plain_window::plain_window(int x, int y, int w, int h, bool visible, const wchar_t* title) {
    // Never activated: activation (and the foreground) stays out of the tests.
    hwnd_ = CreateWindowExW(WS_EX_NOACTIVATE, kPlainClass, title, WS_POPUP, x, y, w, h, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    if (visible) ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
}

plain_window::~plain_window() {
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

HWND plain_window::add_child(int w, int h) {
    return CreateWindowExW(0, kPlainClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, w, h, hwnd_, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

}  // namespace shell_test
