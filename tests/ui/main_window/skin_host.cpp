// The skin tests' host window and back-buffer comparisons.
#include "skin_host.h"

#include <cstdio>

skin_host::skin_host() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"zel_player_skin_host";
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        RegisterClassW(&wc);
        registered = true;
    }
    hwnd_ = CreateWindowExW(0, L"zel_player_skin_host", L"", WS_POPUP | WS_VISIBLE, 40, 40, 60, 60, nullptr,
                            nullptr, GetModuleHandleW(nullptr), nullptr);
}

skin_host::~skin_host() {
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

COLORREF dib_pixel(const dib& image, int x, int y) {
    GdiFlush();
    const BYTE* row = static_cast<const BYTE*>(image.get_dib_section_bits()) +
                      static_cast<size_t>(image.get_height() - 1 - y) * image.get_bytes_scanline();
    return RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
}

namespace {
::testing::AssertionResult differs(const char* what, int x, int y, COLORREF seen, COLORREF wanted) {
    char text[160];
    std::snprintf(text, sizeof text, "%s at (%d, %d): back buffer %06lX, expected %06lX", what, x, y,
                  static_cast<unsigned long>(seen), static_cast<unsigned long>(wanted));
    return ::testing::AssertionFailure() << text;
}
}  // namespace

::testing::AssertionResult shows_over(const skin& look, const RECT& at, const dib& face, const dib& image) {
    if (!image.get_memdc()) return ::testing::AssertionFailure() << "the image is empty";
    for (int y = at.top; y < at.bottom; ++y)
        for (int x = at.left; x < at.right; ++x) {
            const int ix = x - at.left, iy = y - at.top;
            COLORREF wanted = dib_pixel(face, ix, iy);
            if (ix < image.get_width() && iy < image.get_height()) {
                const COLORREF p = dib_pixel(image, ix, iy);
                if (p != kKey) wanted = p;
            }
            const COLORREF seen = back_pixel(look, x, y);
            if (seen != wanted) return differs("image over the face", x, y, seen, wanted);
        }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult shows_plain(const skin& look, const RECT& at, const dib& face) {
    for (int y = at.top; y < at.bottom; ++y)
        for (int x = at.left; x < at.right; ++x) {
            const COLORREF seen = back_pixel(look, x, y), wanted = dib_pixel(face, x - at.left, y - at.top);
            if (seen != wanted) return differs("the plain face", x, y, seen, wanted);
        }
    return ::testing::AssertionSuccess();
}

int opaque_pixels(const dib& image) {
    if (!image.get_memdc()) return 0;
    int n = 0;
    for (int y = 0; y < image.get_height(); ++y)
        for (int x = 0; x < image.get_width(); ++x) n += dib_pixel(image, x, y) != kKey;
    return n;
}
