// The now-playing list's own header, and rows reordered by dragging: the
// selection moved as a block, a drag begun on a selected row moving it, one
// begun elsewhere widening the selection, and the edge that scrolls.
#include <gtest/gtest.h>

#include "playlist_view_fixture.h"

using namespace playlist_test;

namespace {

struct dragged_list : now_playing_list {
    // Entries "a", "b", ... of the Default playlist.
    void fill(int n) {
        std::vector<std::wstring> names;
        for (int i = 0; i < n; ++i) names.push_back(std::wstring(1, static_cast<wchar_t>(L'a' + i)));
        add(names);
    }
    std::wstring order() {
        std::wstring out;
        for (list_info* e : music.first()->entries()) out += text(e->title);
        return out;
    }
    std::vector<int> selection() {
        std::vector<int> rows;
        for (int r = view->get_next_item(-1, LVNI_SELECTED); r >= 0; r = view->get_next_item(r, LVNI_SELECTED))
            rows.push_back(r);
        return rows;
    }
    void select_only(const std::vector<int>& rows) {
        view->set_item_state(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        for (int r : rows) select(r);
    }
    RECT row_rect(int r) {
        RECT box = {};
        box.left = LVIR_BOUNDS;
        SendMessageW(list(), LVM_GETITEMRECT, r, reinterpret_cast<LPARAM>(&box));
        return box;
    }
    POINT row_point(int r) {
        const RECT box = row_rect(r);
        return POINT{40, (box.top + box.bottom) / 2};
    }
    // The cursor the reorder thread reads, at a point of the list.
    void cursor_at(POINT p) {
        ClientToScreen(list(), &p);
        services.cursor = p;
    }
    // A press on the row and a move past the drag distance with the button
    // held: the list reports the drag's start.
    void press_and_drag(int row) {
        const POINT p = row_point(row);
        cursor_at(p);
        window_rig::left_down(list(), p.x, p.y);
        window_rig::mouse_move(list(), p.x, p.y + 12, MK_LBUTTON);
        window_rig::pump();
        if (!view->dragging()) {
            // Where the list did not start a drag (a channel refuses it),
            // the list's own notice once more, as a list would send it.
            NMLISTVIEW notice = {};
            notice.hdr.hwndFrom = list();
            notice.hdr.idFrom = list_view::list_id;
            notice.hdr.code = LVN_BEGINDRAG;
            notice.iItem = row;
            notice.ptAction = p;
            send(WM_NOTIFY, list_view::list_id, reinterpret_cast<LPARAM>(&notice));
        }
    }
    void release() {
        const POINT p = row_point(0);
        window_rig::left_up(list(), p.x, p.y);
    }
};

}  // namespace

TEST_F(dragged_list, the_selection_moves_as_a_block) {
    const struct {
        std::vector<int> selected;
        int delta;
        const wchar_t* order;
        std::vector<int> after;
    } rows[] = {
        {{2, 5}, 1, L"abdcegfh", {3, 6}},
        {{2, 5}, 3, L"abdecghf", {4, 7}},   // the last row stops at the end, the first goes on
        {{2, 5}, -3, L"cabfdegh", {0, 3}},  // the first stops at the top
        {{6, 7}, 1, L"abcdefgh", {6, 7}},   // at the end already
        {{0}, -1, L"abcdefgh", {0}},
        {{1, 2, 3}, 2, L"aefbcdgh", {3, 4, 5}},
        {{4}, 0, L"abcdefgh", {4}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.selected.front() << " by " << row.delta);
        music.first()->clear();
        fill(8);
        select_only(row.selected);
        view->move_selection(row.delta);
        EXPECT_EQ(order(), row.order);
        EXPECT_EQ(selection(), row.after);
        EXPECT_EQ(view->get_item_count(), 8);
    }

    // Nothing moves in a channel.
    load_channel(channel_tracks(4));
    const std::vector<std::wstring> channel = paths_of(music.channel());
    select_only({1});
    view->move_selection(1);
    EXPECT_EQ(paths_of(music.channel()), channel);
    EXPECT_EQ(order(), L"abcdefgh");
}

TEST_F(dragged_list, a_drag_begun_on_a_selected_row_moves_it) {
    fill(6);
    select_only({1});
    press_and_drag(1);
    ASSERT_TRUE(view->dragging());
    // Down two rows: the entry follows the cursor.
    cursor_at(row_point(3));
    ASSERT_TRUE(window_rig::pump_until([&] { return order() == L"acdbef"; }, 3000)) << order();
    EXPECT_EQ(selection(), std::vector<int>{3});
    // And back up one.
    cursor_at(row_point(2));
    ASSERT_TRUE(window_rig::pump_until([&] { return order() == L"acbdef"; }, 3000)) << order();
    EXPECT_EQ(selection(), std::vector<int>{2});
    release();
    EXPECT_FALSE(view->dragging());
    // The thread has ended: the cursor moves nothing any more.
    cursor_at(row_point(5));
    window_rig::pump_for(150);
    EXPECT_EQ(order(), L"acbdef");
}

TEST_F(dragged_list, a_drag_begun_on_another_row_widens_the_selection) {
    fill(6);
    select_only({4});
    press_and_drag(1);  // row 1 was not selected
    ASSERT_TRUE(view->dragging());
    cursor_at(row_point(3));
    ASSERT_TRUE(window_rig::pump_until([&] { return selection() == std::vector<int>{1, 2, 3}; }, 3000));
    release();
    EXPECT_EQ(order(), L"abcdef");
}

TEST_F(dragged_list, a_drag_at_the_bottom_edge_scrolls_the_list) {
    fill(26);
    ASSERT_LT(view->get_count_per_page(), 26);
    select_only({0});
    press_and_drag(0);
    ASSERT_TRUE(view->dragging());
    RECT client;
    GetClientRect(list(), &client);
    cursor_at(POINT{40, client.bottom - 2});
    // The selected entry rides down with the scroll to the end of the list.
    ASSERT_TRUE(window_rig::pump_until([&] { return selection() == std::vector<int>{25}; }, 5000))
        << testing::PrintToString(selection());
    EXPECT_GT(view->get_top_index(), 0);
    EXPECT_EQ(order().back(), L'a');
    release();
}

TEST_F(dragged_list, nothing_is_dragged_in_a_channel) {
    load_channel(channel_tracks(4));
    select_only({1});
    press_and_drag(1);
    EXPECT_FALSE(view->dragging());
    release();
}

// The list's own header: 22 pixels high; only the title and artist columns
// can be resized.
TEST_F(dragged_list, the_lists_own_header) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list(), LVM_GETHEADER, 0, 0));
    ASSERT_NE(header, nullptr);
    RECT box;
    GetWindowRect(header, &box);
    EXPECT_EQ(box.bottom - box.top, playlist_view::header_height);
    for (int column : {0, 1, 2}) {
        NMHEADERW notice = {};
        notice.hdr.hwndFrom = header;
        notice.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(header));
        notice.hdr.code = HDN_BEGINTRACKW;
        notice.iItem = column;
        const LRESULT refused = SendMessageW(list(), WM_NOTIFY, notice.hdr.idFrom, reinterpret_cast<LPARAM>(&notice));
        EXPECT_EQ(refused != 0, column == 0) << column;
    }
}
