// The window-testing rig: pumping, input messages, a host window and the
// message recorder.
#include "window_rig.h"

#include <algorithm>
#include <cwchar>
#include <utility>

namespace window_rig {

void pump() {
    // Tests drive the mouse and the keys with sent messages. Input in the
    // device queue comes from the X display all test programs share: another
    // program's window opening under the pointer makes a move, and a window of
    // ours holding the capture would take it for the user's drag. Such input
    // is dropped; posted, sent and paint messages are delivered.
    const UINT not_input = PM_QS_POSTMESSAGE | PM_QS_PAINT | PM_QS_SENDMESSAGE;
    MSG msg;
    for (;;) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_INPUT)) {
        }
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | not_input)) break;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void pump_for(DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        pump();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (GetTickCount() - start < ms);
    pump();
}

bool pump_until(const std::function<bool()>& done, DWORD timeout_ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        pump();
        if (done()) return true;
        if (GetTickCount() - start >= timeout_ms) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

void mouse_move(HWND hwnd, int x, int y, WPARAM keys) {
    SendMessageW(hwnd, WM_MOUSEMOVE, keys, MAKELPARAM(x, y));
}

void left_down(HWND hwnd, int x, int y) { SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }

void left_up(HWND hwnd, int x, int y) { SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }

void click(HWND hwnd, int x, int y) {
    mouse_move(hwnd, x, y);
    left_down(hwnd, x, y);
    left_up(hwnd, x, y);
}

void double_click(HWND hwnd, int x, int y) {
    click(hwnd, x, y);
    SendMessageW(hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, y));
    left_up(hwnd, x, y);
}

void right_click(HWND hwnd, int x, int y) {
    SendMessageW(hwnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, y));
    SendMessageW(hwnd, WM_RBUTTONUP, 0, MAKELPARAM(x, y));
}

void key(HWND hwnd, UINT virtual_key) {
    const UINT scan = MapVirtualKeyW(virtual_key, MAPVK_VK_TO_VSC);
    SendMessageW(hwnd, WM_KEYDOWN, virtual_key, 1 | (scan << 16));
    const UINT character = MapVirtualKeyW(virtual_key, MAPVK_VK_TO_CHAR);
    if (character && virtual_key != VK_ESCAPE && virtual_key != VK_TAB)
        SendMessageW(hwnd, WM_CHAR, character, 1 | (scan << 16));
    SendMessageW(hwnd, WM_KEYUP, virtual_key, 1 | (scan << 16) | (1u << 30) | (1u << 31));
}

void type_text(HWND hwnd, const wchar_t* text) {
    for (; text && *text; ++text) SendMessageW(hwnd, WM_CHAR, *text, 1);
}

std::wstring window_text(HWND hwnd) {
    const int n = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    GetWindowTextW(hwnd, &text[0], n + 1);
    text.resize(wcslen(text.c_str()));
    return text;
}

namespace {
const wchar_t kHostClass[] = L"zel_test_host";

void register_host_class() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kHostClass;
    registered = RegisterClassW(&wc) != 0;
}
}  // namespace

host_window::host_window(int x, int y, int w, int h, COLORREF background) : hwnd_(nullptr), brush_(nullptr) {
    register_host_class();
    hwnd_ = CreateWindowExW(0, kHostClass, L"", WS_POPUP | WS_VISIBLE, x, y, w, h, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    brush_ = CreateSolidBrush(background);
    if (hwnd_) SetClassLongPtrW(hwnd_, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(brush_));
    if (hwnd_) {
        InvalidateRect(hwnd_, nullptr, TRUE);
        UpdateWindow(hwnd_);
    }
    pump();
}

host_window::~host_window() {
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
    if (brush_) DeleteObject(brush_);
}

message_recorder::message_recorder()
    : kinds_{WM_COMMAND, WM_HSCROLL, WM_VSCROLL, WM_SYSCOMMAND, WM_NOTIFY, msg_skin_resized} {}

message_recorder::message_recorder(std::vector<UINT> kinds) : kinds_(std::move(kinds)) {}

std::vector<unsigned> message_recorder::commands() const {
    std::vector<unsigned> ids;
    for (const recorded_message& m : log)
        if (m.msg == WM_COMMAND) ids.push_back(LOWORD(m.wparam));
    return ids;
}

int message_recorder::count(UINT msg) const {
    return static_cast<int>(
        std::count_if(log.begin(), log.end(), [msg](const recorded_message& m) { return m.msg == msg; }));
}

LRESULT message_recorder::window_proc(UINT msg, WPARAM wparam, LPARAM lparam) {
    if (std::find(kinds_.begin(), kinds_.end(), msg) != kinds_.end()) log.push_back({msg, wparam, lparam});
    if (msg == WM_SYSCOMMAND && ((wparam & 0xFFF0) == SC_MOVE)) return 0;
    return subclass::window_proc(msg, wparam, lparam);
}

}  // namespace window_rig
