#pragma once
// Shared by the toolkit's tests: the test program as resource module, pixels
// of dibs, and the paths of the image fixtures.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "core.h"
#include "dib.h"

// Windows, dialogs and images take their resources from the test program.
struct toolkit_test : ::testing::Test {
    void SetUp() override { core::set_instance(GetModuleHandleW(nullptr)); }
};

// A pixel of a 24-bit dib; y counts from the top.
inline COLORREF dib_pixel(const dib& image, int x, int y) {
    const BYTE* row = static_cast<const BYTE*>(image.get_dib_section_bits()) +
                      static_cast<size_t>(image.get_height() - 1 - y) * image.get_bytes_scanline();
    return RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
}

inline void set_dib_pixel(dib& image, int x, int y, COLORREF c) {
    BYTE* row = static_cast<BYTE*>(image.get_dib_section_bits()) +
                static_cast<size_t>(image.get_height() - 1 - y) * image.get_bytes_scanline();
    row[3 * x] = GetBValue(c);
    row[3 * x + 1] = GetGValue(c);
    row[3 * x + 2] = GetRValue(c);
}

// A new 24-bit dib whose pixels are colour(x, y).
inline void paint_dib(dib& image, int w, int h, const std::function<COLORREF(int, int)>& colour) {
    ASSERT_TRUE(image.create(w, h, 24));
    GdiFlush();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) set_dib_pixel(image, x, y, colour(x, y));
}

inline std::wstring fixture_path(const wchar_t* name) {
    std::wstring path;
    for (const char* p = ZEL_IMAGE_FIXTURE_DIR; *p; ++p) path += static_cast<wchar_t>(*p);
    return path + L"/" + name;
}
