// The library window's tree on a real window: how it draws (roots bold and
// blue, glyphs, item images, the selection bar, no native bars), what a
// click does, and the item images it forgets.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "skin_tree.h"
#include "window_capture.h"
#include "window_rig.h"

namespace {

// The notification codes the parent receives from the tree.
class notify_codes : public subclass {
public:
    std::vector<UINT> codes;
    LRESULT window_proc(UINT msg, WPARAM wparam, LPARAM lparam) override {
        if (msg == WM_NOTIFY && lparam) codes.push_back(reinterpret_cast<const NMHDR*>(lparam)->code);
        return subclass::window_proc(msg, wparam, lparam);
    }
    int count(UINT code) const {
        int n = 0;
        for (UINT c : codes) n += c == code;
        return n;
    }
};

struct tree_rig {
    window_rig::host_window host{60, 60, 260, 220};
    scroll_ctrl hbar, vbar;
    dib channel, thumb, minus, plus;
    dib glyph_closed, glyph_open, image_a, image_b;
    std::unique_ptr<skin_tree> tree;
    notify_codes parent_log;

    tree_rig() {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_TREEVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        make(channel, 9, 9, RGB(0xD8, 0xD8, 0xD8));
        make(thumb, 9, 53, RGB(0x80, 0x80, 0x80));
        make(minus, 9, 9, RGB(0x60, 0x60, 0x60));
        make(plus, 9, 9, RGB(0x60, 0x60, 0x60));
        make(glyph_closed, 9, 9, RGB(0x00, 0xA0, 0x00));
        make(glyph_open, 9, 9, RGB(0xA0, 0x00, 0xA0));
        make(image_a, 12, 12, RGB(0xE0, 0x60, 0x00));
        make(image_b, 11, 11, RGB(0x00, 0x80, 0xC0));
        HWND parent = host.hwnd();
        HWND w = CreateWindowExW(0, WC_TREEVIEWW, L"",
                                 WS_CHILD | WS_VISIBLE | TVS_FULLROWSELECT | TVS_INFOTIP | TVS_SHOWSELALWAYS, 10,
                                 10, 200, 190, parent, reinterpret_cast<HMENU>(1014), GetModuleHandleW(nullptr),
                                 nullptr);
        vbar.set_channel(&channel);
        vbar.set_thumb(&thumb);
        vbar.set_minus_button(&minus);
        vbar.set_plus_button(&plus);
        hbar.set_channel(&channel);
        hbar.set_thumb(&thumb);
        hbar.set_minus_button(&minus);
        hbar.set_plus_button(&plus);
        vbar.init(parent, w, 9, 190, true, 12346);
        SetWindowPos(vbar.get_hwnd(), nullptr, 210, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        hbar.init(parent, w, 200, 9, false, 12345);
        SetWindowPos(hbar.get_hwnd(), nullptr, 10, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        tree.reset(new skin_tree(&hbar, &vbar));
        tree->init(w);
        tree->set_glyphs(&glyph_closed, &glyph_open);
        tree->set_indent(6);
        parent_log.init(parent);
    }
    static void make(dib& d, int w, int h, COLORREF c) {
        d.create(w, h, 24);
        const RECT r = {0, 0, w, h};
        dib::fill_solid_rect(d.get_memdc(), &r, c);
    }
    HWND hwnd() const { return tree->window; }
    POINT centre(HTREEITEM node) {
        RECT r = {};
        tree->get_item_rect(node, &r, true);
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    RECT row(HTREEITEM node) {
        RECT r = {};
        tree->get_item_rect(node, &r, false);
        return r;
    }
    bool expanded(HTREEITEM node) { return (tree->get_item_state(node, TVIS_EXPANDED) & TVIS_EXPANDED) != 0; }
    void click(HTREEITEM node) {
        const POINT p = centre(node);
        window_rig::click(hwnd(), p.x, p.y);
        window_rig::pump();
    }
    pixel_image shot() {
        InvalidateRect(hwnd(), nullptr, TRUE);
        UpdateWindow(hwnd());
        window_rig::pump();
        return capture_window(host.hwnd());
    }
};

// Pixels of the colour in the tree's row of the node (window coordinates of
// the host: the tree sits at 10, 10).
int in_row(const pixel_image& shot, tree_rig& rig, HTREEITEM node, COLORREF colour) {
    const RECT r = rig.row(node);
    return shot.count(colour, 10, 10 + r.top, 200, r.bottom - r.top);
}

// Pixels of text in the node's row: darker than the light greys, and not
// one of the test's glyph and image colours.
int ink_in_row(const pixel_image& shot, tree_rig& rig, HTREEITEM node) {
    const RECT r = rig.row(node);
    int n = 0;
    for (int y = 10 + r.top; y < 10 + r.bottom; ++y)
        for (int x = 10; x < 210; ++x) {
            const COLORREF c = shot.at(x, y);
            if (c == RGB(0xA0, 0x00, 0xA0) || c == RGB(0x00, 0xA0, 0x00) || c == RGB(0xE0, 0x60, 0x00) ||
                c == RGB(0x00, 0x80, 0xC0))
                continue;
            n += GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 160;
        }
    return n;
}

}  // namespace

TEST(skin_tree, draws_bold_blue_roots_glyphs_images_and_the_selection_bar) {
    tree_rig rig;
    skin_tree& t = *rig.tree;
    HTREEITEM root = t.insert_item(L"음악 방송", TVI_ROOT, TVI_LAST, &rig.image_a);
    HTREEITEM child = t.insert_item(L"가요    ", root, TVI_LAST, &rig.image_b);
    HTREEITEM grand = t.insert_item(L"발라드    ", child, TVI_LAST, nullptr);
    HTREEITEM leaf = t.insert_item(L"팝    ", root, TVI_LAST, &rig.image_b);
    HTREEITEM plain = t.insert_item(L"라디오", TVI_ROOT, TVI_LAST);  // collapsed, no image
    ASSERT_TRUE(root && child && grand && leaf && plain);
    EXPECT_EQ(t.item_depth(root), 0);
    EXPECT_EQ(t.item_depth(grand), 2);
    EXPECT_EQ(t.item_depth(nullptr), 0);
    EXPECT_EQ(t.item_depth(TVI_ROOT), 0);
    EXPECT_EQ(t.get_item_height(), 20);
    t.select_item(child);
    const pixel_image shot = rig.shot();
    save_artifact(shot, L"tree");

    EXPECT_GT(in_row(shot, rig, root, RGB(0, 0, 255)), 10) << "a root's text is blue";
    EXPECT_EQ(in_row(shot, rig, leaf, RGB(0, 0, 255)), 0) << "other nodes are black";
    EXPECT_GT(in_row(shot, rig, leaf, RGB(0, 0, 0)), 10);
    EXPECT_GT(in_row(shot, rig, child, RGB(217, 217, 217)), 100) << "the selection bar";
    EXPECT_LT(in_row(shot, rig, leaf, RGB(217, 217, 217)), 20) << "no bar (a few smoothed text pixels)";
    EXPECT_EQ(in_row(shot, rig, root, RGB(0xA0, 0x00, 0xA0)), 81) << "an expanded node's glyph";
    EXPECT_EQ(in_row(shot, rig, root, RGB(0xE0, 0x60, 0x00)), 144) << "the root's image";
    EXPECT_EQ(in_row(shot, rig, leaf, RGB(0x00, 0x80, 0xC0)), 121) << "the leaf's image";
    // A node without children has no glyph, even inserted expanded.
    EXPECT_EQ(in_row(shot, rig, leaf, RGB(0xA0, 0x00, 0xA0)), 0);
    EXPECT_EQ(in_row(shot, rig, leaf, RGB(0x00, 0xA0, 0x00)), 0);
    // A collapsed node with children shows the other glyph.
    t.expand(child, TVE_COLLAPSE);
    const pixel_image collapsed = rig.shot();
    EXPECT_EQ(in_row(collapsed, rig, child, RGB(0x00, 0xA0, 0x00)), 81);
    // Bold roots: their font is the tree's own at weight 700 (Wine draws
    // this face's bold hardly heavier, so the font is checked, and the text
    // as text).
    LOGFONTW bold = {}, own = {};
    ASSERT_TRUE(GetObjectW(t.bold_font(), sizeof(bold), &bold));
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(own), &own);
    EXPECT_EQ(bold.lfWeight, 700);
    EXPECT_EQ(bold.lfHeight, own.lfHeight);
    EXPECT_EQ(std::wstring(bold.lfFaceName), std::wstring(own.lfFaceName));
    HTREEITEM same = t.insert_item(L"음악 방송", leaf, TVI_LAST, nullptr);
    t.expand(leaf, TVE_EXPAND);
    const pixel_image both = rig.shot();
    EXPECT_GT(ink_in_row(both, rig, root), 50);
    EXPECT_GT(ink_in_row(both, rig, same), 50);
    // The native bars never show: the client reaches the window's edges.
    RECT client = {}, window = {};
    GetClientRect(rig.hwnd(), &client);
    GetWindowRect(rig.hwnd(), &window);
    EXPECT_GE(client.right, window.right - window.left - 2);
}

TEST(skin_tree, clicks_toggle_and_select) {
    tree_rig rig;
    skin_tree& t = *rig.tree;
    HTREEITEM a = t.insert_item(L"A 목록", TVI_ROOT, TVI_LAST, &rig.image_a);
    HTREEITEM a1 = t.insert_item(L"A-1", a, TVI_LAST, &rig.image_b);
    t.insert_item(L"A-1-x", a1, TVI_LAST, &rig.image_b);
    HTREEITEM b = t.insert_item(L"B 목록", TVI_ROOT, TVI_LAST);  // collapsed
    t.insert_item(L"B-1", b, TVI_LAST);
    t.select_item(a);
    rig.parent_log.codes.clear();

    struct step {
        const char* what;
        HTREEITEM* node;
        bool right;
        HTREEITEM* want_selected;
        bool want_expanded;
    };
    const step steps[] = {
        {"a click on an unselected expanded node only selects it", &a1, false, &a1, true},
        {"a click on the selected expanded node collapses it", &a1, false, &a1, false},
        {"a second click expands it again", &a1, false, &a1, true},
        {"a click on a collapsed node expands and selects it", &b, false, &b, true},
        {"a click on the selected expanded node collapses it", &b, false, &b, false},
        {"a right click selects without toggling", &a, true, &a, true},
    };
    for (const step& s : steps) {
        SCOPED_TRACE(s.what);
        const POINT p = rig.centre(*s.node);
        if (s.right) {
            // The tree's default handling of the press follows the mouse
            // until the button comes up: the release waits in the queue.
            const LPARAM at = MAKELPARAM(p.x, p.y);
            PostMessageW(rig.hwnd(), WM_RBUTTONUP, 0, at);
            SendMessageW(rig.hwnd(), WM_RBUTTONDOWN, MK_RBUTTON, at);
        } else
            window_rig::click(rig.hwnd(), p.x, p.y);
        window_rig::pump();
        EXPECT_EQ(t.get_selected_item(), *s.want_selected);
        EXPECT_EQ(rig.expanded(*s.node), s.want_expanded);
        EXPECT_EQ(t.pressed_item, *s.node);
    }
    // The right click reached the parent as NM_RCLICK.
    EXPECT_EQ(rig.parent_log.count(NM_RCLICK), 1);
    EXPECT_GE(rig.parent_log.count(TVN_SELCHANGEDW), 3);

    // A left press below every row changes nothing.
    HTREEITEM before = t.get_selected_item();
    window_rig::click(rig.hwnd(), 60, 180);
    window_rig::pump();
    EXPECT_EQ(t.get_selected_item(), before);
    EXPECT_EQ(t.pressed_item, nullptr);
}

TEST(skin_tree, deleting_a_node_forgets_its_image) {
    tree_rig rig;
    skin_tree& t = *rig.tree;
    HTREEITEM a = t.insert_item(L"A", TVI_ROOT, TVI_LAST, &rig.image_a);
    HTREEITEM b = t.insert_item(L"B", a, TVI_LAST, &rig.image_b);
    EXPECT_EQ(t.image_of(b), &rig.image_b);
    EXPECT_EQ(t.image_count(), 2u);
    t.delete_item(b);
    EXPECT_EQ(t.image_of(b), nullptr);
    EXPECT_EQ(t.image_count(), 1u);
    // A new node without an image has none, whatever handle it gets.
    HTREEITEM c = t.insert_item(L"C", a, TVI_LAST, nullptr);
    EXPECT_EQ(t.image_of(c), nullptr);
    t.set_item(c, L"C2", &rig.image_a);
    EXPECT_EQ(t.image_of(c), &rig.image_a);
    EXPECT_EQ(std::wstring(t.get_item_text(c).wvalue()), L"C2");
    t.delete_all_items();
    EXPECT_EQ(t.image_count(), 0u);
}

TEST(skin_tree, the_skinned_bars_follow_what_there_is_to_scroll) {
    tree_rig rig;
    skin_tree& t = *rig.tree;
    for (int i = 0; i < 30; ++i) t.insert_item((L"채널 " + std::to_wstring(i)).c_str(), TVI_ROOT, TVI_LAST);
    rig.shot();
    EXPECT_TRUE(rig.vbar.is_enabled()) << "30 rows of 20 pixels do not fit 190";
    EXPECT_GT(rig.vbar.get_range_max(), 0);
    // Choosing the last row scrolls the tree; the bar follows its position.
    HTREEITEM last = t.get_root_item();
    while (t.get_next_sibling_item(last)) last = t.get_next_sibling_item(last);
    t.select_item(last);
    t.ensure_visible(last);
    rig.shot();
    EXPECT_GT(rig.vbar.get_pos(), 0);
    t.delete_all_items();
    t.insert_item(L"하나", TVI_ROOT, TVI_LAST);
    rig.shot();
    EXPECT_FALSE(rig.vbar.is_enabled());
    EXPECT_EQ(rig.vbar.get_range_max(), 0) << "no thumb without anything to scroll";
}
