#pragma once
// Shared by the shell-integration tests (tray, window docker, drag and
// drop): each test program runs on a virtual desktop of its own, 1024 x 768,
// so that positions, the work area, the Z order and the window under a
// point are the test's alone. zel_core and the stand-in user-interface
// service (whose main window the tests name) are loaded from the test's
// folder; OLE is initialised on the test thread.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace shell_test {

const int desktop_width = 1024;
const int desktop_height = 768;

// Names the main window that the stand-in user-interface service reports.
void set_main_window(HWND hwnd);

// Activates the run's anchor window again after a test activated one of
// its own windows; false when it could not.
bool give_activation_back();

RECT work_area();
RECT rect_of(HWND hwnd);
// Whether a lies above b in the Z order.
bool above(HWND a, HWND b);
// The top-level windows of this thread of the class.
int thread_windows(const wchar_t* class_name);

// A plain top-level popup (no frame: its window and client rectangles
// agree) of a class that does nothing of its own, shown without activation;
// destroyed with the object.
class plain_window {
public:
    plain_window(int x, int y, int w, int h, bool visible = true, const wchar_t* title = L"");
    ~plain_window();
    plain_window(const plain_window&) = delete;
    plain_window& operator=(const plain_window&) = delete;
    HWND hwnd() const { return hwnd_; }
    RECT rect() const { return rect_of(hwnd_); }
    // A child window covering the client area's top-left w x h.
    HWND add_child(int w, int h);

private:
    HWND hwnd_;
};

}  // namespace shell_test
