// Captures of windows and DCs into 24-bit pixels, PNG files of them, and the
// GoogleTest listener that saves pictures of failing window tests.
#include "window_capture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>

#include "png_write.h"

namespace {
struct dc_source {
    HDC dc;
    int w, h;
};
std::vector<dc_source> g_failure_sources;

std::wstring widen(const char* text) {
    std::wstring out;
    for (; text && *text; ++text) out += static_cast<wchar_t>(static_cast<unsigned char>(*text));
    return out;
}

std::wstring current_test_name() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    if (!info) return L"no_test";
    return widen(info->test_suite_name()) + L"." + widen(info->name());
}

BOOL CALLBACK collect_visible(HWND hwnd, LPARAM param) {
    if (IsWindowVisible(hwnd)) reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    return TRUE;
}

// Saves a picture of every visible top-level window of the thread and of the
// registered DCs when an assertion fails.
class failure_capture : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        captured_ = 0;
        // Pictures of an earlier failing run of this test go.
        WIN32_FIND_DATAW entry;
        const std::wstring pattern = artifact_path(current_test_name() + L"-failed*.png");
        HANDLE h = FindFirstFileW(pattern.c_str(), &entry);
        if (h == INVALID_HANDLE_VALUE) return;
        do {
            DeleteFileW(artifact_path(entry.cFileName).c_str());
        } while (FindNextFileW(h, &entry));
        FindClose(h);
    }
    void OnTestPartResult(const ::testing::TestPartResult& result) override {
        if (!result.failed() || captured_ >= 8) return;
        std::vector<HWND> windows;
        EnumThreadWindows(GetCurrentThreadId(), collect_visible, reinterpret_cast<LPARAM>(&windows));
        for (HWND hwnd : windows) save(capture_window(hwnd));
        for (const dc_source& s : g_failure_sources) save(capture_dc(s.dc, 0, 0, s.w, s.h));
    }
    void save(const pixel_image& image) {
        if (image.empty()) return;
        wchar_t suffix[16];
        _snwprintf(suffix, 15, L"failed%d", ++captured_);
        suffix[15] = 0;
        const std::wstring path = save_artifact(image, suffix);
        fwprintf(stderr, L"window capture: %ls\n", path.c_str());
    }
    int captured_ = 0;
};

struct listener_registration {
    listener_registration() { ::testing::UnitTest::GetInstance()->listeners().Append(new failure_capture); }
} g_registration;

BITMAPINFO rgb24_info(int w, int h) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    return bi;
}
}  // namespace

int pixel_image::count(COLORREF colour, int x, int y, int w, int h) const {
    int n = 0;
    for (int row = std::max(0, y); row < std::min(height, y + h); ++row)
        for (int col = std::max(0, x); col < std::min(width, x + w); ++col)
            if (at(col, row) == colour) ++n;
    return n;
}

pixel_image capture_dc(HDC dc, int x, int y, int w, int h) {
    pixel_image image;
    if (!dc || w <= 0 || h <= 0) return image;
    BITMAPINFO bi = rgb24_info(w, h);
    void* bits = nullptr;
    HDC copy_dc = CreateCompatibleDC(dc);
    HBITMAP section = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (copy_dc && section) {
        HGDIOBJ old = SelectObject(copy_dc, section);
        BitBlt(copy_dc, 0, 0, w, h, dc, x, y, SRCCOPY);
        GdiFlush();
        image.width = w;
        image.height = h;
        image.rgb.resize(static_cast<size_t>(w) * h * 3);
        const size_t stride = (static_cast<size_t>(w) * 3 + 3) & ~static_cast<size_t>(3);
        for (int row = 0; row < h; ++row) {
            const uint8_t* in = static_cast<const uint8_t*>(bits) + row * stride;
            uint8_t* out = &image.rgb[static_cast<size_t>(row) * w * 3];
            for (int col = 0; col < w; ++col) {
                out[3 * col] = in[3 * col + 2];
                out[3 * col + 1] = in[3 * col + 1];
                out[3 * col + 2] = in[3 * col];
            }
        }
        SelectObject(copy_dc, old);
    }
    if (section) DeleteObject(section);
    if (copy_dc) DeleteDC(copy_dc);
    return image;
}

namespace {
// Paints the pixels outside the region magenta.
void paint_outside(pixel_image& image, HRGN region) {
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (!PtInRegion(region, x, y)) {
                uint8_t* p = &image.rgb[(static_cast<size_t>(y) * image.width + x) * 3];
                p[0] = 255;
                p[1] = 0;
                p[2] = 255;
            }
}
}  // namespace

pixel_image capture_window(HWND hwnd) {
    RECT r;
    if (!IsWindow(hwnd) || !GetWindowRect(hwnd, &r)) return pixel_image();
    // From the window's own DC: Wine keeps each top-level window's pixels
    // apart, so windows of tests running side by side on the same display do
    // not show through.
    HDC dc = GetWindowDC(hwnd);
    pixel_image image = capture_dc(dc, 0, 0, r.right - r.left, r.bottom - r.top);
    ReleaseDC(hwnd, dc);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (GetWindowRgn(hwnd, region) != ERROR) paint_outside(image, region);
    DeleteObject(region);
    return image;
}

namespace {
// The window's region in its own coordinates: its shape when it has one,
// else its whole rectangle.
HRGN own_region(HWND hwnd, const RECT& r) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (GetWindowRgn(hwnd, region) == ERROR) {
        DeleteObject(region);
        region = CreateRectRgn(0, 0, r.right - r.left, r.bottom - r.top);
    }
    return region;
}

// The part of the window a user can see, in its own coordinates.
HRGN visible_region(HWND hwnd, const RECT& r) {
    HRGN visible = own_region(hwnd, r);
    HRGN screen = CreateRectRgn(-r.left, -r.top, GetSystemMetrics(SM_CXSCREEN) - r.left,
                                GetSystemMetrics(SM_CYSCREEN) - r.top);
    CombineRgn(visible, visible, screen, RGN_AND);
    DeleteObject(screen);
    for (HWND above = GetWindow(hwnd, GW_HWNDPREV); above; above = GetWindow(above, GW_HWNDPREV)) {
        RECT a;
        if (!IsWindowVisible(above) || !GetWindowRect(above, &a) || IsRectEmpty(&a)) continue;
        HRGN cover = own_region(above, a);
        OffsetRgn(cover, a.left - r.left, a.top - r.top);
        CombineRgn(visible, visible, cover, RGN_DIFF);
        DeleteObject(cover);
    }
    return visible;
}
}  // namespace

pixel_image capture_screen_at(HWND hwnd) {
    RECT r;
    if (!IsWindow(hwnd) || !GetWindowRect(hwnd, &r)) return pixel_image();
    HDC dc = GetDC(nullptr);
    pixel_image image = capture_dc(dc, r.left, r.top, r.right - r.left, r.bottom - r.top);
    ReleaseDC(nullptr, dc);
    HRGN region = own_region(hwnd, r);
    HRGN screen = CreateRectRgn(-r.left, -r.top, GetSystemMetrics(SM_CXSCREEN) - r.left,
                                GetSystemMetrics(SM_CYSCREEN) - r.top);
    CombineRgn(region, region, screen, RGN_AND);
    DeleteObject(screen);
    paint_outside(image, region);
    DeleteObject(region);
    return image;
}

screen_comparison compare_with_screen(HWND hwnd) {
    screen_comparison c;
    RECT r;
    if (!IsWindow(hwnd) || !GetWindowRect(hwnd, &r)) return c;
    // The screen first: a window that has painted but not yet reached the
    // display shows its new pixels in its own capture only.
    c.screen = capture_screen_at(hwnd);
    c.own = capture_window(hwnd);
    if (c.own.width != c.screen.width || c.own.height != c.screen.height) return c;
    HRGN visible = visible_region(hwnd, r);
    for (int y = 0; y < c.own.height; ++y)
        for (int x = 0; x < c.own.width; ++x) {
            if (!PtInRegion(visible, x, y)) continue;
            ++c.compared;
            if (c.own.at(x, y) == c.screen.at(x, y)) ++c.equal;
        }
    DeleteObject(visible);
    return c;
}

bool write_png(const pixel_image& image, const std::wstring& path) {
    if (image.empty()) return false;
    std::vector<uint8_t> rgb(image.rgb);
    const std::string bytes = encode_png(rgb_spec(image.width, image.height, rgb));
    return !bytes.empty() && write_binary_file(path, bytes);
}

std::wstring artifact_path(const std::wstring& name) {
    const std::wstring folder = widen(ZEL_ARTIFACT_DIR);
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder + L"\\" + name;
}

std::wstring save_artifact(const pixel_image& image, const wchar_t* suffix) {
    std::wstring name = current_test_name();
    if (suffix && *suffix) name += std::wstring(L"-") + suffix;
    const std::wstring path = artifact_path(name + L".png");
    return write_png(image, path) ? path : std::wstring();
}

capture_on_failure::capture_on_failure(HDC dc, int w, int h) { g_failure_sources.push_back({dc, w, h}); }

capture_on_failure::~capture_on_failure() {
    if (!g_failure_sources.empty()) g_failure_sources.pop_back();
}
