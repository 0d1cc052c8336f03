#pragma once
// Shared by the main window's skin tests: a plain window to build the skins
// on, and pixels of the skin's back buffer.
#include <gtest/gtest.h>
#include <windows.h>

#include "core.h"
#include "dib.h"
#include "player_skin.h"
#include "skin.h"

const COLORREF kKey = RGB(255, 0, 255);

// A visible popup window without frame, destroyed with the object.
class skin_host {
public:
    skin_host();
    ~skin_host();
    skin_host(const skin_host&) = delete;
    skin_host& operator=(const skin_host&) = delete;
    HWND hwnd() const { return hwnd_; }

private:
    HWND hwnd_;
};

// The skins take their images from the test program's resources.
struct player_skin_test : ::testing::Test {
    void SetUp() override { core::set_instance(GetModuleHandleW(nullptr)); }
};
using title_marquee_test = player_skin_test;

// A pixel of a 24-bit dib; y counts from the top.
COLORREF dib_pixel(const dib& image, int x, int y);
inline COLORREF back_pixel(const skin& look, int x, int y) { return dib_pixel(look.back_buffer(), x, y); }

// Whether the back buffer shows the image at the rectangle's top-left
// corner over the face beneath (face: the static's or control's
// background), with the key colour left out and the image cut to the
// rectangle.
::testing::AssertionResult shows_over(const skin& look, const RECT& at, const dib& face, const dib& image);
// Whether the back buffer shows exactly the background dib at the rectangle.
::testing::AssertionResult shows_plain(const skin& look, const RECT& at, const dib& face);
// The number of pixels of the image that are not the key colour.
int opaque_pixels(const dib& image);
