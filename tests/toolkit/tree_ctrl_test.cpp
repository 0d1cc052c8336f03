// The tree-view wrapper on a real tree view: long texts, checks through
// state images, item data, navigation and settings.
#include "tree_ctrl.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "control_test_support.h"
#include "window_rig.h"

namespace {
struct tree_ctrl_test : toolkit_test {
    window_rig::host_window host{20, 20, 300, 300};
    tree_ctrl tree;

    void make(DWORD style = 0) {
        init_common_controls();
        tree.window = CreateWindowExW(0, WC_TREEVIEWW, L"",
                                      WS_CHILD | WS_VISIBLE | TVS_HASLINES | TVS_HASBUTTONS | style, 10, 10, 260,
                                      260, host.hwnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(tree.window, nullptr);
    }
};
}  // namespace

TEST_F(tree_ctrl_test, texts_of_any_length_come_back_whole) {
    make();
    for (size_t length : {0u, 254u, 255u, 256u, 300u, 511u, 5000u}) {
        std::wstring text(length, L'\xD55C');  // 한
        if (length) text.back() = L'z';
        HTREEITEM item = tree.insert_item(text.c_str(), TVI_ROOT, TVI_LAST);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(std::wstring(tree.get_item_text(item).wvalue()), text) << length;
    }
    wchar_t small[4];
    HTREEITEM item = tree.insert_item(L"abcdef", TVI_ROOT, TVI_LAST);
    EXPECT_TRUE(tree.get_item_text(item, small, 4));
    EXPECT_STREQ(small, L"abc");
    EXPECT_TRUE(tree.set_item_text(item, L"\xCC44\xB110"));  // 채널
    EXPECT_STREQ(tree.get_item_text(item).wvalue(), L"\xCC44\xB110");
    EXPECT_STREQ(tree.get_item_text(nullptr).wvalue(), L"");
}

TEST_F(tree_ctrl_test, checks_live_in_state_images_and_an_item_without_one_is_minus_one) {
    make();
    HTREEITEM plain = tree.insert_item(L"plain", TVI_ROOT, TVI_LAST);
    EXPECT_EQ(tree.get_check_state(plain), -1);
    DestroyWindow(tree.window);
    make(TVS_CHECKBOXES);
    HTREEITEM item = tree.insert_item(L"box", TVI_ROOT, TVI_LAST);
    EXPECT_TRUE(tree.set_check_state(item, true));
    EXPECT_EQ(tree.get_check_state(item), 1);
    EXPECT_TRUE(tree.set_check_state(item, false));
    EXPECT_EQ(tree.get_check_state(item), 0);
    EXPECT_EQ(tree.get_item_state(item, TVIS_STATEIMAGEMASK), static_cast<unsigned>(INDEXTOSTATEIMAGEMASK(1)));
}

TEST_F(tree_ctrl_test, item_data_is_pointer_sized_and_zero_for_an_invalid_item) {
    make();
    HTREEITEM item = tree.insert_item(L"a", TVI_ROOT, TVI_LAST);
    int anchor = 0;
    const DWORD_PTR data = reinterpret_cast<DWORD_PTR>(&anchor);
    EXPECT_TRUE(tree.set_item_data(item, data));
    EXPECT_EQ(tree.get_item_data(item), data);
    EXPECT_EQ(tree.get_item_data(nullptr), 0u);
    HTREEITEM gone = tree.insert_item(L"gone", TVI_ROOT, TVI_LAST);
    tree.set_item_data(gone, 5);
    tree.delete_item(gone);
    EXPECT_EQ(tree.get_item_data(gone), 0u);
    EXPECT_EQ(tree.item_has_children(gone), 0);
    int image = -7, selected = -7;
    EXPECT_FALSE(tree.get_item_image(gone, image, selected));
    EXPECT_EQ(image, -7);  // untouched on failure
}

TEST_F(tree_ctrl_test, navigation_selection_and_expansion) {
    make();
    HTREEITEM root = tree.insert_item(L"\xC74C\xC545", 1, 2, TVI_ROOT, TVI_LAST);  // 음악
    HTREEITEM first = tree.insert_item(L"one", root, TVI_LAST);
    HTREEITEM second = tree.insert_item(TVIF_TEXT | TVIF_PARAM, L"two", 0, 0, 0, 0, 42, root, TVI_LAST);
    HTREEITEM other = tree.insert_item(L"other", TVI_ROOT, TVI_LAST);
    EXPECT_EQ(tree.get_count(), 4u);
    EXPECT_EQ(tree.get_root_item(), root);
    EXPECT_EQ(tree.get_child_item(root), first);
    EXPECT_EQ(tree.get_next_sibling_item(first), second);
    EXPECT_EQ(tree.get_prev_sibling_item(second), first);
    EXPECT_EQ(tree.get_parent_item(second), root);
    EXPECT_EQ(tree.get_next_sibling_item(root), other);
    EXPECT_EQ(tree.get_item_data(second), 42u);
    int image = 0, selected = 0;
    EXPECT_TRUE(tree.get_item_image(root, image, selected));
    EXPECT_EQ(image, 1);
    EXPECT_EQ(selected, 2);
    EXPECT_EQ(tree.get_next_visible_item(root), other);  // collapsed
    EXPECT_TRUE(tree.expand(root, TVE_EXPAND));
    EXPECT_EQ(tree.get_next_visible_item(root), first);
    EXPECT_EQ(tree.get_first_visible_item(), root);
    EXPECT_TRUE(tree.select_item(second));
    EXPECT_EQ(tree.get_selected_item(), second);
    EXPECT_TRUE(tree.get_item_state(second, TVIS_SELECTED) & TVIS_SELECTED);
    RECT r = {};
    ASSERT_TRUE(tree.get_item_rect(second, &r, true));
    POINT inside = {r.left + 2, (r.top + r.bottom) / 2};
    unsigned flags = 0;
    EXPECT_EQ(tree.hit_test(inside, &flags), second);
    EXPECT_TRUE(flags & TVHT_ONITEMLABEL);
    EXPECT_TRUE(tree.delete_item(first));
    EXPECT_EQ(tree.get_child_item(root), second);
    EXPECT_TRUE(tree.delete_all_items());
    EXPECT_EQ(tree.get_count(), 0u);
    EXPECT_EQ(tree.get_root_item(), nullptr);
}

TEST_F(tree_ctrl_test, settings_round_trip) {
    make();
    tree.set_indent(30);
    EXPECT_EQ(tree.get_indent(), 30u);
    tree.set_item_height(24);
    EXPECT_EQ(tree.get_item_height(), 24);
    tree.set_bkcolor(RGB(10, 20, 30));
    EXPECT_EQ(tree.get_bkcolor(), RGB(10, 20, 30));
    tree.set_text_color(RGB(40, 50, 60));
    EXPECT_EQ(tree.get_text_color(), RGB(40, 50, 60));
    tree.set_line_color(RGB(70, 80, 90));
    EXPECT_EQ(tree.get_line_color(), RGB(70, 80, 90));
    tree.set_insert_mark_color(RGB(1, 2, 3));
    EXPECT_EQ(tree.get_insert_mark_color(), RGB(1, 2, 3));
    EXPECT_TRUE(tree.get_unicode_format());
    HTREEITEM a = tree.insert_item(L"b", TVI_ROOT, TVI_LAST);
    tree.insert_item(L"a", TVI_ROOT, TVI_LAST);
    EXPECT_TRUE(tree.sort_children(TVI_ROOT, false));
    EXPECT_STREQ(tree.get_item_text(tree.get_root_item()).wvalue(), L"a");
    EXPECT_EQ(tree.get_next_sibling_item(tree.get_root_item()), a);
    EXPECT_GE(tree.get_visible_count(), 5u);
}

