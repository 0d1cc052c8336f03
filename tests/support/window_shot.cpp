// zel_window_shot.exe: writes a PNG of another program's window, for a
// person to look at a running player (tools/run_player.sh, by hand).
//   zel_window_shot OUT.png [CLASS] [WAIT_MS]
// Waits up to WAIT_MS (default 20000) for a visible top-level window of the
// class (default "ZELMainWindow"), then captures it as capture_window does
// (pixels outside the window's shape magenta). Exit code 0 when written.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include "window_capture.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: zel_window_shot OUT.png [CLASS] [WAIT_MS]\n");
        return 2;
    }
    const wchar_t* window_class = argc > 2 ? argv[2] : L"ZELMainWindow";
    const DWORD wait_ms = argc > 3 ? static_cast<DWORD>(wcstoul(argv[3], nullptr, 10)) : 20000;
    const DWORD start = GetTickCount();
    HWND window = nullptr;
    for (;;) {
        window = FindWindowW(window_class, nullptr);
        if (window && IsWindowVisible(window)) break;
        if (GetTickCount() - start >= wait_ms) {
            std::fprintf(stderr, "zel_window_shot: no visible window of that class\n");
            return 1;
        }
        Sleep(50);
    }
    const pixel_image image = capture_window(window);
    if (image.empty() || !write_png(image, argv[1])) {
        std::fprintf(stderr, "zel_window_shot: the picture could not be written\n");
        return 1;
    }
    return 0;
}
