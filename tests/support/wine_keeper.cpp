// Runs for the whole of a test run inside its Wine prefix and does nothing.
//
// Wine ends its desktop process a few seconds after the last program of the
// prefix has ended, and starts a new one for the next program that needs a
// window; that new desktop process inherits the program's standard handles
// and holds the test runner's pipe open long after the test has finished.
// While this program lives the desktop process stays, started here with the
// null handles the scripts give this program. The scripts end it with the
// Wine server.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Asking for the desktop window makes Wine start the desktop process now.
    GetDesktopWindow();
    HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (probe) DestroyWindow(probe);
    for (;;) Sleep(INFINITE);
}
