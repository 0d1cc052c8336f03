#pragma once
// Shared by the skin engine's tests: a plain top-level window to skin, the
// two test skins built from their generated images and rectangles, and
// comparisons of the back buffer with parts of a skin image.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "skin.h"
#include "test_frame_skin.h"
#include "test_player_skin.h"
#include "toolkit_test_support.h"
#include "window.h"
#include "window_capture.h"
#include "window_rig.h"

const COLORREF kKey = RGB(255, 0, 255);

// A visible popup window without frame, destroyed with the object. It
// counts the mouse messages that reach its own procedure (past the skin).
class skin_window : public window {
public:
    explicit skin_window(const wchar_t* class_name = L"zel_skin_test", int x = 40, int y = 40, int w = 50,
                         int h = 50);
    ~skin_window() override;
    HWND hwnd() const { return hwnd_; }
    int seen(UINT msg) const;
    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override;

private:
    std::vector<UINT> seen_;
};

// A button record from the generated rectangles, with its tooltip.
skin_button* make_button(const skin_art_button& art, const wchar_t* tooltip = L"");
skin_list_item* make_item(const skin_art_button& art, const wchar_t* first_line);
skin_scroll* make_slider(const skin_art_slider& art, int min, int max);

// The test_player skin (PNG 901 or 902) on a window: one region, every
// control and static of its data. The region image stays (no
// delete_backup_image), so that tests can add more controls.
struct player_build {
    std::unique_ptr<skin_window> window;
    std::unique_ptr<skin> look;
    _region* region = nullptr;
    skin_list_control* list = nullptr;
};
player_build build_player(unsigned png_id = 901, const wchar_t* class_name = L"zel_skin_test");

// A test on the test_player skin (PNG 901): the window and skin, the skin's
// image, and a recorder of what the window is sent and posted.
struct player_test : toolkit_test {
    void SetUp() override;
    void TearDown() override;
    HWND hwnd() const { return b.window->hwnd(); }
    skin& look() { return *b.look; }

    player_build b;
    std::unique_ptr<dib> image;
    window_rig::message_recorder log;
};

// The test_frame skin: its nine pieces, controls and statics.
struct frame_build {
    std::unique_ptr<skin_window> window;
    std::unique_ptr<skin> look;
    std::vector<std::unique_ptr<_resize_region>> pieces;
    _region* region = nullptr;
};
// Pieces of the kinds in skip are left out.
frame_build build_frame(std::vector<int> skip = {});

// Whether the back buffer shows, at `at`, exactly the image's part at
// `source` (both of one size); the first differing pixel otherwise.
::testing::AssertionResult shows(const skin& look, const RECT& at, const dib& image, const RECT& source);
// Whether the back buffer shows exactly the colour over the rectangle.
::testing::AssertionResult shows_colour(const skin& look, const RECT& at, COLORREF colour);

// The pixel of the back buffer.
COLORREF back_pixel(const skin& look, int x, int y);
// The number of tools in the skin's tooltip window.
int tool_count(const skin& look);
// The text of the skin's tool with that id ("" when it has none).
std::wstring tool_text(const skin& look, unsigned id);

// The rectangle moved.
inline RECT shifted(RECT r, int dx, int dy) {
    OffsetRect(&r, dx, dy);
    return r;
}
inline bool same_rect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; }

// Keeps a failing test's picture of the back buffer.
#define KEEP_BACK_BUFFER(look) capture_on_failure keep_back_buffer((look).get_dc(), (look).get_width(), (look).get_height())
