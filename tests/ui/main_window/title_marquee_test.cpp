// The title marquee on real images: the text rests, moves and returns on
// its steps, never passes the end of its travel, and a text that fits stays.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "skin_host.h"
#include "title_marquee.h"
#include "utility.h"

namespace {

const wchar_t kFace[] = L"돋움";
const COLORREF kBack = RGB(20, 30, 60);

// A strip of the width, 12 pixels high, of one colour.
void make_strip(dib& strip, int width) {
    ASSERT_TRUE(strip.create(width, 12, 24));
    const RECT all = {0, 0, width, 12};
    dib::fill_solid_rect(strip.get_memdc(), &all, kBack);
}

int text_width(const wchar_t* text) { return utility::get_text_length(text, kFace, 9, false); }

// The offsets after each of n steps of the pixels.
std::vector<int> run(title_marquee& m, int n, int pixels = 1) {
    std::vector<int> out;
    for (int i = 0; i < n; ++i) {
        m.step(pixels);
        out.push_back(m.offset());
    }
    return out;
}

// The expected offsets of a travel of `end` pixels, one pixel per step:
// rest, go out, rest, come back, and so on.
std::vector<int> travel(int end, int n) {
    std::vector<int> out;
    int at = 0;
    while (static_cast<int>(out.size()) < n) {
        for (int i = 0; i < title_marquee::rest_steps; ++i) out.push_back(at);
        const int to = at == 0 ? end : 0;
        while (at != to) out.push_back(at += (to > at ? 1 : -1));
        out.push_back(at);  // the step that turns round
    }
    out.resize(n);
    return out;
}

const wchar_t kTitle[] = L"Spring Day ( BTS )";

}  // namespace

TEST_F(title_marquee_test, a_text_as_wide_as_the_strip_never_moves) {
    dib strip;
    make_strip(strip, text_width(kTitle));
    title_marquee m;
    m.set_target(&strip);
    m.set_text(kFace, 9, false, RGB(255, 255, 255), kTitle);
    EXPECT_EQ(m.mode(), title_marquee::fits);
    const std::vector<int> offsets = run(m, 100);
    EXPECT_EQ(offsets, std::vector<int>(100, 0));
    // The strip shows the text image's first columns.
    for (int x = 0; x < strip.get_width(); x += 2)
        for (int y = 0; y < 12; y += 3) ASSERT_EQ(dib_pixel(strip, x, y), dib_pixel(m.text_image(), x, y));
}

TEST_F(title_marquee_test, a_wider_text_rests_moves_and_returns) {
    title_marquee m;
    dib strip;
    make_strip(strip, 40);  // placeholder: sized again below
    m.set_target(&strip);
    m.set_text(kFace, 9, false, RGB(255, 255, 255), kTitle);
    // A strip 20 pixels narrower than the text image.
    const int image_width = m.text_image().get_width();
    make_strip(strip, image_width - 20);
    m.set_text(kFace, 9, false, RGB(255, 255, 255), kTitle);
    ASSERT_EQ(m.mode(), title_marquee::wider);
    EXPECT_EQ(run(m, 150), travel(20, 150));

    // Each step shows the text image from its offset.
    title_marquee again;
    again.set_target(&strip);
    again.set_text(kFace, 9, false, RGB(255, 255, 255), kTitle);
    run(again, 15 + 7);
    for (int x = 0; x < strip.get_width(); x += 3)
        for (int y = 0; y < 12; y += 2)
            ASSERT_EQ(dib_pixel(strip, x, y), dib_pixel(again.text_image(), x + 6, y)) << x << "," << y;
}

TEST_F(title_marquee_test, a_narrower_text_drifts_across_and_back) {
    dib strip;
    make_strip(strip, 300);
    title_marquee m;
    m.set_target(&strip);
    m.set_text(kFace, 9, false, RGB(255, 255, 255), L"Short");
    ASSERT_EQ(m.mode(), title_marquee::narrower);
    const int end = 300 - m.text_image().get_width();
    ASSERT_GT(end, 0);
    EXPECT_EQ(run(m, 3 * end + 80), travel(end, 3 * end + 80));
}

// With a step larger than one pixel the text stops exactly at the end of
// its travel instead of running past it; a narrower text whose image
// (two pixels wider than the text) does not fit never leaves the strip.
TEST_F(title_marquee_test, the_offset_stays_within_the_travel) {
    struct {
        const wchar_t* text;
        int strip_extra;  // strip width - text width
        int pixels;
    } cases[] = {
        {kTitle, -23, 7},  // wider by 23 (image by 25): steps of 7
        {L"Short", 40, 9},  // narrower: steps of 9
        {L"Short", 1, 1},   // narrower, but the text image is one wider than the strip
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.strip_extra);
        dib strip;
        make_strip(strip, text_width(c.text) + c.strip_extra);
        title_marquee m;
        m.set_target(&strip);
        m.set_text(kFace, 9, false, RGB(255, 255, 255), c.text);
        const int iw = m.text_image().get_width(), tw = strip.get_width();
        const int end = m.mode() == title_marquee::wider ? iw - tw : std::max(0, tw - iw);
        bool reached = false;
        for (int offset : run(m, 400, c.pixels)) {
            ASSERT_GE(offset, 0);
            ASSERT_LE(offset, end);
            reached = reached || offset == end;
        }
        EXPECT_TRUE(reached);
    }
}

TEST_F(title_marquee_test, without_a_target_the_marquee_keeps_the_text_and_draws_nothing) {
    title_marquee m;
    m.set_text(kFace, 9, false, RGB(255, 255, 255), L"봄날");
    EXPECT_EQ(m.text(), L"봄날");
    m.step(1);
    EXPECT_EQ(m.offset(), 0);
    // A later target and text start over.
    dib strip;
    make_strip(strip, 251);
    m.set_target(&strip);
    m.set_text(kFace, 9, true, RGB(255, 255, 255), L"봄날 ( 방탄소년단 )");
    EXPECT_EQ(m.mode(), title_marquee::narrower);
    EXPECT_EQ(m.text_image().get_width(), utility::get_text_length(L"봄날 ( 방탄소년단 )", kFace, 9, true) + 2);
    EXPECT_EQ(m.text_image().get_height(), 12);
}
