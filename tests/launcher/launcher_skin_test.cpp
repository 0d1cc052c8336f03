// The launcher's skin frame: the window cut from the image's window part
// (kept at (3,3) of the image), shaped by the key colour, stretching only
// its middle column and row, with its buttons, captions and row images.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "core.h"
#include "launcher_skin.h"
#include "window_capture.h"
#include "window_rig.h"

namespace {
const COLORREF kKey = RGB(255, 0, 255);

COLORREF pixel(const dib& image, int x, int y) {
    const BYTE* row = static_cast<const BYTE*>(image.get_dib_section_bits()) +
                      static_cast<size_t>(image.get_height() - 1 - y) * image.get_bytes_scanline();
    return RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
}

LRESULT CALLBACK plain_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    return DefWindowProcW(hwnd, msg, wparam, lparam);
}

HWND framed_window() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &plain_proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"zel_launcher_skin_test";
        RegisterClassW(&wc);
        registered = true;
    }
    return CreateWindowExW(0, L"zel_launcher_skin_test", L"", WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_VISIBLE, 30,
                           30, 200, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

struct launcher_skin_test : ::testing::Test {
    void SetUp() override {
        core::set_instance(GetModuleHandleW(nullptr));
        image.reset(skin::load_png_resource(L"PNG", 103));
        ASSERT_TRUE(image);
        hwnd = framed_window();
        ASSERT_NE(hwnd, nullptr);
        ASSERT_NE(frame.build(hwnd), nullptr);
        window_rig::pump();
    }
    void TearDown() override {
        frame.release();
        DestroyWindow(hwnd);
    }
    // Pixels of the back buffer at (x + dx, y + dy) for (x, y) in r that
    // differ from the window part of the image at (x, y).
    int differing(const RECT& r, int dx, int dy) {
        const dib& back = frame.get()->back_buffer();
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (pixel(back, x + dx, y + dy) != pixel(*image, x + 3, y + 3)) ++n;
        return n;
    }
    RECT window_rect() const {
        RECT r;
        GetWindowRect(hwnd, &r);
        return r;
    }

    std::unique_ptr<dib> image;
    HWND hwnd = nullptr;
    launcher_skin frame;
};
}  // namespace

TEST_F(launcher_skin_test, the_window_is_the_images_window_part_with_its_magenta_cut_away) {
    const RECT r = window_rect();
    EXPECT_EQ(r.right - r.left, 350);
    EXPECT_EQ(r.bottom - r.top, 341);
    EXPECT_EQ(differing(RECT{0, 0, 350, 341}, 0, 0), 0);

    HRGN shape = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(hwnd, shape), ERROR);
    const struct {
        int x, y;
        bool inside;
    } probes[] = {{0, 0, false},     {349, 0, false},  {0, 340, false},   {349, 340, false},
                  {175, 170, true},  {10, 10, true},   {340, 330, true},  {6, 0, true}};
    for (const auto& p : probes) {
        EXPECT_EQ(PtInRegion(shape, p.x, p.y) != 0, p.inside) << p.x << "," << p.y;
        EXPECT_EQ(pixel(*image, p.x + 3, p.y + 3) == kKey, !p.inside) << p.x << "," << p.y;
    }
    DeleteObject(shape);
}

TEST_F(launcher_skin_test, the_grip_stretches_only_the_middle_column_and_row) {
    const RECT before = window_rect();
    window_rig::mouse_move(hwnd, 348, 339);
    window_rig::left_down(hwnd, 348, 339);
    // The skin puts the window's corner where the pointer lets go.
    window_rig::mouse_move(hwnd, 450, 441, MK_LBUTTON);
    window_rig::left_up(hwnd, 450, 441);
    window_rig::pump();
    const RECT after = window_rect();
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    ASSERT_EQ(after.right - after.left, 450);
    ASSERT_EQ(after.bottom - after.top, 441);
    capture_on_failure keep(frame.get()->get_dc(), 450, 441);

    // The four corners keep their pixels, moved with their side.
    EXPECT_EQ(differing(RECT{0, 0, 175, 170}, 0, 0), 0);
    EXPECT_EQ(differing(RECT{176, 0, 350, 170}, 100, 0), 0);
    EXPECT_EQ(differing(RECT{0, 171, 175, 341}, 0, 100), 0);
    EXPECT_EQ(differing(RECT{176, 171, 350, 341}, 100, 100), 0);
    // Column 175 and row 170 fill the 101 pixels of the middle.
    for (int dx = 0; dx <= 100; dx += 25) {
        EXPECT_EQ(differing(RECT{175, 0, 176, 170}, dx, 0), 0) << dx;
        EXPECT_EQ(differing(RECT{175, 171, 176, 341}, dx, 100), 0) << dx;
        EXPECT_EQ(differing(RECT{0, 170, 175, 171}, 0, dx), 0) << dx;
        EXPECT_EQ(differing(RECT{176, 170, 350, 171}, 100, dx), 0) << dx;
    }
    // The buttons went with the top-right corner.
    EXPECT_EQ(frame.get()->get_control(launcher_skin::close_id)->draw_rect.left, 323 + 100);
    EXPECT_EQ(frame.get()->get_control(launcher_skin::minimise_id)->draw_rect.top, 9);
}

TEST_F(launcher_skin_test, buttons_captions_and_row_images_are_in_place) {
    skin* look = frame.get();
    const struct {
        int id;
        const wchar_t* tooltip;
        RECT rect;
    } buttons[] = {{101, L"최소화", {300, 9, 317, 26}}, {102, L"닫기", {323, 9, 340, 26}}};
    for (const auto& b : buttons) {
        skin_control* c = look->get_control(static_cast<unsigned>(b.id));
        ASSERT_NE(c, nullptr) << b.id;
        EXPECT_STREQ(c->tooltip, b.tooltip);
        EXPECT_TRUE(EqualRect(&c->draw_rect, &b.rect)) << b.id;
    }
    // A click on the close button is a command for the window.
    window_rig::message_recorder log;
    log.init(hwnd);
    window_rig::mouse_move(hwnd, 330, 15);
    window_rig::click(hwnd, 330, 15);
    window_rig::pump();
    EXPECT_EQ(log.commands(), (std::vector<unsigned>{102}));
    log.deinit();

    for (int id : {103, 104}) {
        skin_static* s = look->get_static(static_cast<unsigned>(id));
        ASSERT_NE(s, nullptr) << id;
        EXPECT_TRUE(s->bold);
        EXPECT_EQ(s->text_colour, RGB(0, 0, 0));
    }
    const RECT clock = launcher_skin::clock_rect();
    EXPECT_TRUE(EqualRect(&look->get_static(103)->rect, &clock));
    EXPECT_EQ(look->get_static(104)->align, 2);

    const struct {
        int id, x, y, w, h;
    } images[] = {{105, 3, 356, 69, 19}, {106, 77, 356, 69, 19},  {107, 3, 379, 69, 19},
                  {109, 77, 379, 69, 19}, {110, 150, 379, 69, 19}, {108, 183, 358, 14, 14}};
    for (const auto& i : images) {
        SCOPED_TRACE(i.id);
        dib* part = frame.image(i.id);
        ASSERT_NE(part, nullptr);
        ASSERT_EQ(part->get_width(), i.w);
        ASSERT_EQ(part->get_height(), i.h);
        int wrong = 0;
        for (int y = 0; y < i.h; ++y)
            for (int x = 0; x < i.w; ++x) wrong += pixel(*part, x, y) != pixel(*image, i.x + x, i.y + y);
        EXPECT_EQ(wrong, 0);
    }
    EXPECT_EQ(frame.image(111), nullptr);
    launcher_skin::scroll_images bar = frame.vscroll();
    ASSERT_EQ(bar.channel->get_width(), 9);
    EXPECT_EQ(pixel(*bar.channel, 0, 4), RGB(0xD8, 0xD8, 0xD8));
    EXPECT_EQ(pixel(*bar.channel, 8, 4), RGB(0xD8, 0xD8, 0xD8));
    EXPECT_EQ(pixel(*bar.channel, 1, 0), RGB(0xF1, 0xF1, 0xF1));
    EXPECT_EQ(pixel(*bar.channel, 7, 8), RGB(0xF1, 0xF1, 0xF1));
    EXPECT_EQ(bar.thumb->get_height(), 53);
    EXPECT_EQ(bar.plus->get_width(), 8);
}
