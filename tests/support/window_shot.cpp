// zel_window_shot.exe: writes a PNG of another program's window, for a
// person to look at a running player (tools/run_player.sh, by hand).
//   zel_window_shot OUT.png [CLASS] [WAIT_MS] [COMMAND_CLASS:ID]
// Waits up to WAIT_MS (default 20000) for a visible top-level window of the
// class (default "ZELMainWindow"), then captures it as capture_window does
// (pixels outside the window's shape magenta). CLASS "group" pictures every
// visible window of the main window's program where it stands on the
// screen (each from its own pixels, stacked as on the screen; grey where
// none is). With COMMAND_CLASS:ID the window of that class is first sent
// WM_COMMAND ID (a tab or view to picture), and the picture is taken half
// a second later. Exit code 0 when written.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include "window_capture.h"

namespace {

// The visible windows of the process, topmost first.
std::vector<HWND> program_windows(DWORD process) {
    struct walk {
        DWORD process;
        std::vector<HWND> found;
    } w = {process, {}};
    struct visit {
        static BOOL CALLBACK one(HWND h, LPARAM l) {
            walk* w = reinterpret_cast<walk*>(l);
            DWORD p = 0;
            GetWindowThreadProcessId(h, &p);
            RECT r = {};
            if (p == w->process && IsWindowVisible(h) && GetWindowRect(h, &r) && r.right > r.left &&
                r.bottom > r.top)
                w->found.push_back(h);
            return TRUE;
        }
    };
    EnumWindows(visit::one, reinterpret_cast<LPARAM>(&w));
    return w.found;
}

pixel_image group_picture(HWND main) {
    DWORD process = 0;
    GetWindowThreadProcessId(main, &process);
    const std::vector<HWND> windows = program_windows(process);
    RECT all = {};
    GetWindowRect(main, &all);
    for (HWND h : windows) {
        RECT r = {};
        GetWindowRect(h, &r);
        UnionRect(&all, &all, &r);
    }
    pixel_image canvas;
    canvas.width = all.right - all.left;
    canvas.height = all.bottom - all.top;
    canvas.rgb.assign(static_cast<size_t>(canvas.width) * canvas.height * 3, 0x60);
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        RECT r = {};
        GetWindowRect(*it, &r);
        const pixel_image one = capture_window(*it);
        for (int y = 0; y < one.height; ++y)
            for (int x = 0; x < one.width; ++x) {
                const uint8_t* p = &one.rgb[(static_cast<size_t>(y) * one.width + x) * 3];
                if (p[0] == 255 && p[1] == 0 && p[2] == 255) continue;  // outside its shape
                const int cx = r.left - all.left + x, cy = r.top - all.top + y;
                if (cx < 0 || cy < 0 || cx >= canvas.width || cy >= canvas.height) continue;
                uint8_t* q = &canvas.rgb[(static_cast<size_t>(cy) * canvas.width + cx) * 3];
                q[0] = p[0];
                q[1] = p[1];
                q[2] = p[2];
            }
    }
    return canvas;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: zel_window_shot OUT.png [CLASS] [WAIT_MS] [COMMAND_CLASS:ID]\n");
        return 2;
    }
    const bool group = argc > 2 && std::wstring(argv[2]) == L"group";
    const wchar_t* window_class = argc > 2 && !group ? argv[2] : L"ZELMainWindow";
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
    if (argc > 4) {
        const std::wstring command = argv[4];
        const size_t colon = command.rfind(L':');
        HWND target = colon == std::wstring::npos ? nullptr : FindWindowW(command.substr(0, colon).c_str(), nullptr);
        if (target) {
            SendMessageW(target, WM_COMMAND, wcstoul(command.c_str() + colon + 1, nullptr, 10), 0);
            Sleep(500);
        }
    }
    const pixel_image image = group ? group_picture(window) : capture_window(window);
    if (image.empty() || !write_png(image, argv[1])) {
        std::fprintf(stderr, "zel_window_shot: the picture could not be written\n");
        return 1;
    }
    return 0;
}
