#pragma once
// Pixels read back from windows and DCs, and their PNG files.
//
// A window test reads pixels through these captures and, when it fails,
// leaves a picture a person can open: every failed assertion of a test
// writes the visible top-level windows of the test's thread (and the DCs
// registered with capture_on_failure) to the artifacts folder of the build,
// as "<suite>.<test>-<n>.png".
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct pixel_image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // top-down rows, red, green, blue per pixel

    bool empty() const { return width <= 0 || height <= 0; }
    COLORREF at(int x, int y) const {
        const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
        return RGB(p[0], p[1], p[2]);
    }
    // The number of pixels of the rectangle x, y, w, h equal to colour.
    int count(COLORREF colour, int x, int y, int w, int h) const;
    int count(COLORREF colour) const { return count(colour, 0, 0, width, height); }
};

// The w x h pixels at x, y of a DC (a memory DC such as a back buffer, or a
// window's DC).
pixel_image capture_dc(HDC dc, int x, int y, int w, int h);
// What the window shows, frame included, with every pixel outside the
// window's region painted magenta so that its shape shows.
pixel_image capture_window(HWND hwnd);

// What the screen shows at the window's place: the display's own pixels
// (through the screen DC, as a screenshot of the whole display sees them),
// not the window's. Pixels the screen does not cover, and pixels outside the
// window's region, are magenta, as in capture_window.
pixel_image capture_screen_at(HWND hwnd);

// The window's own pixels against the screen's at its place, over the part
// of the window a user can see: inside its region and the screen, and not
// under another visible top-level window above it in the Z order.
struct screen_comparison {
    int compared = 0;  // pixels of the visible part
    int equal = 0;     // of them, the same on the screen as in the window
    pixel_image own, screen;
    // Whether at least percent of the visible part (which is not empty) agrees.
    bool agrees(int percent) const { return compared > 0 && equal * 100LL >= compared * 1LL * percent; }
};
screen_comparison compare_with_screen(HWND hwnd);

// 8-bit RGB PNG of the pixels; false when it cannot be written.
bool write_png(const pixel_image& image, const std::wstring& path);

// The artifacts folder of the build (made when missing), with name appended.
std::wstring artifact_path(const std::wstring& name);
// Writes the pixels to the artifacts folder as "<suite>.<test>-<suffix>.png"
// and returns the path.
std::wstring save_artifact(const pixel_image& image, const wchar_t* suffix);

// While it lives, a failed assertion also captures this DC's w x h pixels
// (a skin's back buffer, say).
class capture_on_failure {
public:
    capture_on_failure(HDC dc, int w, int h);
    ~capture_on_failure();
    capture_on_failure(const capture_on_failure&) = delete;
    capture_on_failure& operator=(const capture_on_failure&) = delete;
};
