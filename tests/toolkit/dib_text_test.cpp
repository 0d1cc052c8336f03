// dib: text drawn through a key-coloured box lands on the target without
// its box and without a fringe of glyph edges blended with the key colour.
#include <gtest/gtest.h>
#include <windows.h>

#include "dib.h"
#include "toolkit_test_support.h"
#include "window_capture.h"

namespace {
const COLORREF kKey = RGB(255, 0, 255);
const COLORREF kBackground = RGB(30, 60, 90);
const COLORREF kInk = RGB(250, 250, 250);

struct text_counts {
    int ink = 0, background = 0, other = 0;
    int left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;  // box of the ink
};

text_counts count(const dib& d) {
    GdiFlush();
    text_counts n;
    for (int y = 0; y < d.get_height(); ++y)
        for (int x = 0; x < d.get_width(); ++x) {
            const COLORREF c = dib_pixel(d, x, y);
            if (c == kBackground) {
                ++n.background;
            } else if (c == kInk) {
                ++n.ink;
                n.left = std::min(n.left, x);
                n.right = std::max(n.right, x);
                n.top = std::min(n.top, y);
                n.bottom = std::max(n.bottom, y);
            } else {
                ++n.other;
            }
        }
    return n;
}
}  // namespace

using dib_text = toolkit_test;

// The glyphs used to be smoothed against the key colour: their edge pixels
// were neither key nor ink and showed as a pink fringe.
TEST_F(dib_text, text_lands_without_its_box_and_without_a_fringe) {
    for (const wchar_t* face : {L"굴림", L"Tahoma"}) {
        SCOPED_TRACE(testing::Message() << "face " << (face[0] == L'T' ? "Tahoma" : "Gulim"));
        dib target;
        paint_dib(target, 200, 40, [](int, int) { return kBackground; });
        capture_on_failure keep(target.get_memdc(), 200, 40);
        dib box;
        ASSERT_TRUE(box.create(180, 30, 24));
        box.draw_text(target.get_memdc(), 10, 5, L"Volume 100 볼륨 & 한글", kInk, face, 12, true, false,
                      false, false, DT_LEFT | DT_VCENTER | DT_SINGLELINE, kKey, true);
        save_artifact(capture_dc(target.get_memdc(), 0, 0, 200, 40), face[0] == L'T' ? L"tahoma" : L"gulim");
        const text_counts n = count(target);
        EXPECT_GT(n.ink, 150);
        EXPECT_EQ(n.other, 0);
        // The ink stays inside the box.
        EXPECT_GE(n.left, 10);
        EXPECT_LT(n.right, 190);
        EXPECT_GE(n.top, 5);
        EXPECT_LT(n.bottom, 35);
    }
}

TEST_F(dib_text, text_that_is_not_horizontal_runs_upwards) {
    dib target;
    paint_dib(target, 60, 200, [](int, int) { return kBackground; });
    capture_on_failure keep(target.get_memdc(), 60, 200);
    dib box;
    ASSERT_TRUE(box.create(40, 180, 24));
    box.draw_text(target.get_memdc(), 10, 10, L"안내방송 Volume", kInk, L"굴림", 12, false, false, false,
                  false, DT_LEFT | DT_BOTTOM | DT_SINGLELINE, kKey, false);
    save_artifact(capture_dc(target.get_memdc(), 0, 0, 60, 200), L"vertical");
    const text_counts n = count(target);
    ASSERT_GT(n.ink, 100);
    EXPECT_EQ(n.other, 0);
    EXPECT_GT(n.bottom - n.top, 3 * (n.right - n.left));
}
