#pragma once
// The window-testing rig: real windows under Wine and Xvfb, driven by
// messages and read back.
//
// Input goes in as window messages (positions in client coordinates, so no
// pointer or window manager is involved); pump() then delivers what the
// windows posted, and drops the display's own mouse and key input. A message_recorder attached after a window's other
// subclass objects sees first what reaches the window, so it logs the
// commands and notifications the window is sent or posted.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "subclass.h"

namespace window_rig {

// Dispatches every message waiting on this thread.
void pump();
// Keeps dispatching (timers included) for about ms milliseconds.
void pump_for(DWORD ms);
// Dispatches until done() holds or timeout_ms passed; true when it held.
bool pump_until(const std::function<bool()>& done, DWORD timeout_ms = 2000);

// Mouse messages sent to the window at x, y of its client area.
void mouse_move(HWND hwnd, int x, int y, WPARAM keys = 0);
void left_down(HWND hwnd, int x, int y);
void left_up(HWND hwnd, int x, int y);
// Press and release at one point.
void click(HWND hwnd, int x, int y);
void double_click(HWND hwnd, int x, int y);
void right_click(HWND hwnd, int x, int y);
// A key pressed and released (WM_KEYDOWN, WM_CHAR for characters, WM_KEYUP).
void key(HWND hwnd, UINT virtual_key);
// WM_CHAR for each character of the text.
void type_text(HWND hwnd, const wchar_t* text);

// The text of a window (a control's caption, an edit's content).
std::wstring window_text(HWND hwnd);

// A plain visible top-level window at x, y of the screen's client size w x h
// (a popup without frame, so that client and window coordinates agree), for
// hosting controls; destroyed with the object.
class host_window {
public:
    host_window(int x, int y, int w, int h, COLORREF background = RGB(255, 255, 255));
    ~host_window();
    host_window(const host_window&) = delete;
    host_window& operator=(const host_window&) = delete;
    HWND hwnd() const { return hwnd_; }

private:
    HWND hwnd_;
    HBRUSH brush_;
};

struct recorded_message {
    UINT msg;
    WPARAM wparam;
    LPARAM lparam;
};

// Logs the messages of the listed kinds that reach the window, and passes
// them on. WM_SYSCOMMAND SC_MOVE | HTCAPTION (0xF012) and the drag move
// 0xF011 are logged but not passed on, so that no modal move loop starts.
class message_recorder : public subclass {
public:
    static const UINT msg_skin_resized = 10524;
    // By default WM_COMMAND, WM_HSCROLL, WM_VSCROLL, WM_SYSCOMMAND, WM_NOTIFY
    // and message 10524.
    message_recorder();
    explicit message_recorder(std::vector<UINT> kinds);

    std::vector<recorded_message> log;
    // The ids (low words of wParam) of the WM_COMMAND messages, in order.
    std::vector<unsigned> commands() const;
    int count(UINT msg) const;
    void clear() { log.clear(); }

    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override;

private:
    std::vector<UINT> kinds_;
};

}  // namespace window_rig
