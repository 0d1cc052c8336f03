// The skinned list view on real windows: row height, drawn cells and grid
// lines by pixel probes, the cell-image sets and their clicks, the per-row
// indices kept in step with inserted and deleted rows, margins and the own
// scroll bars, the tooltip, and the end of object and windows in either
// order.
#include "list_view.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <vector>

#include "core.h"
#include "window_capture.h"
#include "window_messages.h"
#include "window_rig.h"

namespace {
void solid(dib& image, int w, int h, COLORREF colour) {
    ASSERT_TRUE(image.create(w, h, 24));
    RECT all = {0, 0, w, h};
    dib::fill_solid_rect(image.get_memdc(), &all, colour);
}

// Records what the container receives and the height the list proposed.
class probe_list : public list_view {
public:
    int row_height(int height) override {
        proposals.push_back(height);
        return list_view::row_height(height);
    }
    LRESULT on_message(UINT msg, WPARAM wparam, LPARAM lparam) override {
        if (msg == msg_list_view_notify) notified.push_back({msg, wparam, lparam});
        return list_view::on_message(msg, wparam, lparam);
    }
    std::vector<int> proposals;
    std::vector<window_rig::recorded_message> notified;
};

struct list_view_test : ::testing::Test {
    window_rig::host_window host{30, 30, 420, 320};
    window_rig::message_recorder parent_log{{msg_cell_clicked}};
    std::unique_ptr<probe_list> list{new probe_list};
    dib channel, thumb, minus, plus;

    void SetUp() override {
        core::set_instance(GetModuleHandleW(nullptr));
        INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&classes);
        parent_log.init(host.hwnd());
    }
    void create(const RECT& rect, int top = 0, int bottom = 0) {
        ASSERT_TRUE(list->create(host.hwnd(), &rect, false, top, bottom));
    }
    // Columns of the widths (alignment codes of list_ctrl: 0 left, 1 right,
    // 2 centred) and rows "r<n>" with cells "r<n>c<m>".
    void fill(const std::vector<int>& widths, int rows) {
        for (size_t c = 0; c < widths.size(); ++c) list->insert_column(static_cast<int>(c), L"h", 0, widths[c]);
        for (int r = 0; r < rows; ++r) add_row(r);
    }
    void add_row(int at) {
        wchar_t text[32];
        _snwprintf(text, 31, L"r%d", at);
        text[31] = 0;
        list->insert_item(at, text);
        const int columns = static_cast<int>(SendMessageW(list->header().get_hwnd(), HDM_GETITEMCOUNT, 0, 0));
        for (int c = 1; c < columns; ++c) {
            _snwprintf(text, 31, L"r%dc%d", at, c);
            list->set_item_text(at, c, text);
        }
    }
    RECT cell(int row, int column) {
        RECT r = {};
        EXPECT_TRUE(list->get_cell_rect(row, column, r));
        return r;
    }
    pixel_image shot() {
        InvalidateRect(list->get_list(), nullptr, TRUE);
        UpdateWindow(list->get_list());
        window_rig::pump();
        return capture_window(list->get_list());
    }
    // A point of the cell where the set's image or text lies.
    POINT item_point(int row, int column) {
        RECT area = {};
        const RECT c = cell(row, column);
        for (int y = c.top; y < c.bottom; ++y)
            for (int x = c.left; x < c.right; ++x)
                if (list->image_at(x, y, &area)) return {(area.left + area.right) / 2, (area.top + area.bottom) / 2};
        ADD_FAILURE() << "no image or text in cell " << row << "," << column;
        return {-1, -1};
    }
};
}  // namespace

TEST_F(list_view_test, rows_are_one_and_four_tenths_of_the_proposed_height) {
    create({10, 10, 400, 300});
    fill({100, 100}, 3);
    ASSERT_EQ(list->proposals.size(), 1u);
    const int proposed = list->proposals[0];
    EXPECT_EQ(list->measured_row_height(), static_cast<int>(proposed * 1.4));
    RECT row = {LVIR_BOUNDS, 0, 0, 0};
    ASSERT_TRUE(SendMessageW(list->get_list(), LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row)));
    EXPECT_EQ(row.bottom - row.top, list->measured_row_height());
    // The rule itself, including the truncation.
    const struct {
        int proposed, rows;
    } cases[] = {{20, 28}, {13, 18}, {15, 21}, {16, 22}};
    for (const auto& c : cases) EXPECT_EQ(list->list_view::row_height(c.proposed), c.rows) << c.proposed;
    // A font change does not change the height again.
    SendMessageW(list->get_list(), WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(SYSTEM_FONT)), TRUE);
    ASSERT_TRUE(SendMessageW(list->get_list(), LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row)));
    EXPECT_EQ(row.bottom - row.top, list->measured_row_height());
}

TEST_F(list_view_test, grid_lines_backgrounds_and_texts_by_pixel_probes) {
    create({10, 10, 400, 300});
    fill({60, 80, 100}, 4);
    list->set_item_state(2, LVIS_SELECTED, LVIS_SELECTED);
    const pixel_image p = shot();
    const COLORREF grid = RGB(0xD8, 0xD8, 0xD8);
    const COLORREF white = RGB(255, 255, 255);
    const COLORREF selected = RGB(0xB4, 0xB4, 0xB4);
    const RECT first = cell(1, 0), second = cell(1, 1), third = cell(1, 2);
    const int y = first.bottom - 2;  // below the text
    // The first column has no left line; every column has its right one and
    // every later column a left one.
    EXPECT_EQ(p.at(first.left, y), white);
    EXPECT_EQ(p.at(first.right - 1, y), grid);
    EXPECT_EQ(p.at(second.left, y), grid);
    EXPECT_EQ(p.at(second.right - 1, y), grid);
    EXPECT_EQ(p.at(third.left, y), grid);
    EXPECT_EQ(p.at(third.right - 1, y), grid);
    EXPECT_EQ(p.at(second.left + 2, y), white);
    // The selected row is filled with the selection colour.
    const RECT chosen = cell(2, 1);
    EXPECT_EQ(p.at(chosen.left + 2, chosen.bottom - 2), selected);
    // The texts are drawn 5 pixels in, in the text colour (not in the margin).
    int inked = 0;
    for (int x = second.left + 1; x < second.left + 5; ++x)
        for (int yy = second.top; yy < second.bottom; ++yy)
            if (p.at(x, yy) != white && p.at(x, yy) != grid) ++inked;
    EXPECT_EQ(inked, 0);
    EXPECT_GT(p.count(RGB(0x3C, 0x3C, 0x3C), second.left, second.top, second.right - second.left,
                      second.bottom - second.top),
              0);
}

TEST_F(list_view_test, a_set_of_three_images_and_two_texts_cycles_on_clicks_and_tells_both_windows) {
    create({10, 10, 400, 300});
    fill({80, 120}, 3);
    dib red, green, blue;
    solid(red, 12, 10, RGB(255, 0, 0));
    solid(green, 14, 8, RGB(0, 255, 0));
    solid(blue, 10, 10, RGB(0, 0, 255));
    column_images set;
    set.alignment = 1;
    set.images = {&red, &green, &blue};
    set.texts = {L"듣기", L"정지"};
    list->set_column_images(1, set);
    column_images* kept = list->find_column_images(1);
    ASSERT_NE(kept, nullptr);
    ASSERT_EQ(kept->rows, std::vector<unsigned>({0, 0, 0}));

    const unsigned expected[] = {1, 2, 0, 1};
    for (unsigned step : expected) {
        const POINT at = item_point(1, 1);
        window_rig::left_down(list->get_list(), at.x, at.y);
        window_rig::left_up(list->get_list(), at.x, at.y);
        window_rig::pump();
        EXPECT_EQ(kept->rows[1], step);
    }
    EXPECT_EQ(kept->rows[0], 0u);
    EXPECT_EQ(kept->rows[2], 0u);
    ASSERT_EQ(list->notified.size(), 4u);
    EXPECT_EQ(list->notified[0].wparam, 1u);
    EXPECT_EQ(list->notified[0].lparam, 1);
    ASSERT_EQ(parent_log.count(msg_cell_clicked), 4);
    EXPECT_EQ(parent_log.log[0].wparam, reinterpret_cast<WPARAM>(list->get_container()));
    EXPECT_EQ(parent_log.log[0].lparam, MAKELPARAM(1, 1));

    // Row 1 shows its second text; one more click shows the blue image,
    // centred in the cell.
    const POINT at = item_point(1, 1);
    window_rig::left_down(list->get_list(), at.x, at.y);
    ASSERT_EQ(kept->rows[1], 2u);
    const pixel_image p = shot();
    const RECT c = cell(1, 1);
    const int cx = c.left + (c.right - c.left - 10) / 2;
    const int cy = c.top + (c.bottom - c.top - 10) / 2;
    EXPECT_EQ(p.at(cx, cy), RGB(0, 0, 255));
    EXPECT_EQ(p.at(cx + 9, cy + 9), RGB(0, 0, 255));
    EXPECT_EQ(p.count(RGB(0, 0, 255), c.left, c.top, c.right - c.left, c.bottom - c.top), 100);
    // Off the image, a click is an ordinary one.
    window_rig::left_down(list->get_list(), c.left + 2, c.top + 2);
    window_rig::left_up(list->get_list(), c.left + 2, c.top + 2);
    EXPECT_EQ(kept->rows[1], 2u);
}

TEST_F(list_view_test, inserted_and_deleted_rows_keep_each_rows_index) {
    create({10, 10, 400, 300});
    fill({80, 120}, 5);
    dib one;
    solid(one, 8, 8, RGB(1, 2, 3));
    column_images set;
    set.images = {&one};
    set.texts = {L"a", L"b", L"c"};
    list->set_column_images(1, set);
    column_images* kept = list->find_column_images(1);
    kept->rows = {0, 1, 2, 0, 1};
    add_row(2);
    EXPECT_EQ(kept->rows, std::vector<unsigned>({0, 1, 0, 2, 0, 1}));
    add_row(6);  // appended
    EXPECT_EQ(kept->rows, std::vector<unsigned>({0, 1, 0, 2, 0, 1, 0}));
    list->delete_item(0);
    EXPECT_EQ(kept->rows, std::vector<unsigned>({1, 0, 2, 0, 1, 0}));
    list->delete_item(3);
    EXPECT_EQ(kept->rows, std::vector<unsigned>({1, 0, 2, 1, 0}));
    // Each row still shows its own text: row 2's is "c".
    EXPECT_EQ(list->get_item_count(), 5);
    list->delete_all_items();
    EXPECT_TRUE(kept->rows.empty());
    add_row(0);
    EXPECT_EQ(kept->rows, std::vector<unsigned>({0}));
    // A set given later starts with one 0 per existing row.
    add_row(1);
    list->set_column_images(0, set);
    EXPECT_EQ(list->find_column_images(0)->rows, std::vector<unsigned>({0, 0}));
}

TEST_F(list_view_test, margins_and_own_bars_place_the_list) {
    solid(channel, 10, 10, RGB(90, 90, 90));
    solid(thumb, 10, 10, RGB(30, 30, 30));
    solid(minus, 10, 10, RGB(60, 60, 60));
    solid(plus, 10, 10, RGB(60, 60, 60));
    const struct {
        bool hbar, vbar;
        int top, bottom;
        RECT list;  // in the 300 x 200 container
    } cases[] = {
        {false, false, 0, 0, {0, 0, 300, 200}},
        {false, false, 12, 5, {0, 12, 300, 195}},
        {true, false, 0, 0, {0, 0, 300, 190}},
        {true, false, 4, 30, {0, 4, 300, 170}},  // the margin wins over the bar
        {false, true, 0, 0, {0, 0, 290, 200}},
        {true, true, 0, 0, {0, 0, 290, 190}},
    };
    for (const auto& c : cases) {
        list.reset(new probe_list);
        if (c.hbar) list->set_hscroll_images(&channel, &thumb, &minus, &plus);
        if (c.vbar) list->set_vscroll_images(&channel, &thumb, &minus, &plus);
        create({20, 20, 320, 220}, c.top, c.bottom);
        RECT r;
        GetWindowRect(list->get_list(), &r);
        MapWindowPoints(nullptr, list->get_container(), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, c.list.left) << c.hbar << c.vbar << c.top << c.bottom;
        EXPECT_EQ(r.top, c.list.top) << c.hbar << c.vbar << c.top << c.bottom;
        EXPECT_EQ(r.right, c.list.right) << c.hbar << c.vbar << c.top << c.bottom;
        EXPECT_EQ(r.bottom, c.list.bottom) << c.hbar << c.vbar << c.top << c.bottom;
        EXPECT_EQ(list->hscroll().get_hwnd() != nullptr, c.hbar);
        EXPECT_EQ(list->vscroll().get_hwnd() != nullptr, c.vbar);
        if (c.hbar && c.vbar) {
            // The bars share the corner: the horizontal one along the bottom
            // up to the vertical one, which runs down to the horizontal one.
            RECT h, v;
            GetWindowRect(list->hscroll().get_hwnd(), &h);
            GetWindowRect(list->vscroll().get_hwnd(), &v);
            MapWindowPoints(nullptr, list->get_container(), reinterpret_cast<POINT*>(&h), 2);
            MapWindowPoints(nullptr, list->get_container(), reinterpret_cast<POINT*>(&v), 2);
            EXPECT_EQ(h.left, 0);
            EXPECT_EQ(h.top, 190);
            EXPECT_EQ(h.right, 290);
            EXPECT_EQ(v.left, 290);
            EXPECT_EQ(v.bottom, 190);
        }
    }
    // A resize of the container lays everything out again.
    MoveWindow(list->get_container(), 20, 20, 250, 150, TRUE);
    RECT r;
    GetClientRect(list->get_list(), &r);
    RECT w;
    GetWindowRect(list->get_list(), &w);
    EXPECT_EQ(w.right - w.left, 240);
    EXPECT_EQ(w.bottom - w.top, 140);
}

TEST_F(list_view_test, the_own_vertical_bar_follows_and_moves_the_list) {
    solid(channel, 12, 12, RGB(200, 200, 200));
    solid(thumb, 12, 16, RGB(40, 40, 40));
    solid(minus, 12, 12, RGB(90, 90, 90));
    solid(plus, 12, 12, RGB(90, 90, 90));
    list->set_vscroll_images(&channel, &thumb, &minus, &plus);
    create({10, 10, 300, 210});
    fill({120, 120}, 40);
    shot();  // a paint fits the bar
    const int per_page = list->get_count_per_page();
    ASSERT_LT(per_page, 40);
    EXPECT_TRUE(list->vscroll().is_enabled());
    EXPECT_EQ(list->vscroll().get_range_min(), 0);
    EXPECT_EQ(list->vscroll().get_range_max(), 40 - per_page);
    // The native bar is never seen: the client area covers it.
    RECT client, outer;
    GetClientRect(list->get_list(), &client);
    GetWindowRect(list->get_list(), &outer);
    EXPECT_EQ(client.right, outer.right - outer.left);
    // The bar moves the list...
    list->sync_vscroll(10);
    window_rig::pump();
    EXPECT_EQ(list->get_top_index(), 10);
    EXPECT_EQ(list->vscroll().get_pos(), 10);
    // ...and follows a keyboard move of the list.
    list->ensure_visible(0, FALSE);
    window_rig::key(list->get_list(), VK_DOWN);
    EXPECT_EQ(list->vscroll().get_pos(), list->get_top_index());
    // Few rows: the bar is disabled.
    list->delete_all_items();
    add_row(0);
    shot();
    EXPECT_FALSE(list->vscroll().is_enabled());
}

TEST_F(list_view_test, the_tooltip_shows_the_hovered_cell) {
    create({10, 10, 400, 300});
    fill({100, 140}, 3);
    dib mark;
    solid(mark, 10, 10, RGB(0, 128, 0));
    column_images set;
    set.images = {&mark};
    set.alignment = 2;
    list->set_column_images(1, set);
    const RECT a = cell(2, 0);
    window_rig::mouse_move(list->get_list(), a.left + 20, (a.top + a.bottom) / 2);
    EXPECT_EQ(list->tooltip_text(), L"r2");
    TOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.hwnd = list->get_list();
    tool.uId = list_view::list_id;
    EXPECT_TRUE(SendMessageW(list->get_tooltip(), TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool)));
    // On a set's column: the cell text over the image only.
    const RECT b = cell(1, 1);
    window_rig::mouse_move(list->get_list(), b.left + 10, (b.top + b.bottom) / 2);
    EXPECT_EQ(list->tooltip_text(), L"");
    const POINT on = item_point(1, 1);
    EXPECT_GT(on.x, b.right - 14);  // right-aligned, 2 pixels in
    window_rig::mouse_move(list->get_list(), on.x, on.y);
    EXPECT_EQ(list->tooltip_text(), L"r1c1");
    // Away from the rows.
    RECT client;
    GetClientRect(list->get_list(), &client);
    window_rig::mouse_move(list->get_list(), 10, client.bottom - 3);
    EXPECT_EQ(list->tooltip_text(), L"");
}

TEST_F(list_view_test, deleting_the_list_first_destroys_its_windows) {
    create({10, 10, 300, 200});
    fill({100}, 3);
    HWND container = list->get_container();
    HWND view = list->get_list();
    HWND tip = list->get_tooltip();
    list.reset();
    EXPECT_FALSE(IsWindow(container));
    EXPECT_FALSE(IsWindow(view));
    EXPECT_FALSE(IsWindow(tip));
    // The parent goes on working.
    MoveWindow(host.hwnd(), 30, 30, 400, 300, TRUE);
    window_rig::pump();
}

TEST_F(list_view_test, windows_destroyed_first_leave_an_object_that_only_waits_to_be_deleted) {
    create({10, 10, 300, 200});
    fill({100}, 3);
    HWND tip = list->get_tooltip();
    DestroyWindow(list->get_container());
    window_rig::pump();
    EXPECT_EQ(list->get_container(), nullptr);
    EXPECT_FALSE(IsWindow(tip));
    EXPECT_FALSE(list->is_attached());
    list.reset();
}
