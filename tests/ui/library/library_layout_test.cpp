// The library window's pane geometry as a table: sizes of the window,
// splitter drags and the page's companion.
#include <gtest/gtest.h>

#include <string>

#include "library_layout.h"

namespace {

std::string text(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}
::testing::AssertionResult is(const RECT& seen, const RECT& wanted) {
    if (seen.left == wanted.left && seen.top == wanted.top && seen.right == wanted.right &&
        seen.bottom == wanted.bottom)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << text(seen) << " instead of " << text(wanted);
}

const RECT kFace = {0, 0, 480, 550};

}  // namespace

TEST(library_layout, panes_follow_size_and_splitters) {
    struct row {
        const char* name;
        int width, height;       // client size now
        int pane_left;           // the pane splitter before the layout
        int companion_top;       // the companion splitter before
        bool companion, store_tree, web_page;
        int want_pane_left;
        RECT want_pane_range;
        RECT want_companion_range;
        int want_companion_top;
        RECT want_tree, want_vscroll, want_hscroll;
        RECT want_page, want_companion;
        int want_switch_left;
    };
    const row rows[] = {
        {"the face as it starts", 480, 550, 178, 275, false, false, false, 178, {178, 59, 330, 512},
         {186, 100, 471, 450}, 275, {10, 64, 169, 502}, {169, 58, 178, 502}, {10, 503, 169, 512},
         {186, 58, 471, 512}, {}, 406},
        {"200 wider on a wide screen", 680, 550, 178, 275, false, false, false, 178, {178, 59, 530, 512},
         {186, 100, 671, 450}, 275, {10, 64, 169, 502}, {169, 58, 178, 502}, {10, 503, 169, 512},
         {186, 58, 671, 512}, {}, 606},
        {"taller: the tree and bars grow", 480, 650, 178, 275, false, false, false, 178, {178, 59, 330, 612},
         {186, 100, 471, 550}, 275, {10, 64, 169, 602}, {169, 58, 178, 602}, {10, 603, 169, 612},
         {186, 58, 471, 612}, {}, 406},
        {"splitter dragged right: the tree widens", 680, 550, 300, 275, false, false, false, 300,
         {178, 59, 530, 512}, {308, 100, 671, 450}, 275, {10, 64, 291, 502}, {291, 58, 300, 502},
         {10, 503, 291, 512}, {308, 58, 671, 512}, {}, 606},
        {"narrowed past the splitter pulls it left", 480, 550, 400, 275, false, false, false, 322,
         {178, 59, 330, 512}, {330, 100, 471, 450}, 275, {10, 64, 313, 502}, {313, 58, 322, 502},
         {10, 503, 313, 512}, {330, 58, 471, 512}, {}, 406},
        {"a page with its companion", 480, 550, 178, 275, true, false, false, 178, {178, 59, 330, 512},
         {186, 100, 471, 450}, 275, {10, 64, 169, 502}, {169, 58, 178, 502}, {10, 503, 169, 512},
         {186, 58, 471, 275}, {186, 282, 471, 512}, 406},
        {"the companion splitter keeps 100 from the bottom", 480, 550, 178, 500, true, false, false, 178,
         {178, 59, 330, 512}, {186, 100, 471, 450}, 442, {10, 64, 169, 502}, {169, 58, 178, 502},
         {10, 503, 169, 512}, {186, 58, 471, 442}, {186, 449, 471, 512}, 406},
        {"the companion splitter keeps 100 from the top", 480, 550, 178, 20, true, true, false, 178,
         {178, 59, 330, 512}, {186, 100, 471, 450}, 100, {10, 64, 169, 502}, {169, 58, 178, 502},
         {10, 503, 169, 512}, {186, 59, 471, 100}, {186, 107, 471, 512}, 406},
        {"the web page starts at the splitter's top", 480, 550, 178, 275, false, false, true, 178,
         {178, 59, 330, 512}, {186, 100, 471, 450}, 275, {10, 64, 169, 502}, {169, 58, 178, 502},
         {10, 503, 169, 512}, {186, 59, 471, 512}, {}, 406},
        {"a store page starts at the splitter's top", 480, 550, 178, 275, false, true, false, 178,
         {178, 59, 330, 512}, {186, 100, 471, 450}, 275, {10, 64, 169, 502}, {169, 58, 178, 502},
         {10, 503, 169, 512}, {186, 59, 471, 512}, {}, 406},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        library_pane_input in = {};
        in.client = RECT{0, 0, r.width, r.height};
        in.initial_client = kFace;
        in.pane_left = r.pane_left;
        in.pane_width = 8;
        in.companion_height = 8;
        in.companion_top = r.companion_top;
        in.has_companion = r.companion;
        in.store_tree = r.store_tree;
        in.web_page = r.web_page;
        const library_pane_layout out = layout_library_panes(in);
        EXPECT_EQ(out.pane_left, r.want_pane_left);
        EXPECT_TRUE(is(out.pane_range, r.want_pane_range)) << "pane range";
        EXPECT_TRUE(is(out.companion_range, r.want_companion_range)) << "companion range";
        EXPECT_EQ(out.companion_top, r.want_companion_top);
        EXPECT_TRUE(is(out.tree, r.want_tree)) << "tree";
        EXPECT_TRUE(is(out.vscroll, r.want_vscroll)) << "vertical bar";
        EXPECT_TRUE(is(out.hscroll, r.want_hscroll)) << "horizontal bar";
        EXPECT_TRUE(is(out.page, r.want_page)) << "page";
        EXPECT_TRUE(is(out.companion, r.want_companion)) << "companion";
        EXPECT_EQ(out.switch_button.left, r.want_switch_left);
        EXPECT_EQ(out.switch_button.right, r.width - 14);
    }
}

TEST(library_layout, page_rect_when_a_page_opens) {
    const RECT pane = {178, 59, 330, 512}, companion = {186, 100, 471, 450};
    EXPECT_TRUE(is(library_page_rect(pane, companion, 275, false, false, false), RECT{186, 58, 471, 512}));
    EXPECT_TRUE(is(library_page_rect(pane, companion, 275, true, false, false), RECT{186, 58, 471, 275}));
    EXPECT_TRUE(is(library_page_rect(pane, companion, 275, false, false, true), RECT{186, 59, 471, 512}));
    EXPECT_TRUE(is(library_page_rect(pane, companion, 275, true, true, false), RECT{186, 59, 471, 275}));
}

TEST(library_layout, bottom_row_and_path_line) {
    struct row {
        int width, height;
        bool label, combo;
        int want_path_right;
        RECT want_notice, want_new_post;
    };
    const row rows[] = {
        {480, 550, false, false, 461, {64, 520, 322, 536}, {13, 519, 59, 537}},
        {680, 650, false, false, 661, {64, 620, 522, 636}, {13, 619, 59, 637}},
        {480, 550, true, true, 250, {64, 520, 322, 536}, {13, 519, 59, 537}},
        {480, 550, false, true, 340, {64, 520, 322, 536}, {13, 519, 59, 537}},
    };
    for (const row& r : rows) {
        library_control_input in = {};
        in.client = RECT{0, 0, r.width, r.height};
        in.companion_right = r.width - 9;
        in.open_label_shown = r.label;
        in.open_label_left = 260;
        in.set_combo_shown = r.combo;
        in.set_combo_left = 350;
        in.path_left = 25;
        const library_control_layout out = layout_library_controls(in);
        EXPECT_EQ(out.path_right, r.want_path_right);
        EXPECT_TRUE(is(out.notice, r.want_notice));
        EXPECT_TRUE(is(out.new_post, r.want_new_post));
    }
}

TEST(library_layout, store_hours_row_from_the_right) {
    // 1033, 1028, 1029, 1034, 1030, 1031 from the left.
    const int widths[6] = {50, 40, 40, 50, 40, 40};
    int lefts[6] = {};
    layout_store_hours(470, widths, lefts);
    const int want[6] = {470 - 40 - 3 - 40 - 3 - 50 - 10 - 40 - 3 - 40 - 3 - 50, 470 - 40 - 3 - 40 - 3 - 50 - 10 - 40 - 3 - 40,
                         470 - 40 - 3 - 40 - 3 - 50 - 10 - 40, 470 - 40 - 3 - 40 - 3 - 50, 470 - 40 - 3 - 40, 430};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(lefts[i], want[i]) << i;
}
